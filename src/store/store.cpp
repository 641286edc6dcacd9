// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/store.h"

#include <algorithm>
#include <tuple>

namespace olv {

namespace {

// The load's ORDER BY of each list; equal values stay in key order, as the engine returns them.
auto load_order(const ClientRecord& r) {
    return std::tie(r.client_name, r.key);
}
auto load_order(const ProjectRecord& r) {
    return std::tie(r.project_date, r.key);
}
auto load_order(const ObjectiveRecord& r) {
    return std::tie(r.ob_date, r.key);
}
auto load_order(const TaskRecord& r) {
    return std::tie(r.Task_End, r.Task_Date, r.task_title, r.key);
}
auto load_order(const TimeEntry& r) {
    return std::tie(r.date, r.key);
}

struct LoadOrder {
    template <typename Record> bool operator()(const Record& a, const Record& b) const {
        return load_order(a) < load_order(b);
    }
};

template <typename Records> void erase_marked(Records& records, const std::vector<char>& doomed) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i < doomed.size() && doomed[i])
            continue;
        if (kept != i)
            records[kept] = std::move(records[i]);
        ++kept;
    }
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(kept), records.end());
}

} // namespace

template <typename Record>
Store::Placed Store::place(std::vector<Record>& list, Record&& record, int level,
                           bool check_order) {
    Placed placed;
    if (check_order && !std::is_sorted(list.begin(), list.end(), LoadOrder{})) {
        std::sort(list.begin(), list.end(), LoadOrder{});
        placed.reordered = true;
    }
    const auto at = std::upper_bound(list.begin(), list.end(), record, LoadOrder{});
    placed.index = static_cast<std::size_t>(at - list.begin());
    list.insert(at, std::move(record));
    const bool index_current = index_ && index_version_ == structure_version_;
    ++structure_version_;
    if (index_current && !placed.reordered) {
        index_->inserted(lists, level, placed.index);
        index_version_ = structure_version_;
    }
    return placed;
}

Store::Placed Store::insert_record(ClientRecord record) {
    return place(lists.clients, std::move(record), ChildIndex::kClients, true);
}
Store::Placed Store::insert_record(ProjectRecord record) {
    return place(lists.projects, std::move(record), ChildIndex::kProjects, true);
}
Store::Placed Store::insert_record(ObjectiveRecord record) {
    return place(lists.objectives, std::move(record), ChildIndex::kObjectives, true);
}
Store::Placed Store::insert_record(TaskRecord record) {
    return place(lists.tasks, std::move(record), ChildIndex::kTasks, true);
}
// An entry whose day is edited is taken out and put back (change_time_entry), so the entries
// stay in load order.
Store::Placed Store::insert_record(TimeEntry record) {
    return place(lists.entries, std::move(record), ChildIndex::kEntries, false);
}

void Store::erase_records(const std::vector<char> (&doomed)[kLevels]) {
    const bool index_current = index_ && index_version_ == structure_version_;
    erase_marked(lists.clients, doomed[ChildIndex::kClients]);
    erase_marked(lists.projects, doomed[ChildIndex::kProjects]);
    erase_marked(lists.objectives, doomed[ChildIndex::kObjectives]);
    erase_marked(lists.tasks, doomed[ChildIndex::kTasks]);
    erase_marked(lists.entries, doomed[ChildIndex::kEntries]);
    ++structure_version_;
    if (index_current) {
        index_->erased(doomed);
        index_version_ = structure_version_;
    }
}

const ChildIndex& Store::children() const {
    if (!index_ || index_version_ != structure_version_) {
        index_ = std::make_unique<ChildIndex>(lists);
        index_version_ = structure_version_;
    }
    return *index_;
}

namespace {

template <typename Record>
bool find_position(const std::vector<Record>& records, std::int32_t tree_pos, RecordKind kind,
                   RecordRef& found) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].tree_pos == tree_pos) {
            found = RecordRef{kind, i};
            return true;
        }
    }
    return false;
}

} // namespace

RecordRef record_at(const Store& store, std::int32_t tree_pos) {
    const RecordLists& l = store.lists;
    RecordRef found;
    if (find_position(l.users, tree_pos, RecordKind::User, found) ||
        find_position(l.clients, tree_pos, RecordKind::Client, found) ||
        find_position(l.projects, tree_pos, RecordKind::Project, found) ||
        find_position(l.objectives, tree_pos, RecordKind::Objective, found) ||
        find_position(l.tasks, tree_pos, RecordKind::Task, found))
        return found;
    return {};
}

} // namespace olv
