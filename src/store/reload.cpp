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
    // Restored parent keys may differ from the stored ones.
    store.structure_changed();
    return status;
}

} // namespace olv
