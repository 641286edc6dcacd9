// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// What OK (or Return) does in the four item dialogs: check the fields, then insert a new record
// or change the selected one.
#include "views/dialogs.h"

#include "common/dates.h"
#include "common/text.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/ids.h"
#include "views/item_dialog.h"
#include "views/number_input.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

namespace olv {

namespace {

struct Period {
    DateValue start = 0;
    DateValue end = 0;
};

// A picked day at 00:00:00.
DateValue picked_day(const QDateEdit* picker) {
    const QDate d = picker->date();
    return make_date(d.year(), d.month(), d.day(), 0, 0, 0);
}

std::string field_text(const QLineEdit* field) {
    return field->text().toStdString();
}

// The box of a refused field belongs to the dialog; afterwards the dialog is current again with
// the focus in that field, so what the user types next goes there and not into the tree.
void refuse(Workspace& ws, ItemDialog& dialog, QWidget* field, const QString& text) {
    const QPointer<ItemDialog> open(&dialog);
    ws.prompter.message(&dialog, QStringLiteral("Error"), text);
    if (!open)
        return;
    dialog.raise();
    dialog.activateWindow();
    field->setFocus(Qt::OtherFocusReason);
}

void refuse(Workspace& ws, ItemDialog& dialog, QWidget* field, const char* text) {
    refuse(ws, dialog, field, QString::fromUtf8(text));
}

// The title check, then the date check; the first that fails is shown. An edit keeps the stored
// date of a picker the user left alone.
bool check_title_and_period(Workspace& ws, ItemDialog& dialog, const char* no_title, Period stored,
                            Period& period) {
    const bool edit = dialog.target().mode == DialogMode::Edit;
    period.start =
        edit && dialog.start_unchanged() ? stored.start : picked_day(dialog.start_picker());
    period.end = edit && dialog.end_unchanged() ? stored.end : picked_day(dialog.end_picker());
    if (dialog.title_field()->text().isEmpty()) {
        refuse(ws, dialog, dialog.title_field(), no_title);
        return false;
    }
    if (period.end < period.start) {
        refuse(ws, dialog, dialog.end_picker(), "End Date must be after Start Date");
        return false;
    }
    return true;
}

// The record a dialog was opened for, looked up by key: the lists may have been reloaded since.
template <typename Record> Record* with_key(std::vector<Record>& records, Key key) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [key](const Record& r) { return r.key == key; });
    return found == records.end() ? nullptr : &*found;
}

// An edit whose record was deleted while the dialog was open has nothing to change.
template <typename Record>
Record* edited_record(Workspace& ws, ItemDialog& dialog, std::vector<Record>& records) {
    Record* record = with_key(records, dialog.target().record);
    if (!record)
        refuse(ws, dialog, dialog.title_field(), "This item has been deleted");
    return record;
}

// A new record goes under the parent chosen when the dialog opened, or nowhere.
template <typename Record>
bool parent_exists(Workspace& ws, ItemDialog& dialog, std::vector<Record>& parents) {
    if (with_key(parents, dialog.target().parent))
        return true;
    refuse(ws, dialog, dialog.title_field(), "The item to add this to has been deleted");
    return false;
}

// The rate typed, in the user's language or the C form, or the stored one when the field still
// shows what it showed. Any other text is refused, naming the field and keeping what it holds.
std::optional<double> checked_rate(Workspace& ws, ItemDialog& dialog, const char* field_name,
                                   std::optional<double> stored = std::nullopt) {
    if (stored && dialog.rate_unchanged())
        return stored;
    QLineEdit* field = dialog.rate_field();
    const std::optional<double> rate = read_rate(field->text());
    if (!rate)
        refuse(ws, dialog, field, rate_refused(QString::fromUtf8(field_name), field->text()));
    return rate;
}

void show_label(Workspace& ws, std::int32_t position, const QString& label) {
    if (QTreeWidgetItem* item = tree_item_at(ws, position))
        item->setText(0, label);
}

// Runs the insert and shows the new record in the tree. A refused insert keeps the dialog open
// and in new mode, so OK tries again.
void insert_record(Workspace& ws, int window, RecordKind what, const std::string& statement,
                   Key key) {
    const std::int32_t remembered = current_position(ws);
    // Notes typed into the notes box go into their item while tree positions still hold.
    store_notes(ws, ws.state.previous_selection);
    // Only a reload stops the timers; they start again on the refilled tree.
    remember_running_tasks(ws);
    std::vector<std::int32_t> running = std::move(ws.store.lists.restart);
    ws.store.lists.restart.clear();

    const InsertResult result = insert_and_place(ws.store, what, key, statement);
    if (result.rc != 0) {
        // The dialog stays open with what was typed, in front, ready for another OK.
        if (ItemDialog* dialog = item_dialog(ws, window))
            refuse(ws, *dialog, dialog->title_field(), "Could not write to Database");
        else
            show_error(ws, "Could not write to Database");
        return;
    }

    ws.state.previous_selection = -1;
    if (result.reloaded)
        ws.store.lists.restart = std::move(running);
    show_inserted_record(ws, what, key, result, remembered);
    close_window(ws, window);
    show_item_keeping_notes(ws, std::max(0, current_position(ws)));
    // Once the tree shows the reloaded lists: the jobs run while the boxes wait.
    show_flush_failures(ws, result.flush.failed_records);
}

DateValue now(const Workspace& ws) {
    return current_date(ws.clock);
}

} // namespace

void save_client_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::ClientDialog);
    if (!dialog)
        return;
    if (dialog->title_field()->text().isEmpty()) {
        refuse(ws, *dialog, dialog->title_field(), ":) The Client with No Name?");
        return;
    }
    const std::string name = field_text(dialog->title_field());

    if (dialog->target().mode == DialogMode::New) {
        const std::optional<double> rate = checked_rate(ws, *dialog, "Client Rate");
        if (!rate)
            return;
        const Key key = new_client_key(ws.store, now(ws));
        insert_record(ws, id::ClientDialog, RecordKind::Client, insert_client_sql(key, name, *rate),
                      key);
        return;
    }
    ClientRecord* client = edited_record(ws, *dialog, ws.store.lists.clients);
    if (!client)
        return;
    const std::optional<double> typed =
        checked_rate(ws, *dialog, "Client Rate", client->client_rate);
    if (!typed)
        return;
    const double rate = *typed;
    if (name != client->client_name || rate != client->client_rate) {
        client->client_name = name;
        client->client_rate = rate;
        client->modified = true;
    }
    show_label(ws, client->tree_pos, dialog->title_field()->text());
    close_window(ws, id::ClientDialog);
}

void save_project_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::ProjectDialog);
    if (!dialog)
        return;
    RecordLists& lists = ws.store.lists;
    const bool edit = dialog->target().mode == DialogMode::Edit;
    ProjectRecord* project = nullptr;
    Period stored;
    if (edit) {
        if (!(project = edited_record(ws, *dialog, lists.projects)))
            return;
        stored = {project->project_date, project->project_end};
    }
    Period period;
    if (!check_title_and_period(ws, *dialog, "You need to give this project a Title", stored,
                                period))
        return;
    const std::string title = field_text(dialog->title_field());

    if (!edit) {
        if (!parent_exists(ws, *dialog, lists.clients))
            return;
        const std::optional<double> rate = checked_rate(ws, *dialog, "Project Rate");
        if (!rate)
            return;
        const Key key = new_project_key(ws.store, now(ws));
        insert_record(ws, id::ProjectDialog, RecordKind::Project,
                      insert_project_sql(key, title, dialog->target().parent, period.start,
                                         period.end, *rate),
                      key);
        return;
    }
    const std::optional<double> typed =
        checked_rate(ws, *dialog, "Project Rate", project->project_rate);
    if (!typed)
        return;
    const double rate = *typed;
    const bool changed = title != project->project_title || period.start != project->project_date ||
                         period.end != project->project_end || rate != project->project_rate;
    const auto p = static_cast<std::size_t>(project - lists.projects.data());
    if (changed) {
        project->project_title = title;
        project->project_date = period.start;
        project->project_end = period.end;
        project->project_rate = rate;
        project->modified = true;
        status_changed(ws, {RecordKind::Project, p});
    }
    show_label(ws, project->tree_pos, dialog->title_field()->text());
    close_window(ws, id::ProjectDialog);
    if (!changed)
        return;

    // The project's tasks bill at its new rate from now on, in the list shown too.
    const ChildIndex& children = ws.store.children();
    for (std::size_t o : children.objectives_of_project(p))
        for (std::size_t t : children.tasks_of_objective(o))
            lists.tasks[t].task_rate = rate;
    if (!ws.state.to_do_list_shown)
        show_item_keeping_notes(ws, std::max(0, current_position(ws)));
}

void save_objective_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::ObjectiveDialog);
    if (!dialog)
        return;
    RecordLists& lists = ws.store.lists;
    const bool edit = dialog->target().mode == DialogMode::Edit;
    ObjectiveRecord* objective = nullptr;
    Period stored;
    if (edit) {
        if (!(objective = edited_record(ws, *dialog, lists.objectives)))
            return;
        stored = {objective->ob_date, objective->ob_end};
    }
    Period period;
    if (!check_title_and_period(ws, *dialog, "You need to give this Objective a Title", stored,
                                period))
        return;
    const std::string title = field_text(dialog->title_field());

    if (!edit) {
        if (!parent_exists(ws, *dialog, lists.projects))
            return;
        const Key key = new_objective_key(ws.store, now(ws));
        insert_record(
            ws, id::ObjectiveDialog, RecordKind::Objective,
            insert_objective_sql(key, title, dialog->target().parent, period.start, period.end),
            key);
        return;
    }
    if (title != objective->ob_title || period.start != objective->ob_date ||
        period.end != objective->ob_end) {
        objective->ob_title = title;
        objective->ob_date = period.start;
        objective->ob_end = period.end;
        objective->modified = true;
        status_changed(ws,
                       {RecordKind::Objective,
                        static_cast<std::size_t>(objective - ws.store.lists.objectives.data())});
    }
    show_label(ws, objective->tree_pos, dialog->title_field()->text());
    close_window(ws, id::ObjectiveDialog);
}

void save_task_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::TaskDialog);
    if (!dialog)
        return;
    RecordLists& lists = ws.store.lists;
    const bool edit = dialog->target().mode == DialogMode::Edit;
    TaskRecord* task = nullptr;
    Period stored;
    if (edit) {
        if (!(task = edited_record(ws, *dialog, lists.tasks)))
            return;
        stored = {task->Task_Date, task->Task_End};
    }
    Period period;
    if (!check_title_and_period(ws, *dialog, "You need to give this Task a Title", stored, period))
        return;
    const std::string title = field_text(dialog->title_field());
    const bool completed = dialog->completed_box()->isChecked();
    const bool accepted = dialog->accepted_box()->isChecked();

    if (!edit) {
        if (!parent_exists(ws, *dialog, lists.objectives))
            return;
        const Key key = new_task_key(ws.store, now(ws));
        insert_record(ws, id::TaskDialog, RecordKind::Task,
                      insert_task_sql(key, completed, title, dialog->target().parent, period.start,
                                      period.end, accepted),
                      key);
        return;
    }
    const std::uint8_t complete_flag = completed ? 1 : 0;
    const std::uint8_t checked_flag = accepted ? 1 : 0;
    if (title != task->task_title || period.start != task->Task_Date ||
        period.end != task->Task_End || complete_flag != task->task_complete ||
        checked_flag != task->task_checked) {
        task->task_title = title;
        task->Task_Date = period.start;
        task->Task_End = period.end;
        task->task_complete = complete_flag;
        task->task_checked = checked_flag;
        task->modified = true;
        status_changed(
            ws, {RecordKind::Task, static_cast<std::size_t>(task - ws.store.lists.tasks.data())});
    }
    show_label(ws, task->tree_pos, task_label(*task));
    close_window(ws, id::TaskDialog);
}

} // namespace olv
