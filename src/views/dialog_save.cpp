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
#include "views/timer.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTreeWidget>
#include <algorithm>

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

double field_rate(const QLineEdit* field) {
    return to_real(field->text().toStdString());
}

// The title check, then the date check; the first that fails is shown.
bool check_title_and_period(Workspace& ws, const ItemDialog& dialog, const char* no_title,
                            Period& period) {
    period = {picked_day(dialog.start_picker()), picked_day(dialog.end_picker())};
    if (dialog.title_field()->text().isEmpty()) {
        show_error(ws, no_title);
        return false;
    }
    if (period.end < period.start) {
        show_error(ws, "End Date must be after Start Date");
        return false;
    }
    return true;
}

// The record of the selected tree item when it is of the kind the dialog edits.
std::optional<std::size_t> selected_of_kind(const Workspace& ws, RecordKind kind) {
    const RecordRef ref = record_at_position(ws, current_position(ws));
    if (ref.kind != kind)
        return std::nullopt;
    return ref.index;
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
        show_error(ws, "Could not write to Database");
        return;
    }
    for (int i = 0; i < result.flush.failed_records; ++i)
        show_error(ws, "Could not write to Database");

    ws.state.previous_selection = -1;
    if (result.reloaded)
        ws.store.lists.restart = std::move(running);
    show_inserted_record(ws, what, key, result, remembered);
    close_window(ws, window);
    ws.state.dialog_mode = DialogMode::Edit;
    show_item_keeping_notes(ws, std::max(0, current_position(ws)));
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
        show_error(ws, ":) The Client with No Name?");
        return;
    }
    const std::string name = field_text(dialog->title_field());
    const double rate = field_rate(dialog->rate_field());

    if (ws.state.dialog_mode == DialogMode::New) {
        const Key key = new_client_key(ws.store, now(ws));
        insert_record(ws, id::ClientDialog, RecordKind::Client, insert_client_sql(key, name, rate),
                      key);
        return;
    }
    const auto c = selected_of_kind(ws, RecordKind::Client);
    if (!c)
        return;
    ClientRecord& client = ws.store.lists.clients[*c];
    client.client_name = name;
    client.client_rate = rate;
    client.modified = true;
    show_label(ws, client.tree_pos, dialog->title_field()->text());
    close_window(ws, id::ClientDialog);
}

void save_project_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::ProjectDialog);
    Period period;
    if (!dialog ||
        !check_title_and_period(ws, *dialog, "You need to give this project a Title", period))
        return;
    const std::string title = field_text(dialog->title_field());
    const double rate = field_rate(dialog->rate_field());

    if (ws.state.dialog_mode == DialogMode::New) {
        const Key key = new_project_key(ws.store, now(ws));
        insert_record(
            ws, id::ProjectDialog, RecordKind::Project,
            insert_project_sql(key, title, ws.state.parent_client, period.start, period.end, rate),
            key);
        return;
    }
    const auto p = selected_of_kind(ws, RecordKind::Project);
    if (!p)
        return;
    ProjectRecord& project = ws.store.lists.projects[*p];
    project.project_title = title;
    project.project_date = period.start;
    project.project_end = period.end;
    project.project_rate = rate;
    project.modified = true;
    status_changed(ws, {RecordKind::Project, *p});
    const std::int32_t position = project.tree_pos;
    show_label(ws, position, dialog->title_field()->text());
    close_window(ws, id::ProjectDialog);
    show_item_keeping_notes(ws, position);

    RecordLists& lists = ws.store.lists;
    const ChildIndex& children = ws.store.children();
    for (std::size_t o : children.objectives_of_project(*p))
        for (std::size_t t : children.tasks_of_objective(o))
            lists.tasks[t].task_rate = rate;
}

void save_objective_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::ObjectiveDialog);
    Period period;
    if (!dialog ||
        !check_title_and_period(ws, *dialog, "You need to give this Objective a Title", period))
        return;
    const std::string title = field_text(dialog->title_field());

    if (ws.state.dialog_mode == DialogMode::New) {
        const Key key = new_objective_key(ws.store, now(ws));
        insert_record(
            ws, id::ObjectiveDialog, RecordKind::Objective,
            insert_objective_sql(key, title, ws.state.parent_project, period.start, period.end),
            key);
        return;
    }
    const auto o = selected_of_kind(ws, RecordKind::Objective);
    if (!o)
        return;
    ObjectiveRecord& objective = ws.store.lists.objectives[*o];
    objective.ob_title = title;
    objective.ob_date = period.start;
    objective.ob_end = period.end;
    objective.modified = true;
    status_changed(ws, {RecordKind::Objective, *o});
    show_label(ws, objective.tree_pos, dialog->title_field()->text());
    close_window(ws, id::ObjectiveDialog);
}

void save_task_dialog(Workspace& ws) {
    ItemDialog* dialog = item_dialog(ws, id::TaskDialog);
    Period period;
    if (!dialog ||
        !check_title_and_period(ws, *dialog, "You need to give this Task a Title", period))
        return;
    const std::string title = field_text(dialog->title_field());
    const bool completed = dialog->completed_box()->isChecked();
    const bool accepted = dialog->accepted_box()->isChecked();

    if (ws.state.dialog_mode == DialogMode::New) {
        const Key key = new_task_key(ws.store, now(ws));
        insert_record(ws, id::TaskDialog, RecordKind::Task,
                      insert_task_sql(key, completed, title, ws.state.parent_objective,
                                      period.start, period.end, accepted),
                      key);
        return;
    }
    const auto t = selected_of_kind(ws, RecordKind::Task);
    if (!t)
        return;
    TaskRecord& task = ws.store.lists.tasks[*t];
    task.task_title = title;
    task.Task_Date = period.start;
    task.Task_End = period.end;
    task.task_complete = completed ? 1 : 0;
    task.task_checked = accepted ? 1 : 0;
    task.modified = true;
    status_changed(ws, {RecordKind::Task, *t});
    show_label(ws, task.tree_pos, task_label(task));
    close_window(ws, id::TaskDialog);
}

} // namespace olv
