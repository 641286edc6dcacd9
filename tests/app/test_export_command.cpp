// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"
#include "app/export_command.h"
#include "store/operations.h"
#include "test_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <future>
#include <memory>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace olv;

namespace {

// Clients in tree order "=Beta" (Audit at 20.00), "Acme, Ltd" (`Web "Shop"` at 45.50).
const QStringList kRows = {
    "2026-11-01,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",Build,Design,0:16:40,1000,no,45.50,12.64",
    "2026-11-30,'=Beta,Audit,Check,Checking,0:30:00,1800,no,20.00,10.00",
    "2026-11-30,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",Build,Design,1:30:00,5400,yes,45.50,68.25",
    "2026-12-01,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",Build,Design,0:01:00,60,no,45.50,0.76",
};

QByteArray csv_of(const QList<int>& rows) {
    QByteArray out = "Date,Client,Project,Objective,Task,Time,Seconds,Billed,Rate,Amount\r\n";
    for (const int r : rows)
        out += kRows[r].toUtf8() + "\r\n";
    return out;
}

struct ExportFixture {
    QTemporaryDir dir;
    QString db = dir.filePath(QStringLiteral("work.db"));
    QString not_a_database = dir.filePath(QStringLiteral("notes.db"));

    ExportFixture() {
        Store store;
        store.db.load_engine();
        create_database(store, db.toStdString(), "Ada");
        const DateValue start = make_date(2026, 1, 1, 0, 0, 0);
        AccessLayer& sql = store.db;
        sql.execute(insert_client_sql(100, "Acme, Ltd", 50));
        sql.execute(insert_client_sql(101, "=Beta", 0));
        sql.execute(insert_project_sql(200, "Web \"Shop\"", 100, start, start, 45.5));
        sql.execute(insert_project_sql(201, "Audit", 101, start, start, 20));
        sql.execute(insert_objective_sql(300, "Build", 200, start, start));
        sql.execute(insert_objective_sql(301, "Check", 201, start, start));
        sql.execute(insert_task_sql(400, false, "Design", 300, start, start, false));
        sql.execute(insert_task_sql(401, false, "Checking", 301, start, start, false));
        const auto entry = [&](Key key, Key task, int seconds, DateValue day, bool billed) {
            sql.execute(insert_time_entry_sql(key, task, day));
            sql.execute("UPDATE task_detail SET time = " + std::to_string(seconds) + ", billed = " +
                        (billed ? "1" : "0") + " WHERE key = " + std::to_string(key));
        };
        entry(500, 400, 1000, make_date(2026, 11, 1, 0, 0, 0), false);
        entry(501, 400, 5400, make_date(2026, 11, 30, 0, 0, 0), true);
        entry(502, 401, 1800, make_date(2026, 11, 30, 0, 0, 0), false);
        entry(503, 400, 60, make_date(2026, 12, 1, 0, 0, 0), false);
        // Seconds of a task that no longer exists count nowhere.
        entry(504, 499, 3600, make_date(2026, 11, 15, 0, 0, 0), false);
        store.db.unload_engine();

        QFile garbage(not_a_database);
        if (garbage.open(QIODevice::WriteOnly))
            garbage.write(QByteArray(4096, 'x'));
    }

    std::vector<std::string> arguments(const QStringList& args) const {
        std::vector<std::string> out;
        for (QString a : args) {
            if (a == QLatin1String("DB"))
                a = db;
            else if (a == QLatin1String("NOTDB"))
                a = not_a_database;
            else if (a == QLatin1String("NOFOLDER"))
                a = dir.filePath(QStringLiteral("missing/out.csv"));
            out.push_back(a.toStdString());
        }
        return out;
    }

    int run(const QStringList& args, QByteArray& out, QByteArray& err) const {
        std::ostringstream o;
        std::ostringstream e;
        const int code = run_export_command(arguments(args), o, e);
        out = QByteArray::fromStdString(o.str());
        err = QByteArray::fromStdString(e.str());
        return code;
    }

    QByteArray database_bytes() const {
        QFile file(db);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class ExportCommandTest : public QObject {
    Q_OBJECT

    // The export only reads, so every case of the table shares one database.
    std::unique_ptr<ExportFixture> shared_;

private slots:
    void initTestCase() { shared_ = std::make_unique<ExportFixture>(); }
    void cleanupTestCase() { shared_.reset(); }

    void exports_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("error");
        const QStringList base = {"--export-csv", "-", "--database", "DB"};
        QTest::newRow("all time") << base << 0 << QList<int>{0, 1, 2, 3} << "";
        QTest::newRow("a month, both edges")
            << base + QStringList{"--from", "2026-11-01", "--to", "2026-11-30"} << 0
            << QList<int>{0, 1, 2} << "";
        QTest::newRow("from alone")
            << base + QStringList{"--from", "2026-11-30"} << 0 << QList<int>{1, 2, 3} << "";
        QTest::newRow("to alone") << base + QStringList{"--to", "2026-11-01"} << 0 << QList<int>{0}
                                  << "";
        QTest::newRow("one client")
            << base + QStringList{"--client", "Acme, Ltd"} << 0 << QList<int>{0, 2, 3} << "";
        QTest::newRow("unbilled") << base + QStringList{"--unbilled"} << 0 << QList<int>{0, 1, 3}
                                  << "";
        QTest::newRow("everything at once")
            << QStringList{"--unbilled", "--client", "Acme, Ltd",    "--to", "2026-11-30",
                           "--database", "DB",       "--export-csv", "-"}
            << 0 << QList<int>{0} << "";
        QTest::newRow("an empty period")
            << base + QStringList{"--from", "2030-01-01"} << 0 << QList<int>{} << "";

        QTest::newRow("unknown argument") << base + QStringList{"--bogus"} << 2 << QList<int>{}
                                          << "Usage: olvessa --export-csv FILE";
        QTest::newRow("value missing")
            << base + QStringList{"--from"} << 2 << QList<int>{} << "--from needs a value";
        QTest::newRow("no file") << QStringList{"--database", "DB", "--export-csv"} << 2
                                 << QList<int>{} << "Usage:";
        QTest::newRow("no such day")
            << base + QStringList{"--to", "2026-02-29"} << 2 << QList<int>{} << "2026-02-29";
        QTest::newRow("day not in the form")
            << base + QStringList{"--from", "1/11/2026"} << 2 << QList<int>{} << "YYYY-MM-DD";
        QTest::newRow("from after to")
            << base + QStringList{"--from", "2026-12-01", "--to", "2026-11-30"} << 2 << QList<int>{}
            << "--from is after --to";
        QTest::newRow("unknown client") << base + QStringList{"--client", "Acme"} << 2
                                        << QList<int>{} << "no client named \"Acme\"";

        QTest::newRow("missing database")
            << QStringList{"--export-csv", "-", "--database", "/nonexistent/work.db"} << 1
            << QList<int>{} << "/nonexistent/work.db";
        QTest::newRow("not a database") << QStringList{"--export-csv", "-", "--database", "NOTDB"}
                                        << 1 << QList<int>{} << "notes.db";
        QTest::newRow("output folder missing")
            << QStringList{"--export-csv", "NOFOLDER", "--database", "DB"} << 1 << QList<int>{}
            << "Could not write";
    }
    void exports() {
        QFETCH(QStringList, args);
        QFETCH(int, exit_code);
        QFETCH(QList<int>, rows);
        QFETCH(QString, error);
        const ExportFixture& f = *shared_;
        QByteArray out, err;
        QCOMPARE(f.run(args, out, err), exit_code);
        if (exit_code == 0) {
            QCOMPARE(out, csv_of(rows));
            QCOMPARE(err, QByteArray());
        } else {
            QCOMPARE(out, QByteArray());
            QVERIFY2(QString::fromUtf8(err).contains(error), err.constData());
        }
    }

    // The program holds the file (its lock and a connection) while the export runs; the export
    // only reads it.
    void writesTheFileAndOnlyReads() {
        ExportFixture f;
        DatabaseLock lock;
        QCOMPARE(lock.take(f.db), DatabaseLock::Outcome::Taken);
        AccessLayer program;
        program.load_engine();
        QVERIFY(program.open_database(f.db.toStdString()));
        const QByteArray before = f.database_bytes();

        const QString target = f.dir.filePath(QStringLiteral("november.csv"));
        QByteArray out, err;
        QCOMPARE(f.run({"--export-csv", target, "--database", "DB", "--from", "2026-11-01", "--to",
                        "2026-11-30"},
                       out, err),
                 0);
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), csv_of({0, 1, 2}));
        QCOMPARE(f.database_bytes(), before);
        QVERIFY(!QFile::exists(f.db + QStringLiteral("-journal")));
        QVERIFY2(err.isEmpty(), err.constData());

        // Asked for, the progress is told on the messages and ends at the whole.
        QCOMPARE(f.run({"--export-csv", target, "--database", "DB", "--progress"}, out, err), 0);
        QVERIFY(out.isEmpty());
        QVERIFY2(err.trimmed().endsWith("(100%)"), err.constData());
    }

    void defaultDatabaseIsTheRememberedOne() {
        ExportFixture f;
        const QString settings = f.dir.filePath(QStringLiteral("settings.conf"));
        qputenv("OLVESSA_SETTINGS", settings.toUtf8());
        QByteArray out, err;
        QCOMPARE(f.run({"--export-csv", "-"}, out, err), 1); // nothing remembered yet
        QVERIFY(err.contains("--database"));
        {
            QSettings s(settings, QSettings::IniFormat);
            s.setValue(QStringLiteral("Default Database"), f.db);
        }
        QCOMPARE(f.run({"--export-csv", "-", "--unbilled"}, out, err), 0);
        qunsetenv("OLVESSA_SETTINGS");
        QCOMPARE(out, csv_of({0, 1, 3}));
    }

    // Nothing is ever written over a database, whichever path names it; nor into a folder.
    // What is there stays exactly as it was, and the command fails.
    void neverWritesOverADatabase_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("named"); // --database given; otherwise the remembered one
        QTest::addColumn<QString>("error");
        const QString overwrite = "would overwrite a database";
        QTest::newRow("the database read") << "work.db" << true << overwrite;
        QTest::newRow("the remembered database") << "work.db" << false << overwrite;
        QTest::newRow("a symlink to it") << "link.db" << true << overwrite;
        QTest::newRow("a hard link to it") << "hard.db" << true << overwrite;
        QTest::newRow("another database") << "other.db" << true << overwrite;
        QTest::newRow("a folder") << "folder" << true << "is a folder";
        QTest::newRow("an empty folder") << "empty" << true << "is a folder";
    }
    void neverWritesOverADatabase() {
        QFETCH(QString, target);
        QFETCH(bool, named);
        QFETCH(QString, error);
        ExportFixture f;
        const QDir dir(f.dir.path());
        QVERIFY(QFile::link(f.db, dir.filePath("link.db")));
        QCOMPARE(::link(QFile::encodeName(f.db).constData(),
                        QFile::encodeName(dir.filePath("hard.db")).constData()),
                 0);
        QVERIFY(QFile::copy(f.db, dir.filePath("other.db")));
        QVERIFY(dir.mkpath("folder/inside"));
        QVERIFY(dir.mkdir("empty"));
        const QByteArray before = f.database_bytes();
        const QString settings = dir.filePath(QStringLiteral("settings.conf"));
        QSettings(settings, QSettings::IniFormat)
            .setValue(QStringLiteral("Default Database"), f.db);
        qputenv("OLVESSA_SETTINGS", settings.toUtf8());

        QStringList args = {"--export-csv", dir.filePath(target)};
        if (named)
            args += QStringList{"--database", "DB"};
        QByteArray out, err;
        const int code = f.run(args, out, err);
        qunsetenv("OLVESSA_SETTINGS");
        QCOMPARE(code, 1);
        QVERIFY2(QString::fromUtf8(err).contains(error), err.constData());
        QCOMPARE(f.database_bytes(), before);
        QFile other(dir.filePath("other.db"));
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), before);
        QVERIFY(QFileInfo(dir.filePath("link.db")).isSymLink());
        QVERIFY(QFileInfo(dir.filePath("folder/inside")).isDir());
        QVERIFY(QFileInfo(dir.filePath("empty")).isDir());
    }

    // A FIFO is written where it is and stays a FIFO.
    void writesIntoAFifo() {
        ExportFixture f;
        const QString fifo = f.dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::future<QByteArray> read = std::async(std::launch::async, [fifo] {
            QFile reader(fifo);
            return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
        });
        QByteArray out, err;
        QCOMPARE(f.run({"--export-csv", fifo, "--database", "DB"}, out, err), 0);
        QCOMPARE(read.get(), csv_of({0, 1, 2, 3}));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    // The disk fills up half-way (the program may write no file larger than 200 bytes): the
    // old file stays exactly as it was, and nothing else is left beside it.
    void aFullDiskKeepsTheOldFile() {
        ExportFixture f;
        const QString target = f.dir.filePath(QStringLiteral("report.csv"));
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("last month's report\n");
        }
        const QStringList names =
            QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QProcess run;
        run.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small{200, 200};
            ::setrlimit(RLIMIT_FSIZE, &small);
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), f.dir.filePath(QStringLiteral("s.conf")));
        run.setProcessEnvironment(env);
        run.start(QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa"),
                  {"--export-csv", target, "--database", f.db});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QVERIFY(run.readAllStandardError().contains("Could not write " + target.toUtf8()));
        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("last month's report\n"));
        QCOMPARE(
            QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            names);
    }

    // The program itself, with no display at all.
    void theProgramExportsWithoutADisplay() {
        ExportFixture f;
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa");
        QVERIFY2(QFile::exists(program), qPrintable(program));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), f.dir.filePath(QStringLiteral("s.conf")));

        QProcess run;
        run.setProcessEnvironment(env);
        run.start(program, {"--export-csv", "-", "--database", f.db});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput(), csv_of({0, 1, 2, 3}));

        run.start(program, {"--export-csv", "-", "--from", "yesterday", "--database", f.db});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 2);
        QVERIFY(run.readAllStandardError().contains("Usage: olvessa --export-csv"));
    }
};

OLV_TEST_CLASS(ExportCommandTest)
#include "test_export_command.moc"
