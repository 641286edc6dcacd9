// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The window of the Client (63), Project (72), Objective (79) and Task (85) dialogs: fixed
// controls carrying their ids as objectName, OK / Cancel / Return / Escape raised as events.
#include "views/workspace.h"

#include <QDate>
#include <QString>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace olv {

// What an open dialog's OK saves. Each dialog keeps its own, so opening another dialog or
// selecting another item never changes where its record goes.
struct DialogTarget {
    DialogMode mode = DialogMode::New;
    Key record = 0; // edit: the key of the record shown
    Key parent = 0; // new: the client, project or objective chosen; 0 for a new client
};

class ItemDialog final : public QWidget {
    Q_OBJECT
public:
    ItemDialog(Workspace& ws, int window);

    // Name or title field: 64, 73, 80 or 86.
    QLineEdit* title_field() const { return title_; }
    // Rate field: 65 or 77; null in the Objective and Task dialogs.
    QLineEdit* rate_field() const { return rate_; }
    // Date pickers; null in the Client dialog.
    QDateEdit* start_picker() const { return start_; }
    QDateEdit* end_picker() const { return end_; }
    // Task dialog check boxes 25 ("Completed") and 26 ("Accepted"); null elsewhere.
    QCheckBox* completed_box() const { return completed_; }
    QCheckBox* accepted_box() const { return accepted_; }

    const DialogTarget& target() const { return target_; }
    void set_target(const DialogTarget& target) { target_ = target; }

    // The rate text and days the fields showed when an edit opened, so that OK keeps a stored
    // value the user left alone (a rate of 12.345 shown as 12.35, a date with a time of day).
    void remember_shown_values();
    bool rate_unchanged() const;
    bool start_unchanged() const;
    bool end_unchanged() const;

protected:
    // The close box discards what was typed, as Cancel does.
    void closeEvent(QCloseEvent* event) override;

private:
    Workspace& ws_;
    int window_;
    QLineEdit* title_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QDateEdit* start_ = nullptr;
    QDateEdit* end_ = nullptr;
    QCheckBox* completed_ = nullptr;
    QCheckBox* accepted_ = nullptr;
    DialogTarget target_;
    bool remembered_ = false;
    QString shown_rate_;
    QDate shown_start_;
    QDate shown_end_;
};

// Opens the dialog of window 63, 72, 79 or 85 empty, in place of one that is open already.
ItemDialog* open_item_dialog(Workspace& ws, int window);
// A window closed by a close request (its title bar): the workspace forgets it, when it is the
// one it holds, and the main window is current again.
void window_closed(Workspace& ws, int window, const QWidget* closed);
// The open dialog of a window id, or null.
ItemDialog* item_dialog(Workspace& ws, int window);
// Where the Workspace keeps the open window of an id (63, 72, 79, 85, 92, 95); null for others.
QPointer<QWidget>* window_slot(Workspace& ws, int window);

} // namespace olv
