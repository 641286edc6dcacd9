// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The views on the ten-year database: the item tree, the status icons, the timer tick, the
// detail list and the New Client path, on real widgets in a shown main window.
#include "bench.h"
#include "connection.h"

#include "common/clock.h"
#include "common/dates.h"
#include "scripted_prompter.h"
#include "store/operations.h"
#include "views/away_time.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/item_commands.h"
#include "views/item_dialog.h"
#include "views/timer.h"
#include "views/tree.h"
#include "views/workspace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextEdit>
#include <QTreeWidget>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace olv::bench {

namespace {

constexpr WallTime kToday{2026, 12, 10, 9, 0, 0};
constexpr int kTenYearsOfDays = 3652;

void require(bool condition, const std::string& what) {
    if (!condition)
        throw std::runtime_error(what);
}

// The tree, the detail list and the notes box side by side, as in the main window.
struct MainWindow {
    QMainWindow window;
    QTreeWidget* tree = nullptr;
    QTreeWidget* list = nullptr;
    QTextEdit* notes = nullptr;

    MainWindow() {
        auto* centre = new QWidget(&window);
        auto* layout = new QHBoxLayout(centre);
        tree = new QTreeWidget(centre);
        list = new QTreeWidget(centre);
        notes = new QTextEdit(centre);
        layout->addWidget(tree);
        layout->addWidget(list, 2);
        layout->addWidget(notes);
        window.setCentralWidget(centre);
        window.resize(1100, 600);
        setup_item_tree(tree);
        setup_detail_list(list);
    }
};

// Runs the layout, painting and deferred deletions a call left pending: part of what the user
// waits for after a rebuild, and kept out of the next measurement otherwise.
void settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The list index of the task with the most time entries.
std::size_t busiest_task(const Store& store) {
    std::size_t best = 0;
    for (std::size_t t = 0; t < store.lists.tasks.size(); ++t)
        if (store.children().entries_of_task(t).size() >
            store.children().entries_of_task(best).size())
            best = t;
    return best;
}

// An open task other than `other` whose start has come, so its timer starts.
std::optional<std::size_t> startable_task(const Store& store, std::size_t other, DateValue today) {
    for (std::size_t t = 0; t < store.lists.tasks.size(); ++t) {
        const TaskRecord& task = store.lists.tasks[t];
        if (t != other && task.task_complete == 0 && task.Task_Date <= today)
            return t;
    }
    return std::nullopt;
}

// What a click on a tree item does.
void click(Workspace& ws, std::int32_t position) {
    select_tree_position(ws, position);
    show_item_keeping_notes(ws, position);
}

std::size_t tree_item_count(const QTreeWidget* tree) {
    std::size_t n = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
        ++n;
    return n;
}

} // namespace

// A task timed on every day of the ten years, the longest time-entry view a user can have.
// Goes straight into the file before the load, as the generator's rows do.
void add_daily_task_entries(const std::string& path) {
    Connection connection(path);
    const std::int64_t task = connection.single_integer(
        "SELECT MIN(key) FROM task WHERE task_complete = 0 AND task_checked = 0");
    std::int64_t key = connection.single_integer("SELECT MAX(key) FROM task_detail") + 1;
    connection.exec("BEGIN");
    Insert entry(connection, "INSERT INTO task_detail VALUES(?,?,?,?,?)");
    const DateValue today = make_date(kToday.year, kToday.month, kToday.day, 0, 0, 0);
    for (int n = 0; n < kTenYearsOfDays; ++n)
        entry.integer(key++)
            .integer(task)
            .integer(3600 + (n % 7) * 600)
            .integer(today - (kTenYearsOfDays - 1 - n) * kSecondsPerDay)
            .integer(n % 2)
            .run();
    connection.exec("COMMIT");
}

void run_views_bench(const BenchContext& context) {
    add_daily_task_entries(context.views_database_path);

    ManualClock clock(kToday);
    ScriptedPrompter prompter;
    Store store;
    if (!store.db.load_engine() || !store.db.open_database(context.views_database_path) ||
        load_all_records(store) != LoadStatus::Loaded)
        throw std::runtime_error("cannot load " + context.views_database_path);
    // As the program does when it opens a file; built once per file, then kept in it.
    const Stopwatch index_watch;
    if (!index_time_entries_by_task(store))
        throw std::runtime_error("cannot index " + context.views_database_path);
    print_figure("index_time_entries_once", index_watch.elapsed_ms(), "ms");

    MainWindow main;
    Workspace ws(store, clock, prompter);
    ws.main_window = &main.window;
    ws.tree = main.tree;
    ws.list = main.list;
    ws.notes = main.notes;
    ws.status_bar = main.window.statusBar();
    ws.user_name = [] { return std::string("Bench User"); };
    ws.post_event = [](const Event&) {};
    main.window.show();
    settle();

    const std::size_t records = store.lists.users.size() + store.lists.clients.size() +
                                store.lists.projects.size() + store.lists.objectives.size() +
                                store.lists.tasks.size();
    const double build_ms = best_of(3, [&] {
        rebuild_tree(ws, -1);
        settle();
    });
    require(ws.tree_items.size() == records && tree_item_count(ws.tree) == records,
            "the tree does not hold every record");
    print_figure("tree_build", build_ms, "ms");

    // The first pass after a build turns every overdue task, objective and project to the
    // overdue icon (most of a ten-year tree: 25 to 50 ms here); each later pass only compares
    // the icon each item already shows, which is what the two-second refresh costs.
    const Stopwatch first_pass;
    refresh_status_icons(ws);
    const double first_ms = first_pass.elapsed_ms();
    settle();
    print_figure("status_refresh_first", first_ms, "ms");
    print_figure("status_refresh", best_of(5, [&] { refresh_status_icons(ws); }), "ms");

    click(ws, 0);
    print_figure("details_user", best_of(5, [&] { show_item_details(ws, 0); }), "ms");

    const std::size_t long_task = busiest_task(store);
    const std::int32_t long_position = store.lists.tasks[long_task].tree_pos;
    const std::size_t long_entries = store.children().entries_of_task(long_task).size();
    click(ws, long_position);
    print_figure("details_task", best_of(5, [&] { show_item_details(ws, long_position); }), "ms");
    require(static_cast<std::size_t>(ws.list->topLevelItemCount()) == long_entries,
            "the task's entries are not all listed");
    std::printf("details_task_entries: %zu entries\n", long_entries);

    // Two running tasks; the selected one has its running row rewritten on every tick.
    const DateValue today = start_of_today(clock);
    const std::optional<std::size_t> other = startable_task(store, long_task, today);
    require(other.has_value(), "no task can be started");
    toggle_timer(ws, store.lists.tasks[*other].tree_pos);
    click(ws, long_position);
    toggle_timer(ws, long_position);
    require(store.lists.tasks[*other].running && store.lists.tasks[long_task].running,
            "the two timers did not start");
    settle();
    const QTreeWidgetItem* running_row = ws.list->topLevelItem(ws.list->topLevelItemCount() - 1);
    const QString before = running_row->text(1);
    print_figure("tick_two_running",
                 best_of(50,
                         [&] {
                             clock.advance_seconds(1);
                             timer_tick(ws);
                         }),
                 "ms");
    require(running_row->text(1) != before, "the running row was not rewritten");
    settle();

    // New Item on the user item opens the Client dialog; OK inserts, flushes, reloads, rebuilds
    // and selects the new client.
    const std::size_t clients_before = store.lists.clients.size();
    int inserted = 0;
    const double insert_ms = best_of(3, [&] {
        clock.advance_seconds(1);
        click(ws, 0);
        new_item(ws, 0);
        ItemDialog* dialog = item_dialog(ws, id::ClientDialog);
        require(dialog != nullptr, "the Client dialog did not open");
        const QString name = QStringLiteral("New Client %1").arg(++inserted);
        dialog->title_field()->setText(name);
        dialog->rate_field()->setText(QStringLiteral("85.50"));
        save_client_dialog(ws);
        settle();
        const QTreeWidgetItem* selected = ws.tree->currentItem();
        require(selected && selected->text(0) == name, "the new client is not selected");
    });
    require(store.lists.clients.size() == clients_before + 3 && prompter.shown.isEmpty(),
            "the clients were not inserted cleanly");
    require(store.lists.tasks[*other].running && store.lists.tasks[long_task].running,
            "the timers did not survive the rebuild");
    print_figure("insert_client", insert_ms, "ms");

    // New Item on an objective opens the Task dialog; OK inserts the task and leaves the
    // objective selected.
    const std::size_t objective = store.lists.objectives.size() / 2;
    int tasks_inserted = 0;
    const double insert_task_ms = best_of(3, [&] {
        clock.advance_seconds(1);
        const std::int32_t position = store.lists.objectives[objective].tree_pos;
        click(ws, position);
        new_item(ws, position);
        ItemDialog* dialog = item_dialog(ws, id::TaskDialog);
        require(dialog != nullptr, "the Task dialog did not open");
        dialog->title_field()->setText(QStringLiteral("New Task %1").arg(++tasks_inserted));
        save_task_dialog(ws);
        settle();
        require(current_position(ws) == store.lists.objectives[objective].tree_pos,
                "the objective is not selected");
    });
    require(prompter.shown.isEmpty(), "the tasks were not inserted cleanly");
    print_figure("insert_task", insert_task_ms, "ms");

    // A timer started on a task without an entry today: the entry is inserted and listed.
    std::vector<Key> idle_tasks;
    for (std::size_t t = 0; t < store.lists.tasks.size() && idle_tasks.size() < 3; ++t) {
        const TaskRecord& task = store.lists.tasks[t];
        if (task.running || task.task_complete != 0 || task.Task_Date > today)
            continue;
        bool has_today = false;
        for (std::size_t e : store.children().entries_of_task(t))
            has_today = has_today || store.lists.entries[e].date == today;
        if (!has_today)
            idle_tasks.push_back(task.key);
    }
    require(idle_tasks.size() == 3, "no task to start");
    const std::size_t entries_before = store.lists.entries.size();
    std::size_t started = 0;
    const auto tree_pos_of_key = [&](Key key) {
        for (const TaskRecord& task : store.lists.tasks)
            if (task.key == key)
                return task.tree_pos;
        return -1;
    };
    double start_ms = 0;
    for (; started < idle_tasks.size(); ++started) {
        const std::int32_t position = tree_pos_of_key(idle_tasks[started]);
        click(ws, position);
        settle();
        const Stopwatch watch;
        toggle_timer(ws, position);
        settle();
        start_ms = started == 0 ? watch.elapsed_ms() : std::min(start_ms, watch.elapsed_ms());
    }
    require(store.lists.entries.size() == entries_before + 3 && prompter.shown.isEmpty(),
            "the timers did not start with new entries");
    print_figure("timer_start_new_day", start_ms, "ms");
    // What the status bar and the tray read after every tick while these three run, and the
    // tray menu's recently timed tasks, found again when a timer starts or stops.
    print_figure(
        "running_tasks",
        best_of(5, [&] { require(running_tasks(store, today).size() >= 3, "the timers run"); }),
        "ms");
    print_figure(
        "recently_timed_tasks",
        best_of(3,
                [&] { require(recently_timed_tasks(store, 5).size() == 5, "five recent tasks"); }),
        "ms");
    for (Key key : idle_tasks)
        toggle_timer(ws, tree_pos_of_key(key));

    // Delete Item on a task with its entries, confirmed.
    double delete_ms = 0;
    for (int run = 0; run < 3; ++run) {
        const std::int32_t position = store.lists.tasks[store.lists.tasks.size() / 3].tree_pos;
        click(ws, position);
        settle();
        const Stopwatch watch;
        delete_item(ws);
        settle();
        delete_ms = run == 0 ? watch.elapsed_ms() : std::min(delete_ms, watch.elapsed_ms());
    }
    require(prompter.texts() == QStringList(3, QStringLiteral("Please Confirm Deletion")),
            "the tasks were not deleted cleanly");
    print_figure("delete_task", delete_ms, "ms");
    print_figure("peak_rss_end", peak_rss_mib(), "MiB");
}

} // namespace olv::bench
