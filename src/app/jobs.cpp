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
    timer_->start();
    started_ = true;
}

void Jobs::stop() {
    started_ = false;
    timer_->stop();
}

void Jobs::poll() {
    run_due();
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
    while (periods_elapsed(tick) > tick.periods_done) {
        ++tick.periods_done;
        if (tick.job)
            tick.job();
    }
}

void Jobs::run_due() {
    if (depth_ > 0 || !started_)
        return;
    // The jobs count as busy too, so a timer firing inside one (a message box of the flush)
    // waits; the outer loop then picks up whatever came due meanwhile.
    ++depth_;
    for (bool ran = true; ran && started_;) {
        ran = false;
        for (Slot& slot : slots_) {
            while (started_ && periods_elapsed(slot) > slot.periods_done) {
                slot.periods_done =
                    slot.every_period ? slot.periods_done + 1 : periods_elapsed(slot);
                if (slot.job)
                    slot.job();
                ran = true;
            }
        }
    }
    if (--depth_ == 0 && on_idle)
        on_idle();
}

} // namespace olv
