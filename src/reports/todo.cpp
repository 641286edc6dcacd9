// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "reports/todo.h"

#include <cstdint>

namespace olv {

namespace {

// Due through the whole end day and at the midnight that closes it; overdue one second later.
bool is_overdue(DateValue end, DateValue now) {
    return static_cast<std::int64_t>(end) + kSecondsPerDay < now;
}

void list_item(ToDoClient& client, int level, const std::string& title, DateValue end,
               DateValue now) {
    client.items.push_back(ToDoItem{level, title, is_overdue(end, now), end});
}

} // namespace

std::vector<ToDoClient> to_do_list(const Store& store, DateValue now) {
    const RecordLists& lists = store.lists;
    const ChildIndex& children = store.children();
    std::vector<ToDoClient> result;
    result.reserve(lists.clients.size());
    for (std::size_t c = 0; c < lists.clients.size(); ++c) {
        ToDoClient client;
        client.name = lists.clients[c].client_name;
        for (const std::size_t p : children.projects_of_client(c)) {
            const ProjectRecord& project = lists.projects[p];
            if (project.complete == 0) {
                list_item(client, 1, project.project_title, project.project_end, now);
                client.listed = true;
            }
            // Open objectives and tasks are listed under a complete project or objective too.
            for (const std::size_t o : children.objectives_of_project(p)) {
                const ObjectiveRecord& objective = lists.objectives[o];
                if (objective.ob_complete == 0)
                    list_item(client, 2, objective.ob_title, objective.ob_end, now);
                for (const std::size_t t : children.tasks_of_objective(o)) {
                    const TaskRecord& task = lists.tasks[t];
                    if (task.task_complete == 0)
                        list_item(client, 3, task.task_title, task.Task_End, now);
                }
            }
        }
        result.push_back(std::move(client));
    }
    return result;
}

} // namespace olv
