#pragma once
// In-place editing: the cell frame, the Time cell editor and the Billed toggle in a task's
// time-entry view, the detail list's row colours, and renaming items by editing tree labels.
#include "views/workspace.h"

#include <QString>

namespace olv {

// Installs the detail list and tree handlers; called once after the main window is built.
void install_list_editing(Workspace& ws);
// Closes an open cell editor and applies its text.
void commit_cell_edit(Workspace& ws);
// Gives the client, project, objective or task at the position a new name.
void rename_item(Workspace& ws, std::int32_t position, const QString& text);

} // namespace olv
