// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/away_watch.h"

#include "common/dates.h"
#include "store/day_entries.h"
#include "views/away_time.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <csignal>

namespace olv {

namespace {

std::atomic<bool> continued{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

struct sigaction previous_continue_action;
int continue_handlers = 0;

void on_continue(int) {
    AwayWatch::note_continued();
}

const QString kTitle = QStringLiteral("Olvessa.project");

} // namespace

void AwayWatch::note_continued() {
    continued.store(true);
}

AwayWatch::AwayWatch(Workspace& ws, Jobs& jobs, QObject* parent)
    : QObject(parent), ws_(ws), jobs_(jobs) {
    poll_timer_ = new QTimer(this);
    poll_timer_->setInterval(kPollMs);
    connect(poll_timer_, &QTimer::timeout, this, &AwayWatch::poll_idle);
    // Coming back to the program's window is input too: no need to wait for the next poll.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive && idle_since_)
                        poll_idle();
                });
    // A stopped process learns of it only when continued: SIGCONT.
    if (continue_handlers++ == 0) {
        struct sigaction action {};
        action.sa_handler = on_continue;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGCONT, &action, &previous_continue_action);
    }
}

AwayWatch::~AwayWatch() {
    if (--continue_handlers == 0)
        sigaction(SIGCONT, &previous_continue_action, nullptr);
}

void AwayWatch::set_idle_source(std::unique_ptr<IdleSource> source, const QString& why) {
    idle_source_ = std::move(source);
    idle_note_ = idle_source_ ? QString() : why;
    idle_since_.reset();
    timers_may_have_changed();
}

void AwayWatch::set_idle_minutes(int minutes) {
    idle_minutes_ = std::max(0, minutes);
    idle_since_.reset();
    timers_may_have_changed();
}

void AwayWatch::set_sleep_signal(SleepSignal* signal) {
    delete sleep_signal_.data();
    sleep_signal_ = signal;
    if (!signal)
        return;
    signal->setParent(this);
    connect(signal, &SleepSignal::going_to_sleep, this, &AwayWatch::went_to_sleep);
    connect(signal, &SleepSignal::woke_up, this, &AwayWatch::woke_up);
}

std::vector<Key> AwayWatch::running_keys() const {
    std::vector<Key> keys;
    for (const TaskRecord& task : ws_.store.lists.tasks)
        if (task.running)
            keys.push_back(task.key);
    return keys;
}

void AwayWatch::timers_may_have_changed() {
    const bool any = std::any_of(ws_.store.lists.tasks.begin(), ws_.store.lists.tasks.end(),
                                 [](const TaskRecord& task) { return task.running != 0; });
    if (any && idle_source_ && idle_minutes_ > 0) {
        if (!poll_timer_->isActive())
            poll_timer_->start();
    } else {
        poll_timer_->stop();
        idle_since_.reset();
    }
    if (!any)
        continued.store(false); // a stop while nothing ran costs nothing
    if (pending_ && !box_open_)
        QMetaObject::invokeMethod(this, &AwayWatch::show_pending, Qt::QueuedConnection);
}

bool AwayWatch::tick_is_stopped_time() {
    if (!continued.exchange(false))
        return false;
    const std::int64_t missed = jobs_.skip_missed_ticks();
    if (missed <= 0)
        return false; // continued without having stood: this second counts
    const std::int64_t seconds = missed + 1;
    std::vector<Key> tasks = running_keys();
    if (!tasks.empty())
        queue({Kind::Sleep, static_cast<DateValue>(current_date(ws_.clock) - seconds), seconds,
               std::move(tasks)});
    return true;
}

void AwayWatch::after_tick() {
    if (sleep_signal_ && sleep_signal_->available()) {
        clock_gap_ms_.reset();
        return;
    }
    const std::int64_t gap = ws_.clock.wall_ms() - ws_.clock.steady_ms();
    if (clock_gap_ms_ && gap - *clock_gap_ms_ > kClockJumpMs) {
        const std::int64_t seconds = (gap - *clock_gap_ms_) / 1000;
        std::vector<Key> tasks = running_keys();
        if (!tasks.empty())
            queue({Kind::Sleep, static_cast<DateValue>(current_date(ws_.clock) - seconds), seconds,
                   std::move(tasks)});
    }
    clock_gap_ms_ = gap;
}

void AwayWatch::poll_idle() {
    if (!idle_source_ || idle_minutes_ <= 0 || box_open_)
        return;
    std::vector<Key> running = running_keys();
    if (running.empty()) {
        idle_since_.reset();
        return;
    }
    const std::optional<std::int64_t> idle = idle_source_->idle_ms();
    if (!idle)
        return;
    const std::int64_t steady = ws_.clock.steady_ms();
    const DateValue wall = current_date(ws_.clock);
    if (*idle >= std::int64_t{idle_minutes_} * 60000) {
        if (!idle_since_) {
            idle_since_ = Since{static_cast<DateValue>(wall - *idle / 1000), steady - *idle, {}};
        }
        for (Key key : running)
            if (std::find(idle_since_->tasks.begin(), idle_since_->tasks.end(), key) ==
                idle_since_->tasks.end())
                idle_since_->tasks.push_back(key);
        return;
    }
    if (!idle_since_)
        return;
    const Since since = std::move(*idle_since_);
    idle_since_.reset();
    // Away from the last input before the pause up to the first one after it.
    const std::int64_t seconds = (steady - *idle - since.steady_ms) / 1000;
    if (seconds > 0)
        queue({Kind::Idle, since.wall, seconds, since.tasks});
}

void AwayWatch::went_to_sleep() {
    asleep_since_ = Since{current_date(ws_.clock), ws_.clock.steady_ms(), running_keys()};
}

void AwayWatch::woke_up() {
    clock_gap_ms_.reset();
    if (!asleep_since_)
        return;
    const Since since = std::move(*asleep_since_);
    asleep_since_.reset();
    const std::int64_t seconds = std::int64_t{current_date(ws_.clock)} - since.wall;
    if (seconds > 0 && !since.tasks.empty())
        queue({Kind::Sleep, since.wall, seconds, since.tasks});
}

void AwayWatch::queue(Away away) {
    // One box at a time; a later pause waits for it, an earlier unanswered one gives way.
    pending_ = std::move(away);
    if (!box_open_)
        QMetaObject::invokeMethod(this, &AwayWatch::show_pending, Qt::QueuedConnection);
}

namespace {

QString while_text(const Workspace& ws, const std::vector<Key>& tasks) {
    if (tasks.size() == 1) {
        for (const TaskRecord& task : ws.store.lists.tasks)
            if (task.key == tasks.front())
                return QStringLiteral("while '%1' ran.")
                    .arg(QString::fromStdString(task.task_title));
    }
    return QStringLiteral("while %1 timers ran.").arg(tasks.size());
}

QString clock_time(DateValue d) {
    return QString::fromStdString(format_date("%hh:%ii", d));
}

std::optional<std::size_t> task_with_key(const Store& store, Key key) {
    const auto& tasks = store.lists.tasks;
    for (std::size_t t = 0; t < tasks.size(); ++t)
        if (tasks[t].key == key)
            return t;
    return std::nullopt;
}

} // namespace

void AwayWatch::show_pending() {
    if (!pending_ || box_open_)
        return;
    if (closing && closing()) {
        pending_.reset(); // the cautious answer: the time stays as counted
        return;
    }
    if (jobs_.in_handler())
        return; // shown once the handler is over
    const Away away = std::move(*pending_);
    pending_.reset();

    Jobs::Busy busy(jobs_);
    box_open_ = true;
    const QString duration = clock_duration(away.seconds);
    const DateValue to = static_cast<DateValue>(away.from + away.seconds);
    if (away.kind == Kind::Idle) {
        const QString text = QStringLiteral("No keyboard or mouse for %1 (since %2) %3")
                                 .arg(duration, clock_time(away.from), while_text(ws_, away.tasks));
        const int choice = ws_.prompter.choose(ws_.main_window, kTitle, text,
                                               {QStringLiteral("Keep the Time"),
                                                QStringLiteral("Remove ") + duration,
                                                QStringLiteral("Remove and Stop")},
                                               0, 0);
        box_open_ = false;
        answer_idle(away, choice);
    } else {
        const QString text =
            QStringLiteral("The computer slept %1 (%2 to %3) %4")
                .arg(duration, clock_time(away.from), clock_time(to), while_text(ws_, away.tasks));
        const int choice = ws_.prompter.choose(
            ws_.main_window, kTitle, text,
            {QStringLiteral("Leave It Out"), QStringLiteral("Add the Time")}, 0, 0);
        box_open_ = false;
        answer_sleep(away, choice);
    }
    if (pending_)
        QMetaObject::invokeMethod(this, &AwayWatch::show_pending, Qt::QueuedConnection);
}

void AwayWatch::answer_idle(const Away& away, int choice) {
    if (choice != 1 && choice != 2)
        return;
    for (Key key : away.tasks)
        if (const auto t = task_with_key(ws_.store, key)) {
            remove_task_seconds(ws_.store, *t, away.from, away.seconds);
            status_changed(ws_, {RecordKind::Task, *t});
        }
    if (choice == 2) {
        for (Key key : away.tasks)
            if (const auto t = task_with_key(ws_.store, key);
                t && ws_.store.lists.tasks[*t].running)
                toggle_timer(ws_, ws_.store.lists.tasks[*t].tree_pos);
    }
    after_change();
}

void AwayWatch::answer_sleep(const Away& away, int choice) {
    if (choice != 1)
        return;
    int failed = 0;
    for (Key key : away.tasks)
        if (const auto t = task_with_key(ws_.store, key)) {
            if (const int rc = add_time_by_day(ws_.store, *t, away.from, away.seconds,
                                               current_date(ws_.clock));
                rc != 0)
                failed = rc;
            status_changed(ws_, {RecordKind::Task, *t});
        }
    if (failed != 0)
        show_error(ws_, "Could not write to Database");
    after_change();
}

void AwayWatch::after_change() {
    if (!ws_.state.to_do_list_shown && ws_.list)
        show_item_keeping_notes(ws_, std::max(0, current_position(ws_)));
    if (write_now)
        write_now();
}

} // namespace olv
