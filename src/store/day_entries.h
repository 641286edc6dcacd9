#pragma once
// Time belongs to the day it was worked on: a task has one entry per day, and a stretch of time
// that passes midnight is cut there, each part going to its own day's entry.
#include "store/store.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace olv {

struct DaySeconds {
    DateValue day = 0; // 00:00:00 of the day
    std::int64_t seconds = 0;
};

// The `seconds` that start at `from`, cut at every midnight: the seconds of each day in turn.
// Nothing for no seconds; a stretch that would pass the last representable day ends there.
std::vector<DaySeconds> seconds_by_day(DateValue from, std::int64_t seconds);

// The task's entry dated `day` (its 00:00:00): the first in list order, by entries-list index.
std::optional<std::size_t> find_day_entry(const Store& store, std::size_t task_index,
                                          DateValue day);

// The task's entry of `day`, or a new one inserted at once as a timer start inserts it (key from
// `now`, no time, not billed, not timed). On a failed insert `rc` is the engine's result and
// nothing was added. A new entry may move others in the entries list: indices taken before are
// stale then.
struct DayEntry {
    int rc = 0;
    std::size_t index = 0;
    bool created = false;
};
DayEntry day_entry(Store& store, std::size_t task_index, DateValue day, DateValue now);

// Adds the `seconds` that start at `from` to the task's entries of the days they fall on, each
// entry made when missing, and marks them modified. Returns the result of the first insert that
// failed; the seconds of the days before it are added, none after.
int add_time_by_day(Store& store, std::size_t task_index, DateValue from, std::int64_t seconds,
                    DateValue now);

} // namespace olv
