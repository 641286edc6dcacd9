// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A real PostgreSQL 15 server of the tests' own: initdb and pg_ctl in a temporary folder, a
// Unix socket there and no TCP. initdb refuses root, so as root (CI) the server runs as the
// `postgres` account the Debian package makes. Start one per test class; each test takes a
// fresh database of it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace olv::testing {

class PostgresServer {
public:
    static constexpr const char* kBin = "/usr/lib/postgresql/15/bin";
    // A role that must give a password (everyone else is trusted on the socket).
    static constexpr const char* kPasswordUser = "olv_pw";
    static constexpr const char* kPassword = "s3cret pass";

    PostgresServer() : dir_(QDir::tempPath() + QStringLiteral("/olv-pg-XXXXXX")) {}
    ~PostgresServer() { stop(); }
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Sets up the cluster and starts it; false (with `error()`) when that failed.
    bool start() {
        if (!QFile::exists(QString::fromLatin1(kBin) + QStringLiteral("/initdb"))) {
            error_ = QStringLiteral("PostgreSQL 15 is not installed (scripts/install-deps.sh)");
            return false;
        }
        if (!dir_.isValid()) {
            error_ = QStringLiteral("no temporary folder");
            return false;
        }
        if (getuid() == 0) {
            const passwd* account = getpwnam("postgres");
            if (!account) {
                error_ = QStringLiteral("no postgres account to run the server as");
                return false;
            }
            if (::chown(QFile::encodeName(dir_.path()).constData(), account->pw_uid,
                        account->pw_gid) != 0) {
                error_ = QStringLiteral("cannot hand the folder to postgres");
                return false;
            }
        }
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-U"), QStringLiteral("postgres"),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync")}))
            return false;
        QFile hba(data() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        hba.write(QByteArray("local all ") + kPasswordUser + " scram-sha-256\n" +
                  "local all all trust\n");
        hba.close();
        if (!restart())
            return false;
        return sql("postgres", QStringLiteral("CREATE ROLE %1 LOGIN SUPERUSER PASSWORD '%2'")
                                   .arg(QLatin1String(kPasswordUser), QLatin1String(kPassword)));
    }

    // Starts the stopped server again (the same cluster, the same socket).
    bool restart() {
        return run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data(), QStringLiteral("-l"),
                    dir_.path() + QStringLiteral("/log"), QStringLiteral("-w"),
                    QStringLiteral("-o"),
                    QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off "
                                   "-c full_page_writes=off")
                        .arg(dir_.path()),
                    QStringLiteral("start")});
    }

    // Stops the server: "immediate" is a crash, "fast" a clean shutdown.
    void stop(const char* mode = "immediate") {
        if (QFile::exists(data() + QStringLiteral("/postmaster.pid")))
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), data(), QStringLiteral("-m"), QString::fromLatin1(mode),
                 QStringLiteral("-w"), QStringLiteral("stop")});
    }

    // Stops every process of the server with SIGSTOP (true) or lets them go on with SIGCONT
    // (false). Stopped, the server keeps every connection open and answers nothing.
    void pause(bool stopped) {
        for (pid_t pid : processes())
            ::kill(pid, stopped ? SIGSTOP : SIGCONT);
    }

    // A fresh empty database, and the URI that reaches it as `user` over the socket.
    std::string new_database(const char* user = "postgres") {
        const QString name = QStringLiteral("db%1").arg(++databases_);
        if (!sql("postgres", QStringLiteral("CREATE DATABASE %1").arg(name)))
            return {};
        return uri(name.toStdString(), user);
    }
    std::string uri(const std::string& database, const char* user = "postgres") const {
        return "postgresql://" + std::string(user) + "@/" + database +
               "?host=" + dir_.path().toStdString();
    }
    std::string socket_folder() const { return dir_.path().toStdString(); }

    // Runs SQL through psql as the superuser; false when it failed.
    bool sql(const char* database, const QString& statement) {
        return run(QStringLiteral("psql"),
                   {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), dir_.path(),
                    QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"),
                    QString::fromLatin1(database), QStringLiteral("-c"), statement});
    }
    // The first column of a query's rows, through psql.
    QStringList column(const std::string& database, const QString& query) {
        QString out;
        run(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-h"),
             dir_.path(), QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"),
             QString::fromStdString(database), QStringLiteral("-c"), query},
            &out);
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    const QString& error() const { return error_; }

private:
    QString data() const { return dir_.path() + QStringLiteral("/data"); }

    // The postmaster and its children (from /proc), the postmaster last.
    QList<pid_t> processes() const {
        QFile pid_file(data() + QStringLiteral("/postmaster.pid"));
        if (!pid_file.open(QIODevice::ReadOnly))
            return {};
        const pid_t postmaster = pid_file.readLine().trimmed().toInt();
        QList<pid_t> found;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = entry.toInt(&number);
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!number || !stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid ...": the name may hold spaces and parentheses.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (after.size() > 1 && after[1].toInt() == postmaster)
                found << pid;
        }
        if (postmaster > 0)
            found << postmaster;
        return found;
    }

    bool run(const QString& tool, QStringList arguments, QString* out = nullptr) {
        QProcess process;
        QString program = QString::fromLatin1(kBin) + QLatin1Char('/') + tool;
        if (getuid() == 0) {
            arguments.prepend(program);
            arguments.prepend(QStringLiteral("--"));
            arguments.prepend(QStringLiteral("postgres"));
            arguments.prepend(QStringLiteral("-u"));
            program = QStringLiteral("runuser");
        }
        process.setWorkingDirectory(QDir::tempPath());
        process.start(program, arguments);
        const bool ok = process.waitForFinished(60000) &&
                        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        if (!ok)
            error_ = tool + QStringLiteral(": ") +
                     QString::fromLocal8Bit(process.readAllStandardError());
        return ok;
    }

    QTemporaryDir dir_;
    int databases_ = 0;
    QString error_;
};

// The one server of a test binary, started by the first class that asks and stopped when the
// binary ends. Null (with the reason in `error`) when it could not start.
inline PostgresServer* shared_postgres_server(QString& error) {
    static PostgresServer server;
    static bool started = server.start();
    error = server.error();
    return started ? &server : nullptr;
}

} // namespace olv::testing
