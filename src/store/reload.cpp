// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/operations.h"
#include "store/stored_fields.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace olv {

namespace {

template <typename Records> Records modified_only(const Records& records) {
    Records modified;
    std::copy_if(records.begin(), records.end(), std::back_inserter(modified),
                 [](const auto& r) { return r.modified; });
    return modified;
}

// Puts the unsaved records over the loaded ones with the same key, still modified. A record
// whose row is gone from the database stays gone.
template <typename Records> bool restore(const Records& unsaved, Records& loaded) {
    if (unsaved.empty())
        return false;
    std::unordered_map<Key, std::size_t> by_key;
    for (std::size_t i = 0; i < loaded.size(); ++i)
        by_key.emplace(loaded[i].key, i);
    bool restored = false;
    for (const auto& record : unsaved) {
        const auto found = by_key.find(record.key);
        if (found == by_key.end())
            continue;
        // The stored fields go over the fresh copy; the memory-only fields stay as loaded.
        take_updated_fields(loaded[found->second], record);
        loaded[found->second].modified = true;
        restored = true;
    }
    return restored;
}

// An entry whose day or task the file does not hold yet takes them back; one whose row the file
// lacks altogether comes back as it was, both still owed to the next flush.
void restore_unwritten_entries(Store& store, const std::vector<TimeEntry>& unsaved) {
    std::unordered_map<Key, std::size_t> by_key;
    for (std::size_t i = 0; i < store.lists.entries.size(); ++i)
        by_key.emplace(store.lists.entries[i].key, i);
    std::vector<TimeEntry> missing;
    bool moved = false;
    for (const TimeEntry& entry : unsaved) {
        if (entry.unwritten == 0)
            continue;
        const auto found = by_key.find(entry.key);
        if (found != by_key.end()) {
            TimeEntry& loaded = store.lists.entries[found->second];
            loaded.Task_Key = entry.Task_Key;
            loaded.date = entry.date;
            loaded.unwritten = entry.unwritten == kWriteNewRow ? kWriteRow : entry.unwritten;
            moved = true;
        } else if (entry.unwritten == kWriteNewRow) {
            missing.push_back(entry);
        }
    }
    if (moved) // a day taken back may put the entry elsewhere in load order
        std::stable_sort(store.lists.entries.begin(), store.lists.entries.end(),
                         [](const TimeEntry& a, const TimeEntry& b) { return a.date < b.date; });
    for (TimeEntry& entry : missing) {
        entry.timing = 0;
        entry.list_row = 0;
        store.insert_record(std::move(entry));
    }
}

} // namespace

LoadStatus reload_keeping_unsaved(Store& store) {
    const RecordLists& lists = store.lists;
    const auto users = modified_only(lists.users);
    const auto clients = modified_only(lists.clients);
    const auto projects = modified_only(lists.projects);
    const auto objectives = modified_only(lists.objectives);
    const auto tasks = modified_only(lists.tasks);
    const auto entries = modified_only(lists.entries);

    const LoadStatus status = load_all_records(store);
    RecordLists& loaded = store.lists;
    if (restore(users, loaded.users)) {
        // The display settings follow the users row as a load sets them.
        store.currency = loaded.users.back().user_Currency;
        store.date_mask = loaded.users.back().user_DateFormat;
    }
    restore(clients, loaded.clients);
    restore(projects, loaded.projects);
    restore(objectives, loaded.objectives);
    restore(tasks, loaded.tasks);
    restore(entries, loaded.entries);
    restore_unwritten_entries(store, entries);
    // Restored parent keys may differ from the stored ones.
    store.structure_changed();
    return status;
}

} // namespace olv
