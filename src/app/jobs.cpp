#include "app/jobs.h"

#include <QTimer>

namespace olv {

Jobs::Jobs(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    const int periods[] = {kTickMs, kFlushMs, kRefreshMs};
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        slot.period_ms = periods[i];
        slot.every_period = i == 0;
        slot.timer = new QTimer(this);
        slot.timer->setTimerType(Qt::PreciseTimer);
        slot.timer->setInterval(slot.period_ms);
        connect(slot.timer, &QTimer::timeout, this, &Jobs::poll);
    }
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
        slot.timer->start();
    }
    started_ = true;
}

void Jobs::stop() {
    started_ = false;
    for (Slot& slot : slots_)
        slot.timer->stop();
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
