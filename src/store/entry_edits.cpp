// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/day_entries.h"
#include "store/operations.h"

#include <algorithm>

namespace olv {

namespace {

// Writes the entry's pending change at once. On success it is clean; otherwise it stays
// modified and keeps what the file lacks for the next flush.
int write_entry(Store& store, TimeEntry& entry) {
    entry.modified = true;
    const int rc = store.db.execute(write_sql(entry));
    if (AccessLayer::succeeded(rc)) {
        entry.modified = false;
        entry.unwritten = 0;
    }
    return rc;
}

} // namespace

EntryWriteResult add_time_to_day(Store& store, Key task_key, DateValue day, std::int64_t seconds,
                                 bool billed, DateValue now) {
    RecordLists& lists = store.lists;
    const std::uint8_t flag = billed ? 1 : 0;
    EntryWriteResult result;
    const auto task = std::find_if(lists.tasks.begin(), lists.tasks.end(),
                                   [task_key](const TaskRecord& t) { return t.key == task_key; });
    if (task != lists.tasks.end()) {
        const auto t = static_cast<std::size_t>(task - lists.tasks.begin());
        if (const std::optional<std::size_t> found = find_day_entry(store, t, day, billed)) {
            TimeEntry& entry = lists.entries[*found];
            entry.Time += seconds;
            result.rc = write_entry(store, entry);
            result.index = *found;
            return result;
        }
    }

    TimeEntry entry;
    entry.key = new_time_entry_key(store, now);
    entry.Task_Key = task_key;
    entry.Time = seconds;
    entry.date = day;
    entry.billed = flag;
    entry.unwritten = kWriteNewRow;
    result.rc = write_entry(store, entry);
    result.created = true;
    result.index = store.insert_record(std::move(entry)).index;
    return result;
}

EntryWriteResult change_time_entry(Store& store, std::size_t entry_index,
                                   const EntryChange& change) {
    RecordLists& lists = store.lists;
    EntryWriteResult result;
    result.index = entry_index;
    TimeEntry& entry = lists.entries[entry_index];
    const std::uint8_t flag = change.billed ? 1 : 0;
    const bool moved = entry.date != change.day || entry.Task_Key != change.task_key;
    if (!moved && entry.Time == change.seconds && entry.billed == flag)
        return result;

    entry.Time = change.seconds;
    entry.billed = flag;
    if (moved) {
        entry.date = change.day;
        entry.Task_Key = change.task_key;
        if (entry.unwritten != kWriteNewRow)
            entry.unwritten = kWriteRow;
    }
    result.rc = write_entry(store, entry);
    if (!moved)
        return result;

    // The entry leaves its old place: it goes where a load would put it, and the child index
    // follows it to its task.
    TimeEntry taken = entry;
    std::vector<char> doomed[kLevels];
    doomed[ChildIndex::kEntries].assign(lists.entries.size(), 0);
    doomed[ChildIndex::kEntries][entry_index] = 1;
    store.erase_records(doomed);
    result.index = store.insert_record(std::move(taken)).index;
    return result;
}

} // namespace olv
