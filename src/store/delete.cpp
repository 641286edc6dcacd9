// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/operations.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace olv {

namespace {

using KeySet = std::unordered_set<Key>;

// Runs the cascade's statements. The cascade is one transaction: once a statement fails, or the
// engine has ended the transaction itself (a full disk, a constraint, a trigger), nothing more
// is issued, since it would run and commit outside the transaction and leave half a cascade.
class Cascade {
public:
    Cascade(AccessLayer& db, bool in_transaction) : db_(db), in_transaction_(in_transaction) {}
    void run(const std::string& statement) {
        if (failed_)
            return;
        failed_ = !AccessLayer::succeeded(db_.execute(statement)) ||
                  (in_transaction_ && !db_.in_transaction());
    }
    bool failed() const { return failed_; }

private:
    AccessLayer& db_;
    const bool in_transaction_;
    bool failed_ = false;
};

// Marks the children of the given parents and gathers their keys. Returns the parents that have
// children, in list order: each issues its child statement once.
template <typename Children, typename ParentKeyOf>
std::vector<Key> mark_children(const std::vector<Key>& parents, const Children& children,
                               std::vector<char>& doomed, std::vector<Key>& child_keys,
                               ParentKeyOf parent_key_of) {
    KeySet parent_set(parents.begin(), parents.end());
    KeySet with_children;
    doomed.assign(children.size(), 0);
    child_keys.clear();
    std::vector<Key> parents_with_children;
    if (parent_set.empty())
        return parents_with_children;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Key parent = parent_key_of(children[i]);
        if (parent_set.count(parent)) {
            doomed[i] = 1;
            child_keys.push_back(children[i].key);
            with_children.insert(parent);
        }
    }
    for (Key parent : parents)
        if (with_children.erase(parent))
            parents_with_children.push_back(parent);
    return parents_with_children;
}

// Marks the time entries of the given tasks, found through the child index: the entries list
// is the long one, and a scan of it costs a key lookup per entry. Every entry with a task key
// belongs to the first task with that key, so the tasks holding the keys have them all. Returns
// the keys of the marked entries in list order.
std::vector<Key> mark_entries(const Store& store, const std::vector<Key>& tasks,
                              std::vector<char>& doomed) {
    const RecordLists& lists = store.lists;
    const ChildIndex& index = store.children();
    const KeySet task_set(tasks.begin(), tasks.end());
    doomed.assign(lists.entries.size(), 0);
    for (std::size_t t = 0; t < lists.tasks.size(); ++t)
        if (task_set.count(lists.tasks[t].key))
            for (std::size_t e : index.entries_of_task(t))
                doomed[e] = 1;
    std::vector<Key> keys;
    for (std::size_t e = 0; e < doomed.size(); ++e)
        if (doomed[e])
            keys.push_back(lists.entries[e].key);
    return keys;
}

void delete_children(Cascade& cascade, RecordKind parent_kind, const std::vector<Key>& parents) {
    for (Key parent : parents)
        cascade.run(delete_children_sql(parent_kind, parent));
}

// The entries go by their own keys, the table's row ids, a slice at a time: each is found
// directly, where a statement per task would scan the whole table for its task key (or first
// need an index on it, which costs more to build than the cascade itself).
constexpr std::size_t kEntriesPerStatement = 1000;

void delete_entries(Cascade& cascade, const std::vector<Key>& keys) {
    for (std::size_t first = 0; first < keys.size(); first += kEntriesPerStatement) {
        const std::size_t last = std::min(keys.size(), first + kEntriesPerStatement);
        cascade.run(delete_time_entries_sql(
            std::vector<Key>(keys.begin() + static_cast<std::ptrdiff_t>(first),
                             keys.begin() + static_cast<std::ptrdiff_t>(last))));
    }
}

} // namespace

DeleteOutcome delete_tree_item_records(Store& store, std::int32_t position) {
    const RecordRef found = record_at(store, position);
    if (found.kind == RecordKind::User)
        return DeleteOutcome::UserItem;
    if (!found)
        return DeleteOutcome::NoRecord;

    RecordLists& lists = store.lists;
    AccessLayer& db = store.db;
    // One transaction: the cascade touches many rows and must not cost one commit per row.
    const bool in_transaction = AccessLayer::succeeded(db.execute("BEGIN"));
    Cascade cascade(db, in_transaction);

    std::vector<char> doomed_projects(lists.projects.size(), 0);
    std::vector<char> doomed_objectives(lists.objectives.size(), 0);
    std::vector<char> doomed_tasks(lists.tasks.size(), 0);
    std::vector<char> doomed_entries;
    std::vector<Key> clients, projects, objectives, tasks;
    std::vector<char> doomed_clients(lists.clients.size(), 0);

    switch (found.kind) {
    case RecordKind::Client:
        doomed_clients[found.index] = 1;
        clients.push_back(lists.clients[found.index].key);
        cascade.run(delete_record_sql(RecordKind::Client, clients.back()));
        break;
    case RecordKind::Project:
        doomed_projects[found.index] = 1;
        projects.push_back(lists.projects[found.index].key);
        cascade.run(delete_record_sql(RecordKind::Project, projects.back()));
        break;
    case RecordKind::Objective:
        doomed_objectives[found.index] = 1;
        objectives.push_back(lists.objectives[found.index].key);
        cascade.run(delete_record_sql(RecordKind::Objective, objectives.back()));
        break;
    case RecordKind::Task:
        doomed_tasks[found.index] = 1;
        tasks.push_back(lists.tasks[found.index].key);
        cascade.run(delete_record_sql(RecordKind::Task, tasks.back()));
        break;
    case RecordKind::None:
    case RecordKind::User:
        break;
    }

    // Level by level: the children of everything doomed so far join the doomed.
    const auto merge = [](std::vector<char>& into, const std::vector<char>& from) {
        for (std::size_t i = 0; i < into.size(); ++i)
            into[i] = static_cast<char>(into[i] | from[i]);
    };
    std::vector<char> marks;
    std::vector<Key> found_keys;
    if (!clients.empty()) {
        delete_children(cascade, RecordKind::Client,
                        mark_children(clients, lists.projects, marks, found_keys,
                                      [](const ProjectRecord& p) { return p.client_key; }));
        merge(doomed_projects, marks);
        projects.insert(projects.end(), found_keys.begin(), found_keys.end());
    }
    if (!projects.empty()) {
        delete_children(cascade, RecordKind::Project,
                        mark_children(projects, lists.objectives, marks, found_keys,
                                      [](const ObjectiveRecord& o) { return o.Project_key; }));
        merge(doomed_objectives, marks);
        objectives.insert(objectives.end(), found_keys.begin(), found_keys.end());
    }
    if (!objectives.empty()) {
        delete_children(cascade, RecordKind::Objective,
                        mark_children(objectives, lists.tasks, marks, found_keys,
                                      [](const TaskRecord& t) { return t.Obj_key; }));
        merge(doomed_tasks, marks);
        tasks.insert(tasks.end(), found_keys.begin(), found_keys.end());
    }
    if (!tasks.empty())
        delete_entries(cascade, mark_entries(store, tasks, doomed_entries));

    // Without a transaction (BEGIN refused) each statement stood on its own.
    const bool failed =
        cascade.failed() || (in_transaction && !AccessLayer::succeeded(db.execute("COMMIT")));
    if (failed) {
        if (db.in_transaction())
            db.execute("ROLLBACK");
        return DeleteOutcome::WriteFailed;
    }

    std::vector<char> doomed[kLevels];
    doomed[ChildIndex::kClients] = std::move(doomed_clients);
    doomed[ChildIndex::kProjects] = std::move(doomed_projects);
    doomed[ChildIndex::kObjectives] = std::move(doomed_objectives);
    doomed[ChildIndex::kTasks] = std::move(doomed_tasks);
    doomed[ChildIndex::kEntries] = std::move(doomed_entries);
    store.erase_records(doomed);
    return DeleteOutcome::Deleted;
}

int delete_time_entry_record(Store& store, std::size_t entry_index) {
    auto& entries = store.lists.entries;
    if (entry_index >= entries.size())
        return AccessLayer::kNoDatabase;
    const int rc = store.db.execute(delete_time_entry_sql(entries[entry_index].key));
    if (rc != 0)
        return rc;
    std::vector<char> doomed[kLevels];
    doomed[ChildIndex::kEntries].assign(entries.size(), 0);
    doomed[ChildIndex::kEntries][entry_index] = 1;
    store.erase_records(doomed);
    return rc;
}

} // namespace olv
