// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/away_time.h"

#include "store/day_entries.h"

#include <algorithm>

namespace olv {

namespace {

// The task's entry being timed, which may hold seconds of a later day: nullptr when none is.
TimeEntry* timed_entry(Store& store, std::size_t task_index) {
    for (std::size_t e : store.children().entries_of_task(task_index))
        if (store.lists.entries[e].timing != 0)
            return &store.lists.entries[e];
    return nullptr;
}

std::int64_t take_from(TimeEntry* entry, std::int64_t wanted) {
    if (!entry || wanted <= 0)
        return 0;
    const std::int64_t taken = std::min(wanted, entry->Time);
    if (taken > 0) {
        entry->Time -= taken;
        entry->modified = true;
    }
    return taken;
}

} // namespace

std::int64_t remove_task_seconds(Store& store, std::size_t task_index, DateValue from,
                                 std::int64_t seconds) {
    std::int64_t removed = 0;
    std::int64_t left_over = 0;
    for (const DaySeconds& part : seconds_by_day(from, seconds)) {
        const auto e = find_day_entry(store, task_index, part.day);
        const std::int64_t taken = take_from(e ? &store.lists.entries[*e] : nullptr, part.seconds);
        removed += taken;
        left_over += part.seconds - taken;
    }
    return removed + take_from(timed_entry(store, task_index), left_over);
}

std::vector<RunningTask> running_tasks(const Store& store, DateValue today) {
    std::vector<RunningTask> running;
    const RecordLists& lists = store.lists;
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        const TaskRecord& task = lists.tasks[t];
        if (!task.running)
            continue;
        RunningTask r{t, task.key, task.task_title, 0};
        for (std::size_t e : store.children().entries_of_task(t))
            if (lists.entries[e].date == today)
                r.seconds_today += lists.entries[e].Time;
        running.push_back(std::move(r));
    }
    return running;
}

std::vector<std::size_t> recently_timed_tasks(const Store& store, std::size_t count) {
    struct Latest {
        std::size_t task;
        DateValue day;
        Key key;
    };
    std::vector<Latest> latest;
    const RecordLists& lists = store.lists;
    const ChildIndex& children = store.children();
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        const TaskRecord& task = lists.tasks[t];
        if (task.running || task.task_complete)
            continue;
        const auto& entries = children.entries_of_task(t);
        if (entries.empty())
            continue;
        Latest best{t, lists.entries[entries.front()].date, lists.entries[entries.front()].key};
        for (std::size_t e : entries) {
            const TimeEntry& entry = lists.entries[e];
            if (entry.date > best.day || (entry.date == best.day && entry.key > best.key))
                best = {t, entry.date, entry.key};
        }
        latest.push_back(best);
    }
    const auto newer = [](const Latest& a, const Latest& b) {
        return a.day != b.day ? a.day > b.day : a.key > b.key;
    };
    const std::size_t n = std::min(count, latest.size());
    std::partial_sort(latest.begin(), latest.begin() + static_cast<std::ptrdiff_t>(n), latest.end(),
                      newer);
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < n; ++i)
        result.push_back(latest[i].task);
    return result;
}

QString clock_duration(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace olv
