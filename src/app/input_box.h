// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The one-line prompt (window 99) asked at the first start.
#include <QString>

namespace olv {

// Shows the prompt with its own event loop until OK or Return (the typed text) or Escape or
// closing the window (the default) ends it.
QString input_box(const QString& title, const QString& default_text);

} // namespace olv
