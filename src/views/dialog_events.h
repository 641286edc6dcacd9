// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The routing of the events the item dialogs and the small windows raise: OK, Cancel, Return,
// Escape and the Task dialog's "Accepted" box. The dispatcher hands every event here first.
#include "views/event.h"
#include "views/workspace.h"

namespace olv {

// Runs the handler of a dialog event and returns true; false for any other event.
bool route_dialog_event(Workspace& ws, const Event& event);

} // namespace olv
