// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The item tree: user, clients, projects, objectives, tasks. A record's tree_pos is the index of
// its item in depth-first order, renewed at every build.
#include "store/operations.h"
#include "views/workspace.h"

namespace olv {

// Tree properties set once when the main window is built (lines, expand buttons, editable
// labels, background colour 254, 254, 240).
void setup_item_tree(QTreeWidget* tree);

// select_key <= -2: recompute every tree_pos and task_rate only (the tree keeps its items); a
// tree whose items no longer match the lists is refilled, selecting the user item.
// select_key >= -1: refill the tree and select the record whose key equals it (the user item
// when none does). Restarts the timers of the restart list.
// With a select_kind, only a record of that kind is selected: keys are unique within a table
// only, so a new client may share its key with an older objective.
void rebuild_tree(Workspace& ws, std::int32_t select_key,
                  RecordKind select_kind = RecordKind::None);
// Icons of tasks, objectives and projects follow their completion and due dates. Looks at every
// record after a change to the lists, on a new day and when an item's due date has passed;
// otherwise only at the projects of the records announced by status_changed.
void refresh_status_icons(Workspace& ws);
// Announces that a task, objective or project was edited or had its timer started or stopped:
// the next refresh looks at its project again.
void status_changed(Workspace& ws, RecordRef ref);
void set_tree_icon(Workspace& ws, std::int32_t position, int image);

// The tree's current position, -1 when nothing is selected.
std::int32_t current_position(const Workspace& ws);
RecordRef current_record(const Workspace& ws);
// The record at a tree position: users, clients, projects, objectives, tasks, first match. Looked
// up through the last build's table, so it stays cheap on large trees.
RecordRef record_at_position(const Workspace& ws, std::int32_t position);
QTreeWidgetItem* tree_item_at(const Workspace& ws, std::int32_t position);
// Expands and selects the item at the position and makes it the current item.
void select_tree_position(Workspace& ws, std::int32_t position);
// Removes the item at the position with its subtree and returns how many items went; positions
// are stale until close_tree_gap or the next build.
std::int32_t remove_tree_item(Workspace& ws, std::int32_t position);
// After the records of a removed item left their lists: the positions after the gap move back.
void close_tree_gap(Workspace& ws, std::int32_t position, std::int32_t removed);
// Shows a record that insert_and_place put into its list: its item goes where a build would put
// it and the positions after it move on (the tree is refilled when the lists were reloaded or
// reordered). Client, project, objective: the new item becomes the selected one. Task: the item
// at `remembered` (its objective) is expanded and selected and the icons are refreshed.
void show_inserted_record(Workspace& ws, RecordKind kind, Key key, const InsertResult& result,
                          std::int32_t remembered);

// Empties the restart list and puts in the key of every running task, so that the next build
// restarts their timers on their new positions.
void remember_running_tasks(Workspace& ws);

} // namespace olv
