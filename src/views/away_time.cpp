#include "views/away_time.h"

#include "store/operations.h"

#include <algorithm>

namespace olv {

namespace {

constexpr std::int64_t kDay = 86400;

DateValue day_of(std::int64_t moment) {
    const std::int64_t days = moment >= 0 ? moment / kDay : (moment - kDay + 1) / kDay;
    return static_cast<DateValue>(days * kDay);
}

// The task's entry dated `day`, or the entry being timed when `day` is negative; nullptr when
// there is none.
TimeEntry* entry_of(Store& store, std::size_t task_index, DateValue day, bool timed) {
    for (std::size_t e : store.children().entries_of_task(task_index)) {
        TimeEntry& entry = store.lists.entries[e];
        if (timed ? entry.timing != 0 : entry.date == day)
            return &entry;
    }
    return nullptr;
}

std::int32_t take_from(TimeEntry* entry, std::int64_t wanted) {
    if (!entry || wanted <= 0)
        return 0;
    const std::int32_t taken =
        static_cast<std::int32_t>(std::min<std::int64_t>(wanted, entry->Time));
    if (taken > 0) {
        entry->Time -= taken;
        entry->modified = true;
    }
    return taken;
}

} // namespace

std::vector<DayPart> split_by_day(DateValue from, DateValue to) {
    std::vector<DayPart> parts;
    for (std::int64_t at = from; at < to;) {
        const DateValue day = day_of(at);
        const std::int64_t end = std::min<std::int64_t>(to, std::int64_t{day} + kDay);
        parts.push_back({day, static_cast<std::int32_t>(end - at)});
        at = end;
    }
    return parts;
}

std::int64_t remove_task_seconds(Store& store, std::size_t task_index, DateValue from,
                                 DateValue to) {
    std::int64_t removed = 0;
    std::int64_t left_over = 0;
    for (const DayPart& part : split_by_day(from, to)) {
        const std::int32_t taken =
            take_from(entry_of(store, task_index, part.day, false), part.seconds);
        removed += taken;
        left_over += part.seconds - taken;
    }
    removed += take_from(entry_of(store, task_index, 0, true), left_over);
    return removed;
}

int add_task_seconds(Store& store, std::size_t task_index, DateValue from, DateValue to,
                     DateValue now) {
    int failed = 0;
    const Key task_key = store.lists.tasks[task_index].key;
    for (const DayPart& part : split_by_day(from, to)) {
        TimeEntry* entry = entry_of(store, task_index, part.day, false);
        if (!entry) {
            if (const int rc = insert_time_entry(store, task_key, now, part.day); rc != 0) {
                if (failed == 0)
                    failed = rc;
                continue;
            }
            entry = entry_of(store, task_index, part.day, false);
            if (!entry)
                continue;
            // A day's entry made here only holds the time; the timer counts where it did.
            entry->timing = 0;
        }
        entry->Time = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{entry->Time} + part.seconds, INT32_MAX));
        entry->modified = true;
    }
    return failed;
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
