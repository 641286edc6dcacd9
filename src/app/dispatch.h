#pragma once
// Routes every control and menu event by its id to the handler that owns it, and keeps the
// notes box, the detail list and the tree selection together.
#include "views/event.h"
#include "views/workspace.h"

#include <QPoint>
#include <QStringList>
#include <cstdint>
#include <functional>

class QWidget;

namespace olv {

class Application;
class Prompter;

// Holds the program busy while it runs, so no periodic job runs inside a handler. Close
// requests and other event types are left to Application::handle_event.
void dispatch_event(Application& app, const Event& event);

// The events of the item dialogs, the Preferences window and the About window (OK, Cancel,
// Return, Escape, "Accepted"): runs their handler and returns true; false for other events.
bool dispatch_window_event(Workspace& ws, const Event& event);

// Opens the pop-up menu that fits the tree item at the position (none for -1) at the pointer
// (where the right click was, or the item's centre when a key asked for it) and dispatches the
// chosen item as a menu event of the main window.
void show_context_menu(Application& app, std::int32_t position, QPoint pointer);

// Where the failures of a flush are told: in "Could not write to Database" boxes, or, when the
// program ends on a termination request and nobody may be there to answer, on standard error.
enum class FlushFailures { Shown, ToStandardError };

// Save: the notes box text goes into the item it shows, the first users record remembers the
// tree's position (-1 when nothing is selected), then every modified record is flushed.
void save_sequence(Application& app, FlushFailures failures = FlushFailures::Shown);

// Where Help > User Guide looks for "manual.pdf": the working directory, then the program's
// folder.
QStringList user_guide_folders();

// Help > User Guide: the first "manual.pdf" of the folders, handed to `launcher` ("xdg-open",
// which starts the desktop's document viewer). When there is none, an "Error" box says so at
// once; when the launcher cannot be started or ends with an error, the box comes as soon as it
// has ended, and names the file.
void open_user_guide(Prompter& prompter, QWidget* parent, const QStringList& folders,
                     const QString& launcher = QStringLiteral("xdg-open"));

} // namespace olv
