// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/entry_commands.h"

#include "common/dates.h"
#include "reports/format.h"
#include "store/day_entries.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/entry_dialog.h"
#include "views/error_message.h"
#include "views/ids.h"
#include "views/number_input.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTreeWidget>
#include <algorithm>
#include <limits>
#include <vector>

namespace olv {

namespace {

constexpr std::int64_t kLastSecond = std::numeric_limits<DateValue>::max();

template <typename Record>
std::optional<std::size_t> index_of_key(const std::vector<Record>& records, Key key) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].key == key)
            return i;
    return std::nullopt;
}

// The box of a refused field belongs to the dialog; afterwards the dialog is in front again with
// the focus in that field, holding everything as typed.
void refuse(Workspace& ws, EntryDialog& dialog, QWidget* field, const QString& text) {
    const QPointer<EntryDialog> open(&dialog);
    ws.prompter.message(&dialog, QStringLiteral("Error"), text);
    if (!open)
        return;
    dialog.raise();
    dialog.activateWindow();
    field->setFocus(Qt::OtherFocusReason);
}

DateValue picked_day(const QDateEdit* picker) {
    const QDate d = picker->date();
    return make_date(d.year(), d.month(), d.day(), 0, 0, 0);
}

QDate qdate_of(DateValue d) {
    return QDate(date_year(d), date_month(d), date_day(d));
}

// Time on one day.
using Piece = DaySeconds;

// `seconds` from `offset` seconds after the start of `day`, day by day. Empty when it would run
// past the last second a date value can hold: none of it is cut off.
std::vector<Piece> split_by_day(DateValue day, std::int64_t offset, std::int64_t seconds) {
    if (day + offset + seconds > kLastSecond)
        return {};
    return seconds_by_day(static_cast<DateValue>(day + offset), seconds);
}

QString time_refused(const QString& field, const QString& typed) {
    return QStringLiteral("%1: \"%2\" is not a time of day. Type it as 9:00 or 09:00:00.")
        .arg(field, typed);
}

// What Add Time's fields ask for, or nothing after a refusal (already shown).
std::optional<std::vector<Piece>> asked_time(Workspace& ws, EntryDialog& dialog, DateValue day) {
    const QString duration_text = dialog.duration_field()->text().trimmed();
    const QString start_text = dialog.start_field()->text().trimmed();
    const QString end_text = dialog.end_field()->text().trimmed();

    std::optional<std::int64_t> duration;
    if (!duration_text.isEmpty()) {
        duration = parse_entry_time(duration_text);
        if (!duration) {
            refuse(ws, dialog, dialog.duration_field(),
                   duration_refused(QStringLiteral("Duration"), duration_text));
            return std::nullopt;
        }
    }
    if (start_text.isEmpty() && end_text.isEmpty()) {
        if (!duration) {
            refuse(ws, dialog, dialog.duration_field(),
                   QStringLiteral("Duration: give a duration, or a Start and an End."));
            return std::nullopt;
        }
        if (*duration == 0) {
            refuse(ws, dialog, dialog.duration_field(),
                   QStringLiteral("Duration: \"%1\" adds no time.").arg(duration_text));
            return std::nullopt;
        }
        // A duration without a start is all that day's, however long.
        if (std::int64_t{day} + *duration <= kLastSecond)
            return std::vector<Piece>{{day, *duration}};
        refuse(ws, dialog, dialog.duration_field(),
               QStringLiteral("Duration: \"%1\" runs past the last day that can be recorded.")
                   .arg(duration_text));
        return std::nullopt;
    }

    const std::optional<std::int32_t> start = parse_time_of_day(start_text);
    if (!start || *start >= kSecondsPerDay) {
        refuse(ws, dialog, dialog.start_field(),
               start_text.isEmpty() ? QStringLiteral("Start: give the time the work started.")
                                    : time_refused(QStringLiteral("Start"), start_text));
        return std::nullopt;
    }
    std::int64_t end = 0;
    if (end_text.isEmpty()) {
        if (!duration) {
            refuse(ws, dialog, dialog.end_field(),
                   QStringLiteral("End: give the time the work ended, or a Duration."));
            return std::nullopt;
        }
        end = std::int64_t{*start} + *duration;
    } else {
        const std::optional<std::int32_t> typed_end = parse_time_of_day(end_text);
        if (!typed_end) {
            refuse(ws, dialog, dialog.end_field(), time_refused(QStringLiteral("End"), end_text));
            return std::nullopt;
        }
        end = *typed_end;
        if (end <= *start) {
            refuse(ws, dialog, dialog.end_field(),
                   QStringLiteral("End: %1 is not after the Start, %2. Work that ends after "
                                  "midnight ends at 24:00 or later (01:30 the next day is 25:30).")
                       .arg(end_text, start_text));
            return std::nullopt;
        }
        if (duration && *duration != end - *start) {
            refuse(ws, dialog, dialog.duration_field(),
                   QStringLiteral("Duration: \"%1\" is not the time from the Start to the End. "
                                  "Give a Duration or an End, not both.")
                       .arg(duration_text));
            return std::nullopt;
        }
    }
    if (end == *start) {
        refuse(ws, dialog, dialog.duration_field(),
               QStringLiteral("Duration: \"%1\" adds no time.").arg(duration_text));
        return std::nullopt;
    }
    std::vector<Piece> pieces = split_by_day(day, *start, end - *start);
    if (pieces.empty()) {
        refuse(ws, dialog, dialog.end_field(),
               QStringLiteral("End: the work runs past the last day that can be recorded."));
        return std::nullopt;
    }
    return pieces;
}

void select_entry(Workspace& ws, Key entry_key) {
    if (!ws.state.time_entries_shown || !ws.list)
        return;
    const auto e = index_of_key(ws.store.lists.entries, entry_key);
    const RecordRef task = current_record(ws);
    if (!e || task.kind != RecordKind::Task ||
        ws.store.lists.entries[*e].Task_Key != ws.store.lists.tasks[task.index].key)
        return;
    if (QTreeWidgetItem* row = ws.list->topLevelItem(ws.store.lists.entries[*e].list_row)) {
        ws.list->setCurrentItem(row);
        row->setSelected(true);
    }
}

// The entry shown in a row of the time-entry view of the selected task.
std::optional<std::size_t> entry_in_row(const Workspace& ws, int row) {
    const RecordRef ref = current_record(ws);
    if (row < 0 || ref.kind != RecordKind::Task || !ws.state.time_entries_shown)
        return std::nullopt;
    for (std::size_t e : ws.store.children().entries_of_task(ref.index))
        if (ws.store.lists.entries[e].list_row == row)
            return e;
    return std::nullopt;
}

// The task named in the choice: the item whose text it holds, or else the one item that holds
// the typed part of a name ("test" for "Acme › Web › Build › Test"); -1 when none or several do.
int chosen_task(const QComboBox* tasks) {
    const QString typed = tasks->currentText().trimmed();
    if (typed.isEmpty())
        return -1;
    if (const int exact = tasks->findText(typed, Qt::MatchFixedString); exact >= 0)
        return exact;
    int found = -1;
    for (int i = 0; i < tasks->count(); ++i) {
        if (!tasks->itemText(i).contains(typed, Qt::CaseInsensitive))
            continue;
        if (found >= 0)
            return -1;
        found = i;
    }
    return found;
}

} // namespace

std::optional<std::int32_t> parse_time_of_day(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int hours = m.captured(1).toInt();
    const int minutes = m.captured(2).toInt();
    const int seconds = m.capturedLength(3) > 0 ? m.captured(3).toInt() : 0;
    if (hours > 47 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return (hours * 60 + minutes) * 60 + seconds;
}

int selected_entry_row(const Workspace& ws) {
    if (!ws.list || !ws.state.time_entries_shown)
        return -1;
    const QList<QTreeWidgetItem*> selected = ws.list->selectedItems();
    return selected.size() == 1 ? ws.list->indexOfTopLevelItem(selected.front()) : -1;
}

void show_entry_changes(Workspace& ws, std::optional<Key> keep_selected) {
    if (ws.list && !ws.state.to_do_list_shown) {
        show_item_keeping_notes(ws, std::max(0, current_position(ws)));
        if (keep_selected)
            select_entry(ws, *keep_selected);
    }
    if (ws.tree)
        refresh_status_icons(ws);
    if (ws.entries_changed)
        ws.entries_changed();
}

void open_add_time(Workspace& ws) {
    const RecordRef ref = current_record(ws);
    if (ref.kind != RecordKind::Task) {
        show_error(ws, QStringLiteral("Please select the task to add time to"));
        return;
    }
    EntryDialog* dialog = open_entry_dialog(ws, id::AddTimeDialog);
    dialog->target = ws.store.lists.tasks[ref.index].key;
    dialog->setWindowTitle(QStringLiteral("Add Time - ") + task_path(ws.store, ref.index));
    dialog->duration_field()->setFocus();
}

void save_add_time(Workspace& ws) {
    EntryDialog* dialog = entry_dialog(ws, id::AddTimeDialog);
    if (!dialog)
        return;
    Store& store = ws.store;
    const auto task = index_of_key(store.lists.tasks, dialog->target);
    if (!task) {
        refuse(ws, *dialog, dialog->duration_field(), QStringLiteral("This task has been deleted"));
        return;
    }
    const DateValue day = picked_day(dialog->date_picker());
    const std::optional<std::vector<Piece>> pieces = asked_time(ws, *dialog, day);
    if (!pieces)
        return;
    const bool billed = dialog->billed_box()->isChecked();
    const Key task_key = store.lists.tasks[*task].key;

    // The notes typed so far belong to their item before the list is shown again.
    store_notes(ws, ws.state.previous_selection);
    bool failed = false;
    for (const Piece& piece : *pieces) {
        const EntryWriteResult result = add_time_to_day(store, task_key, piece.day, piece.seconds,
                                                        billed, current_date(ws.clock));
        failed = failed || result.rc != 0;
    }
    close_window(ws, id::AddTimeDialog);
    status_changed(ws, {RecordKind::Task, *task});
    show_entry_changes(ws);
    // The time is kept in memory, marked for the next flush.
    if (failed)
        show_error(ws, QStringLiteral("Could not write to Database"));
}

void open_edit_entry(Workspace& ws) {
    const std::optional<std::size_t> e = entry_in_row(ws, selected_entry_row(ws));
    if (!e)
        return;
    const TimeEntry& entry = ws.store.lists.entries[*e];
    EntryDialog* dialog = open_entry_dialog(ws, id::EditEntryDialog);
    dialog->target = entry.key;
    dialog->date_picker()->setDate(qdate_of(entry.date));
    dialog->duration_field()->setText(QString::fromStdString(format_duration(entry.Time)));
    dialog->billed_box()->setChecked(entry.billed != 0);
    QComboBox* tasks = dialog->task_choice();
    tasks->setCurrentIndex(tasks->findData(entry.Task_Key));
    dialog->duration_field()->setFocus();
    dialog->duration_field()->selectAll();
}

void save_edit_entry(Workspace& ws) {
    EntryDialog* dialog = entry_dialog(ws, id::EditEntryDialog);
    if (!dialog)
        return;
    Store& store = ws.store;
    const auto e = index_of_key(store.lists.entries, dialog->target);
    if (!e) {
        refuse(ws, *dialog, dialog->duration_field(),
               QStringLiteral("This entry has been deleted"));
        return;
    }
    const DateValue day = picked_day(dialog->date_picker());
    const QString duration_text = dialog->duration_field()->text().trimmed();
    const std::optional<std::int64_t> seconds = parse_entry_time(duration_text);
    if (!seconds) {
        refuse(ws, *dialog, dialog->duration_field(),
               duration_refused(QStringLiteral("Duration"), duration_text));
        return;
    }
    QComboBox* tasks = dialog->task_choice();
    const int chosen = chosen_task(tasks);
    const std::optional<std::size_t> task =
        chosen < 0 ? std::nullopt
                   : index_of_key(store.lists.tasks, tasks->itemData(chosen).value<Key>());
    if (!task) {
        refuse(ws, *dialog, tasks,
               QStringLiteral("Task: \"%1\" names no single task. Choose one from the list.")
                   .arg(tasks->currentText()));
        return;
    }

    const TimeEntry& entry = store.lists.entries[*e];
    const Key task_key = store.lists.tasks[*task].key;
    const bool moved = day != entry.date || task_key != entry.Task_Key;
    if (moved && entry.timing != 0) {
        refuse(ws, *dialog,
               task_key != entry.Task_Key ? static_cast<QWidget*>(tasks) : dialog->date_picker(),
               QStringLiteral("A running timer counts into this entry. Please stop the timer "
                              "before moving the entry to another day or task."));
        return;
    }
    const std::optional<std::size_t> old_task = index_of_key(store.lists.tasks, entry.Task_Key);
    const Key entry_key = entry.key;

    store_notes(ws, ws.state.previous_selection);
    const EntryWriteResult result =
        change_time_entry(store, *e, {day, *seconds, dialog->billed_box()->isChecked(), task_key});
    close_window(ws, id::EditEntryDialog);
    if (old_task)
        status_changed(ws, {RecordKind::Task, *old_task});
    status_changed(ws, {RecordKind::Task, *task});
    show_entry_changes(ws, entry_key);
    if (result.rc != 0)
        show_error(ws, QStringLiteral("Could not write to Database"));
}

void toggle_selected_billed(Workspace& ws) {
    const int row = selected_entry_row(ws);
    if (row < 0)
        return;
    toggle_billed(ws, row);
}

} // namespace olv
