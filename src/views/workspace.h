// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// What the views work on: the store, the clocks, the modal-window interface, the view flags and
// the main window's widgets. The shell builds one for the main window; tests build their own.
#include "common/clock.h"
#include "store/store.h"
#include "views/event.h"
#include "views/prompter.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;
class QTextEdit;
class QStatusBar;

namespace olv {

class Page;

// Whether an item dialog's OK inserts a new record or changes the one it was opened for.
enum class DialogMode { New, Edit };

struct ViewState {
    bool to_do_list_shown = false;
    bool time_entries_shown = false;
    bool is_printing = false;
    // Tree position whose notes the notes box shows.
    std::int32_t previous_selection = 0;
};

// What the status refresh has still to look at: everything after a change to the lists, a new
// day or the moment an item can turn overdue; otherwise only the projects whose records were
// edited or had their timer started or stopped since the last pass.
struct StatusWatch {
    bool full = true;
    std::uint64_t structure_version = 0; // of the lists at the last full pass
    std::int64_t day = 0;                // start of the day of the last full pass
    std::int64_t last_now = 0;
    std::int64_t next_overdue = 0; // first moment an item not yet overdue becomes so
    std::vector<Key> projects;     // keys of the projects to look at again
};

// Seconds of a running timer that belong to a later day than the entry holding them: the
// database refused that day's entry at midnight. They stay counted in the earlier entry (which the
// flush writes) and move to their own day's entry once an insert succeeds.
struct HeldSeconds {
    Key task = 0;
    Key entry = 0;     // the entry holding them meanwhile
    DateValue day = 0; // 00:00:00 of the day they belong to
    std::int64_t seconds = 0;
    DateValue retry_at = 0; // the next insert is tried from this second on
};

struct Workspace {
    Workspace(Store& store_, const Clock& clock_, Prompter& prompter_)
        : store(store_), clock(clock_), prompter(prompter_) {}

    Store& store;
    const Clock& clock;
    Prompter& prompter;
    ViewState state;

    QWidget* main_window = nullptr; // owner of dialogs and message boxes
    QTreeWidget* tree = nullptr;    // item tree (60)
    QTreeWidget* list = nullptr;    // detail list (50), report style
    QTextEdit* notes = nullptr;     // notes box (49)
    QStatusBar* status_bar = nullptr;

    // Tree items by tree position, renewed at every build.
    std::vector<QTreeWidgetItem*> tree_items;
    // The record each tree position was built from (list indices as of the last build; checked
    // against the record's tree_pos before use, since the lists may have changed since).
    std::vector<RecordRef> tree_records;
    StatusWatch status_watch;

    // Dialogs and small windows raise their events (OK, Cancel, Return, Escape) through this;
    // the shell connects it to the dispatcher.
    std::function<void(const Event&)> post_event;
    // The "UserName" setting, read at the moment of the call, and its change.
    std::function<std::string()> user_name;
    std::function<void(const std::string&)> set_user_name;

    // Open non-modal windows by window id; opening one again replaces it.
    QPointer<QWidget> client_dialog;
    QPointer<QWidget> project_dialog;
    QPointer<QWidget> objective_dialog;
    QPointer<QWidget> task_dialog;
    QPointer<QWidget> preferences_window;
    QPointer<QWidget> about_window;
    QPointer<QWidget> add_time_dialog;
    QPointer<QWidget> edit_entry_dialog;

    // Time entries were added, changed or deleted by hand: windows that show them (the Period
    // Report) follow at once. The shell connects it.
    std::function<void()> entries_changed;

    // A flush found the server database taken over by another machine: nothing was written.
    // The shell connects it (read-only from then on, and Save As to a file offered); without
    // it a box says so.
    std::function<void(const QString& reason)> database_taken;

    // The page being drawn while state.is_printing is set; nullptr otherwise.
    Page* page = nullptr;

    // True while the "Could not write to Database" boxes of a flush wait for their answer.
    bool flush_failure_open = false;

    std::vector<HeldSeconds> held_seconds;
};

} // namespace olv
