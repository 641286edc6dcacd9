// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The main window without the mouse: Tab through the tool bar, tree, list and notes box,
// mnemonics on the menus and their items, and the shortcuts, shown in the menus and in the tool
// tips. A shortcut triggers its menu item or clicks its button, so it reaches the dispatcher as
// the very event the mouse would raise.
namespace olv {

class MainWindow;

// Called once by the main window when its menus and buttons are built.
void install_keyboard(MainWindow& window);

} // namespace olv
