// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/operations.h"

namespace olv {

InsertResult insert_and_place(Store& store, RecordKind kind, Key key,
                              const std::string& statement) {
    InsertResult result;
    result.rc = store.db.execute(statement);
    if (result.rc != 0)
        return result;
    // Each insert is followed by a flush, so the file holds every edit made before it.
    result.flush = flush(store);
    if (const std::optional<Store::Placed> placed = load_one_record(store, kind, key)) {
        // The display settings follow the users row, as a load sets them.
        if (!store.lists.users.empty()) {
            store.currency = store.lists.users.back().user_Currency;
            store.date_mask = store.lists.users.back().user_DateFormat;
        }
        result.index = placed->index;
        result.reordered = placed->reordered;
        return result;
    }
    // The engine took the statement but holds no such row (a trigger, another program):
    // memory follows the file.
    reload_keeping_unsaved(store);
    result.reloaded = true;
    return result;
}

int insert_time_entry(Store& store, Key task_key, DateValue now, DateValue today) {
    const Key key = new_time_entry_key(store, now);
    const int rc = store.db.execute(insert_time_entry_sql(key, task_key, today));
    if (rc != 0)
        return rc;
    TimeEntry entry;
    entry.key = key;
    entry.Task_Key = task_key;
    entry.date = today;
    entry.timing = 1;
    store.insert_record(std::move(entry));
    return rc;
}

} // namespace olv
