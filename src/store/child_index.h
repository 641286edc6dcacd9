// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Children of every record by list index, built in one pass over the lists so that figures and
// views never rescan a whole list per row. Children keep list order; records whose parent does
// not exist belong nowhere. Keys are unique in a table; a child belongs to the first record
// in list order that holds its parent key.
#include <cstddef>
#include <vector>

namespace olv {

struct RecordLists;

inline constexpr int kLevels = 5;

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

    // Kept in step with a list change instead of a new build. A record was put into its list at
    // `index`; `lists` already hold it. Children whose parent key is its key (none for a new
    // key) become its children.
    void inserted(const RecordLists& lists, int level, std::size_t index);
    // The records marked in `doomed` (by level, in list order before the change) were erased.
    void erased(const std::vector<char> (&doomed)[kLevels]);

    // Levels of the lists the index covers.
    static constexpr int kClients = 0;
    static constexpr int kProjects = 1;
    static constexpr int kObjectives = 2;
    static constexpr int kTasks = 3;
    static constexpr int kEntries = 4;

private:
    std::vector<Indices>* children_of_level(int level);
    std::vector<Indices> client_projects_;
    std::vector<Indices> project_objectives_;
    std::vector<Indices> objective_tasks_;
    std::vector<Indices> task_entries_;
    Indices entry_tasks_;
};

} // namespace olv
