#include "app/dispatch.h"

#include "app/application.h"
#include "app/database_files.h"
#include "app/file_commands.h"
#include "app/preferences_window.h"
#include "print/print_view.h"
#include "print/todo_view.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/item_commands.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

namespace olv {

namespace {

// Runs pop-up menu `id` and dispatches the chosen item as a menu event of the main window.
void run_popup_menu(Application& app, int id) {
    const int chosen = app.main_window()->run_popup(id, QCursor::pos());
    if (chosen != 0)
        dispatch_event(app, menu_event(chosen, id::MainWindow));
}

void tree_sequence(Application& app, const Event& event, std::int32_t position) {
    Workspace& ws = app.workspace();
    // The notes box still shows the previous item: its text belongs there.
    show_item_keeping_notes(ws, position);

    if (event.kind == EventKind::RightClick) {
        QTreeWidget* tree = ws.tree;
        QTreeWidgetItem* hit =
            tree ? tree->itemAt(tree->viewport()->mapFromGlobal(event.global_pos)) : nullptr;
        if (tree) {
            if (hit) {
                tree->setCurrentItem(hit);
            } else {
                tree->clearSelection();
                tree->setCurrentItem(nullptr);
            }
        }
        const std::int32_t clicked = current_position(ws);
        show_item_details(ws, clicked);
        ws.state.previous_selection = clicked;
        show_context_menu(app, clicked);
    } else if (event.kind == EventKind::LeftDoubleClick) {
        toggle_timer(ws, current_position(ws));
    }
}

// The notes box is about to show something else: what was typed there goes into the item it
// was shown for first.
void keep_typed_notes(Workspace& ws) {
    store_notes(ws, ws.state.previous_selection);
}

void control(Application& app, const Event& event, std::int32_t position) {
    Workspace& ws = app.workspace();
    switch (event.id) {
    case id::ItemTree:
        tree_sequence(app, event, position);
        break;
    case id::DetailList:
        if (event.kind == EventKind::RightClick && app.main_window())
            run_popup_menu(app, id::MenuTimeEntry);
        break;
    case id::ButtonNewItem:
        new_item(ws, position);
        break;
    case id::ButtonDeleteItem:
        delete_item(ws);
        break;
    case id::ButtonStopTimers:
        stop_all_timers(ws);
        break;
    case id::ButtonEditItem:
        edit_item(ws);
        break;
    case id::ButtonToDoList:
        keep_typed_notes(ws);
        show_to_do_list(ws);
        // The emptied notes box belongs to no item while the to-do list is shown.
        ws.state.previous_selection = -1;
        break;
    case id::ClientOk:
        save_client_dialog(ws);
        break;
    case id::ProjectOk:
        save_project_dialog(ws);
        break;
    case id::ObjectiveOk:
        save_objective_dialog(ws);
        break;
    case id::TaskOk:
        save_task_dialog(ws);
        break;
    case id::ClientCancel:
        close_window(ws, id::ClientDialog);
        break;
    case id::ProjectCancel:
        close_window(ws, id::ProjectDialog);
        break;
    case id::ObjectiveCancel:
        close_window(ws, id::ObjectiveDialog);
        break;
    case id::TaskCancel:
        close_window(ws, id::TaskDialog);
        break;
    case id::PreferencesCancel:
        close_window(ws, id::PreferencesWindow);
        break;
    case id::AboutOk:
        close_window(ws, id::AboutWindow);
        break;
    case id::PreferencesOk:
        keep_typed_notes(ws);
        apply_preferences(ws);
        break;
    case id::TaskAcceptedBox:
        task_accepted_clicked(ws);
        break;
    default:
        break;
    }
}

void menu(Application& app, const Event& event, std::int32_t position) {
    Workspace& ws = app.workspace();
    switch (event.id) {
    case id::ProjectReturn:
        save_project_dialog(ws);
        break;
    case id::ObjectiveReturn:
        save_objective_dialog(ws);
        break;
    case id::TaskReturn:
        save_task_dialog(ws);
        break;
    case id::ClientReturn:
        save_client_dialog(ws);
        break;
    case id::ProjectEscape:
        close_window(ws, id::ProjectDialog);
        break;
    case id::ObjectiveEscape:
        close_window(ws, id::ObjectiveDialog);
        break;
    case id::TaskEscape:
        close_window(ws, id::TaskDialog);
        break;
    case id::ClientEscape:
        close_window(ws, id::ClientDialog);
        break;
    case id::NewChild:
        new_item(ws, position);
        break;
    case id::TaskStart:
        toggle_timer(ws, position);
        break;
    case id::TaskComplete:
        toggle_complete(ws, position);
        break;
    case id::TaskAccepted:
        toggle_accepted(ws, position);
        break;
    case id::ClientEdit:
    case id::ProjectEdit:
    case id::ObjectiveEdit:
    case id::TaskEdit:
        edit_item(ws);
        break;
    case id::ClientDelete:
    case id::ProjectDelete:
    case id::ObjectiveDelete:
    case id::TaskDelete:
        delete_item(ws);
        break;
    case id::TimeEntryDelete:
        delete_time_entry(ws);
        break;
    case id::FileNew:
        new_database(app);
        break;
    case id::FileOpen:
        open_database(app);
        break;
    case id::FileSaveAs:
        save_database_as(app);
        break;
    case id::FilePrint:
        keep_typed_notes(ws);
        print_current_view(ws);
        break;
    case id::FileSave:
        save_sequence(app);
        break;
    case id::FileExit:
        app.close_main_window();
        break;
    case id::FilePreferences:
        open_preferences(ws);
        break;
    case id::HelpUserGuide:
        open_user_guide();
        break;
    case id::HelpAbout:
        open_about(ws);
        break;
    default: // "Update" does nothing
        break;
    }
}

} // namespace

void dispatch_event(Application& app, const Event& event) {
    Jobs::Busy busy(app.jobs());
    const std::int32_t position = std::max<std::int32_t>(current_position(app.workspace()), 0);
    if (event.type == EventType::Control)
        control(app, event, position);
    else if (event.type == EventType::Menu)
        menu(app, event, position);
}

void show_context_menu(Application& app, std::int32_t position) {
    static constexpr int menu_of_kind[] = {
        0,                 // None
        id::MenuUser,      // User
        id::MenuClient,    // Client
        id::MenuProject,   // Project
        id::MenuObjective, // Objective
        id::MenuTask,      // Task
    };
    if (position < 0 || !app.main_window())
        return;
    const RecordRef record = record_at_position(app.workspace(), position);
    const int menu_id = menu_of_kind[static_cast<int>(record.kind)];
    if (menu_id == 0)
        return;
    run_popup_menu(app, menu_id);
}

void save_sequence(Application& app) {
    Workspace& ws = app.workspace();
    keep_typed_notes(ws);
    auto& users = app.store().lists.users;
    if (!users.empty()) {
        users.front().user_View = current_position(ws);
        users.front().modified = true;
    }
    flush_records(ws);
}

void open_user_guide() {
    const QString name = QStringLiteral("manual.pdf");
    // The working folder, beside the program in a build, then where it is installed.
    const QString program = QCoreApplication::applicationDirPath();
    for (const QString& folder :
         {QDir::currentPath(), program,
          QDir::cleanPath(program + QStringLiteral("/" OLV_GUIDE_FROM_PROGRAM))}) {
        const QFileInfo guide(QDir(folder), name);
        if (guide.isFile()) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(guide.absoluteFilePath()));
            return;
        }
    }
}

} // namespace olv
