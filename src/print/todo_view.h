// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
#include "views/workspace.h"

namespace olv {

// The to-do list in the detail list (and on the page while printing).
void show_to_do_list(Workspace& ws);
// The heading of the printed list: "To Do List for : " and the user's name.
QString to_do_heading(const Workspace& ws);

} // namespace olv
