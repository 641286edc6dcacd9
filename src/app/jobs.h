#pragma once
// The three periodic jobs (tick every second, flush every 20 seconds, status refresh every 2
// seconds) on the window thread, driven by one timer that fires once a second, with two
// promises:
// 1. No job runs in the middle of a change to the lists, nor inside another job. Handlers hold a
//    Busy scope; a job that comes due meanwhile runs as soon as the outermost scope ends. A
//    modal window waits only where the lists are consistent, so while it waits (ModalWait) the
//    jobs run as if no handler were there.
// 2. No tick is lost or merged. Each job counts whole periods elapsed on the monotonic clock
//    since it started; the tick runs once for every second that passed, however late.
#include "common/clock.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

class QTimer;

namespace olv {

class Jobs final : public QObject {
public:
    using Job = std::function<void()>;
    static constexpr int kTickMs = 1000;
    static constexpr int kFlushMs = 20000;
    static constexpr int kRefreshMs = 2000;

    explicit Jobs(const Clock& clock, QObject* parent = nullptr);
    ~Jobs() override;

    // Starts tick, flush and refresh, in that order, counting from now.
    void start(Job tick, Job flush, Job refresh);
    void stop();

    // What a firing timer does: runs every job that is due, or leaves it for the end of the
    // handler that is running.
    void poll();

    // Held by every event handler and entry point of the program. When the outermost scope
    // ends, the jobs that came due meanwhile run.
    class Busy {
    public:
        explicit Busy(Jobs& jobs) : jobs_(jobs) { ++jobs_.depth_; }
        ~Busy() { jobs_.leave(); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Jobs& jobs_;
    };
    bool busy() const { return depth_ > 0; }

    // Held while a modal window (message box, file or printer dialog, pop-up menu) waits for its
    // answer. The code that opened it is at a point where the lists are consistent, so the jobs
    // that come due meanwhile run; when it ends, the scopes that were open hold again.
    class ModalWait {
    public:
        explicit ModalWait(Jobs& jobs) : jobs_(jobs), saved_depth_(jobs.depth_) {
            jobs_.depth_ = 0;
            ++jobs_.modal_waits_;
        }
        ~ModalWait() {
            --jobs_.modal_waits_;
            jobs_.depth_ += saved_depth_;
            if (jobs_.depth_ == 0)
                QMetaObject::invokeMethod(&jobs_, &Jobs::resume, Qt::QueuedConnection);
        }
        ModalWait(const ModalWait&) = delete;
        ModalWait& operator=(const ModalWait&) = delete;

    private:
        Jobs& jobs_;
        int saved_depth_;
    };
    // True while a handler or a job is anywhere on the stack, also one that waits for a modal
    // window.
    bool in_handler() const { return depth_ > 0 || modal_waits_ > 0; }

    // While the tick runs: how many whole seconds have passed after the one it counts (0 when it
    // is on time; in a run of late ticks, one less for each). The tick uses it to tell which
    // second, and so which day, it counts.
    std::int64_t tick_seconds_behind() const;

    // Runs the tick once for every second that passed and has not been counted yet, whatever
    // scope is open; for the end of the program, where the caller knows the lists consistent.
    void catch_up_ticks();

    // Called whenever the outermost Busy scope or a run of the jobs has ended, before any job
    // due runs.
    std::function<void()> on_idle;

private:
    struct Slot {
        int period_ms = 0;
        bool every_period = false; // run once per elapsed period (the tick), else once
        Job job;
        std::int64_t started_ms = 0;
        std::int64_t periods_done = 0;
    };

    void leave();
    void resume();
    void run_due();
    std::int64_t periods_elapsed(const Slot& slot) const;

    const Clock& clock_;
    std::array<Slot, 3> slots_;
    QTimer* timer_ = nullptr;
    bool started_ = false;
    int depth_ = 0;
    int modal_waits_ = 0;
};

} // namespace olv
