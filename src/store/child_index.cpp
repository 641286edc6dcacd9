#include "store/child_index.h"

#include "store/records.h"

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
