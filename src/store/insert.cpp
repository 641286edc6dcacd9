#include "store/operations.h"

namespace olv {

InsertResult insert_and_reload(Store& store, const std::string& statement) {
    InsertResult result;
    result.rc = store.db.execute(statement);
    if (result.rc != 0)
        return result;
    // The reload discards what is only in memory, so it goes to the database first; what the
    // database would not take stays in memory, modified, for the next flush.
    result.flush = flush(store);
    reload_keeping_unsaved(store);
    return result;
}

int insert_time_entry(Store& store, Key task_key, DateValue now, DateValue today) {
    const Key key = new_time_entry_key(store, now);
    const int rc = store.db.execute(insert_time_entry_sql(key, task_key, today));
    if (rc != 0)
        return rc;
    TimeEntry& entry = store.lists.entries.emplace_back();
    entry.key = key;
    entry.Task_Key = task_key;
    entry.date = today;
    entry.timing = 1;
    store.structure_changed();
    return rc;
}

} // namespace olv
