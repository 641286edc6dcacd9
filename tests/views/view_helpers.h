// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Small helpers for driving the real widgets of the views from tests.
#include "views/images.h"
#include "views/tree.h"
#include "views_fixture.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>

namespace olv::testing {

// The name or title of the record a tree position stands for; empty for none.
inline QString record_name(const Workspace& ws, std::int32_t position) {
    const RecordRef ref = record_at_position(ws, position);
    const RecordLists& l = ws.store.lists;
    switch (ref.kind) {
    case RecordKind::User:
        return QString::fromStdString(l.users[ref.index].userID);
    case RecordKind::Client:
        return QString::fromStdString(l.clients[ref.index].client_name);
    case RecordKind::Project:
        return QString::fromStdString(l.projects[ref.index].project_title);
    case RecordKind::Objective:
        return QString::fromStdString(l.objectives[ref.index].ob_title);
    case RecordKind::Task:
        return QString::fromStdString(l.tasks[ref.index].task_title);
    case RecordKind::None:
        break;
    }
    return {};
}

// Runs what the event loop would run next: queued calls, then the deletion of closed windows.
inline void run_pending_events() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The tree icon an item shows, by image number; -1 when it shows none of them.
inline int shown_image(const QTreeWidgetItem* item) {
    if (!item)
        return -1;
    const QImage shown =
        item->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int image : {image::Client, image::Task, image::Objective, image::User, image::Project,
                      image::Accepted, image::Complete, image::Overdue}) {
        const QImage candidate =
            program_icon(image).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        if (candidate == shown)
            return image;
    }
    return -1;
}

// The centre of a cell of the detail list, in its viewport.
inline QPoint cell_centre(const QTreeWidget* list, int row, int column) {
    return list->visualRect(list->model()->index(row, column)).center();
}
inline QRect cell_rect(const QTreeWidget* list, int row, int column) {
    return list->visualRect(list->model()->index(row, column));
}

inline void click_cell(QTreeWidget* list, int row, int column) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell_centre(list, row, column));
}
inline void double_click_cell(QTreeWidget* list, int row, int column) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell_centre(list, row, column));
}

// Clicks a dialog control by its id.
inline void click_button(QWidget* dialog, int id) {
    auto* button = dialog->findChild<QPushButton*>(QString::number(id));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void type_into(QWidget* dialog, int id, const QString& text) {
    auto* field = dialog->findChild<QLineEdit*>(QString::number(id));
    QVERIFY(field);
    field->clear();
    QTest::keyClicks(field, text);
}

// The line editor the tree opened on one of its labels, or null.
inline QLineEdit* tree_label_editor(QTreeWidget* tree) {
    for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

} // namespace olv::testing
