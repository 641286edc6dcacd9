// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/dialogs.h"

#include "views/ids.h"
#include "views/item_dialog.h"

#include <QCheckBox>

namespace olv {

void open_client_dialog(Workspace& ws) {
    open_item_dialog(ws, id::ClientDialog);
}

void open_project_dialog(Workspace& ws) {
    open_item_dialog(ws, id::ProjectDialog);
}

void open_objective_dialog(Workspace& ws) {
    open_item_dialog(ws, id::ObjectiveDialog);
}

void open_task_dialog(Workspace& ws) {
    open_item_dialog(ws, id::TaskDialog);
}

void task_accepted_clicked(Workspace& ws) {
    const ItemDialog* dialog = item_dialog(ws, id::TaskDialog);
    if (!dialog)
        return;
    if (dialog->accepted_box()->isChecked() && !dialog->completed_box()->isChecked())
        dialog->completed_box()->setChecked(true);
}

void close_window(Workspace& ws, int window) {
    QPointer<QWidget>* slot = window_slot(ws, window);
    if (!slot)
        return;
    if (QWidget* open = slot->data()) {
        *slot = nullptr;
        // Closed from inside its own button's signal: destroyed once that has returned.
        open->hide();
        open->deleteLater();
    }
    if (ws.main_window)
        ws.main_window->activateWindow();
}

} // namespace olv
