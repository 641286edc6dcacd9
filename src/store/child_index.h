#pragma once
// Children of every record by list index, built in one pass over the lists so that figures and
// views never rescan a whole list per row. Children keep list order; records whose parent does
// not exist belong nowhere. Keys are unique in a table; a child belongs to the first record
// in list order that holds its parent key.
#include <cstddef>
#include <vector>

namespace olv {

struct RecordLists;

class ChildIndex {
public:
    using Indices = std::vector<std::size_t>;

    explicit ChildIndex(const RecordLists& lists);

    const Indices& projects_of_client(std::size_t client_index) const;
    const Indices& objectives_of_project(std::size_t project_index) const;
    const Indices& tasks_of_objective(std::size_t objective_index) const;
    const Indices& entries_of_task(std::size_t task_index) const;

    // The task of every time entry by entry index, kNoParent where that task does not exist:
    // for one pass over the whole entries list in list order.
    static constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
    const Indices& task_of_each_entry() const { return entry_tasks_; }

private:
    std::vector<Indices> client_projects_;
    std::vector<Indices> project_objectives_;
    std::vector<Indices> objective_tasks_;
    std::vector<Indices> task_entries_;
    Indices entry_tasks_;
};

} // namespace olv
