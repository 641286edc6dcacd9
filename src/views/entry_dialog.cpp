// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/entry_dialog.h"

#include "common/dates.h"
#include "views/ids.h"
#include "views/item_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

namespace olv {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

struct EntryIds {
    const char* title;
    int ok, cancel, return_event, escape_event;
};

EntryIds ids_of(int window) {
    if (window == id::EditEntryDialog)
        return {"Edit Entry", id::EditEntryOk, id::EditEntryCancel, id::EditEntryReturn,
                id::EditEntryEscape};
    return {"Add Time", id::AddTimeOk, id::AddTimeCancel, id::AddTimeReturn, id::AddTimeEscape};
}

template <typename Widget> Widget* named(Widget* widget, int id, const char* name) {
    widget->setObjectName(QString::number(id));
    widget->setAccessibleName(QString::fromUtf8(name));
    return widget;
}

// Every task in tree order: clients, their projects, objectives and tasks.
void fill_tasks(QComboBox* box, const Store& store) {
    const ChildIndex& children = store.children();
    const RecordLists& lists = store.lists;
    for (std::size_t c = 0; c < lists.clients.size(); ++c)
        for (std::size_t p : children.projects_of_client(c))
            for (std::size_t o : children.objectives_of_project(p))
                for (std::size_t t : children.tasks_of_objective(o))
                    box->addItem(task_path(store, t), lists.tasks[t].key);
}

} // namespace

QString task_path(const Store& store, std::size_t task_index) {
    static const QString separator = QStringLiteral(" \u203A ");
    const RecordLists& lists = store.lists;
    const TaskRecord& task = lists.tasks[task_index];
    QStringList parts{text(task.task_title)};
    const auto objective =
        std::find_if(lists.objectives.begin(), lists.objectives.end(),
                     [&](const ObjectiveRecord& o) { return o.key == task.Obj_key; });
    if (objective != lists.objectives.end()) {
        parts.prepend(text(objective->ob_title));
        const auto project =
            std::find_if(lists.projects.begin(), lists.projects.end(),
                         [&](const ProjectRecord& p) { return p.key == objective->Project_key; });
        if (project != lists.projects.end()) {
            parts.prepend(text(project->project_title));
            const auto client =
                std::find_if(lists.clients.begin(), lists.clients.end(),
                             [&](const ClientRecord& c) { return c.key == project->client_key; });
            if (client != lists.clients.end())
                parts.prepend(text(client->client_name));
        }
    }
    return parts.join(separator);
}

QString picker_format(const std::string& mask) {
    QString format = text(mask);
    // Longest tokens first; the tokens are matched without regard to case, as in the masks.
    const std::pair<const char*, const char*> tokens[] = {
        {"%yyyy", "yyyy"}, {"%yy", "yy"}, {"%mm", "MM"}, {"%dd", "dd"},
        {"%hh", "HH"},     {"%ii", "mm"}, {"%ss", "ss"}};
    for (const auto& [token, qt] : tokens)
        format.replace(QString::fromLatin1(token), QString::fromLatin1(qt), Qt::CaseInsensitive);
    return format;
}

EntryDialog::EntryDialog(Workspace& ws, int window)
    // Kept above the main window that owns it, and non-modal, as the item dialogs are.
    : QWidget(ws.main_window, Qt::Dialog), ws_(ws), window_(window) {
    const EntryIds ids = ids_of(window);
    const bool edit = window == id::EditEntryDialog;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::number(window));
    setWindowTitle(QString::fromUtf8(ids.title));

    const auto post = [&ws](const Event& event) {
        if (ws.post_event)
            ws.post_event(event);
    };

    auto* form = new QFormLayout;
    date_ = named(new QDateEdit(this), id::EntryDate, "Date");
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(picker_format(ws.store.date_mask));
    // Every day a date value can hold: the last, 2038-01-19, ends at 03:14:07.
    date_->setDateRange(QDate(1970, 1, 1), QDate(2038, 1, 19));
    const WallTime now = ws.clock.wall_now();
    date_->setDate(QDate(now.year, now.month, now.day));
    form->addRow(QStringLiteral("&Date"), date_);

    if (edit) {
        task_ = named(new QComboBox(this), id::EntryTask, "Task");
        task_->setEditable(true);
        task_->setInsertPolicy(QComboBox::NoInsert);
        fill_tasks(task_, ws.store);
        // Typing any part of a name narrows the list to the tasks that hold it.
        task_->completer()->setFilterMode(Qt::MatchContains);
        task_->completer()->setCompletionMode(QCompleter::PopupCompletion);
        task_->setMinimumContentsLength(40);
        form->addRow(QStringLiteral("&Task"), task_);
    }

    duration_ = named(new QLineEdit(this), id::EntryDuration, "Duration");
    duration_->setPlaceholderText(
        QStringLiteral("1:30, 1:30:00 or %1").arg(QLocale().toString(1.5, 'f', 1)));
    form->addRow(QStringLiteral("D&uration"), duration_);
    if (!edit) {
        start_ = named(new QLineEdit(this), id::EntryStart, "Start");
        end_ = named(new QLineEdit(this), id::EntryEnd, "End");
        start_->setPlaceholderText(QStringLiteral("9:00"));
        end_->setPlaceholderText(QStringLiteral("17:30"));
        form->addRow(QStringLiteral("&Start"), start_);
        form->addRow(QStringLiteral("&End"), end_);
    }
    billed_ = named(new QCheckBox(this), id::EntryBilled, "Billed");
    form->addRow(QStringLiteral("&Billed"), billed_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(QString::number(ids.ok));
    cancel->setObjectName(QString::number(ids.cancel));
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        const Event event = control_event(button == ok ? ids.ok : ids.cancel, window);
        connect(button, &QPushButton::clicked, this, [post, event] { post(event); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        const Event event = menu_event(ids.return_event, window);
        connect(shortcut, &QShortcut::activated, this, [post, event] { post(event); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    const Event escape_event = menu_event(ids.escape_event, window);
    connect(escape, &QShortcut::activated, this, [post, escape_event] { post(escape_event); });

    adjustSize();
    if (ws.main_window && ws.main_window->isVisible())
        move(ws.main_window->frameGeometry().center() - rect().center());
}

void EntryDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    window_closed(ws_, window_, this);
}

EntryDialog* open_entry_dialog(Workspace& ws, int window) {
    QPointer<QWidget>* slot = window_slot(ws, window);
    if (QWidget* open = slot->data()) {
        *slot = nullptr;
        open->hide();
        open->deleteLater();
    }
    auto* dialog = new EntryDialog(ws, window);
    *slot = dialog;
    dialog->show();
    dialog->activateWindow();
    return dialog;
}

EntryDialog* entry_dialog(Workspace& ws, int window) {
    QPointer<QWidget>* slot = window_slot(ws, window);
    return slot ? qobject_cast<EntryDialog*>(slot->data()) : nullptr;
}

} // namespace olv
