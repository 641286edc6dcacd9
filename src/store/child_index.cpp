// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/child_index.h"

#include "store/records.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace olv {

namespace {

constexpr std::size_t kNone = ChildIndex::kNoParent;

// Parents by key: an open-addressing table sized for the list, because a load of a few years
// looks up a million parent keys in one go.
class ParentsByKey {
public:
    template <typename Record> explicit ParentsByKey(const std::vector<Record>& parents) {
        const std::size_t capacity = std::bit_ceil(parents.size() * 2 + 2);
        shift_ = 64 - std::countr_zero(capacity);
        slots_.assign(capacity, Slot{});
        for (std::size_t i = 0; i < parents.size(); ++i) {
            std::size_t s = slot_of(parents[i].key);
            while (slots_[s].index != kNone && slots_[s].key != parents[i].key)
                s = (s + 1) & (capacity - 1);
            if (slots_[s].index == kNone)
                slots_[s] = Slot{parents[i].key, i};
        }
    }

    // List index of the first parent with the key, or kNone.
    std::size_t find(Key key) const {
        std::size_t s = slot_of(key);
        while (slots_[s].index != kNone) {
            if (slots_[s].key == key)
                return slots_[s].index;
            s = (s + 1) & (slots_.size() - 1);
        }
        return kNone;
    }

private:
    struct Slot {
        Key key = 0;
        std::size_t index = kNone;
    };

    // Keys are creation times, close together: Fibonacci hashing spreads them.
    std::size_t slot_of(Key key) const {
        const auto k = static_cast<std::uint64_t>(static_cast<std::uint32_t>(key));
        return shift_ >= 64 ? 0 : static_cast<std::size_t>((k * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    std::vector<Slot> slots_;
    int shift_ = 64;
};

// Children of each parent in list order; `owners` receives the parent of every child.
template <typename Parent, typename Child, typename ParentKeyOf>
std::vector<ChildIndex::Indices> group(const std::vector<Parent>& parents,
                                       const std::vector<Child>& children, ParentKeyOf parent_key,
                                       ChildIndex::Indices& owners) {
    const ParentsByKey by_key(parents);
    // Room for the records added later without moving the whole table (a million entries).
    owners.reserve(children.size() + children.size() / 32 + 16);
    owners.resize(children.size());
    std::vector<std::size_t> counts(parents.size(), 0);
    for (std::size_t c = 0; c < children.size(); ++c) {
        owners[c] = by_key.find(parent_key(children[c]));
        if (owners[c] != kNone)
            ++counts[owners[c]];
    }
    std::vector<ChildIndex::Indices> result(parents.size());
    for (std::size_t p = 0; p < parents.size(); ++p)
        result[p].reserve(counts[p]);
    for (std::size_t c = 0; c < children.size(); ++c)
        if (owners[c] != kNone)
            result[owners[c]].push_back(c);
    return result;
}

template <typename Parent, typename Child, typename ParentKeyOf>
std::vector<ChildIndex::Indices> group(const std::vector<Parent>& parents,
                                       const std::vector<Child>& children, ParentKeyOf parent_key) {
    ChildIndex::Indices owners;
    return group(parents, children, parent_key, owners);
}

// An index beyond the lists the index was built from has no children.
const ChildIndex::Indices& children_at(const std::vector<ChildIndex::Indices>& lists,
                                       std::size_t index) {
    static const ChildIndex::Indices none;
    return index < lists.size() ? lists[index] : none;
}

} // namespace

ChildIndex::ChildIndex(const RecordLists& lists)
    : client_projects_(group(lists.clients, lists.projects,
                             [](const ProjectRecord& r) { return r.client_key; })),
      project_objectives_(group(lists.projects, lists.objectives,
                                [](const ObjectiveRecord& r) { return r.Project_key; })),
      objective_tasks_(
          group(lists.objectives, lists.tasks, [](const TaskRecord& r) { return r.Obj_key; })) {
    task_entries_ = group(
        lists.tasks, lists.entries, [](const TimeEntry& r) { return r.Task_Key; }, entry_tasks_);
}

const ChildIndex::Indices& ChildIndex::projects_of_client(std::size_t client_index) const {
    return children_at(client_projects_, client_index);
}

const ChildIndex::Indices& ChildIndex::objectives_of_project(std::size_t project_index) const {
    return children_at(project_objectives_, project_index);
}

const ChildIndex::Indices& ChildIndex::tasks_of_objective(std::size_t objective_index) const {
    return children_at(objective_tasks_, objective_index);
}

const ChildIndex::Indices& ChildIndex::entries_of_task(std::size_t task_index) const {
    return children_at(task_entries_, task_index);
}

} // namespace olv

namespace olv {

namespace {

// Indices at or after `index` move one on.
void shift_from(std::vector<ChildIndex::Indices>& lists, std::size_t index) {
    for (auto& list : lists)
        for (std::size_t& i : list)
            if (i >= index)
                ++i;
}

// The first record holding the key, as a build finds it.
template <typename Records> std::size_t first_with_key(const Records& records, Key key) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].key == key)
            return i;
    return ChildIndex::kNoParent;
}

// The children of a new parent: those with its key and no parent before it came.
template <typename Children, typename ParentKeyOf>
ChildIndex::Indices adopted(const Children& children, Key key, ParentKeyOf parent_key) {
    ChildIndex::Indices found;
    for (std::size_t c = 0; c < children.size(); ++c)
        if (parent_key(children[c]) == key)
            found.push_back(c);
    return found;
}

void add_child(std::vector<ChildIndex::Indices>& lists, std::size_t parent, std::size_t child) {
    if (parent == ChildIndex::kNoParent || parent >= lists.size())
        return;
    auto& list = lists[parent];
    list.insert(std::lower_bound(list.begin(), list.end(), child), child);
}

// New list indices after an erase: kNoParent for the erased ones.
ChildIndex::Indices remap_of(const std::vector<char>& doomed, std::size_t size) {
    ChildIndex::Indices remap(size);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; ++i)
        remap[i] = i < doomed.size() && doomed[i] ? ChildIndex::kNoParent : kept++;
    return remap;
}

void erase_parents(std::vector<ChildIndex::Indices>& lists, const std::vector<char>& doomed) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (i < doomed.size() && doomed[i])
            continue;
        if (kept != i)
            lists[kept] = std::move(lists[i]);
        ++kept;
    }
    lists.resize(kept);
}

void remap_children(std::vector<ChildIndex::Indices>& lists, const ChildIndex::Indices& remap) {
    for (auto& list : lists) {
        std::size_t kept = 0;
        for (std::size_t i : list)
            if (remap[i] != ChildIndex::kNoParent)
                list[kept++] = remap[i];
        list.resize(kept);
    }
}

} // namespace

std::vector<ChildIndex::Indices>* ChildIndex::children_of_level(int level) {
    switch (level) {
    case kClients:
        return &client_projects_;
    case kProjects:
        return &project_objectives_;
    case kObjectives:
        return &objective_tasks_;
    case kTasks:
        return &task_entries_;
    default:
        return nullptr;
    }
}

void ChildIndex::inserted(const RecordLists& lists, int level, std::size_t index) {
    // The lists of children that name the new record's list, and its own parent.
    std::vector<Indices>* siblings = level > kClients ? children_of_level(level - 1) : nullptr;
    std::size_t parent = kNoParent;
    switch (level) {
    case kProjects:
        parent = first_with_key(lists.clients, lists.projects[index].client_key);
        break;
    case kObjectives:
        parent = first_with_key(lists.projects, lists.objectives[index].Project_key);
        break;
    case kTasks:
        parent = first_with_key(lists.objectives, lists.tasks[index].Obj_key);
        break;
    case kEntries: {
        // Most tasks are found near the end: new entries belong to recent tasks.
        const Key task_key = lists.entries[index].Task_Key;
        for (std::size_t t = lists.tasks.size(); t-- > 0;)
            if (lists.tasks[t].key == task_key)
                parent = t;
        break;
    }
    default:
        break;
    }
    if (siblings) {
        shift_from(*siblings, index);
        add_child(*siblings, parent, index);
    }
    if (level == kEntries) {
        entry_tasks_.insert(entry_tasks_.begin() + static_cast<std::ptrdiff_t>(index), parent);
        return;
    }
    if (level == kTasks)
        for (std::size_t& owner : entry_tasks_)
            if (owner != kNoParent && owner >= index)
                ++owner;

    // Its own children: none for a new key, unless rows were waiting for a parent of that key.
    Indices children;
    switch (level) {
    case kClients:
        children = adopted(lists.projects, lists.clients[index].key,
                           [](const ProjectRecord& r) { return r.client_key; });
        break;
    case kProjects:
        children = adopted(lists.objectives, lists.projects[index].key,
                           [](const ObjectiveRecord& r) { return r.Project_key; });
        break;
    case kObjectives:
        children = adopted(lists.tasks, lists.objectives[index].key,
                           [](const TaskRecord& r) { return r.Obj_key; });
        break;
    case kTasks:
        children = adopted(lists.entries, lists.tasks[index].key,
                           [](const TimeEntry& r) { return r.Task_Key; });
        for (std::size_t e : children)
            entry_tasks_[e] = index;
        break;
    default:
        break;
    }
    std::vector<Indices>& own = *children_of_level(level);
    own.insert(own.begin() + static_cast<std::ptrdiff_t>(index), std::move(children));
}

void ChildIndex::erased(const std::vector<char> (&doomed)[kLevels]) {
    // New indices by the sizes before the erase.
    const Indices projects = remap_of(doomed[kProjects], project_objectives_.size());
    const Indices objectives = remap_of(doomed[kObjectives], objective_tasks_.size());
    const Indices tasks = remap_of(doomed[kTasks], task_entries_.size());
    erase_parents(client_projects_, doomed[kClients]);
    erase_parents(project_objectives_, doomed[kProjects]);
    erase_parents(objective_tasks_, doomed[kObjectives]);
    erase_parents(task_entries_, doomed[kTasks]);
    remap_children(client_projects_, projects);
    remap_children(project_objectives_, objectives);
    remap_children(objective_tasks_, tasks);

    // The entries list is long: one pass in list order gives every kept entry its new index and
    // its task's new index, and refills the tasks' lists in order. Looking each listed entry up
    // among the erased ones instead costs a search per entry of the whole list.
    const std::vector<char>& gone = doomed[kEntries];
    const bool entries_change = std::find(gone.begin(), gone.end(), 1) != gone.end();
    const bool tasks_change =
        std::find(doomed[kTasks].begin(), doomed[kTasks].end(), 1) != doomed[kTasks].end();
    if (!entries_change && !tasks_change)
        return;
    for (Indices& list : task_entries_)
        list.clear();
    std::size_t kept = 0;
    for (std::size_t e = 0; e < entry_tasks_.size(); ++e) {
        if (e < gone.size() && gone[e])
            continue;
        const std::size_t owner = entry_tasks_[e] == kNoParent ? kNoParent : tasks[entry_tasks_[e]];
        entry_tasks_[kept] = owner;
        if (owner != kNoParent)
            task_entries_[owner].push_back(kept);
        ++kept;
    }
    entry_tasks_.resize(kept);
}

} // namespace olv
