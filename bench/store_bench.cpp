#include "bench.h"
#include "connection.h"

#include "reports/figures.h"
#include "store/operations.h"

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>

namespace olv::bench {

namespace {

constexpr const char* kLoadQueries[] = {
    "SELECT * FROM Users ORDER BY UserID ASC",
    "SELECT * FROM Clients ORDER BY Client_Name ASC",
    "SELECT * FROM Project ORDER BY Project_Date ASC",
    "SELECT * FROM Objectives ORDER BY ob_date ASC",
    "SELECT * FROM task ORDER BY task_end ASC ,task_date ASC, task_title ASC",
    "SELECT * FROM Task_Detail ORDER BY date ASC",
};

// What no load can beat: the same queries stepped through, every cell read with the accessor of
// its column's type, nothing kept. Returns a checksum so the reads cannot be left out.
std::uint64_t load_floor(sqlite3* db) {
    std::uint64_t sum = 0;
    for (const char* sql : kLoadQueries) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    sum += static_cast<std::uint64_t>(sqlite3_column_int64(stmt, c));
                    break;
                case SQLITE_FLOAT:
                    sum += static_cast<std::uint64_t>(sqlite3_column_double(stmt, c));
                    break;
                case SQLITE_NULL:
                    break;
                default:
                    if (const unsigned char* text = sqlite3_column_text(stmt, c))
                        sum += text[0];
                    break;
                }
            }
        }
        sqlite3_finalize(stmt);
    }
    return sum;
}

// The floor of a load through texts: every cell read as text.
std::uint64_t load_floor_text(sqlite3* db) {
    std::uint64_t sum = 0;
    for (const char* sql : kLoadQueries) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int c = 0; c < columns; ++c)
                if (const unsigned char* text = sqlite3_column_text(stmt, c))
                    sum += text[0];
        sqlite3_finalize(stmt);
    }
    return sum;
}

// The rates a tree build gives the tasks: each task works at its project's rate.
void set_task_rates(Store& store) {
    const ChildIndex& index = store.children();
    auto& l = store.lists;
    for (std::size_t p = 0; p < l.projects.size(); ++p)
        for (std::size_t o : index.objectives_of_project(p))
            for (std::size_t t : index.tasks_of_objective(o))
                l.tasks[t].task_rate = l.projects[p].project_rate;
}

volatile std::int64_t sink = 0;

} // namespace

void run_store_bench(const BenchContext& context) {
    Store store;
    if (!store.db.load_engine() || !store.db.open_database(context.database_path))
        throw std::runtime_error("cannot open " + context.database_path);
    // Alternating runs, so both see the same warm file cache; the direct connection is closed
    // before anything is written.
    double load_ms = 0;
    double floor_ms = 0;
    double text_floor_ms = 0;
    {
        Connection direct(context.database_path);
        for (int run = 0; run < 3; ++run) {
            const double f = best_of(
                1, [&] { sink = sink + static_cast<std::int64_t>(load_floor(direct.get())); });
            const double t = best_of(
                1, [&] { sink = sink + static_cast<std::int64_t>(load_floor_text(direct.get())); });
            text_floor_ms = run == 0 ? t : std::min(text_floor_ms, t);
            const double l = best_of(1, [&] {
                if (load_all_records(store) != LoadStatus::Loaded)
                    throw std::runtime_error("the generated database did not load");
            });
            floor_ms = run == 0 ? f : std::min(floor_ms, f);
            load_ms = run == 0 ? l : std::min(load_ms, l);
        }
    }
    const double rss = peak_rss_mib();
    print_figure("load_all_records", load_ms, "ms");
    print_figure("load_floor", floor_ms, "ms");
    print_ratio("load_ratio", load_ms / floor_ms);
    print_figure("load_floor_text", text_floor_ms, "ms");

    set_task_rates(store);
    const double user_ms =
        best_of(3, [&] { sink = sink + user_report(store, 0).totals.total_seconds; });
    const double clients_ms = best_of(3, [&] {
        for (std::size_t c = 0; c < store.lists.clients.size(); ++c)
            sink = sink + client_report(store, c).totals.total_seconds;
    });
    const double projects_ms = best_of(3, [&] {
        for (std::size_t p = 0; p < store.lists.projects.size(); ++p)
            sink = sink + project_report(store, p).totals.total_seconds;
    });
    print_figure("user_report_figures", user_ms, "ms");
    print_figure("client_reports_figures", clients_ms, "ms");
    print_figure("project_reports_figures", projects_ms, "ms");

    auto& entries = store.lists.entries;
    const auto timed_flush = [&](std::size_t count, std::size_t offset) {
        const std::size_t stride = entries.size() / count;
        for (std::size_t i = 0; i < count; ++i) {
            TimeEntry& e = entries[offset + i * stride];
            e.Time += 1;
            e.modified = true;
        }
        const Stopwatch watch;
        const FlushResult result = flush(store);
        const double ms = watch.elapsed_ms();
        if (!result.committed || result.failed_records != 0)
            throw std::runtime_error("the flush failed: " + store.db.last_error());
        return ms;
    };
    double flush_1 = 0;
    for (std::size_t run = 0; run < 3; ++run) {
        const double ms = timed_flush(1, run * 7);
        flush_1 = run == 0 ? ms : std::min(flush_1, ms);
    }
    print_figure("flush_1", flush_1, "ms");
    print_figure("flush_10000", timed_flush(10000, 3), "ms");
    print_figure("peak_rss", rss, "MiB");
    print_figure("time_entry_size", static_cast<double>(sizeof(TimeEntry)), "bytes");
    print_figure("time_entries_in_memory",
                 static_cast<double>(entries.capacity() * sizeof(TimeEntry)) / (1024.0 * 1024.0),
                 "MiB");

    // A client with its whole tree beneath it, as the Delete Item command removes it.
    store.lists.clients[0].tree_pos = 1;
    const Stopwatch delete_watch;
    if (delete_tree_item_records(store, 1) != DeleteOutcome::Deleted)
        throw std::runtime_error("the client was not deleted");
    print_figure("delete_client", delete_watch.elapsed_ms(), "ms");
}

} // namespace olv::bench
