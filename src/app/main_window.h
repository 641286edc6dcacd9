// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The main window (2): menu bar, tool bar of five picture buttons, banner, item tree beside the
// detail list and the notes box, status bar, and the six pop-up menus. Every widget, menu and
// menu item with an id carries it as objectName (the decimal number) and as property "olv_id".
#include "views/event.h"

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QMenu;
class QSplitter;
class QTextEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class QLabel;

namespace olv {

struct Workspace;

class MainWindow final : public QMainWindow {
public:
    MainWindow();

    // Menu items and buttons: always handed on. Tree and list signals: handed on as events of
    // controls 60 and 50; the receiver drops those that program changes caused.
    std::function<void(const Event&)> on_command;
    std::function<void(const Event&)> on_view_event;
    // A close request of the window; true lets it close.
    std::function<bool()> on_close;
    // The window was minimised or brought back.
    std::function<void()> on_window_state;

    QTreeWidget* tree() const { return tree_; }
    QTreeWidget* list() const { return list_; }
    QTextEdit* notes() const { return notes_; }
    QSplitter* outer_splitter() const { return splitter70_; }
    QSplitter* inner_splitter() const { return splitter69_; }

    // Menu-bar item or pop-up menu by id (nullptr when there is none).
    QAction* menu_item(int id) const;
    QMenu* popup_menu(int id) const;

    // Opens pop-up menu `id` one pixel left of and above `pointer` and returns the id of the
    // chosen item, 0 when the menu was dismissed.
    int run_popup(int id, QPoint pointer);

    // Places splitter 70 at (0, 90), as wide as the window and 134 pixels shorter than it.
    void fit_splitters();

    // A note at the right of the status bar that stays beside the clock until the window
    // closes; it asks nothing. Empty when none was shown.
    void show_note(const QString& text);
    QString note() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build_menu_bar();
    void build_popup_menus();
    void build_tool_bar(QWidget* area);

    QTreeWidget* tree_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QTextEdit* notes_ = nullptr;
    QSplitter* splitter69_ = nullptr;
    QSplitter* splitter70_ = nullptr;
    QLabel* note_ = nullptr;
    std::map<int, QAction*> menu_items_;
    std::map<int, QMenu*> popups_;
    int chosen_popup_item_ = 0;
    // The tree's current item when the last mouse button went down on it; only compared.
    const QTreeWidgetItem* current_at_press_ = nullptr;
};

// Builds the main window, centred, with a client area of 790 x 520, and points the workspace
// at its tree, list, notes box and status bar.
std::unique_ptr<MainWindow> build_main_window(Workspace& ws);

} // namespace olv
