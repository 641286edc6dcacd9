#include "common/clock.h"

#include <ctime>

namespace olv {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

WallTime civil_from_seconds(std::int64_t s) {
    std::int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    std::int64_t rest = s - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    WallTime t;
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t seconds_from_civil(const WallTime& t) {
    return days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
               86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
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
