// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The wall clock and the monotonic clock behind one small interface, so a test can set and
// advance time instead of sleeping.
#include <chrono>
#include <cstdint>

namespace olv {

struct WallTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Calendar fields of the local wall clock now.
    virtual WallTime wall_now() const = 0;
    // Milliseconds on a monotonic clock that stands still while the machine is suspended.
    virtual std::int64_t steady_ms() const = 0;
    // Milliseconds since 1970 on the wall clock, free of time zones: it moves on while the
    // machine sleeps, so its distance from the monotonic clock grows by the time slept.
    virtual std::int64_t wall_ms() const = 0;
};

class SystemClock final : public Clock {
public:
    WallTime wall_now() const override;
    std::int64_t steady_ms() const override;
    std::int64_t wall_ms() const override;
};

// A clock that moves only when told to; both clocks advance together.
class ManualClock final : public Clock {
public:
    explicit ManualClock(WallTime start = {2026, 12, 10, 9, 0, 0});
    WallTime wall_now() const override;
    std::int64_t steady_ms() const override { return steady_ms_; }
    std::int64_t wall_ms() const override { return wall_seconds_ * 1000 + wall_ms_remainder_; }
    // Moves the wall clock alone, as a suspend or a clock change does.
    void set_wall(WallTime t);
    void advance_ms(std::int64_t ms);
    void advance_seconds(std::int64_t s) { advance_ms(s * 1000); }

private:
    std::int64_t wall_seconds_; // seconds since 1970-01-01 00:00:00, zone-free calendar
    std::int64_t wall_ms_remainder_ = 0;
    std::int64_t steady_ms_ = 0;
};

} // namespace olv
