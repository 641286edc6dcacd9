#pragma once
// The three periodic jobs (tick every second, flush every 20 seconds, status refresh every 2
// seconds) on the window thread, driven by one timer that fires once a second, with two
// promises:
// 1. No job runs inside an event handler or another job. Handlers hold a Busy scope; a job that
//    comes due meanwhile runs as soon as the outermost scope ends.
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

    // When the outermost Busy scope ends, the jobs that came due meanwhile run: at once (the
    // scope spans a whole handler), or once control is back in the event loop (the scope spans
    // a modal window inside code that goes on after it).
    enum class Resume { AtOnce, FromEventLoop };

    // Held by every event handler and entry point of the program.
    class Busy {
    public:
        explicit Busy(Jobs& jobs, Resume resume = Resume::AtOnce) : jobs_(jobs), resume_(resume) {
            ++jobs_.depth_;
        }
        ~Busy() { jobs_.leave(resume_); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Jobs& jobs_;
        Resume resume_;
    };
    bool busy() const { return depth_ > 0; }

    // Called whenever the outermost Busy scope has ended, before any job due runs.
    std::function<void()> on_idle;

private:
    struct Slot {
        int period_ms = 0;
        bool every_period = false; // run once per elapsed period (the tick), else once
        Job job;
        std::int64_t started_ms = 0;
        std::int64_t periods_done = 0;
    };

    void leave(Resume resume);
    void resume();
    void run_due();
    std::int64_t periods_elapsed(const Slot& slot) const;

    const Clock& clock_;
    std::array<Slot, 3> slots_;
    QTimer* timer_ = nullptr;
    bool started_ = false;
    int depth_ = 0;
};

} // namespace olv
