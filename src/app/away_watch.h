// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Time nobody worked while a timer ran: idle time (no keyboard or mouse for the chosen number
// of minutes) and sleep (logind's signal; without logind, the wall clock running ahead of the
// monotonic clock; a stopped and continued process). On return one box, owned by the main
// window, asks what to do with that time; the timers go on while it waits.
#include "app/idle_source.h"
#include "app/jobs.h"
#include "app/sleep_signal.h"
#include "store/records.h"
#include "views/workspace.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace olv {

class AwayWatch final : public QObject {
public:
    static constexpr int kPollMs = 60000;
    static constexpr int kDefaultIdleMinutes = 15;
    // A gap between the wall and the monotonic clock larger than this counts as a sleep.
    static constexpr std::int64_t kClockJumpMs = 60000;

    AwayWatch(Workspace& ws, Jobs& jobs, QObject* parent = nullptr);
    ~AwayWatch() override;

    // The idle source, or nothing with the reason why there is none.
    void set_idle_source(std::unique_ptr<IdleSource> source, const QString& why = {});
    bool idle_available() const { return idle_source_ != nullptr; }
    const QString& idle_note() const { return idle_note_; }
    // 0 means never ask.
    void set_idle_minutes(int minutes);
    int idle_minutes() const { return idle_minutes_; }

    // The watch owns the signal.
    void set_sleep_signal(SleepSignal* signal);

    // After every handler: the idle poll runs while timers run, and never while none runs.
    void timers_may_have_changed();
    // At the start of each tick of the timers. True when the tick must not count: the process
    // was stopped, and the seconds it stood are left out like a sleep.
    bool tick_is_stopped_time();
    // After each tick: compares the wall clock with the monotonic clock.
    void after_tick();
    // What the poll timer does; tests call it after moving their clock.
    void poll_idle();

    QTimer* poll_timer() const { return poll_timer_; }
    bool box_open() const { return box_open_; }

    // Writes the changed entries at once (the program's flush).
    std::function<void()> write_now;
    // True once the program is ending: no box opens.
    std::function<bool()> closing;

    // What a SIGCONT handler sets; consumed by the next tick.
    static void note_continued();

private:
    enum class Kind { Idle, Sleep };
    struct Away {
        Kind kind = Kind::Idle;
        DateValue from = 0; // wall clock, local
        std::int64_t seconds = 0;
        std::vector<Key> tasks; // the tasks that ran meanwhile
    };

    std::vector<Key> running_keys() const;
    void queue(Away away);
    void show_pending();
    void answer_idle(const Away& away, int choice);
    void answer_sleep(const Away& away, int choice);
    void went_to_sleep();
    void woke_up();
    // The time of the tasks changed behind the views: show it and write it.
    void after_change();

    Workspace& ws_;
    Jobs& jobs_;
    std::unique_ptr<IdleSource> idle_source_;
    QString idle_note_;
    int idle_minutes_ = kDefaultIdleMinutes;
    QPointer<SleepSignal> sleep_signal_;
    QTimer* poll_timer_ = nullptr;

    // Away since: the wall clock and the monotonic clock at the last input.
    struct Since {
        DateValue wall = 0;
        std::int64_t steady_ms = 0;
        std::vector<Key> tasks;
    };
    std::optional<Since> idle_since_;
    std::optional<Since> asleep_since_;
    std::optional<std::int64_t> clock_gap_ms_;
    std::optional<Away> pending_;
    bool box_open_ = false;
};

} // namespace olv
