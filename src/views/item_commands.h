// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// New Item, Edit Item, Delete Item and the time-entry delete.
#include "views/workspace.h"

namespace olv {

void new_item(Workspace& ws, std::int32_t position);
void edit_item(Workspace& ws);
void delete_item(Workspace& ws);
void delete_time_entry(Workspace& ws);

} // namespace olv
