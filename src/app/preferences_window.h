// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Preferences (window 95) and About (window 92).
#include "views/workspace.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QPushButton;

namespace olv {

// The program's own settings below the user's display settings: kept in the settings file, not
// in the database.
struct ShellPreferences {
    bool keep_in_tray = false;
    int idle_minutes = 15; // 0: never ask
    // Without a source of idle time the choice is shown disabled, with this note.
    bool idle_available = true;
    QString idle_note;
};

// Without shell preferences the window holds only the display settings.
void open_preferences(Workspace& ws, const std::optional<ShellPreferences>& shell = std::nullopt);
// The shell preferences as the open window shows them; nothing when it shows none.
std::optional<ShellPreferences> shown_shell_preferences(const Workspace& ws);
void apply_preferences(Workspace& ws);
void open_about(Workspace& ws);

// Shared by both windows: a small non-modal window owned by the main window, centred on it,
// named by its id; it replaces the one the slot holds.
void place_small_window(QWidget* window, QPointer<QWidget>& slot, QWidget* owner, int id,
                        const QString& title, QSize inner_size);
// A button that raises its control event through Workspace::post_event.
QPushButton* add_window_button(QWidget* window, Workspace& ws, int id, const QString& text,
                               const QRect& geometry);

} // namespace olv
