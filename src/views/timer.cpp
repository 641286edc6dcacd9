#include "views/timer.h"

#include "common/dates.h"
#include "reports/figures.h"
#include "reports/format.h"
#include "store/day_entries.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/images.h"
#include "views/tree.h"

#include <QRegularExpression>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>

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

// An entry's amount in its row, by the same rule as every other money figure.
QString entry_money_text(const Workspace& ws, std::int64_t seconds, double rate) {
    return QString::fromStdString(
        format_cents(ws.store.currency, entry_amount_cents(seconds, rate)));
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

// The entry the task's timer counts into: its first with `timing` set.
std::optional<std::size_t> timed_entry(const Store& store, std::size_t task_index) {
    for (const std::size_t e : store.children().entries_of_task(task_index))
        if (store.lists.entries[e].timing == 1)
            return e;
    return std::nullopt;
}

TimeEntry* entry_with_key(Store& store, std::size_t task_index, Key key) {
    for (const std::size_t e : store.children().entries_of_task(task_index))
        if (store.lists.entries[e].key == key)
            return &store.lists.entries[e];
    return nullptr;
}

void add_seconds(TimeEntry& entry, std::int64_t seconds) {
    entry.Time += seconds;
    entry.modified = true;
}

// How often a refused entry for a new day is tried again: each try may wait for a locked file.
constexpr DateValue kHeldRetrySeconds = 20;

// Held seconds go to their own day's entry once the database takes it. False when it did not.
bool settle(Workspace& ws, std::size_t task_index, HeldSeconds& held, DateValue now) {
    const DayEntry target = day_entry(ws.store, task_index, held.day, now);
    if (target.rc != 0) {
        held.retry_at = now + kHeldRetrySeconds;
        return false;
    }
    if (TimeEntry* source = entry_with_key(ws.store, task_index, held.entry)) {
        add_seconds(*source, -held.seconds);
        add_seconds(ws.store.lists.entries[target.index], held.seconds);
    }
    return true;
}

// A stopped (or deleted) task's held seconds stay in the entry that holds them: counted, on the
// earlier day.
void forget_held_seconds_of_idle_tasks(Workspace& ws) {
    if (ws.held_seconds.empty())
        return;
    std::erase_if(ws.held_seconds, [&ws](const HeldSeconds& held) {
        for (const TaskRecord& task : ws.store.lists.tasks)
            if (task.key == held.task)
                return task.running == 0;
        return true;
    });
}

enum class Counted {
    InPlace, // into the entry being timed
    NewDay,  // the timer moved on to the entry of a new day
    Held,    // into the earlier entry, held for a day whose entry the database refused before
    Refused, // the same, the database refusing the new day's entry for the first time
};

// One second of a running task, into the entry of the day it belongs to. Past midnight the timer
// moves on to the new day's entry, made then as a timer start makes it, so no entry holds time
// of two days. A clock set back never moves it to an earlier day.
Counted count_second(Workspace& ws, std::size_t task_index, std::size_t timed, DateValue day,
                     DateValue now) {
    Store& store = ws.store;
    TimeEntry& entry = store.lists.entries[timed];
    if (entry.date >= day) {
        add_seconds(entry, 1);
        return Counted::InPlace;
    }
    const Key task_key = store.lists.tasks[task_index].key;
    const Key timed_key = entry.key;
    const auto held =
        std::find_if(ws.held_seconds.begin(), ws.held_seconds.end(),
                     [&](const HeldSeconds& h) { return h.task == task_key && h.day == day; });
    if (held != ws.held_seconds.end() && now < held->retry_at) {
        add_seconds(entry, 1);
        ++held->seconds;
        return Counted::Held;
    }
    const DayEntry target = day_entry(store, task_index, day, now);
    if (target.rc != 0) {
        // Nothing was added: `entry` still stands. The second is kept where it is sure to be
        // written, and moved once the new day's entry exists.
        add_seconds(entry, 1);
        if (held != ws.held_seconds.end()) {
            ++held->seconds;
            held->retry_at = now + kHeldRetrySeconds;
            return Counted::Held;
        }
        ws.held_seconds.push_back({task_key, timed_key, day, 1, now + kHeldRetrySeconds});
        return Counted::Refused;
    }
    // The insert may have moved entries: the new day's is found by its index, and every other
    // entry of the task stops being timed.
    for (const std::size_t e : store.children().entries_of_task(task_index))
        store.lists.entries[e].timing = 0;
    TimeEntry& next = store.lists.entries[target.index];
    next.timing = 1;
    add_seconds(next, 1);
    // This day's held seconds, and those of days between whose entries were refused too.
    std::vector<HeldSeconds> held_of_task;
    std::erase_if(ws.held_seconds, [&](const HeldSeconds& h) {
        if (h.task != task_key)
            return false;
        held_of_task.push_back(h);
        return true;
    });
    for (HeldSeconds& h : held_of_task)
        if (!settle(ws, task_index, h, now))
            ws.held_seconds.push_back(h);
    return Counted::NewDay;
}

} // namespace

QString task_label(const TaskRecord& task) {
    QString label = QString::fromStdString(task.task_title);
    if (task.running)
        label += QStringLiteral(" (Running)");
    return label;
}

std::optional<std::int64_t> parse_entry_time(const QString& text) {
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
    // Five digits of days at most: far inside 64 bits, and past 2^31 seconds as a shown time may
    // be.
    return ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
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

void timer_tick(Workspace& ws, std::int64_t seconds_behind) {
    if (ws.status_bar)
        ws.status_bar->showMessage(QString::fromStdString(
            format_date(ws.store.date_mask + " : %hh:%ii:%ss", current_date(ws.clock))));

    // The second this tick counts ends `seconds_behind` before now (a late tick runs once for
    // every second that passed), and belongs to the day it began in.
    const DateValue now = current_date(ws.clock);
    const DateValue day =
        start_of_day(static_cast<DateValue>(std::max<std::int64_t>(0, now - seconds_behind - 1)));
    forget_held_seconds_of_idle_tasks(ws);

    // Only entries of running tasks are timed, so the walk stays off the long entries list.
    RecordLists& lists = ws.store.lists;
    bool advanced = false;
    bool new_day = false;
    bool refused = false;
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        if (!lists.tasks[t].running)
            continue;
        const std::optional<std::size_t> timed = timed_entry(ws.store, t);
        if (!timed)
            continue;
        switch (count_second(ws, t, *timed, day, now)) {
        case Counted::InPlace:
        case Counted::Held:
            break;
        case Counted::NewDay:
            new_day = true;
            break;
        case Counted::Refused:
            refused = true;
            break;
        }
        advanced = true;
    }
    if (advanced && !ws.state.to_do_list_shown) {
        const std::int32_t position = std::max(0, current_position(ws));
        // A new day's entry of the task on show gets its row.
        if (new_day && ws.state.time_entries_shown && task_index_at(ws, position))
            show_item_keeping_notes(ws, position);
        else
            update_running_row(ws, position);
    }
    // Only now, with every second in place: jobs run while the box waits.
    if (refused)
        show_error(ws, "Could not write to Database");
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
            row->setText(entry_column::Total, entry_money_text(ws, entry.Time, task.task_rate));
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
    const std::optional<std::int64_t> seconds = parse_entry_time(text);
    if (seconds) {
        entry->Time = *seconds;
        entry->modified = true;
    }
    if (item) {
        item->setText(entry_column::Time, QString::fromStdString(format_duration(entry->Time)));
        item->setText(entry_column::Total, entry_money_text(ws, entry->Time, task->task_rate));
    }
    return seconds.has_value();
}

} // namespace olv
