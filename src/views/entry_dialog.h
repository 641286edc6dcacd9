// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The Add Time (162) and Edit Entry (163) dialogs: small non-modal windows owned by the main
// window. Add Time records time for a day the timer did not see: a date, and a duration or a
// start and an end; Edit Entry changes an entry's day, time, billed flag and task. OK, Cancel,
// Return and Escape are raised as events through Workspace::post_event.
#include "views/workspace.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;

namespace olv {

class EntryDialog final : public QWidget {
    Q_OBJECT
public:
    // window: id::AddTimeDialog or id::EditEntryDialog.
    EntryDialog(Workspace& ws, int window);

    int window() const { return window_; }
    QDateEdit* date_picker() const { return date_; }
    QLineEdit* duration_field() const { return duration_; }
    // Add Time only (null in Edit Entry): times of day, "9:00" to "23:59:59"; an end from 24:00
    // on is that time of the next day.
    QLineEdit* start_field() const { return start_; }
    QLineEdit* end_field() const { return end_; }
    QCheckBox* billed_box() const { return billed_; }
    // Edit Entry only (null in Add Time): every task as "Client › Project › Objective › Task",
    // in tree order, its key as the item data; typing filters the list.
    QComboBox* task_choice() const { return task_; }

    // Add Time: the task the time goes to. Edit Entry: the entry changed.
    Key target = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Workspace& ws_;
    int window_;
    QDateEdit* date_ = nullptr;
    QLineEdit* duration_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
    QCheckBox* billed_ = nullptr;
    QComboBox* task_ = nullptr;
};

// Opens the dialog of window 162 or 163 empty, in place of one that is open already.
EntryDialog* open_entry_dialog(Workspace& ws, int window);
// The open dialog of window 162 or 163, or null.
EntryDialog* entry_dialog(Workspace& ws, int window);

// A task's place in the tree: "Client › Project › Objective › Task".
QString task_path(const Store& store, std::size_t task_index);
// Qt's date format of a date mask ("%dd/%mm/%yyyy" gives "dd/MM/yyyy").
QString picker_format(const std::string& mask);

} // namespace olv
