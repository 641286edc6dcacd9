// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// What runs, shown outside the tree: the tray icon (when the desktop has a tray) with its tool
// tip and menu, and the running tasks beside the clock in the status bar.
#include "store/records.h"
#include "views/workspace.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QMenu;
class QSystemTrayIcon;

namespace olv {

class RunningDisplay final : public QObject {
public:
    explicit RunningDisplay(Workspace& ws, QObject* parent = nullptr);
    ~RunningDisplay() override;

    // Adds the running-tasks field to the status bar and shows the tray icon where there is a
    // tray. Before this nothing shows.
    void attach(QWidget* status_bar_owner);

    // After every tick and every handler: the texts and the menu follow the timers.
    void refresh();

    // The tray's menu commands; each runs as a handler of the program.
    std::function<void(Key task)> toggle_task;
    std::function<void()> stop_all;
    std::function<void()> show_window;
    std::function<void()> exit_program;

    // The real tray icon, also where the platform shows none (it is then never made visible).
    QSystemTrayIcon* tray() const { return tray_; }
    QLabel* status_field() const { return status_field_; }
    // True when the desktop offers a tray; tests may say so themselves.
    bool tray_exists() const;
    void set_tray_exists_for_tests(bool exists) { tray_forced_ = exists ? 1 : 0; }

    // "Running: Write report 1:02:03 (+1 more)", or "" when none runs.
    QString status_text() const;
    // One line per running task, "Write report – 1:02:03"; the program's name when none runs.
    QString tool_tip() const;

private:
    void rebuild_menu();
    void later(const std::function<void()>& command);

    Workspace& ws_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* menu_ = nullptr;
    QLabel* status_field_ = nullptr;
    std::vector<Key> shown_running_; // the running tasks the menu was built for
    bool shown_any_ = false;
    int tray_forced_ = -1;
};

} // namespace olv
