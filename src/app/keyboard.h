#pragma once
// The main window without the mouse: mnemonics on the menus and their items, and the shortcuts,
// shown in the menus and in the tool tips. A shortcut triggers its menu item or clicks its
// button, so it reaches the dispatcher as the very event the mouse would raise.
#include <QKeySequence>

namespace olv {

class MainWindow;

// Called once by the main window when its menus and buttons are built.
void install_keyboard(MainWindow& window);

// The shortcut of a menu item, tool button or pop-up menu item by id; empty when it has none.
QKeySequence shortcut_of(int id);

} // namespace olv
