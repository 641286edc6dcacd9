// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The detail list and the notes box for the selected tree item.
#include "views/workspace.h"

namespace olv {

// Columns of a task's time-entry view that the timer and the cell editing write to.
namespace entry_column {
constexpr int Time = 1;
constexpr int Billed = 2;
constexpr int Total = 4;
} // namespace entry_column

// The detail list's properties and its six starting columns ("Date", "Time", "Billed", "Rate",
// "Total", hidden "temp"), set once when the main window is built.
void setup_detail_list(QTreeWidget* list);

// Widens a shown column whose cell text has grown past it (a running time, an edited cell).
void widen_to_fit(QTreeWidget* list, const QTreeWidgetItem* row, int column);

// Fills the detail list and the notes box for the item at the position.
void show_item_details(Workspace& ws, std::int32_t position);
// Copies the notes box text into the project, objective or task shown at that position.
void store_notes(Workspace& ws, std::int32_t position);
// Stores the notes box into the item it was shown for, then shows the item at the position and
// remembers it as the item the notes box belongs to.
void show_item_keeping_notes(Workspace& ws, std::int32_t position);

// Runs the flush and shows "Could not write to Database" for every record that failed, after
// the transaction has ended.
void flush_records(Workspace& ws);
// One "Could not write to Database" box for each record a flush could not write. The jobs run
// while a box waits, so a later flush may fail while earlier boxes are open: it adds none.
void show_flush_failures(Workspace& ws, int failed_records);

} // namespace olv
