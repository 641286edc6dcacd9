#pragma once
// Routes every control and menu event by its id to the handler that owns it, and keeps the
// notes box, the detail list and the tree selection together.
#include "views/event.h"
#include "views/workspace.h"

#include <cstdint>

namespace olv {

class Application;

// Holds the program busy while it runs, so no periodic job runs inside a handler. Close
// requests and other event types are left to Application::handle_event.
void dispatch_event(Application& app, const Event& event);

// The events of the item dialogs, the Preferences window and the About window (OK, Cancel,
// Return, Escape, "Accepted"): runs their handler and returns true; false for other events.
bool dispatch_window_event(Workspace& ws, const Event& event);

// Opens the pop-up menu that fits the tree item at the position (none for -1) and dispatches
// the chosen item as a menu event of the main window.
void show_context_menu(Application& app, std::int32_t position);

// Save: the notes box text goes into the item it shows, the first users record remembers the
// tree's position (-1 when nothing is selected), then every modified record is flushed.
void save_sequence(Application& app);

// Help > User Guide: "manual.pdf" in the working directory, else beside the program. Silent
// when there is none or it cannot be opened.
void open_user_guide();

} // namespace olv
