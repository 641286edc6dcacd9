#pragma once
// Children of every record by list index, built in one pass over the lists so that figures and
// views never rescan a whole list per row. Children keep list order; records whose parent does
// not exist belong nowhere.
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

private:
    std::vector<Indices> client_projects_;
    std::vector<Indices> project_objectives_;
    std::vector<Indices> objective_tasks_;
    std::vector<Indices> task_entries_;
};

} // namespace olv
