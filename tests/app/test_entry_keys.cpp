// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The detail list without the mouse: Space, Return, F2, Insert, Delete, Shift+F10 and the menu
// key on a task's time entries, Ctrl+Shift+T anywhere, and an open Period Report following every
// change at once. All on the real main window.
#include "app/period_report_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/entry_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

bool activate(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// one_of_each, with the task "Design" holding an unbilled hour on 1 and 2 December 2026.
void two_entries(Store& store) {
    one_of_each(store);
    store.db.execute("INSERT INTO task_detail VALUES(500,400,3600," +
                     std::to_string(make_date(2026, 12, 1, 0, 0, 0)) + ",0);");
    store.db.execute("INSERT INTO task_detail VALUES(501,400,3600," +
                     std::to_string(make_date(2026, 12, 2, 0, 0, 0)) + ",0);");
}

// The program started on two_entries with "Design" selected and the keyboard in the detail
// list on its second entry, reached with the arrow keys.
struct EntriesInFocus : AppFixture {
    QTreeWidget* list = nullptr;
    bool ready = false;

    EntriesInFocus() {
        prepare(two_entries);
        if (!start() || !activate(&window()))
            return;
        tree().expandAll();
        tree().setCurrentItem(ws().tree_items.at(4));
        settle();
        list = window().list();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        ready = ws().state.time_entries_shown && list->topLevelItemCount() == 2 &&
                list->selectedItems().size() == 1 &&
                list->indexOfTopLevelItem(list->selectedItems().front()) == 1;
    }
    const TimeEntry& entry(Key key) {
        for (const TimeEntry& e : app->store().lists.entries)
            if (e.key == key)
                return e;
        return app->store().lists.entries.front();
    }
};

} // namespace

class EntryKeysTest : public QObject {
    Q_OBJECT
private slots:
    void keys_in_the_entry_list_act_on_the_selected_entry_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Space") << int(Qt::Key_Space) << "billed";
        QTest::newRow("Return") << int(Qt::Key_Return) << "edit";
        QTest::newRow("Enter") << int(Qt::Key_Enter) << "edit";
        QTest::newRow("F2") << int(Qt::Key_F2) << "edit";
        QTest::newRow("Insert") << int(Qt::Key_Insert) << "add";
        QTest::newRow("Delete") << int(Qt::Key_Delete) << "delete";
    }
    void keys_in_the_entry_list_act_on_the_selected_entry() {
        QFETCH(int, key);
        QFETCH(QString, effect);
        EntriesInFocus f;
        QVERIFY(f.ready);
        QTest::keyClick(f.list, Qt::Key(key));
        settle();
        if (effect == QStringLiteral("billed")) {
            QCOMPARE(f.entry(501).billed, 1);
            QCOMPARE(f.entry(500).billed, 0);
            QCOMPARE(f.list->topLevelItem(1)->text(2), QStringLiteral("Yes"));
            QTest::keyClick(f.list, Qt::Key_Space);
            QCOMPARE(f.entry(501).billed, 0);
        } else if (effect == QStringLiteral("edit")) {
            auto* dialog = qobject_cast<EntryDialog*>(top_level_window(id::EditEntryDialog));
            QVERIFY(dialog);
            QCOMPARE(dialog->target, 501);
            QCOMPARE(dialog->date_picker()->date(), QDate(2026, 12, 2));
            // Return is OK there: the entry takes the new time and the list shows it.
            QVERIFY(activate(dialog));
            dialog->duration_field()->setText(QStringLiteral("2:00"));
            QTest::keyClick(dialog->duration_field(), Qt::Key_Return);
            settle();
            QVERIFY(!top_level_window(id::EditEntryDialog));
            QCOMPARE(f.entry(501).Time, 7200);
            QCOMPARE(f.list->topLevelItem(1)->text(1), QStringLiteral("02:00:00"));
        } else if (effect == QStringLiteral("add")) {
            auto* dialog = qobject_cast<EntryDialog*>(top_level_window(id::AddTimeDialog));
            QVERIFY(dialog);
            QCOMPARE(dialog->target, 400);
        } else {
            QCOMPARE(f.messages(), QStringList{"Please Confirm Deletion"});
            QCOMPARE(f.app->store().lists.entries.size(), std::size_t{1});
            QCOMPARE(f.app->store().lists.entries.front().key, 500);
        }
    }

    void keys_in_other_views_of_the_list_do_nothing() {
        AppFixture f;
        f.prepare(two_entries);
        QVERIFY(f.start());
        QVERIFY(activate(&f.window()));
        f.tree().expandAll();
        f.tree().setCurrentItem(f.ws().tree_items.at(3)); // the objective's report
        settle();
        QTreeWidget* list = f.window().list();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_F2, Qt::Key_Delete})
            QTest::keyClick(list, key);
        settle();
        QVERIFY(!top_level_window(id::EditEntryDialog));
        QCOMPARE(f.messages(), QStringList{});
        QCOMPARE(f.app->store().lists.entries.size(), std::size_t{2});
        for (const TimeEntry& e : f.app->store().lists.entries)
            QCOMPARE(e.billed, 0);
    }

    void ctrl_shift_t_adds_time_to_the_selected_task() {
        AppFixture f;
        f.prepare(two_entries);
        QVERIFY(f.start());
        QVERIFY(activate(&f.window()));
        f.tree().expandAll();
        f.tree().setCurrentItem(f.ws().tree_items.at(4));
        f.tree().setFocus();
        QTest::keyClick(&f.tree(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
        auto* dialog = qobject_cast<EntryDialog*>(top_level_window(id::AddTimeDialog));
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), &f.window());
        QVERIFY(activate(dialog));
        QTest::keyClicks(dialog->duration_field(), QStringLiteral("0:30"));
        QTest::keyClick(dialog->duration_field(), Qt::Key_Return);
        settle();
        QVERIFY(!top_level_window(id::AddTimeDialog));
        QCOMPARE(f.window().list()->topLevelItemCount(), 3);
        DatabaseProbe probe(f.default_db());
        QCOMPARE(probe.rows("SELECT time, billed FROM task_detail WHERE date = " +
                            std::to_string(make_date(2026, 12, 10, 0, 0, 0))),
                 QStringList{"1800|0"});
    }

    void the_menu_key_opens_the_entry_menu_at_the_selected_row_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void the_menu_key_opens_the_entry_menu_at_the_selected_row() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        EntriesInFocus f;
        QVERIFY(f.ready);
        QString opened;
        QPoint menu_at;
        QStringList items;
        QTimer::singleShot(0, &f.context, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            opened = popup->objectName();
            menu_at = popup->pos();
            for (const QAction* action : popup->actions())
                if (!action->isSeparator())
                    items << action->property("olv_id").toString();
            // Billed (toggle) by its letter, as a keyboard user chooses it.
            for (QAction* action : popup->actions())
                if (action->property("olv_id").toInt() == id::EntryBilledToggle)
                    action->trigger();
            if (QWidget* still = QApplication::activePopupWidget())
                still->close();
        });
        QTest::keyClick(f.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        settle();
        QCOMPARE(opened, QString::number(id::MenuTimeEntry));
        QCOMPARE(items, (QStringList{QString::number(id::AddTime), QString::number(id::EditEntry),
                                     QString::number(id::EntryBilledToggle),
                                     QString::number(id::TimeEntryDelete)}));
        const QPoint row_centre = f.list->viewport()->mapToGlobal(
            f.list->visualItemRect(f.list->topLevelItem(1)).center());
        // At the row (the menu moves left only to stay on the screen).
        QCOMPARE(menu_at.y(), row_centre.y() - 1);
        QVERIFY(menu_at.x() <= row_centre.x() - 1);
        QCOMPARE(f.entry(501).billed, 1);
    }

    void an_open_period_report_follows_every_change_at_once() {
        EntriesInFocus f;
        QVERIFY(f.ready);
        dispatch_event(*f.app, menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* report = f.app->period_report();
        QVERIFY(report);
        QCOMPARE(report->entries_list()->model()->rowCount(), 2);
        // Back in the main window without the report being activated again.
        QVERIFY(activate(&f.window()));
        f.list->setFocus();
        const auto billed_in_report = [&] {
            QStringList cells;
            const QAbstractItemModel* entries = report->entries_list()->model();
            for (int i = 0; i < entries->rowCount(); ++i)
                cells << entries->index(i, 6).data().toString();
            return cells;
        };
        f.list->setCurrentItem(f.list->topLevelItem(1));
        QTest::keyClick(f.list, Qt::Key_Space);
        QCOMPARE(billed_in_report(), (QStringList{"No", "Yes"}));

        QTest::keyClick(f.list, Qt::Key_Insert);
        settle();
        auto* dialog = qobject_cast<EntryDialog*>(top_level_window(id::AddTimeDialog));
        QVERIFY(dialog);
        dialog->date_picker()->setDate(QDate(2026, 12, 3));
        dialog->duration_field()->setText(QStringLiteral("1:00"));
        dispatch_event(*f.app, control_event(id::AddTimeOk, id::AddTimeDialog));
        settle();
        QCOMPARE(report->entries_list()->model()->rowCount(), 3);

        QVERIFY(activate(&f.window()));
        f.list->setFocus();
        f.list->setCurrentItem(f.list->topLevelItem(0));
        QTest::keyClick(f.list, Qt::Key_Delete);
        settle();
        QCOMPARE(report->entries_list()->model()->rowCount(), 2);
    }
};

OLV_TEST_CLASS(EntryKeysTest)
#include "test_entry_keys.moc"
