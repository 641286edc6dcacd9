// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/operations.h"

#include <algorithm>
#include <vector>

namespace olv {

namespace {

// `now`, or the smallest larger value that no record of the list holds. Only keys from `now`
// on can be in the way, so just those are gathered.
template <typename Records> Key unused_key(const Records& records, DateValue now) {
    std::vector<Key> taken;
    for (const auto& record : records)
        if (record.key >= now)
            taken.push_back(record.key);
    std::sort(taken.begin(), taken.end());
    Key key = now;
    for (Key k : taken) {
        if (k > key)
            break;
        if (k == key)
            ++key;
    }
    return key;
}

} // namespace

Key new_client_key(const Store& store, DateValue now) {
    return unused_key(store.lists.clients, now);
}

Key new_project_key(const Store& store, DateValue now) {
    return unused_key(store.lists.projects, now);
}

Key new_objective_key(const Store& store, DateValue now) {
    return unused_key(store.lists.objectives, now);
}

Key new_task_key(const Store& store, DateValue now) {
    return unused_key(store.lists.tasks, now);
}

Key new_time_entry_key(const Store& store, DateValue now) {
    return unused_key(store.lists.entries, now);
}

} // namespace olv
