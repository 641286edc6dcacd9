// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// What only a database on a server has: its types, the lock between machines, read-only use,
// lost connections and passwords; and the location forms that name one.
#include "postgres_server.h"
#include "store/server_connection.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <QScopeGuard>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

// A store on a new server database, locked as the program locks it, with one client.
struct ServerStore {
    std::string location;
    Store store;

    explicit ServerStore(PostgresServer& server) : location(server.new_database()) {
        create_database(store, location, "Ann");
        store.db.take_server_lock();
        store.db.execute("INSERT INTO clients VALUES(100,'Acme',50.00);");
        load_all_records(store);
    }
    void change_rate(double rate) {
        QVERIFY2(!store.lists.clients.empty(), store.db.last_error().c_str());
        store.lists.clients[0].client_rate = rate;
        store.lists.clients[0].modified = true;
    }
    QStringList stored_rate() {
        Probe probe(location);
        return probe.column("SELECT client_rate FROM clients");
    }
    std::string database_name() const { return parse_server_location(location).database; }
};

// Ends the program's sessions on the database, as a dropped network would.
void cut_connections(PostgresServer& server, const std::string& database) {
    QVERIFY(server.sql("postgres",
                       QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                      "WHERE datname = '%1' AND pid <> pg_backend_pid()")
                           .arg(QString::fromStdString(database))));
}

} // namespace

class ServerDatabaseTest : public QObject {
    Q_OBJECT
    PostgresServer* server_ = nullptr;

private slots:
    void initTestCase() {
        QString error;
        server_ = shared_postgres_server(error);
        QVERIFY2(server_, qPrintable(error));
    }

    void the_tables_have_the_server_types_and_the_lasting_index() {
        ServerStore s(*server_);
        const QStringList columns = server_->column(
            s.database_name(),
            QStringLiteral("SELECT table_name || '.' || column_name || ' ' || data_type FROM "
                           "information_schema.columns WHERE table_schema = 'public' AND "
                           "table_name IN ('clients', 'task_detail') "
                           "ORDER BY table_name, ordinal_position"));
        QCOMPARE(columns,
                 (QStringList{"clients.key bigint", "clients.client_name text",
                              "clients.client_rate double precision", "task_detail.key bigint",
                              "task_detail.task_key bigint", "task_detail.time bigint",
                              "task_detail.date bigint", "task_detail.billed integer"}));
        QCOMPARE(server_->column(s.database_name(),
                                 QStringLiteral("SELECT indexdef FROM pg_indexes WHERE indexname "
                                                "= 'olvessa_task_detail_task_key'")),
                 QStringList{"CREATE INDEX olvessa_task_detail_task_key ON public.task_detail "
                             "USING btree (task_key)"});
    }

    // A second program is refused the lock and told which machine holds it; read-only it
    // reads everything and writes nothing.
    void a_second_program_gets_the_holder_and_may_only_read() {
        ServerStore first(*server_);
        Store second;
        QVERIFY(second.db.open_database(first.location));
        QVERIFY(!second.db.take_server_lock());
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        const QString told = QString::fromStdString(second.db.lock_holder_text());
        QVERIFY2(told.contains(QRegularExpression(
                     QStringLiteral("^This database is open on %1 since \\d\\d:\\d\\d$")
                         .arg(QRegularExpression::escape(QString::fromLatin1(host))))),
                 qPrintable(told));

        QCOMPARE(second.db.set_read_only(), 0);
        QCOMPARE(load_all_records(second), LoadStatus::Loaded);
        QCOMPARE(second.lists.clients.size(), std::size_t(1));
        second.lists.clients[0].client_rate = 99;
        second.lists.clients[0].modified = true;
        const FlushResult refused = flush(second);
        QVERIFY(!refused.committed);
        QVERIFY(second.lists.clients[0].modified);
        QVERIFY(second.db.execute(insert_client_sql(7, "X", 1)) != 0);
        QCOMPARE(first.stored_rate(), QStringList{"50"});

        // The lock dies with its connection: once the first program is gone, it is free.
        first.store.db.close_current_database();
        QTRY_VERIFY(second.db.take_server_lock()); // the server ends the session on its own time
    }

    // The program's session ended between two flushes: the next flush connects again, takes
    // the lock again and writes what was held.
    void a_cut_connection_is_taken_up_again_by_the_next_flush() {
        ServerStore s(*server_);
        s.change_rate(61);
        cut_connections(*server_, s.database_name());
        const FlushResult result = flush(s.store);
        QVERIFY2(result.committed, s.store.db.last_error().c_str());
        QVERIFY(!s.store.lists.clients[0].modified);
        QCOMPARE(s.stored_rate(), QStringList{"61"});
        Store other;
        QVERIFY(other.db.open_database(s.location));
        QVERIFY(!other.db.take_server_lock());
    }

    // Many changes go in several batches of one transaction: every one arrives.
    void a_large_flush_reaches_the_server_whole() {
        ServerStore s(*server_);
        std::string rows = "INSERT INTO task_detail VALUES ";
        for (int i = 0; i < 12000; ++i)
            rows += (i ? ",(" : "(") + std::to_string(1000 + i) + ",1,0," +
                    std::to_string(i * 86400LL) + ",0)";
        QCOMPARE(s.store.db.execute(rows), 0);
        QCOMPARE(load_all_records(s.store), LoadStatus::Loaded);
        for (TimeEntry& e : s.store.lists.entries) {
            e.Time = e.key;
            e.modified = true;
        }
        const FlushResult result = flush(s.store);
        QVERIFY2(result.committed, s.store.db.last_error().c_str());
        QCOMPARE(result.failed_records, 0);
        QCOMPARE(
            server_->column(s.database_name(),
                            QStringLiteral("SELECT count(*) FROM task_detail WHERE time = key")),
            QStringList{"12000"});
    }

    // A server stopped hard: the flush fails and keeps every record modified; after the
    // restart the next flush writes them.
    void a_stopped_server_loses_nothing() {
        ServerStore s(*server_);
        s.change_rate(62);
        server_->stop("immediate");
        const FlushResult failed = flush(s.store);
        QVERIFY(!failed.committed);
        QVERIFY2(failed.database_unavailable, s.store.db.last_error().c_str());
        QVERIFY(!failed.taken_elsewhere);
        QVERIFY(!failed.reason.empty());
        QVERIFY(AccessLayer::connection_lost(s.store.db.execute("BEGIN")));
        QVERIFY(s.store.lists.clients[0].modified);
        QVERIFY2(server_->restart(), qPrintable(server_->error()));
        QVERIFY2(flush(s.store).committed, s.store.db.last_error().c_str());
        QCOMPARE(s.stored_rate(), QStringList{"62"});
    }

    // A server that stops answering holds a statement only until the program is asked to end:
    // the wait, and a reconnection to it, give up at once; the records stay modified and are
    // written once the server answers again.
    void a_request_to_end_stops_waiting_for_a_silent_server() {
        ServerStore s(*server_);
        s.change_rate(64);
        server_->pause(true);
        auto resume = qScopeGuard([this] { server_->pause(false); });
        const auto ask_to_end_soon = [] {
            return std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                interrupt_server_waits();
            });
        };
        for (const char* attempt : {"a statement", "a reconnection"}) {
            std::thread asker = ask_to_end_soon();
            QElapsedTimer waited;
            waited.start();
            const FlushResult stopped = flush(s.store);
            asker.join();
            QVERIFY2(waited.elapsed() < 2000,
                     qPrintable(QStringLiteral("%1: %2 ms").arg(attempt).arg(waited.elapsed())));
            QVERIFY(!stopped.committed && stopped.database_unavailable);
            QVERIFY(s.store.lists.clients[0].modified);
        }
        resume.dismiss();
        server_->pause(false);
        QVERIFY2(flush(s.store).committed, s.store.db.last_error().c_str());
        QCOMPARE(s.stored_rate(), QStringList{"64"});
    }

    // The same in the middle of streamed rows: once what arrived is read, the wait for more
    // gives up when asked, and the rows end as a lost connection.
    void a_request_to_end_stops_waiting_for_more_rows() {
        ServerConnection connection;
        QCOMPARE(connection.open(server_->new_database(), std::string(), 10),
                 ServerConnection::Opened::Yes);
        int code = -1;
        std::string error;
        QVERIFY(connection.start_rows(
            "SELECT g, repeat('x', 200) FROM generate_series(1, 1000000) g", code, error));
        std::vector<std::string_view> cells;
        std::vector<bool> nulls;
        QVERIFY(connection.next_row(cells, nulls, code, error));
        server_->pause(true);
        const auto resume = qScopeGuard([this] { server_->pause(false); });
        std::thread asker([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            interrupt_server_waits();
        });
        QElapsedTimer waited;
        waited.start();
        int rows = 1;
        while (connection.next_row(cells, nulls, code, error))
            ++rows;
        asker.join();
        QVERIFY2(waited.elapsed() < 2000, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(rows < 1000000);
        QCOMPARE(code, server_code::kLost);
        QVERIFY(!connection.connected());
    }

    // While the connection was gone another machine took the lock: nothing is written, the
    // records stay modified and the store says why.
    void a_lock_taken_meanwhile_stops_every_write() {
        ServerStore s(*server_);
        s.change_rate(63);
        cut_connections(*server_, s.database_name());
        Store other;
        QVERIFY(other.db.open_database(s.location));
        QVERIFY(other.db.take_server_lock());
        const FlushResult refused = flush(s.store);
        QVERIFY(!refused.committed);
        QVERIFY(refused.database_unavailable && refused.taken_elsewhere);
        QVERIFY(QString::fromStdString(refused.reason).startsWith(QStringLiteral("This database")));
        QVERIFY(s.store.db.lock_lost());
        QVERIFY2(QString::fromStdString(s.store.db.last_error())
                     .startsWith(QStringLiteral("This database is open on ")),
                 s.store.db.last_error().c_str());
        QVERIFY(s.store.lists.clients[0].modified);
        QVERIFY(!flush(s.store).committed);
        QCOMPARE(s.stored_rate(), QStringList{"50"});
        // Read-only from then on without asking the server anything: it may be out of reach.
        QCOMPARE(s.store.db.set_read_only(), 0);
        QVERIFY(s.store.db.current_read_only());
    }

    void a_password_is_asked_for_only_when_nothing_supplies_one() {
        const std::string location = server_->new_database(PostgresServer::kPasswordUser);
        Store store;
        QVERIFY(!store.db.open_database(location));
        QVERIFY(store.db.needs_password());
        store.db.set_server_password("wrong");
        QVERIFY(!store.db.open_database(location));
        QVERIFY(!store.db.needs_password());
        QVERIFY2(QString::fromStdString(store.db.last_error()).contains(QStringLiteral("password")),
                 store.db.last_error().c_str());
        store.db.set_server_password(PostgresServer::kPassword);
        QVERIFY2(store.db.open_database(location), store.db.last_error().c_str());
        // A password in the URI is used, and kept out of the location the store shows.
        Store with_uri;
        ServerLocation parts = parse_server_location(location);
        parts.password = PostgresServer::kPassword;
        const std::string uri = server_uri(parts);
        QVERIFY(QString::fromStdString(uri).contains(QStringLiteral("s3cret")));
        QVERIFY(with_uri.db.open_database(uri));
        QVERIFY(!QString::fromStdString(with_uri.db.current_location())
                     .contains(QStringLiteral("s3cret")));
        QCOMPARE(parse_server_location(with_uri.db.current_location()).host,
                 server_->socket_folder());
    }

    void an_unreachable_server_is_named_and_nothing_is_made() {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const std::string location =
            "postgresql://me@/work?host=" + dir.filePath(QStringLiteral("no-server")).toStdString();
        Store store;
        store.db.load_engine();
        QVERIFY(!create_database(store, location, "Ann"));
        QVERIFY(!store.db.has_current_database());
        QVERIFY2(
            QString::fromStdString(store.db.last_error()).contains(QStringLiteral("no-server")),
            store.db.last_error().c_str());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{});
        QDir::setCurrent(before);
    }

    // A server that stops answering in the middle of the work: with the short patience of a
    // program that is ending, the flush gives up instead of waiting for ever.
    void a_silent_server_is_given_up_on() {
        ServerStore s(*server_);
        QCOMPARE(s.store.db.query_table("SELECT pg_backend_pid()"), 0);
        const pid_t backend = static_cast<pid_t>(std::stol(s.store.db.cell_text(1, 0)));
        s.store.db.release_current_result();
        s.change_rate(64);
        QCOMPARE(::kill(backend, SIGSTOP), 0);
        s.store.db.set_server_patience(500, false);
        QElapsedTimer clock;
        clock.start();
        const FlushResult result = flush(s.store);
        const qint64 waited = clock.elapsed();
        ::kill(backend, SIGCONT);
        QVERIFY(!result.committed);
        QVERIFY(s.store.lists.clients[0].modified);
        QVERIFY2(waited < 10000, qPrintable(QString::number(waited)));
    }
};
OLV_TEST_CLASS(ServerDatabaseTest)

// How a location names a server, and what of it may be shown or remembered.
class ServerLocationTest : public QObject {
    Q_OBJECT

private slots:
    void forms_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("full") << "postgresql://me:pw@db.example:5433/work?sslmode=require" << true
                              << "work @ db.example"
                              << "postgresql://me@db.example:5433/work?sslmode=require";
        QTest::newRow("short scheme") << "postgres://db.example/work" << true << "work @ db.example"
                                      << "postgres://db.example/work";
        QTest::newRow("upper case") << "PostgreSQL://me@host/db" << true << "db @ host"
                                    << "PostgreSQL://me@host/db";
        QTest::newRow("socket") << "postgresql:///work?host=/run/postgresql" << true
                                << "work @ localhost"
                                << "postgresql:///work?host=/run/postgresql";
        QTest::newRow("password parameter")
            << "postgresql://me@h/w?password=x%26y&sslmode=disable" << true << "w @ h"
            << "postgresql://me@h/w?sslmode=disable";
        QTest::newRow("escaped") << "postgresql://m%40e:p%3Aw@h/my%20db" << true << "my db @ h"
                                 << "postgresql://m%40e@h/my%20db";
        QTest::newRow("file") << "/home/ann/work.db" << false << ""
                              << "/home/ann/work.db";
        QTest::newRow("file named like a scheme") << "postgresql.db" << false << ""
                                                  << "postgresql.db";
    }
    void forms() {
        QFETCH(QString, location);
        QFETCH(bool, server);
        QFETCH(QString, shown);
        QFETCH(QString, remembered);
        const std::string text = location.toStdString();
        QCOMPARE(is_server_location(text), server);
        QCOMPARE(QString::fromStdString(location_without_password(text)), remembered);
        if (server)
            QCOMPARE(QString::fromStdString(server_display_name(text)), shown);
    }

    void fields_make_a_uri_that_parses_back() {
        const ServerLocation parts{"ann b", "p@ss:w/rd", "db.example", "5433", "my work"};
        const std::string uri = server_uri(parts);
        const ServerLocation back = parse_server_location(uri);
        QCOMPARE(back.user, parts.user);
        QCOMPARE(back.password, parts.password);
        QCOMPARE(back.host, parts.host);
        QCOMPARE(back.port, parts.port);
        QCOMPARE(back.database, parts.database);
        const ServerLocation socket{"", "", "/run/postgresql", "", "work"};
        QCOMPARE(server_uri(socket), std::string("postgresql:///work?host=%2Frun%2Fpostgresql"));
        QCOMPARE(parse_server_location(server_uri(socket)).host, socket.host);
    }
};
OLV_TEST_CLASS(ServerLocationTest)

#include "test_server_database.moc"
