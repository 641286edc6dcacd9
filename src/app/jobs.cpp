// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/jobs.h"

#include <QTimer>
#include <algorithm>

namespace olv {

// Every period is a whole number of ticks and all start together, so one timer at the tick's
// period finds every job due: the program wakes once a second, not once per job.
Jobs::Jobs(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    const int periods[] = {kTickMs, kFlushMs, kRefreshMs};
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        slots_[i].period_ms = periods[i];
        slots_[i].every_period = i == 0;
    }
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &Jobs::poll);
}

Jobs::~Jobs() {
    stop();
}

void Jobs::start(Job tick, Job flush, Job refresh) {
    stop();
    Job jobs[] = {std::move(tick), std::move(flush), std::move(refresh)};
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        slot.job = std::move(jobs[i]);
        slot.started_ms = clock_.steady_ms();
        slot.periods_done = 0;
    }
    started_ = true;
    timer_->stop();
    arm();
}

void Jobs::stop() {
    started_ = false;
    timer_->stop();
}

void Jobs::poll() {
    run_due();
}

void Jobs::set_resting(bool resting) {
    if (resting == resting_) {
        // A change made at rest (a record to write) may move the next due moment.
        if (resting_ && started_ && depth_ == 0)
            arm();
        return;
    }
    resting_ = resting;
    if (!started_)
        return;
    // Nothing was timed and no clock was on show at rest: those seconds count as done.
    skip_ticks();
    timer_->stop();
    arm();
}

void Jobs::skip_ticks() {
    Slot& tick = slots_[0];
    tick.periods_done = std::max(tick.periods_done, periods_elapsed(tick));
}

void Jobs::arm() {
    if (!started_)
        return;
    const std::int64_t now = clock_.steady_ms();
    if (!resting_) {
        day_change_ms_ = -1;
        if (timer_->isActive() && !timer_->isSingleShot())
            return;
        if (timer_->isActive())
            timer_->stop();
        // Once on the next whole second of the tick, then every second from there.
        const Slot& tick = slots_[0];
        const std::int64_t next = tick.started_ms + (tick.periods_done + 1) * tick.period_ms;
        if (next - now >= kTickMs - 50 || next <= now) {
            timer_->setSingleShot(false);
            timer_->start(kTickMs);
        } else {
            timer_->setSingleShot(true);
            timer_->start(static_cast<int>(next - now));
        }
        return;
    }
    std::int64_t wake = -1;
    if (flush_pending && flush_pending()) {
        const Slot& flush = slots_[1];
        wake = flush.started_ms + (periods_elapsed(flush) + 1) * flush.period_ms;
    }
    day_change_ms_ = -1;
    if (ms_to_day_change) {
        day_change_ms_ = now + std::max<std::int64_t>(1, ms_to_day_change());
        wake = wake < 0 ? day_change_ms_ : std::min(wake, day_change_ms_);
    }
    timer_->stop();
    if (wake < 0)
        return;
    timer_->setSingleShot(true);
    // QTimer takes an int: a wait beyond 24 days is set again when it ends.
    timer_->start(static_cast<int>(std::clamp<std::int64_t>(wake - now, 0, 1 << 30)));
}

void Jobs::leave() {
    if (--depth_ == 0)
        resume();
}

void Jobs::resume() {
    if (depth_ > 0)
        return;
    if (on_idle)
        on_idle();
    run_due();
}

std::int64_t Jobs::periods_elapsed(const Slot& slot) const {
    const std::int64_t elapsed = clock_.steady_ms() - slot.started_ms;
    return elapsed > 0 ? elapsed / slot.period_ms : 0;
}

std::int64_t Jobs::tick_seconds_behind() const {
    const Slot& tick = slots_[0];
    return std::max<std::int64_t>(0, periods_elapsed(tick) - tick.periods_done);
}

void Jobs::catch_up_ticks() {
    Slot& tick = slots_[0];
    if (!started_)
        return;
    if (resting_) {
        skip_ticks();
        return;
    }
    while (periods_elapsed(tick) > tick.periods_done) {
        ++tick.periods_done;
        if (tick.job)
            tick.job();
    }
}

std::int64_t Jobs::skip_missed_ticks() {
    Slot& tick = slots_[0];
    if (!started_)
        return 0;
    const std::int64_t missed = periods_elapsed(tick) - tick.periods_done;
    if (missed <= 0)
        return 0;
    tick.periods_done += missed;
    return missed;
}

void Jobs::run_due() {
    if (depth_ > 0 || !started_)
        return;
    // The jobs count as busy too, so a timer firing inside one (a message box of the flush)
    // waits; the outer loop then picks up whatever came due meanwhile.
    ++depth_;
    if (resting_) {
        skip_ticks();
        // The day changed: the refresh runs now, whatever its period says.
        if (day_change_ms_ >= 0 && clock_.steady_ms() >= day_change_ms_) {
            day_change_ms_ = -1;
            Slot& refresh = slots_[2];
            refresh.periods_done = periods_elapsed(refresh);
            if (refresh.job)
                refresh.job();
        }
    }
    for (bool ran = true; ran && started_;) {
        ran = false;
        for (Slot& slot : slots_) {
            if (resting_ && slot.every_period) {
                skip_ticks();
                continue;
            }
            // At rest a flush with nothing to write is no reason to run.
            if (resting_ && &slot == &slots_[1] && flush_pending && !flush_pending()) {
                slot.periods_done = periods_elapsed(slot);
                continue;
            }
            while (started_ && periods_elapsed(slot) > slot.periods_done) {
                slot.periods_done =
                    slot.every_period ? slot.periods_done + 1 : periods_elapsed(slot);
                if (slot.job)
                    slot.job();
                ran = true;
            }
        }
    }
    arm();
    if (--depth_ == 0 && on_idle)
        on_idle();
}

} // namespace olv
