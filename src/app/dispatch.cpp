// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/dispatch.h"

#include "app/application.h"
#include "app/database_files.h"
#include "app/file_commands.h"
#include "app/period_report_window.h"
#include "app/preferences_window.h"
#include "app/screen_placement.h"
#include "app/window_memory.h"
#include "print/print_view.h"
#include "print/todo_view.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/dialog_events.h"
#include "views/entry_commands.h"
#include "views/ids.h"
#include "views/item_commands.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

namespace olv {

namespace {

// Runs pop-up menu `id` at `pointer` and dispatches the chosen item as a menu event of the main
// window.
void run_popup_menu(Application& app, int id, QPoint pointer) {
    if (app.closing())
        return;
    int chosen = 0;
    {
        // The menu waits at a point where the lists are consistent: the clock keeps running.
        Jobs::ModalWait wait(app.jobs());
        chosen = app.main_window()->run_popup(id, pointer);
    }
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
        show_context_menu(app, clicked, event.global_pos);
    } else if (event.kind == EventKind::LeftDoubleClick) {
        toggle_timer(ws, current_position(ws));
    }
}

// The notes box is about to show something else: what was typed there goes into the item it
// was shown for first.
void keep_typed_notes(Workspace& ws) {
    store_notes(ws, ws.state.previous_selection);
}

// Reports > Period Report: a new window for the item selected in the tree (the user when none
// is), in place of the one open before.
void open_period_report(Application& app) {
    Workspace& ws = app.workspace();
    const RecordRef record = current_record(ws);
    if (PeriodReportWindow* open = app.period_report()) {
        if (open->can_undo()) {
            // The same item again: the window it has, marks and all.
            if (period_scope_of(ws.store, record) ==
                std::pair(open->scope_kind(), open->scope_key())) {
                open->show();
                open->raise();
                open->activateWindow();
                return;
            }
            if (!ws.prompter.confirm(
                    open, QStringLiteral("Period Report"),
                    QStringLiteral("The Mark as Billed made in this window can no longer be "
                                   "undone once it reports on another item. Report on the other "
                                   "item?"))) {
                open->raise();
                open->activateWindow();
                return;
            }
        }
        open->close();
    }
    auto* window = new PeriodReportWindow(ws, record, app.main_window());
    window->post_event = [&app](const Event& event) { app.handle_event(event); };
    window->open_database = [&app] { return app.database_path(); };
    window->settings_key = app.settings_key();
    app.set_period_report(window);
    // Its last size, centred over the main window and wholly on that window's screen.
    if (const QSize kept = kept_period_report_size(app.settings_key()); kept.isValid())
        window->resize(kept);
    if (const MainWindow* main = app.main_window()) {
        const QScreen* screen = main->screen();
        window->setGeometry(place_around(window->geometry(), main->geometry().center(),
                                         screen ? screen->availableGeometry() : QRect()));
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void period_report_command(Application& app, int id) {
    PeriodReportWindow* window = app.period_report();
    if (!window)
        return;
    switch (id) {
    case id::PeriodPrint:
        window->print_report();
        break;
    case id::PeriodExportCsv:
        window->export_csv();
        break;
    case id::PeriodMarkBilled:
        window->mark_billed();
        break;
    case id::PeriodUndoMark:
        window->undo_mark();
        break;
    default:
        break;
    }
}

void control(Application& app, const Event& event, std::int32_t position) {
    Workspace& ws = app.workspace();
    switch (event.id) {
    case id::ItemTree:
        tree_sequence(app, event, position);
        break;
    case id::DetailList:
        // A right click comes with the pointer's place; the menu key with the selected row's.
        if (event.kind == EventKind::RightClick && app.main_window())
            run_popup_menu(app, id::MenuTimeEntry,
                           event.global_pos.isNull() ? QCursor::pos() : event.global_pos);
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
    case id::PeriodPrint:
    case id::PeriodExportCsv:
    case id::PeriodMarkBilled:
    case id::PeriodUndoMark:
        period_report_command(app, event.id);
        break;
    default:
        break;
    }
}

void menu(Application& app, const Event& event, std::int32_t position) {
    Workspace& ws = app.workspace();
    switch (event.id) {
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
    case id::AddTime:
        keep_typed_notes(ws);
        open_add_time(ws);
        break;
    case id::EditEntry:
        open_edit_entry(ws);
        break;
    case id::EntryBilledToggle:
        toggle_selected_billed(ws);
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
        open_preferences(ws, app.shell_preferences());
        break;
    case id::HelpUserGuide:
        open_user_guide(app.prompter(), app.main_window(), user_guide_folders(),
                        app.guide_launcher());
        break;
    case id::HelpAbout:
        open_about(ws);
        break;
    case id::ReportsPeriodReport:
        keep_typed_notes(ws);
        open_period_report(app);
        break;
    default: // "Update" does nothing
        break;
    }
}

} // namespace

bool dispatch_window_event(Workspace& ws, const Event& event) {
    if (event.type == EventType::Control && event.id == id::PreferencesOk) {
        keep_typed_notes(ws);
        apply_preferences(ws);
        return true;
    }
    return route_dialog_event(ws, event);
}

void dispatch_event(Application& app, const Event& event) {
    Jobs::Busy busy(app.jobs());
    if (event.type == EventType::Control && event.id == id::PreferencesOk)
        if (const auto shell = shown_shell_preferences(app.workspace()))
            app.apply_shell_preferences(*shell);
    if (dispatch_window_event(app.workspace(), event))
        return;
    const std::int32_t position = std::max<std::int32_t>(current_position(app.workspace()), 0);
    if (event.type == EventType::Control)
        control(app, event, position);
    else if (event.type == EventType::Menu)
        menu(app, event, position);
}

void show_context_menu(Application& app, std::int32_t position, QPoint pointer) {
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
    run_popup_menu(app, menu_id, pointer);
}

void save_sequence(Application& app, FlushFailures failures) {
    Workspace& ws = app.workspace();
    keep_typed_notes(ws);
    if (app.read_only()) {
        // Nothing can be written there: the changes stay in the lists, where Save As finds them.
        if (failures == FlushFailures::ToStandardError && has_unsaved_records(app.store()))
            std::fprintf(stderr,
                         "Olvessa.project: Could not write to Database %s: it is read-only, "
                         "changes not written\n",
                         qUtf8Printable(app.database_path()));
        return;
    }
    auto& users = app.store().lists.users;
    if (!users.empty()) {
        users.front().user_View = current_position(ws);
        users.front().modified = true;
    }
    if (failures == FlushFailures::Shown) {
        flush_records(ws);
        return;
    }
    const FlushResult result = flush(app.store());
    if (result.failed_records > 0) {
        std::fprintf(stderr, "Olvessa.project: Could not write to Database %s: %d %s not written\n",
                     qUtf8Printable(app.database_path()), result.failed_records,
                     result.failed_records == 1 ? "record" : "records");
        if (!result.reason.empty())
            std::fprintf(stderr, "Olvessa.project: %s\n", result.reason.c_str());
    }
}

QStringList user_guide_folders() {
    // The working folder, beside the program in a build, then where it is installed.
    const QString program = QCoreApplication::applicationDirPath();
    return {QDir::currentPath(), program,
            QDir::cleanPath(program + QStringLiteral("/" OLV_GUIDE_FROM_PROGRAM))};
}

void open_user_guide(Prompter& prompter, QWidget* parent, const QStringList& folders,
                     const QString& launcher) {
    const QString name = QStringLiteral("manual.pdf");
    QStringList looked_in;
    for (const QString& folder : folders) {
        const QFileInfo guide(QDir(folder), name);
        if (!guide.isFile()) {
            looked_in << QDir::toNativeSeparators(guide.absolutePath());
            continue;
        }
        const QString file = QDir::toNativeSeparators(guide.absoluteFilePath());
        QPointer<QWidget> owner = parent;
        const auto failed = [&prompter, owner, file] {
            prompter.message(owner, QStringLiteral("Error"),
                             QStringLiteral("Could not open the user guide %1: no program to "
                                            "show PDF documents could be started.")
                                 .arg(file));
        };
        // The launcher may run as long as the viewer it starts (xdg-open without a desktop
        // does), so it is not waited for. A launcher still running when the program ends is
        // left alone: deleting its QProcess would close the viewer the user is reading. The
        // answer counts only while the window that asked is there (the prompter lives as long).
        auto* process = new QProcess;
        QObject* context = parent ? static_cast<QObject*>(parent) : process;
        QObject::connect(process, &QProcess::errorOccurred, context,
                         [process, failed](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart)
                                 return;
                             failed();
                             process->deleteLater();
                         });
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        QObject::connect(process, &QProcess::finished, context,
                         [failed](int code, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || code != 0)
                                 failed();
                         });
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(launcher, {guide.absoluteFilePath()});
        return;
    }
    prompter.message(parent, QStringLiteral("Error"),
                     QStringLiteral("Could not open the user guide: %1 is not in %2.")
                         .arg(name, looked_in.join(QStringLiteral(" or "))));
}

} // namespace olv
