#pragma once
// Date values: signed 32-bit seconds since 1970-01-01 00:00:00 of the local wall clock, taken
// as calendar fields with no zone or daylight-saving offset; -1 marks an invalid date.
#include <cstdint>
#include <string>
#include <string_view>

namespace olv {

using DateValue = std::int32_t;
constexpr DateValue kInvalidDate = -1;
constexpr std::int32_t kSecondsPerDay = 86400;

class Clock;

DateValue make_date(int year, int month, int day, int hour, int minute, int second);
// The local wall clock now, to the second, as the clock reports it.
DateValue current_date(const Clock& clock);
// 00:00:00 of the clock's current day.
DateValue start_of_today(const Clock& clock);
// 00:00:00 of the day a date value falls on.
DateValue start_of_day(DateValue d);

int date_year(DateValue d);
int date_month(DateValue d);
int date_day(DateValue d);
int date_hour(DateValue d);
int date_minute(DateValue d);
int date_second(DateValue d);

// Masks: "%yyyy" "%yy" "%mm" "%dd" "%hh" "%ii" "%ss", matched without regard to case.
std::string format_date(std::string_view mask, DateValue d);
DateValue parse_date(std::string_view mask, std::string_view text);

} // namespace olv
