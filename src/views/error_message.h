// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The "Error" box over the main window, with an OK button.
#include "views/workspace.h"

#include <QString>

namespace olv {

inline void show_error(Workspace& ws, const QString& text) {
    ws.prompter.message(ws.main_window, QStringLiteral("Error"), text);
}

} // namespace olv
