// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/item_commands.h"

#include "common/dates.h"
#include "common/text.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/ids.h"
#include "views/item_dialog.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTreeWidget>
#include <algorithm>

namespace olv {

namespace {

bool confirm_deletion(Workspace& ws) {
    return ws.prompter.confirm(ws.main_window, QStringLiteral("Information"),
                               QStringLiteral("Please Confirm Deletion"));
}

QString rate_text(double rate) {
    return QString::fromStdString(two_decimals(rate));
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// Shows the year, month and day of a date value; an invalid date leaves the picker as it was.
void set_picker(QDateEdit* picker, DateValue d) {
    const QDate day(date_year(d), date_month(d), date_day(d));
    if (day.isValid())
        picker->setDate(day);
}

} // namespace

void new_item(Workspace& ws, std::int32_t position) {
    const RecordLists& lists = ws.store.lists;
    const RecordRef ref = record_at_position(ws, std::max(0, position));
    ItemDialog* dialog = nullptr;
    Key parent = 0;
    switch (ref.kind) {
    case RecordKind::User:
        dialog = open_item_dialog(ws, id::ClientDialog);
        // An empty rate is refused: a new client starts at none, written out.
        dialog->rate_field()->setText(rate_text(0));
        break;
    case RecordKind::Client: {
        const ClientRecord& client = lists.clients[ref.index];
        parent = client.key;
        dialog = open_item_dialog(ws, id::ProjectDialog);
        dialog->rate_field()->setText(rate_text(client.client_rate));
        break;
    }
    case RecordKind::Project:
        parent = lists.projects[ref.index].key;
        dialog = open_item_dialog(ws, id::ObjectiveDialog);
        break;
    case RecordKind::Objective:
        parent = lists.objectives[ref.index].key;
        dialog = open_item_dialog(ws, id::TaskDialog);
        break;
    case RecordKind::Task:
    case RecordKind::None:
        // Tasks have no children.
        return;
    }
    dialog->set_target({DialogMode::New, 0, parent});
    dialog->title_field()->setFocus();
}

void edit_item(Workspace& ws) {
    const RecordLists& lists = ws.store.lists;
    const RecordRef ref = current_record(ws);
    ItemDialog* dialog = nullptr;
    Key key = 0;
    switch (ref.kind) {
    case RecordKind::Client: {
        const ClientRecord& client = lists.clients[ref.index];
        key = client.key;
        dialog = open_item_dialog(ws, id::ClientDialog);
        dialog->title_field()->setText(text(client.client_name));
        dialog->rate_field()->setText(rate_text(client.client_rate));
        break;
    }
    case RecordKind::Project: {
        const ProjectRecord& project = lists.projects[ref.index];
        key = project.key;
        dialog = open_item_dialog(ws, id::ProjectDialog);
        dialog->title_field()->setText(text(project.project_title));
        dialog->rate_field()->setText(rate_text(project.project_rate));
        set_picker(dialog->start_picker(), project.project_date);
        set_picker(dialog->end_picker(), project.project_end);
        break;
    }
    case RecordKind::Objective: {
        const ObjectiveRecord& objective = lists.objectives[ref.index];
        key = objective.key;
        dialog = open_item_dialog(ws, id::ObjectiveDialog);
        dialog->title_field()->setText(text(objective.ob_title));
        set_picker(dialog->start_picker(), objective.ob_date);
        set_picker(dialog->end_picker(), objective.ob_end);
        break;
    }
    case RecordKind::Task: {
        const TaskRecord& task = lists.tasks[ref.index];
        if (task.running) {
            show_error(ws, "Please Stop the timer");
            return;
        }
        key = task.key;
        dialog = open_item_dialog(ws, id::TaskDialog);
        dialog->title_field()->setText(text(task.task_title));
        set_picker(dialog->start_picker(), task.Task_Date);
        set_picker(dialog->end_picker(), task.Task_End);
        dialog->completed_box()->setChecked(task.task_complete != 0);
        dialog->accepted_box()->setChecked(task.task_checked != 0);
        break;
    }
    case RecordKind::User:
    case RecordKind::None:
        return;
    }
    dialog->set_target({DialogMode::Edit, key, 0});
    dialog->remember_shown_values();
}

void delete_item(Workspace& ws) {
    const std::int32_t position = current_position(ws);
    if (!confirm_deletion(ws))
        return;
    // Notes typed into the notes box go into their item while tree positions still hold.
    store_notes(ws, ws.state.previous_selection);
    flush_records(ws);

    switch (delete_tree_item_records(ws.store, position)) {
    case DeleteOutcome::UserItem:
        show_error(ws, "I don't think you want to do that");
        return;
    case DeleteOutcome::NoRecord:
        return;
    case DeleteOutcome::WriteFailed:
        // The engine may have kept part of the work: memory follows the file again. What the
        // flush above could not write survives the reload, to be tried again.
        show_error(ws, "Could not write to Database");
        remember_running_tasks(ws);
        reload_keeping_unsaved(ws.store);
        ws.state.previous_selection = -1;
        rebuild_tree(ws, -1);
        select_tree_position(ws, position);
        show_item_keeping_notes(ws, std::max(0, current_position(ws)));
        return;
    case DeleteOutcome::Deleted:
        break;
    }
    // The lists lost the records in place; the item goes with its subtree and the positions
    // after it move back. Timers of the tasks that remain keep running.
    const std::int32_t removed = remove_tree_item(ws, position);
    close_tree_gap(ws, position, removed);
    ws.state.previous_selection = -1;
    show_item_keeping_notes(ws, std::max(0, current_position(ws)));
}

void delete_time_entry(Workspace& ws) {
    const std::int32_t position = current_position(ws);
    const RecordRef ref = record_at_position(ws, position);
    // Only a time entry row the user selected: the current row may be one nobody chose (a Time
    // cell edit makes row 0 current without selecting it). Without one nothing happens.
    const QList<QTreeWidgetItem*> selected = ws.list->selectedItems();
    const int row = selected.size() == 1 ? ws.list->indexOfTopLevelItem(selected.front()) : -1;
    if (ref.kind != RecordKind::Task || !ws.state.time_entries_shown || row < 0)
        return;
    if (!confirm_deletion(ws))
        return;
    const TaskRecord& task = ws.store.lists.tasks[ref.index];
    if (task.running) {
        show_error(ws, "Please stop the timer");
        show_item_keeping_notes(ws, position);
        return;
    }
    for (std::size_t e : ws.store.children().entries_of_task(ref.index)) {
        if (ws.store.lists.entries[e].list_row != row)
            continue;
        if (delete_time_entry_record(ws.store, e) != 0)
            show_error(ws, "Could not write to Database");
        break;
    }
    show_item_keeping_notes(ws, position);
    if (ws.entries_changed)
        ws.entries_changed();
}

} // namespace olv
