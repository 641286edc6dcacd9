#include "store/day_entries.h"

#include "store/operations.h"

#include <algorithm>
#include <limits>

namespace olv {

std::vector<DaySeconds> seconds_by_day(DateValue from, std::int64_t seconds) {
    std::vector<DaySeconds> out;
    constexpr std::int64_t kLast = std::numeric_limits<DateValue>::max();
    std::int64_t at = from;
    while (seconds > 0) {
        const std::int64_t day = at - (at % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
        const std::int64_t next_day = day + kSecondsPerDay;
        // The last day that a date value can hold takes whatever is left.
        const std::int64_t part =
            next_day > kLast ? seconds : std::min<std::int64_t>(seconds, next_day - at);
        out.push_back({static_cast<DateValue>(day), part});
        seconds -= part;
        at += part;
    }
    return out;
}

std::optional<std::size_t> find_day_entry(const Store& store, std::size_t task_index,
                                          DateValue day) {
    for (const std::size_t e : store.children().entries_of_task(task_index))
        if (store.lists.entries[e].date == day)
            return e;
    return std::nullopt;
}

DayEntry day_entry(Store& store, std::size_t task_index, DateValue day, DateValue now) {
    DayEntry result;
    if (const std::optional<std::size_t> found = find_day_entry(store, task_index, day)) {
        result.index = *found;
        return result;
    }
    const Key task_key = store.lists.tasks[task_index].key;
    const Key key = new_time_entry_key(store, now);
    result.rc = store.db.execute(insert_time_entry_sql(key, task_key, day));
    if (result.rc != 0)
        return result;
    TimeEntry entry;
    entry.key = key;
    entry.Task_Key = task_key;
    entry.date = day;
    result.index = store.insert_record(std::move(entry)).index;
    result.created = true;
    return result;
}

int add_time_by_day(Store& store, std::size_t task_index, DateValue from, std::int64_t seconds,
                    DateValue now) {
    for (const DaySeconds& part : seconds_by_day(from, seconds)) {
        const DayEntry target = day_entry(store, task_index, part.day, now);
        if (target.rc != 0)
            return target.rc;
        TimeEntry& entry = store.lists.entries[target.index];
        entry.Time += part.seconds;
        entry.modified = true;
    }
    return 0;
}

} // namespace olv
