#include "views/timer.h"

#include "common/dates.h"
#include "reports/figures.h"
#include "reports/format.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/images.h"
#include "views/tree.h"

#include <QRegularExpression>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

namespace olv {

namespace {

std::optional<std::size_t> task_index_at(const Workspace& ws, std::int32_t position) {
    const RecordRef ref = record_at_position(ws, position);
    if (ref.kind != RecordKind::Task)
        return std::nullopt;
    return ref.index;
}

void show_task_label(Workspace& ws, const TaskRecord& task) {
    if (QTreeWidgetItem* item = tree_item_at(ws, task.tree_pos))
        item->setText(0, task_label(task));
}

void stop_task(Workspace& ws, std::size_t task_index) {
    TaskRecord& task = ws.store.lists.tasks[task_index];
    for (std::size_t e : ws.store.children().entries_of_task(task_index))
        ws.store.lists.entries[e].timing = 0;
    task.running = 0;
    show_task_label(ws, task);
    status_changed(ws, {RecordKind::Task, task_index});
}

QString money_text(const Workspace& ws, double amount) {
    return QString::fromStdString(format_money(ws.store.currency, amount));
}

// The entry shown in a row of the time-entry view of the selected task.
TimeEntry* shown_entry(Workspace& ws, int row, const TaskRecord** task_out) {
    if (!ws.state.time_entries_shown)
        return nullptr;
    const auto t = task_index_at(ws, current_position(ws));
    if (!t)
        return nullptr;
    for (std::size_t e : ws.store.children().entries_of_task(*t)) {
        TimeEntry& entry = ws.store.lists.entries[e];
        if (entry.list_row == row) {
            *task_out = &ws.store.lists.tasks[*t];
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

QString task_label(const TaskRecord& task) {
    QString label = QString::fromStdString(task.task_title);
    if (task.running)
        label += QStringLiteral(" (Running)");
    return label;
}

std::optional<std::int32_t> parse_entry_time(const QString& text) {
    static const QRegularExpression full(
        QStringLiteral("^(?:([0-9]{1,5})/)?([0-9]{1,2}):([0-9]{2}):([0-9]{2})$"));
    static const QRegularExpression short_form(QStringLiteral("^([0-9]{1,2}):([0-9]{2})$"));
    const QString trimmed = text.trimmed();

    std::int64_t days = 0;
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    if (const auto m = full.match(trimmed); m.hasMatch()) {
        const bool with_days = m.capturedLength(1) > 0;
        days = with_days ? m.captured(1).toLongLong() : 0;
        hours = m.captured(2).toLongLong();
        minutes = m.captured(3).toLongLong();
        seconds = m.captured(4).toLongLong();
        if (with_days && hours > 23)
            return std::nullopt;
    } else if (const auto s = short_form.match(trimmed); s.hasMatch()) {
        hours = s.captured(1).toLongLong();
        minutes = s.captured(2).toLongLong();
    } else {
        return std::nullopt;
    }
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    const std::int64_t total = ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
    if (total > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(total);
}

void toggle_timer(Workspace& ws, std::int32_t position) {
    const auto t = task_index_at(ws, position);
    if (!t)
        return;
    TaskRecord& task = ws.store.lists.tasks[*t];
    if (task.task_complete != 0)
        return;
    if (task.running) {
        stop_task(ws, *t);
        return;
    }

    task.running = 1;
    show_task_label(ws, task);
    status_changed(ws, {RecordKind::Task, *t});

    const DateValue today = start_of_today(ws.clock);
    bool resumed = false;
    for (std::size_t e : ws.store.children().entries_of_task(*t)) {
        TimeEntry& entry = ws.store.lists.entries[e];
        if (entry.date == today) {
            entry.timing = 1;
            resumed = true;
        }
    }
    if (resumed)
        return;

    if (today < task.Task_Date) {
        task.running = 0;
        show_task_label(ws, task);
        show_error(ws, QStringLiteral("This task is not scheduled to start until ") +
                           QString::fromStdString(format_date(ws.store.date_mask, task.Task_Date)));
        return;
    }

    if (insert_time_entry(ws.store, task.key, current_date(ws.clock), today) != 0) {
        // A task that runs must have an entry to count into.
        task.running = 0;
        show_task_label(ws, task);
        show_error(ws, "Could not write to Database");
        return;
    }
    // The new entry gets its row, when the task is the item on show.
    if (position == current_position(ws))
        show_item_keeping_notes(ws, position);
}

void show_status_clock(Workspace& ws) {
    if (ws.status_bar)
        ws.status_bar->showMessage(QString::fromStdString(
            format_date(ws.store.date_mask + " : %hh:%ii:%ss", current_date(ws.clock))));
}

bool any_timer_running(const Workspace& ws) {
    const auto& tasks = ws.store.lists.tasks;
    return std::any_of(tasks.begin(), tasks.end(), [](const TaskRecord& t) { return t.running; });
}

std::int64_t ms_to_day_change(const Workspace& ws) {
    const WallTime now = ws.clock.wall_now();
    // The wall clock reads whole seconds, so the wait is never short of the change.
    const std::int64_t second_of_day = (now.hour * 60 + now.minute) * 60 + now.second;
    return (24 * 60 * 60 - second_of_day) * 1000;
}

void timer_tick(Workspace& ws) {
    show_status_clock(ws);

    // Only entries of running tasks are timed, so the walk stays off the long entries list.
    RecordLists& lists = ws.store.lists;
    const ChildIndex& children = ws.store.children();
    bool advanced = false;
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        if (!lists.tasks[t].running)
            continue;
        for (std::size_t e : children.entries_of_task(t)) {
            TimeEntry& entry = lists.entries[e];
            if (entry.timing == 1) {
                ++entry.Time;
                entry.modified = true;
                advanced = true;
            }
        }
    }
    if (advanced && !ws.state.to_do_list_shown)
        update_running_row(ws, std::max(0, current_position(ws)));
}

void update_running_row(Workspace& ws, std::int32_t position) {
    if (!ws.state.time_entries_shown)
        return;
    const auto t = task_index_at(ws, position);
    if (!t)
        return;
    const TaskRecord& task = ws.store.lists.tasks[*t];
    for (std::size_t e : ws.store.children().entries_of_task(*t)) {
        const TimeEntry& entry = ws.store.lists.entries[e];
        if (entry.timing == 0)
            continue;
        if (QTreeWidgetItem* row = ws.list->topLevelItem(entry.list_row)) {
            row->setText(entry_column::Time, QString::fromStdString(format_duration(entry.Time)));
            row->setText(entry_column::Total,
                         money_text(ws, amount_for(entry.Time, task.task_rate)));
            widen_to_fit(ws.list, row, entry_column::Time);
            widen_to_fit(ws.list, row, entry_column::Total);
        }
        return;
    }
}

void stop_all_timers(Workspace& ws) {
    RecordLists& lists = ws.store.lists;
    for (TaskRecord& task : lists.tasks) {
        if (task.running == 1) {
            task.running = 0;
            show_task_label(ws, task);
        }
    }
    for (TimeEntry& entry : lists.entries)
        if (entry.timing == 1)
            entry.timing = 0;
}

void toggle_complete(Workspace& ws, std::int32_t position) {
    const auto t = task_index_at(ws, position);
    if (!t)
        return;
    TaskRecord& task = ws.store.lists.tasks[*t];
    if (task.running) {
        show_error(ws, "Please stop the task first");
        return;
    }
    task.task_complete = task.task_complete ? 0 : 1;
    task.task_checked = 0;
    task.modified = true;
    set_tree_icon(ws, position, task.task_complete ? image::Complete : image::Task);
    status_changed(ws, {RecordKind::Task, *t});
    refresh_status_icons(ws);
    refresh_status_icons(ws);
}

void toggle_accepted(Workspace& ws, std::int32_t position) {
    const auto t = task_index_at(ws, position);
    if (!t)
        return;
    TaskRecord& task = ws.store.lists.tasks[*t];
    if (task.task_complete != 1) {
        show_error(ws, "The task is not yet complete");
        return;
    }
    task.task_checked = task.task_checked ? 0 : 1;
    task.modified = true;
    set_tree_icon(ws, position, task.task_checked ? image::Accepted : image::Complete);
    status_changed(ws, {RecordKind::Task, *t});
    refresh_status_icons(ws);
    refresh_status_icons(ws);
}

void toggle_billed(Workspace& ws, int row) {
    const TaskRecord* task = nullptr;
    TimeEntry* entry = shown_entry(ws, row, &task);
    if (!entry)
        return;
    entry->billed = entry->billed ? 0 : 1;
    entry->modified = true;
    if (QTreeWidgetItem* item = ws.list->topLevelItem(row))
        item->setText(entry_column::Billed,
                      entry->billed ? QStringLiteral("Yes") : QStringLiteral("No"));
}

bool set_entry_time(Workspace& ws, const QString& text, int row, int column) {
    if (column != entry_column::Time)
        return false;
    const TaskRecord* task = nullptr;
    TimeEntry* entry = shown_entry(ws, row, &task);
    if (!entry)
        return false;
    QTreeWidgetItem* item = ws.list->topLevelItem(row);
    const std::optional<std::int32_t> seconds = parse_entry_time(text);
    if (seconds) {
        entry->Time = *seconds;
        entry->modified = true;
    }
    if (item) {
        item->setText(entry_column::Time, QString::fromStdString(format_duration(entry->Time)));
        item->setText(entry_column::Total,
                      money_text(ws, amount_for(entry->Time, task->task_rate)));
        widen_to_fit(ws.list, item, entry_column::Time);
        widen_to_fit(ws.list, item, entry_column::Total);
    }
    return seconds.has_value();
}

} // namespace olv
