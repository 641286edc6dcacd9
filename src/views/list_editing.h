#pragma once
// In-place editing: the cell frame, the Time cell editor and the Billed toggle in a task's
// time-entry view, the detail list's row colours, and renaming items by editing tree labels.
#include "views/workspace.h"

#include <QRect>
#include <QString>

class QLineEdit;

namespace olv {

// Installs the detail list and tree handlers; called once after the main window is built.
void install_list_editing(Workspace& ws);
// Closes an open cell editor and applies its text.
void commit_cell_edit(Workspace& ws);
// Gives the user, client, project, objective or task at the position a new name; the user's
// name also goes into the settings (Workspace::set_user_name).
void rename_item(Workspace& ws, std::int32_t position, const QString& text);

// What the time-entry view shows of the editing: the frame of the last clicked cell and the open
// cell editor.
struct CellEditing {
    bool frame_shown = false;
    int row = -1;
    int column = -1;
    QRect frame; // in the list's viewport
    QLineEdit* editor = nullptr;
    int edit_row = -1;
    int edit_column = -1;
};
CellEditing cell_editing(const Workspace& ws);

} // namespace olv
