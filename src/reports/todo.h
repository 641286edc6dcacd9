// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The to-do list model: client by client, every open project, objective and task with its
// end date, due or overdue.
#include "store/store.h"

#include <string>
#include <vector>

namespace olv {

struct ToDoItem {
    int level = 1; // 1 project, 2 objective, 3 task
    std::string title;
    bool overdue = false;
    DateValue end = 0;
};

struct ToDoClient {
    std::string name;
    bool listed = false; // at least one of its projects is listed
    std::vector<ToDoItem> items;
};

// Overdue: end + 86400 < now and not complete. Due: not overdue and not complete.
std::vector<ToDoClient> to_do_list(const Store& store, DateValue now);

} // namespace olv
