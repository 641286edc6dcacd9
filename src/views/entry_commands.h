// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Time entries by hand: Add Time for the selected task, Edit Entry and the Billed toggle for the
// entry selected in the detail list, and what every view shows after such a change.
#include "views/workspace.h"

#include <QString>
#include <optional>

namespace olv {

// Opens Add Time for the selected task (today, nothing typed).
void open_add_time(Workspace& ws);
// OK or Return in Add Time: checks the fields, then adds the time to its day (or days, past
// midnight) and writes it at once.
void save_add_time(Workspace& ws);
// Opens Edit Entry for the entry selected in the time-entry view.
void open_edit_entry(Workspace& ws);
// OK or Return in Edit Entry.
void save_edit_entry(Workspace& ws);
// Space in the time-entry view: flips the selected entry's billed flag.
void toggle_selected_billed(Workspace& ws);

// The row of the time-entry view the user selected, -1 when there is none (or the list shows
// something else).
int selected_entry_row(const Workspace& ws);
// After entries changed by hand: the detail list, the tree's status icons and the windows that
// show entries (Workspace::entries_changed) show the change; the entry with `keep_selected`, when
// it is shown, stays the selected row.
void show_entry_changes(Workspace& ws, std::optional<Key> keep_selected = std::nullopt);

// A time of day as typed in Start and End: "9:00", "09:00", "09:00:30", up to "47:59:59" (an
// end from 24:00 on is that time of the next day). Seconds from the day's start.
std::optional<std::int32_t> parse_time_of_day(const QString& text);

} // namespace olv
