// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The store on a real PostgreSQL server of its own, over its Unix socket: the ten-year
// database copied onto it, then load, flush, insert and delete timed there. Each measurement
// runs in a child process, so that the peak memory of a load on the server and of the same
// load from the file are each their own.
#include "bench.h"
#include "generate.h"
#include "postgres_server.h"

#include "store/operations.h"

#include <QCoreApplication>
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace olv::bench {

void print_figure(std::string_view name, double value, std::string_view unit) {
    std::printf("%.*s: %.1f %.*s\n", static_cast<int>(name.size()), name.data(), value,
                static_cast<int>(unit.size()), unit.data());
    std::fflush(stdout);
}

void print_ratio(std::string_view name, double value) {
    std::printf("%.*s: %.2f\n", static_cast<int>(name.size()), name.data(), value);
    std::fflush(stdout);
}

double peak_rss_mib() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::string_view(line).starts_with("VmHWM:"))
            kib = std::strtod(line + 6, nullptr);
    std::fclose(status);
    return kib / 1024.0;
}

} // namespace olv::bench

namespace {

using namespace olv;
using namespace olv::bench;

constexpr const char* kLoadQueries[] = {
    "SELECT * FROM Users ORDER BY UserID COLLATE \"C\" ASC",
    "SELECT * FROM Clients ORDER BY Client_Name COLLATE \"C\" ASC",
    "SELECT * FROM Project ORDER BY Project_Date ASC",
    "SELECT * FROM Objectives ORDER BY ob_date ASC",
    "SELECT * FROM task ORDER BY task_end ASC ,task_date ASC, task_title COLLATE \"C\" ASC",
    "SELECT * FROM Task_Detail ORDER BY date ASC",
};

// What no load can beat: the six tables read with COPY ... TO STDOUT through libpq, each line
// touched and dropped.
double copy_floor_ms(const std::string& uri) {
    PGconn* conn = PQconnectdb(uri.c_str());
    if (PQstatus(conn) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(conn));
    volatile std::uint64_t sum = 0;
    const Stopwatch watch;
    for (const char* query : kLoadQueries) {
        PGresult* started = PQexec(conn, ("COPY (" + std::string(query) + ") TO STDOUT").c_str());
        if (PQresultStatus(started) != PGRES_COPY_OUT)
            throw std::runtime_error(PQerrorMessage(conn));
        PQclear(started);
        char* line = nullptr;
        int length = 0;
        while ((length = PQgetCopyData(conn, &line, 0)) > 0) {
            sum = sum + static_cast<unsigned char>(line[0]) + static_cast<unsigned>(length);
            PQfreemem(line);
        }
        while (PGresult* end = PQgetResult(conn))
            PQclear(end);
    }
    const double ms = watch.elapsed_ms();
    PQfinish(conn);
    return ms;
}

void load_or_throw(Store& store) {
    if (load_all_records(store) != LoadStatus::Loaded)
        throw std::runtime_error("the database did not load: " + store.db.last_error());
}

// Runs `work` in a child process and prints what it printed; throws when it failed.
template <typename Work> void in_child(Work work) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot fork");
    if (child == 0) {
        try {
            work();
            std::fflush(stdout);
            _exit(0);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "olvessa_server_bench: %s\n", e.what());
            _exit(1);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a measurement failed");
}

void measure_file_memory(const std::string& file) {
    Store store;
    if (!store.db.load_engine() || !store.db.open_database(file))
        throw std::runtime_error("cannot open " + file);
    load_or_throw(store);
    print_figure("file_peak_rss", peak_rss_mib(), "MiB");
}

void measure_server(const std::string& uri) {
    Store store;
    if (!store.db.open_database(uri) || !store.db.take_server_lock())
        throw std::runtime_error("cannot open the server database: " + store.db.last_error());
    double load_ms = 0, floor_ms = 0;
    for (int run = 0; run < 3; ++run) {
        const double f = copy_floor_ms(uri);
        const Stopwatch watch;
        load_or_throw(store);
        const double l = watch.elapsed_ms();
        floor_ms = run == 0 ? f : std::min(floor_ms, f);
        load_ms = run == 0 ? l : std::min(load_ms, l);
    }
    const double rss = peak_rss_mib();
    print_figure("pg_load_all_records", load_ms, "ms");
    print_figure("pg_load_floor_copy", floor_ms, "ms");
    print_ratio("pg_load_ratio", load_ms / floor_ms);

    auto& entries = store.lists.entries;
    const std::size_t stride = entries.size() / 10000;
    for (std::size_t i = 0; i < 10000; ++i) {
        entries[3 + i * stride].Time += 1;
        entries[3 + i * stride].modified = true;
    }
    const Stopwatch flush_watch;
    const FlushResult flushed = flush(store);
    const double flush_ms = flush_watch.elapsed_ms();
    if (!flushed.committed || flushed.failed_records != 0)
        throw std::runtime_error("the flush failed: " + store.db.last_error());
    print_figure("pg_flush_10000", flush_ms, "ms");

    const Key key = new_client_key(store, 2000000000);
    const Stopwatch insert_watch;
    const InsertResult inserted =
        insert_and_place(store, RecordKind::Client, key, insert_client_sql(key, "Bench", 50));
    const double insert_ms = insert_watch.elapsed_ms();
    if (inserted.rc != 0)
        throw std::runtime_error("the insert failed: " + store.db.last_error());
    print_figure("pg_insert_client", insert_ms, "ms");

    // A task with its entries, as the Delete Item command removes it.
    store.lists.tasks[0].tree_pos = 1;
    for (auto& c : store.lists.clients)
        c.tree_pos = 0;
    for (auto& u : store.lists.users)
        u.tree_pos = 0;
    for (auto& p : store.lists.projects)
        p.tree_pos = 0;
    for (auto& o : store.lists.objectives)
        o.tree_pos = 0;
    const Stopwatch delete_watch;
    const DeleteOutcome deleted = delete_tree_item_records(store, 1);
    const double delete_ms = delete_watch.elapsed_ms();
    if (deleted != DeleteOutcome::Deleted)
        throw std::runtime_error("the delete failed: " + store.db.last_error());
    print_figure("pg_delete_task", delete_ms, "ms");
    print_figure("pg_peak_rss", rss, "MiB");
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    try {
        QTemporaryDir folder;
        const std::string file = folder.filePath(QStringLiteral("ten_years.db")).toStdString();
        const GeneratedCounts n = generate_database(file);
        std::printf("generated: %lld time entries\n", static_cast<long long>(n.entries));
        olv::testing::PostgresServer server;
        if (!server.start())
            throw std::runtime_error("the server did not start: " + server.error().toStdString());
        const std::string uri = server.new_database();
        std::string error;
        const Stopwatch copy_watch;
        if (copy_database_records(file, uri, error) != CopyOutcome::Copied)
            throw std::runtime_error("the copy onto the server failed: " + error);
        print_figure("pg_copy_onto_server", copy_watch.elapsed_ms(), "ms");
        // Fresh statistics, as a server's autovacuum would have them after a while.
        server.sql(olv::parse_server_location(uri).database.c_str(), QStringLiteral("ANALYZE"));
        in_child([&] { measure_file_memory(file); });
        in_child([&] { measure_server(uri); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "olvessa_server_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
