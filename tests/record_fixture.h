#pragma once
// Builds record lists in memory, the way a load would leave them, for tests that need no
// database. Every adder returns the new record's list index; parents are given by list index,
// or by key for records whose parent is meant to be missing.
#include "store/store.h"

#include <string>

namespace olv::testing {

class RecordFixture {
public:
    RecordFixture() {
        UserRecord user;
        user.key = 1;
        user.userID = "alice";
        store.lists.users.push_back(user);
    }

    std::size_t client(const std::string& name, double client_rate = 0) {
        ClientRecord r;
        r.key = next_key_++;
        r.client_name = name;
        r.client_rate = client_rate;
        return add(store.lists.clients, r);
    }

    std::size_t project(std::size_t client_index, const std::string& title, double rate) {
        return project_of_key(store.lists.clients[client_index].key, title, rate);
    }
    std::size_t project_of_key(Key client_key, const std::string& title, double rate) {
        ProjectRecord r;
        r.key = next_key_++;
        r.project_title = title;
        r.client_key = client_key;
        r.project_rate = rate;
        return add(store.lists.projects, r);
    }

    std::size_t objective(std::size_t project_index, const std::string& title) {
        return objective_of_key(store.lists.projects[project_index].key, title);
    }
    std::size_t objective_of_key(Key project_key, const std::string& title) {
        ObjectiveRecord r;
        r.key = next_key_++;
        r.ob_title = title;
        r.Project_key = project_key;
        return add(store.lists.objectives, r);
    }

    // The task's rate is its project's, as a tree build sets it.
    std::size_t task(std::size_t objective_index, const std::string& title) {
        const ObjectiveRecord& objective = store.lists.objectives[objective_index];
        double rate = 0;
        for (const ProjectRecord& p : store.lists.projects)
            if (p.key == objective.Project_key)
                rate = p.project_rate;
        return task_of_key(objective.key, title, rate);
    }
    std::size_t task_of_key(Key objective_key, const std::string& title, double rate) {
        TaskRecord r;
        r.key = next_key_++;
        r.task_title = title;
        r.Obj_key = objective_key;
        r.task_rate = rate;
        return add(store.lists.tasks, r);
    }

    std::size_t entry(std::size_t task_index, std::int64_t seconds, bool billed) {
        return entry_of_key(store.lists.tasks[task_index].key, seconds, billed);
    }
    std::size_t entry_of_key(Key task_key, std::int64_t seconds, bool billed) {
        TimeEntry r;
        r.key = next_key_++;
        r.Task_Key = task_key;
        r.Time = seconds;
        r.billed = billed ? 1 : 0;
        return add(store.lists.entries, r);
    }

    // A key no record holds.
    Key missing_key() { return next_key_++; }

    Store store;

private:
    template <typename Record> std::size_t add(std::vector<Record>& list, const Record& r) {
        list.push_back(r);
        store.structure_changed();
        return list.size() - 1;
    }

    Key next_key_ = 1000;
};

} // namespace olv::testing
