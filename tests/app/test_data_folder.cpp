// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/command_line.h"
#include "app/daily_backup.h"
#include "app/data_folder.h"
#include "app_fixture.h"
#include "file_bytes.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

QStringList files_in(const QString& folder, const QStringList& patterns = {}) {
    return QDir(folder).entryList(patterns, QDir::Files, QDir::Name);
}

// "<stem>-<hash>-<day>.db": the hash is the first 8 hex digits of the SHA-1 of the resolved path.
QString backup_name(const QString& database, const QString& day) {
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(QFileInfo(database).canonicalFilePath().toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(8));
    return QFileInfo(database).completeBaseName() + "-" + hash + "-" + day + ".db";
}

QStringList clients_in(const QString& file) {
    return DatabaseProbe(file).rows("SELECT client_name FROM clients ORDER BY key");
}

// Sets an environment variable for one test and puts the old value back.
struct ScopedVariable {
    QByteArray name;
    QByteArray saved;
    bool had;
    ScopedVariable(const char* variable, const QByteArray& value)
        : name(variable), saved(qgetenv(variable)), had(qEnvironmentVariableIsSet(variable)) {
        if (value.isNull())
            qunsetenv(variable);
        else
            qputenv(variable, value);
    }
    ~ScopedVariable() {
        if (had)
            qputenv(name.constData(), saved);
        else
            qunsetenv(name.constData());
    }
};

// What the program writes to standard error meanwhile.
class StderrCapture {
public:
    StderrCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    QByteArray text() {
        restore();
        file_.seek(0);
        return file_.readAll();
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

} // namespace

class DataFolderTest : public QObject {
    Q_OBJECT

private slots:
    void the_data_folder_follows_xdg_data_home_data() {
        QTest::addColumn<QByteArray>("xdg"); // "<dir>" stands for the test folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QByteArray("<dir>/xdg") << "<dir>/xdg/Olvessa";
        QTest::newRow("trailing slash") << QByteArray("<dir>/xdg/") << "<dir>/xdg/Olvessa";
        QTest::newRow("unset") << QByteArray() << "<dir>/home/.local/share/Olvessa";
        QTest::newRow("empty") << QByteArray("") << "<dir>/home/.local/share/Olvessa";
        QTest::newRow("relative: ignored")
            << QByteArray("xdg") << "<dir>/home/.local/share/Olvessa";
    }
    void the_data_folder_follows_xdg_data_home() {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        ScopedVariable home("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
        ScopedVariable data_home("XDG_DATA_HOME", xdg.replace("<dir>", dir.path().toUtf8()));
        expected.replace(QStringLiteral("<dir>"), dir.path());
        QCOMPARE(data_folder(), expected);
        QCOMPARE(backups_folder(), expected + QStringLiteral("/backups"));
        QVERIFY(!QFileInfo::exists(expected)); // found, not made
    }

    void a_new_default_db_lands_in_the_data_folder_never_the_start_folder_data() {
        QTest::addColumn<bool>("first_start"); // otherwise the remembered file has vanished
        QTest::newRow("first start") << true;
        QTest::newRow("remembered file vanished") << false;
    }
    void a_new_default_db_lands_in_the_data_folder_never_the_start_folder() {
        QFETCH(bool, first_start);
        AppFixture f;
        if (first_start)
            f.answer_prompt(QStringLiteral("Ada"), Qt::Key_Return);
        else
            f.write_settings(QStringLiteral("Ada"), f.path(QStringLiteral("gone.db")));
        QVERIFY(!QFileInfo::exists(f.data_folder()));
        QVERIFY(f.start());
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT userID FROM users"),
                 QStringList{"Ada"});
        QCOMPARE(files_in(f.dir.path(), {"*.db"}), QStringList{});
        QVERIFY(f.messages().isEmpty());
    }

    void a_remembered_file_opens_where_it_is() {
        AppFixture f;
        const QString work = f.path(QStringLiteral("work.db"));
        f.make_database(work, "Ada", one_of_each);
        f.write_settings(QStringLiteral("Ada"), work);
        QVERIFY(f.start());
        QCOMPARE(f.app->database_path(), work);
        QCOMPARE(f.tree().topLevelItem(0)->child(0)->text(0), QStringLiteral("Acme"));
        QVERIFY(!QFileInfo::exists(f.default_db()));
    }
};

class DailyBackupTest : public QObject {
    Q_OBJECT

private slots:
    void the_first_start_of_a_day_copies_the_database_before_writing() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        const QString name = backup_name(f.default_db(), "2026-12-10");
        const QString backup = f.backups_folder() + "/" + name;
        QCOMPARE(files_in(f.backups_folder()), QStringList{name});
        QCOMPARE(clients_in(backup), QStringList{"Acme"});

        // The day's work goes to the database only; the copy keeps the morning's state.
        select_tree_position(f.ws(), 4);
        dispatch_event(*f.app, menu_event(id::TaskStart, id::MainWindow));
        f.clock.advance_seconds(7);
        f.app->jobs().poll();
        f.app->close_main_window();
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT time FROM task_detail"),
                 QStringList{"7"});
        QCOMPARE(DatabaseProbe(backup).rows("SELECT count(*) FROM task_detail"), QStringList{"0"});
        QCOMPARE(DatabaseProbe(backup).rows("SELECT user_View FROM users"), QStringList{"0"});
    }

    void one_copy_a_day() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        f.app->close_main_window();
        DatabaseProbe(f.default_db()).db.execute(insert_client_sql(101, "Later", 10));

        // Later the same day: the morning's copy stays as it was.
        QVERIFY(f.start());
        f.app->close_main_window();
        const QString tenth = backup_name(f.default_db(), "2026-12-10");
        const QString eleventh = backup_name(f.default_db(), "2026-12-11");
        QCOMPARE(files_in(f.backups_folder()), QStringList{tenth});
        QCOMPARE(clients_in(f.backups_folder() + "/" + tenth), QStringList{"Acme"});

        // The next day gets its own.
        f.clock.set_wall({2026, 12, 11, 8, 30, 0});
        QVERIFY(f.start());
        QCOMPARE(files_in(f.backups_folder()), (QStringList{tenth, eleventh}));
        QCOMPARE(clients_in(f.backups_folder() + "/" + eleventh), (QStringList{"Acme", "Later"}));
    }

    void the_fourteen_newest_copies_of_each_database_are_kept() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(QDir().mkpath(f.backups_folder()));
        QStringList old;
        for (int day = 1; day <= 15; ++day)
            old << QStringLiteral("default-2026-11-%1.db").arg(day, 2, 10, QLatin1Char('0'));
        // Another database's copies and other files are not this database's to remove.
        // nor is a copy that was opened and worked in after its day.
        const QStringList others = {"work-2026-01-01.db", "default-notes.db",
                                    "default-2026-11-01.db.txt", "default-2026-10-31.db"};
        for (const QString& name : old + others) {
            const QString file = f.backups_folder() + "/" + name;
            write_file(file, "old copy");
            const QDate day = QDate::fromString(name.mid(name.indexOf('-') + 1, 10), "yyyy-MM-dd");
            // Made on its day at noon; the worked-in one changed in November.
            const QDate changed = name == "default-2026-10-31.db" ? QDate(2026, 11, 20) : day;
            QFile stamp(file);
            QVERIFY(stamp.open(QIODevice::ReadWrite));
            if (changed.isValid())
                QVERIFY(stamp.setFileTime(QDateTime(changed, QTime(12, 0)),
                                          QFileDevice::FileModificationTime));
        }

        QVERIFY(f.start());
        // Copies named the older way, without the path's hash, count among the 14.
        QStringList expected =
            old.mid(2) + QStringList{backup_name(f.default_db(), "2026-12-10")} + others;
        expected.sort();
        QCOMPARE(files_in(f.backups_folder()), expected);
        QCOMPARE(backups_of(f.default_db(), f.backups_folder()).size(), kBackupsKept + 1);
    }

    void a_failed_copy_never_stops_the_program_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("the backups folder cannot be made") << "folder" << QStringList{};
        QTest::newRow("the database is not a database")
            << "database" << QStringList{"<unreadable>"};
    }
    void a_failed_copy_never_stops_the_program() {
        QFETCH(QString, fault);
        QFETCH(QStringList, messages);
        AppFixture f;
        f.prepare(one_of_each);
        if (fault == QLatin1String("folder"))
            write_file(f.backups_folder(), "a file where the folder belongs");
        else
            write_file(f.default_db(), QByteArray("Dear diary,\n").repeated(100));
        messages.replaceInStrings(QStringLiteral("<unreadable>"),
                                  QStringLiteral("Could not read Database\n") + f.default_db());

        StderrCapture err;
        QVERIFY(f.start());
        const QByteArray said = err.text();
        QVERIFY(f.window().isVisible());
        QCOMPARE(f.messages(), messages);
        QVERIFY2(said.startsWith("olvessa: no backup of " + f.default_db().toUtf8()),
                 said.constData());
        QCOMPARE(said.count('\n'), 1);
        // Nothing half-written counts as the day's copy.
        QCOMPARE(QFileInfo(f.backups_folder()).isDir() ? files_in(f.backups_folder())
                                                       : QStringList{},
                 QStringList{});
    }

    // work.db in two folders: each gets its own copy on the same day and its own series.
    void two_databases_of_one_name_each_get_a_copy() {
        AppFixture f;
        const QString a = f.path(QStringLiteral("a/work.db"));
        const QString b = f.path(QStringLiteral("b/work.db"));
        QDir().mkpath(f.path(QStringLiteral("a")));
        QDir().mkpath(f.path(QStringLiteral("b")));
        f.make_database(a, "Ada", one_of_each);
        f.make_database(b, "Bea");
        f.write_settings(QStringLiteral("Ada"), a);
        QVERIFY(f.start());
        f.app->close_main_window();
        f.write_settings(QStringLiteral("Ada"), b);
        QVERIFY(f.start());
        f.app->close_main_window();

        const QString of_a = backup_name(a, "2026-12-10");
        const QString of_b = backup_name(b, "2026-12-10");
        QVERIFY(of_a != of_b);
        QStringList both{of_a, of_b};
        both.sort(); // the hashes decide the order of the names
        QCOMPARE(files_in(f.backups_folder()), both);
        QCOMPARE(clients_in(f.backups_folder() + "/" + of_a), QStringList{"Acme"});
        QCOMPARE(clients_in(f.backups_folder() + "/" + of_b), QStringList{});
        QCOMPARE(backups_of(a, f.backups_folder()), QStringList{of_a});
        QCOMPARE(backups_of(b, f.backups_folder()), QStringList{of_b});
        // The same file through a symlink is the same series.
        const QString link = f.path(QStringLiteral("link.db"));
        QVERIFY(QFile::link(a, link));
        QCOMPARE(backup_file_name(link, {2026, 12, 10, 0, 0, 0}), of_a);
    }

    // A failed copy is noted in the status bar, beside the clock, and on standard error: once a
    // day, not at every start.
    void a_failed_copy_is_noted_once_a_day() {
        AppFixture f;
        f.prepare(one_of_each);
        write_file(f.backups_folder(), "a file where the folder belongs");
        const auto start = [&f] {
            StderrCapture err;
            const bool started = f.start();
            return started ? err.text() : QByteArray("<not started>");
        };
        const QByteArray first = start();
        QCOMPARE(first.count("no backup of"), 1);
        QVERIFY2(f.window().note().startsWith(QStringLiteral("No backup of default.db today")),
                 qPrintable(f.window().note()));
        QVERIFY(f.window().statusBar()->isVisible());
        QVERIFY(f.messages().isEmpty());
        f.app->close_main_window();

        QCOMPARE(start().count("no backup of"), 0);
        QCOMPARE(f.window().note(), QString());
        f.app->close_main_window();

        f.clock.set_wall({2026, 12, 11, 8, 30, 0});
        QCOMPARE(start().count("no backup of"), 1);
        QVERIFY(f.window().note().startsWith(QStringLiteral("No backup of default.db today")));
    }

    // What a killed copy left behind goes at the next start; other databases' files stay.
    void leftovers_of_a_cut_copy_are_removed() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(QDir().mkpath(f.backups_folder()));
        const QString ours = backup_name(f.default_db(), "2026-12-09");
        const QStringList leftovers = {ours + ".part", ours + ".part-journal",
                                       "default-2026-12-09.db.part"};
        const QStringList others = {"work-0badcafe-2026-12-09.db.part", "default-notes.db.part"};
        for (const QString& name : leftovers + others)
            write_file(f.backups_folder() + "/" + name, "cut short");
        QVERIFY(f.start());
        QStringList expected = others + QStringList{backup_name(f.default_db(), "2026-12-10")};
        expected.sort();
        QCOMPARE(files_in(f.backups_folder()), expected);
    }
};

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void arguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action"); // CommandLine::Action
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("error");
        const int run = int(CommandLine::Action::Run);
        const int help = int(CommandLine::Action::Help);
        const int version = int(CommandLine::Action::Version);
        const int error = int(CommandLine::Action::Error);
        QTest::newRow("nothing") << QStringList{} << run << ""
                                 << "";
        QTest::newRow("a file") << QStringList{"work.db"} << run << "work.db"
                                << "";
        QTest::newRow("--help") << QStringList{"--help"} << help << ""
                                << "";
        QTest::newRow("-h after a file") << QStringList{"work.db", "-h"} << help << "work.db"
                                         << "";
        QTest::newRow("--version") << QStringList{"--version"} << version << ""
                                   << "";
        QTest::newRow("Qt's own options pass")
            << QStringList{"-platform", "offscreen", "work.db", "-reverse"} << run << "work.db"
            << "";
        QTest::newRow("Qt's options with two dashes")
            << QStringList{"--style", "Fusion", "work.db"} << run << "work.db"
            << "";
        QTest::newRow("Qt's option with its value after =")
            << QStringList{"-style=Fusion", "work.db"} << run << "work.db"
            << "";
        QTest::newRow("a file that looks like an option")
            << QStringList{"--", "-odd.db"} << run << "-odd.db"
            << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << error << ""
                                        << "unknown option '--frobnicate'";
        QTest::newRow("two files") << QStringList{"a.db", "b.db"} << error << ""
                                   << "only one database file can be opened";
        QTest::newRow("Qt option without its value") << QStringList{"-style"} << error << ""
                                                     << "option '-style' needs a value";
    }
    void arguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, database);
        QFETCH(QString, error);
        const CommandLine line = parse_command_line(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.database, database);
        QCOMPARE(line.error, error);
    }

    // The real program, with no display at all: help and version answer and end at once, and
    // nothing is created on the way.
    void the_program_answers_without_a_display_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("out"); // a line standard output must hold
        QTest::addColumn<QString>("err"); // a line standard error must hold
        QTest::newRow("--help")
            << QStringList{"--help"} << 0
            << "Usage: olvessa [FILE.db | postgresql://[user@]host[:port]/dbname]"
            << "";
        QTest::newRow("--help lists the copy")
            << QStringList{"--help"} << 0 << "       olvessa --copy-database FROM TO"
            << "";
        QTest::newRow("--help lists the export")
            << QStringList{"--help"} << 0
            << "       olvessa --export-csv FILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] "
               "[--client NAME]"
            << "";
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << "Olvessa.project " OLV_TEST_VERSION << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << ""
                                        << "olvessa: unknown option '--frobnicate'";
        QTest::newRow("no such file") << QStringList{"missing.db"} << 1 << ""
                                      << "olvessa: missing.db: no such database file";
    }
    void the_program_answers_without_a_display() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exit_code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(display));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), dir.filePath(QStringLiteral("s.conf")));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.path());
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa"),
                      arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exit_code);
        const QStringList out_lines =
            QString::fromLocal8Bit(program.readAllStandardOutput()).split(QLatin1Char('\n'));
        const QStringList err_lines =
            QString::fromLocal8Bit(program.readAllStandardError()).split(QLatin1Char('\n'));
        if (!out.isEmpty())
            QVERIFY2(out_lines.contains(out), qPrintable(out_lines.join('\n')));
        if (!err.isEmpty())
            QVERIFY2(err_lines.contains(err), qPrintable(err_lines.join('\n')));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }
};

OLV_TEST_CLASS(DataFolderTest)
OLV_TEST_CLASS(DailyBackupTest)
OLV_TEST_CLASS(CommandLineTest)
#include "test_data_folder.moc"
