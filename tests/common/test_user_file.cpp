// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/user_file.h"
#include "file_bytes.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

// Rows "row 000000\n" … of 11 bytes each, after a head line.
FileRows numbered_rows(std::size_t count, std::function<void()> before_rows = nullptr) {
    FileRows rows;
    rows.count = count;
    rows.head = [](std::ostream& out) { out << "head\n"; };
    rows.write = [before_rows](std::ostream& out, std::size_t first, std::size_t last) {
        if (before_rows && first == 0)
            before_rows();
        char line[32];
        for (std::size_t i = first; i < last; ++i) {
            std::snprintf(line, sizeof line, "row %06zu\n", i);
            out << line;
        }
    };
    return rows;
}

QByteArray expected_bytes(std::size_t count) {
    QByteArray bytes = "head\n";
    for (std::size_t i = 0; i < count; ++i)
        bytes +=
            QByteArray("row ") + QByteArray::number(qulonglong(i)).rightJustified(6, '0') + "\n";
    return bytes;
}

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A folder with a database, a link of each kind to it, another SQLite file and a sub-folder.
struct Folder {
    QTemporaryDir dir;
    QString db = path("work.db");
    QByteArray db_bytes = QByteArray("SQLite format 3\0", 16) + QByteArray(1008, '\x01');

    Folder() {
        write_file(db, db_bytes);
        QFile::link(db, path("link.db"));
        ::link(local(db).c_str(), local(path("hard.db")).c_str());
        write_file(path("other.db"), db_bytes);
        write_file(path("text.db"), "SQLite format 2 is not this\n");
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Everything in the folder, hidden files too: a temporary file left behind shows here.
    QStringList names() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
};

const QStringList kFolderNames = {"folder", "hard.db", "link.db", "other.db", "text.db", "work.db"};

// The folder's names with some more, in the folder's order.
QStringList and_also(QStringList more) {
    more += kFolderNames;
    more.sort();
    return more;
}

// Ignores a signal while it lives, so a failed write shows as an error and not as the end.
struct IgnoredSignal {
    int number;
    void (*previous)(int);
    explicit IgnoredSignal(int n) : number(n), previous(std::signal(n, SIG_IGN)) {}
    ~IgnoredSignal() { std::signal(number, previous); }
};

} // namespace

class UserFileTest : public QObject {
    Q_OBJECT

private slots:
    // Nothing is written over a database or into a folder; what is there stays as it was.
    void refusesDatabasesAndFolders_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("database_named");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const int database = int(UserFileStatus::Database);
        const QString overwrite = "would overwrite a database";
        QTest::newRow("the database itself") << "work.db" << true << database << overwrite;
        QTest::newRow("a symlink to it") << "link.db" << true << database << overwrite;
        QTest::newRow("a hard link to it") << "hard.db" << true << database << overwrite;
        QTest::newRow("the database, not named") << "work.db" << false << database << overwrite;
        QTest::newRow("another SQLite file") << "other.db" << true << database << overwrite;
        QTest::newRow("a folder") << "folder" << true << int(UserFileStatus::Folder)
                                  << "folder is a folder";
    }
    void refusesDatabasesAndFolders() {
        QFETCH(QString, target);
        QFETCH(bool, database_named);
        QFETCH(int, status);
        QFETCH(QString, message);
        Folder f;
        const std::vector<std::string> databases =
            database_named ? std::vector<std::string>{local(f.db)} : std::vector<std::string>{};
        const UserFileResult result =
            write_user_file(local(f.path(target)), databases, numbered_rows(10));
        QCOMPARE(int(result.status), status);
        QVERIFY2(QString::fromStdString(result.message).contains(message), result.message.c_str());
        QCOMPARE(contents(f.db), f.db_bytes);
        QCOMPARE(contents(f.path("other.db")), f.db_bytes);
        QVERIFY(QFileInfo(f.path("link.db")).isSymLink());
        QVERIFY(QFileInfo(f.path("folder")).isDir());
        QCOMPARE(f.names(), kFolderNames);
    }

    // A regular file is replaced whole; a symlink stays a link and its file gets the rows.
    void writesRegularFiles_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a new file") << "new.csv"
                                    << "new.csv" << QStringList{"new.csv"};
        QTest::newRow("a file that is not a database") << "text.db"
                                                       << "text.db" << QStringList{};
        QTest::newRow("a dangling symlink") << "dangling.csv"
                                            << "folder/made.csv" << QStringList{};
        QTest::newRow("a symlink to a file") << "to-text.csv"
                                             << "text.db" << QStringList{};
    }
    void writesRegularFiles() {
        QFETCH(QString, target);
        QFETCH(QString, written);
        QFETCH(QStringList, names);
        Folder f;
        QFile::link(QStringLiteral("folder/made.csv"), f.path("dangling.csv"));
        QFile::link(f.path("text.db"), f.path("to-text.csv"));
        ::chmod(local(f.path("text.db")).c_str(), 0640);
        const UserFileResult result =
            write_user_file(local(f.path(target)), {local(f.db)}, numbered_rows(5000));
        QCOMPARE(int(result.status), int(UserFileStatus::Written));
        QCOMPARE(contents(f.path(written)), expected_bytes(5000));
        names += kFolderNames + QStringList{"dangling.csv", "to-text.csv"};
        names.sort();
        QCOMPARE(f.names(), names);
        QCOMPARE(QDir(f.path("folder")).entryList(QDir::Files | QDir::Hidden),
                 written == "folder/made.csv" ? QStringList{"made.csv"} : QStringList{});
        if (target == "text.db" || target == "to-text.csv") {
            struct stat st {};
            QCOMPARE(::stat(local(f.path(written)).c_str(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0640));
        }
        if (target == "dangling.csv" || target == "to-text.csv")
            QVERIFY(QFileInfo(f.path(target)).isSymLink());
    }

    // A write that fails half-way (the file size limit, as on a full disk) or a cancel leaves
    // the old file exactly as it was and no temporary file.
    void failureOrCancelKeepsTheOldFile() {
        Folder f;
        const QString target = f.path("report.csv");
        write_file(target, "the old report\n");
        const IgnoredSignal too_large(SIGXFSZ);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 100000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const UserFileResult full = write_user_file(local(target), {}, numbered_rows(20000));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(int(full.status), int(UserFileStatus::Failed));
        QVERIFY2(full.message.starts_with("Could not write " + local(target) + ": "),
                 full.message.c_str());
        QCOMPARE(contents(target), QByteArray("the old report\n"));
        QCOMPARE(f.names(), and_also({"report.csv"}));

        std::vector<std::size_t> told;
        const UserFileResult cancelled =
            write_user_file(local(target), {}, numbered_rows(3 * kRowsPerBatch),
                            [&](std::size_t done, std::size_t total) {
                                told.push_back(done);
                                return total == 3 * kRowsPerBatch && done < 2 * kRowsPerBatch;
                            });
        QCOMPARE(int(cancelled.status), int(UserFileStatus::Cancelled));
        QCOMPARE(told, (std::vector<std::size_t>{kRowsPerBatch, 2 * kRowsPerBatch}));
        QCOMPARE(contents(target), QByteArray("the old report\n"));
        QCOMPARE(f.names(), and_also({"report.csv"}));

        const UserFileResult no_folder =
            write_user_file(local(f.path("gone/report.csv")), {}, numbered_rows(1));
        QCOMPARE(int(no_folder.status), int(UserFileStatus::Failed));
        QVERIFY(!QFileInfo::exists(f.path("gone")));
    }

    // A FIFO is written in place and stays a FIFO, also when its reader goes away early.
    void writesAFifoInPlace() {
        Folder f;
        const std::string fifo = local(f.path("pipe"));
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);

        std::future<QByteArray> read = std::async(std::launch::async, [&] {
            QFile reader(QString::fromStdString(fifo));
            return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
        });
        const UserFileResult result = write_user_file(fifo, {local(f.db)}, numbered_rows(20000));
        QCOMPARE(int(result.status), int(UserFileStatus::Written));
        QCOMPARE(read.get(), expected_bytes(20000));

        // The reader opens and closes before the first row goes out.
        const IgnoredSignal broken_pipe(SIGPIPE);
        std::promise<void> reader_gone;
        std::thread reader([&] {
            const int fd = ::open(fifo.c_str(), O_RDONLY);
            ::close(fd);
            reader_gone.set_value();
        });
        std::shared_future<void> gone = reader_gone.get_future().share();
        const UserFileResult broken =
            write_user_file(fifo, {}, numbered_rows(20000, [gone] { gone.wait(); }));
        reader.join();
        QCOMPARE(int(broken.status), int(UserFileStatus::Failed));
        struct stat st {};
        QCOMPARE(::stat(fifo.c_str(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        QCOMPARE(f.names(), and_also({"pipe"}));
    }

    // A file the program was handed open (/dev/stdout redirected by the shell to a file, here
    // one of its descriptors) is written through that descriptor's file, after what is there,
    // and never replaced.
    void writesAnOpenFileInPlace() {
        Folder f;
        const QString log = f.path("log.txt");
        write_file(log, "shell\n");
        const int fd = ::open(local(log).c_str(), O_WRONLY | O_APPEND);
        QVERIFY(fd >= 0);
        struct stat before {};
        QCOMPARE(::fstat(fd, &before), 0);
        const UserFileResult result =
            write_user_file("/proc/self/fd/" + std::to_string(fd), {local(f.db)}, numbered_rows(3));
        ::close(fd);
        QCOMPARE(int(result.status), int(UserFileStatus::Written));
        QCOMPARE(contents(log), "shell\n" + expected_bytes(3));
        struct stat after {};
        QCOMPARE(::stat(local(log).c_str(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
    }

    void recognisesSqliteFilesByContent() {
        Folder f;
        QVERIFY(is_sqlite_database_file(local(f.db)));
        QVERIFY(is_sqlite_database_file(local(f.path("link.db"))));
        QVERIFY(!is_sqlite_database_file(local(f.path("text.db"))));
        QVERIFY(!is_sqlite_database_file(local(f.path("folder"))));
        write_file(f.path("short.db"), "SQLite format 3");
        QVERIFY(!is_sqlite_database_file(local(f.path("short.db"))));
    }
};

OLV_TEST_CLASS(UserFileTest)
#include "test_user_file.moc"
