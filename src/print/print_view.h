// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// File > Print: the to-do list when it shows, otherwise the report of the tree's current item.
#include "views/workspace.h"

namespace olv {

void print_current_view(Workspace& ws);

} // namespace olv
