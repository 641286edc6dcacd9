#pragma once
// Time the user was away (no keyboard or mouse) or the computer slept, taken out of or put into
// the entries of the running tasks, each second on the day it fell on.
#include "store/store.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace olv {

// The seconds of [from, to) that fall on each day, earliest day first.
struct DayPart {
    DateValue day = 0; // 00:00:00 of the day
    std::int32_t seconds = 0;
};
std::vector<DayPart> split_by_day(DateValue from, DateValue to);

// Takes the seconds of [from, to) out of the task's entries: each day's part from its entry of
// that day; what that entry does not hold comes off the entry being timed, which counted on
// past midnight. No entry goes below zero. Returns the seconds removed.
std::int64_t remove_task_seconds(Store& store, std::size_t task_index, DateValue from,
                                 DateValue to);

// Puts the seconds of [from, to) into the task's entries: each day's part into its entry of that
// day, made (not timed) when there is none. `now` gives the key of a new entry. Returns the
// engine result of the first insert that failed (its part is not added), else 0.
int add_task_seconds(Store& store, std::size_t task_index, DateValue from, DateValue to,
                     DateValue now);

// A task whose timer runs, with the seconds of its entries of `today`.
struct RunningTask {
    std::size_t index = 0;
    Key key = 0;
    std::string title;
    std::int64_t seconds_today = 0;
};
std::vector<RunningTask> running_tasks(const Store& store, DateValue today);

// Up to `count` tasks that are neither running nor complete, the most recently timed first (by
// the day of their latest entry, then the entry's key).
std::vector<std::size_t> recently_timed_tasks(const Store& store, std::size_t count);

// "1:02:03": hours without leading zeros, then minutes and seconds.
QString clock_duration(std::int64_t seconds);

} // namespace olv
