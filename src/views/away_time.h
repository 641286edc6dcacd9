// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Time the user was away (no keyboard or mouse) taken out of the entries of the running tasks,
// each second from the day it fell on; the running and recently timed tasks.
#include "store/store.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace olv {

// Takes the `seconds` that start at `from` out of the task's entries: each day's part from its
// entry of that day (adding goes to store/day_entries.h); what that entry does not hold comes off
// the entry being timed, which may have counted it. No entry goes below zero. Returns the seconds
// removed.
std::int64_t remove_task_seconds(Store& store, std::size_t task_index, DateValue from,
                                 std::int64_t seconds);

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
