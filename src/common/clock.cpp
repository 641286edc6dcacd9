// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/clock.h"

#include "common/civil.h"

#include <ctime>

namespace olv {

namespace {

WallTime civil_from_seconds(std::int64_t s) {
    const std::int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    const std::int64_t rest = s - days * 86400;
    const CivilDay c = civil_from_days(days);
    return WallTime{c.year,
                    c.month,
                    c.day,
                    static_cast<int>(rest / 3600),
                    static_cast<int>(rest / 60 % 60),
                    static_cast<int>(rest % 60)};
}

std::int64_t seconds_from_civil(const WallTime& t) {
    return days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 +
           t.second;
}

} // namespace

WallTime SystemClock::wall_now() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return WallTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::int64_t SystemClock::steady_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::wall_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ManualClock::ManualClock(WallTime start) : wall_seconds_(seconds_from_civil(start)) {}

WallTime ManualClock::wall_now() const {
    return civil_from_seconds(wall_seconds_);
}

void ManualClock::set_wall(WallTime t) {
    wall_seconds_ = seconds_from_civil(t);
    wall_ms_remainder_ = 0;
}

void ManualClock::advance_ms(std::int64_t ms) {
    steady_ms_ += ms;
    wall_ms_remainder_ += ms;
    wall_seconds_ += wall_ms_remainder_ / 1000;
    wall_ms_remainder_ %= 1000;
}

} // namespace olv
