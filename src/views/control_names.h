// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// What keyboard and screen-reader users need from a small window of fixed controls: each field
// named by the label beside it, and the Tab key following the screen.
#include <QList>

class QWidget;

namespace olv {

// Every label of the window becomes the buddy of the control to its right on the same row (the
// nearest one), and that control takes the label's text as its accessible name.
void name_controls_by_labels(QWidget* window);

// The Tab key visits the window's fields row by row, left to right, then its push buttons from
// top to bottom, whatever order they were created in.
void order_tab_by_screen(QWidget* window);

} // namespace olv
