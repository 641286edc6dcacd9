// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The Client, Project, Objective and Task dialogs: non-modal, one of each kind at a time. Their
// controls carry their ids as objectName; OK, Cancel, Return and Escape are raised as events
// through Workspace::post_event.
#include "views/workspace.h"

namespace olv {

void open_client_dialog(Workspace& ws);
void open_project_dialog(Workspace& ws);
void open_objective_dialog(Workspace& ws);
void open_task_dialog(Workspace& ws);

void save_client_dialog(Workspace& ws);
void save_project_dialog(Workspace& ws);
void save_objective_dialog(Workspace& ws);
void save_task_dialog(Workspace& ws);

// Task dialog: ticking "Accepted" ticks "Completed" too.
void task_accepted_clicked(Workspace& ws);

// Closes window 63, 72, 79, 85, 92 or 95 (discarding what was typed) and makes the main window
// current again.
void close_window(Workspace& ws, int window);

} // namespace olv
