#pragma once
// Task timers and time entries.
#include "views/workspace.h"

#include <QString>
#include <optional>

namespace olv {

void toggle_timer(Workspace& ws, std::int32_t position);
// One second for every timed entry, and the status-bar clock. A late tick runs once for every
// second that passed; `seconds_behind` says how many seconds after the one it counts have passed
// already, so each second goes to the day it belongs to.
void timer_tick(Workspace& ws, std::int64_t seconds_behind = 0);
void update_running_row(Workspace& ws, std::int32_t position);
void stop_all_timers(Workspace& ws);
void toggle_complete(Workspace& ws, std::int32_t position);
void toggle_accepted(Workspace& ws, std::int32_t position);
void toggle_billed(Workspace& ws, int row);
// Takes an edited Time cell into the entry of that row; false when the text was refused.
bool set_entry_time(Workspace& ws, const QString& text, int row, int column);

// A task's tree label: its title, followed by " (Running)" while its timer runs.
QString task_label(const TaskRecord& task);
// The seconds of a Time cell: "HH:MM:SS" and "D/HH:MM:SS" as the list shows them (one hour digit
// will do), or "H:MM"; nothing for any other text.
std::optional<std::int64_t> parse_entry_time(const QString& text);

} // namespace olv
