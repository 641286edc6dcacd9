// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The Period Report window on the ten-year database, All time on the user: opening it, a tick of
// a running timer, Export CSV…, Mark as Billed and its Undo, and the memory it takes and gives
// back. On real widgets, offscreen.
#include "bench.h"

#include "app/period_report_window.h"
#include "common/clock.h"
#include "scripted_prompter.h"
#include "store/operations.h"
#include "views/ids.h"
#include "views/workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <stdexcept>
#include <string>

namespace olv::bench {

namespace {

// Resident memory of the process now, in MiB (VmRSS).
double rss_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

void settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Processor time of the process so far, in milliseconds: on a shared machine the wall time
// waits for other work too.
double cpu_ms() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void require(bool condition, const std::string& what) {
    if (!condition)
        throw std::runtime_error(what);
}

} // namespace

void run_period_bench(const BenchContext& context) {
    // Marks are written to the file: a copy of its own.
    const std::filesystem::path path =
        std::filesystem::path(context.views_database_path).parent_path() / "ten_years_period.db";
    std::filesystem::copy_file(context.views_database_path, path);
    ManualClock clock(WallTime{2026, 12, 10, 9, 0, 0});
    ScriptedPrompter prompter;
    Store store;
    if (!store.db.load_engine() || !store.db.open_database(path.string()) ||
        load_all_records(store) != LoadStatus::Loaded || !index_time_entries_by_task(store))
        throw std::runtime_error("cannot load " + path.string());
    Workspace ws(store, clock, prompter);
    store.children();
    settle();

    // A timer counting into today's entry of the first open task.
    std::size_t running = store.lists.entries.size();
    for (std::size_t t = 0; t < store.lists.tasks.size() && running == store.lists.entries.size();
         ++t) {
        if (store.lists.tasks[t].task_complete)
            continue;
        for (const std::size_t e : store.children().entries_of_task(t))
            if (store.lists.entries[e].date == make_date(2026, 12, 10, 0, 0, 0)) {
                running = e;
                store.lists.tasks[t].running = 1;
                store.lists.entries[e].timing = 1;
            }
    }
    require(running < store.lists.entries.size(), "no entry of today to time");

    malloc_trim(0);
    const double rss_before = rss_mib();
    double cpu = cpu_ms();
    const Stopwatch open_watch;
    auto* window = new PeriodReportWindow(ws, RecordRef{}, nullptr);
    window->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
        ->setCurrentIndex(static_cast<int>(PeriodBoxItem::AllTime));
    window->show();
    settle();
    print_figure("period_window_all_time", open_watch.elapsed_ms(), "ms");
    print_figure("period_window_all_time_cpu", cpu_ms() - cpu, "ms");
    // The listing is worked out off the window's thread: until its figures are in the lists.
    window->wait_for_listing();
    settle();
    print_figure("period_window_all_time_figures", open_watch.elapsed_ms(), "ms");
    const std::size_t shown = static_cast<std::size_t>(window->entries_list()->model()->rowCount());
    require(shown + 100 > store.lists.entries.size() / 2, "the window shows too few entries");
    print_figure("period_window_rss_delta", rss_mib() - rss_before, "MiB");

    constexpr int kTicks = 50;
    cpu = cpu_ms();
    const Stopwatch tick_watch;
    for (int i = 0; i < kTicks; ++i) {
        ++store.lists.entries[running].Time;
        window->time_recorded();
        settle();
    }
    print_figure("period_tick_all_time", tick_watch.elapsed_ms() / kTicks, "ms");
    print_figure("period_tick_all_time_cpu", (cpu_ms() - cpu) / kTicks, "ms");

    prompter.file_name = QString::fromStdString((path.parent_path() / "window_all.csv").string());
    cpu = cpu_ms();
    const Stopwatch export_watch;
    window->export_csv();
    settle();
    print_figure("export_window_all", export_watch.elapsed_ms(), "ms");
    print_figure("export_window_all_cpu", cpu_ms() - cpu, "ms");
    require(std::filesystem::file_size(prompter.file_name.toStdString()) > 1000000,
            "the window wrote no CSV");
    std::filesystem::remove(prompter.file_name.toStdString());

    prompter.confirm_answer = true;
    cpu = cpu_ms();
    const Stopwatch mark_watch;
    window->mark_billed();
    settle();
    print_figure("mark_billed_all_time", mark_watch.elapsed_ms(), "ms");
    print_figure("mark_billed_all_time_cpu", cpu_ms() - cpu, "ms");
    require(window->can_undo() && prompter.shown.size() == 1, "Mark as Billed did not mark");

    cpu = cpu_ms();
    const Stopwatch undo_watch;
    window->undo_mark();
    settle();
    print_figure("undo_mark_all_time", undo_watch.elapsed_ms(), "ms");
    print_figure("undo_mark_all_time_cpu", cpu_ms() - cpu, "ms");
    require(!window->can_undo(), "Undo did not undo");

    window->close();
    settle();
    print_figure("period_window_close_rss", rss_mib() - rss_before, "MiB");
}

} // namespace olv::bench
