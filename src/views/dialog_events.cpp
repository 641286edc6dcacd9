// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/dialog_events.h"

#include "views/dialogs.h"
#include "views/entry_commands.h"
#include "views/ids.h"

namespace olv {

namespace {

bool control(Workspace& ws, int id) {
    switch (id) {
    case id::ClientOk:
        save_client_dialog(ws);
        return true;
    case id::ProjectOk:
        save_project_dialog(ws);
        return true;
    case id::ObjectiveOk:
        save_objective_dialog(ws);
        return true;
    case id::TaskOk:
        save_task_dialog(ws);
        return true;
    case id::ClientCancel:
        close_window(ws, id::ClientDialog);
        return true;
    case id::ProjectCancel:
        close_window(ws, id::ProjectDialog);
        return true;
    case id::ObjectiveCancel:
        close_window(ws, id::ObjectiveDialog);
        return true;
    case id::TaskCancel:
        close_window(ws, id::TaskDialog);
        return true;
    case id::PreferencesCancel:
        close_window(ws, id::PreferencesWindow);
        return true;
    case id::AboutOk:
        close_window(ws, id::AboutWindow);
        return true;
    case id::TaskAcceptedBox:
        task_accepted_clicked(ws);
        return true;
    case id::AddTimeOk:
        save_add_time(ws);
        return true;
    case id::EditEntryOk:
        save_edit_entry(ws);
        return true;
    case id::AddTimeCancel:
        close_window(ws, id::AddTimeDialog);
        return true;
    case id::EditEntryCancel:
        close_window(ws, id::EditEntryDialog);
        return true;
    default:
        return false;
    }
}

bool menu(Workspace& ws, int id) {
    switch (id) {
    case id::ProjectReturn:
        save_project_dialog(ws);
        return true;
    case id::ObjectiveReturn:
        save_objective_dialog(ws);
        return true;
    case id::TaskReturn:
        save_task_dialog(ws);
        return true;
    case id::ClientReturn:
        save_client_dialog(ws);
        return true;
    case id::ProjectEscape:
        close_window(ws, id::ProjectDialog);
        return true;
    case id::ObjectiveEscape:
        close_window(ws, id::ObjectiveDialog);
        return true;
    case id::TaskEscape:
        close_window(ws, id::TaskDialog);
        return true;
    case id::ClientEscape:
        close_window(ws, id::ClientDialog);
        return true;
    case id::AddTimeReturn:
        save_add_time(ws);
        return true;
    case id::EditEntryReturn:
        save_edit_entry(ws);
        return true;
    case id::AddTimeEscape:
        close_window(ws, id::AddTimeDialog);
        return true;
    case id::EditEntryEscape:
        close_window(ws, id::EditEntryDialog);
        return true;
    default:
        return false;
    }
}

} // namespace

bool route_dialog_event(Workspace& ws, const Event& event) {
    if (event.type == EventType::Control)
        return control(ws, event.id);
    if (event.type == EventType::Menu)
        return menu(ws, event.id);
    return false;
}

} // namespace olv
