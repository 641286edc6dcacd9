#include "store/operations.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace olv {

namespace {

// The stored fields of a record that is still modified, put over its freshly loaded copy; the
// memory-only fields stay as the load left them.
void take_stored(UserRecord& into, const UserRecord& from) {
    into.userID = from.userID;
    into.user_View = from.user_View;
    into.user_Currency = from.user_Currency;
    into.user_DateFormat = from.user_DateFormat;
}
void take_stored(ClientRecord& into, const ClientRecord& from) {
    into.client_name = from.client_name;
    into.client_rate = from.client_rate;
}
void take_stored(ProjectRecord& into, const ProjectRecord& from) {
    into.project_title = from.project_title;
    into.client_key = from.client_key;
    into.project_date = from.project_date;
    into.project_end = from.project_end;
    into.project_note = from.project_note;
    into.project_rate = from.project_rate;
}
void take_stored(ObjectiveRecord& into, const ObjectiveRecord& from) {
    into.ob_complete = from.ob_complete;
    into.ob_title = from.ob_title;
    into.Project_key = from.Project_key;
    into.ob_date = from.ob_date;
    into.ob_end = from.ob_end;
    into.ob_notes = from.ob_notes;
}
void take_stored(TaskRecord& into, const TaskRecord& from) {
    into.task_complete = from.task_complete;
    into.task_title = from.task_title;
    into.Obj_key = from.Obj_key;
    into.Task_Date = from.Task_Date;
    into.Task_End = from.Task_End;
    into.Task_Notes = from.Task_Notes;
    into.Task_Billed = from.Task_Billed;
    into.task_checked = from.task_checked;
}
void take_stored(TimeEntry& into, const TimeEntry& from) {
    into.Time = from.Time;
    into.billed = from.billed;
}

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
        take_stored(loaded[found->second], record);
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
