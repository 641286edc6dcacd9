// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app_fixture.h"
#include "store/operations.h"
#include "test_registry.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace olv;
using namespace olv::testing;

namespace {

// A menu text as shown, without the "&" that marks its mnemonic (no text holds a real "&").
QString shown_text(const QAction* action) {
    return action->text().remove(QLatin1Char('&'));
}

// Texts of a menu's entries, "-" for a separator.
QStringList entries(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : shown_text(action));
    return texts;
}

QList<int> ids(const QMenu* menu) {
    QList<int> list;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            list << action->property("olv_id").toInt();
    }
    return list;
}

QMenu* menu_titled(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions()) {
        if (shown_text(action) == title)
            return action->menu();
    }
    return nullptr;
}

// Right-clicks the tree at a point as a mouse does (press, release, context-menu request) and
// hands the pop-up menu that opened, or nullptr, to `seen` before closing it.
void right_click(AppFixture& f, QPoint point, const std::function<void(QMenu*)>& seen) {
    QTreeWidget& tree = f.tree();
    bool looked = false;
    QTimer::singleShot(0, &f.context, [&] {
        looked = true;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        seen(menu);
        if (menu)
            menu->close();
    });
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, point);
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, tree.viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(tree.viewport(), &request);
    if (!looked)
        QCoreApplication::processEvents();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

private slots:
    void init() {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start());
        f->tree().expandAll();
    }
    void cleanup() { f.reset(); }

    void window_and_controls() {
        MainWindow& w = f->window();
        QCOMPARE(w.windowTitle(), QStringLiteral("default.db \u2013 Olvessa.project"));
        QCOMPARE(w.objectName(), QStringLiteral("2"));
        QCOMPARE(w.width(), 790);
        QCOMPARE(w.height() - w.menuBar()->height(), 520);

        auto* banner = w.findChild<QLabel*>(QStringLiteral("1"));
        QVERIFY(banner);
        QCOMPARE(banner->geometry(), QRect(385, 9, 350, 70));
        QCOMPARE(banner->pixmap().size(), QSize(350, 70));
        QCOMPARE(banner->frameShadow(), QFrame::Sunken);

        const struct {
            int id;
            QString tip;
            int x;
        } buttons[] = {{52, "New Item (Ctrl+N)", 18},
                       {53, "Delete Item (Del)", 78},
                       {54, "Stop Timers (Ctrl+Shift+Space)", 138},
                       {55, "Edit Item (Ctrl+E)", 198},
                       {56, "To-Do List (Ctrl+D)", 258}};
        for (const auto& b : buttons) {
            auto* button = w.findChild<QToolButton*>(QString::number(b.id));
            QVERIFY2(button, qPrintable(QString::number(b.id)));
            QCOMPARE(button->property("olv_id").toInt(), b.id);
            QCOMPARE(button->toolTip(), b.tip);
            QCOMPARE(button->geometry(), QRect(b.x, 20, 50, 50));
            QCOMPARE(button->iconSize(), QSize(32, 32));
            QVERIFY(!button->icon().isNull());
        }

        QCOMPARE(f->ws().tree, w.findChild<QTreeWidget*>(QStringLiteral("60")));
        QCOMPARE(f->ws().list, w.findChild<QTreeWidget*>(QStringLiteral("50")));
        QCOMPARE(f->ws().notes, w.findChild<QTextEdit*>(QStringLiteral("49")));
        QCOMPARE(f->ws().main_window, &w);

        // Tree beside the list above the notes box, dividers at 330 and 300.
        QSplitter* outer = w.outer_splitter();
        QSplitter* inner = w.inner_splitter();
        QCOMPARE(outer->objectName(), QStringLiteral("70"));
        QCOMPARE(inner->objectName(), QStringLiteral("69"));
        QCOMPARE(outer->orientation(), Qt::Horizontal);
        QCOMPARE(inner->orientation(), Qt::Vertical);
        QCOMPARE(outer->widget(0), f->ws().tree);
        QCOMPARE(outer->widget(1), inner);
        QCOMPARE(inner->widget(0), f->ws().list);
        QCOMPARE(inner->widget(1), f->ws().notes);
        QCOMPARE(outer->sizes().at(0), 330);
        QCOMPARE(inner->sizes().at(0), 300);
        QCOMPARE(outer->geometry(), QRect(0, 90, w.width(), w.height() - 134));

        QCOMPARE(f->ws().tree->palette().color(QPalette::Base), QColor(254, 254, 240));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Ready..."));
    }

    void the_detail_list_starts_with_six_columns() {
        // What the list holds before any item is shown in it.
        MainWindow fresh;
        const QTreeWidget* list = fresh.list();
        QCOMPARE(list->columnCount(), 6);
        QStringList titles;
        QList<int> widths;
        for (int c = 0; c < 6; ++c) {
            titles << list->headerItem()->text(c);
            widths << list->columnWidth(c);
        }
        QCOMPARE(titles, (QStringList{"Date", "Time", "Billed", "Rate", "Total", "temp"}));
        QCOMPARE(widths, (QList<int>{80, 60, 40, 50, 60, 0}));
    }

    // In the window as it first opens, the client column gives up room so that every figure
    // of the user's list shows without scrolling sideways.
    void the_first_window_shows_the_figures_without_scrolling() {
        AppFixture g;
        g.prepare([](Store& store) {
            one_of_each(store);
            TimeEntry entry;
            entry.key = 500;
            entry.Task_Key = 400;
            entry.Time = 3'000'000; // 833 hours
            entry.date = make_date(2026, 12, 1, 0, 0, 0);
            entry.billed = 1;
            store.db.execute(insert_time_entry_sql(entry));
        });
        // The list is filled as the program starts, before the window has its size: the name
        // column follows the window as it is laid out.
        QVERIFY(g.start());
        QApplication::processEvents();
        const QTreeWidget* list = g.ws().list;
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Acme"));
        int total = 0;
        for (int c = 0; c < list->columnCount(); ++c)
            total += list->columnWidth(c);
        QVERIFY2(total <= list->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(total).arg(list->viewport()->width())));
        // What room the figures leave goes to the names, up to their usual width.
        QVERIFY(list->columnWidth(1) >=
                std::min(174, list->viewport()->width() - total + list->columnWidth(1)));
        const QTreeWidgetItem* totals = list->topLevelItem(list->topLevelItemCount() - 1);
        for (int c = 2; c < list->columnCount(); ++c)
            QVERIFY(QFontMetrics(list->font()).horizontalAdvance(totals->text(c)) <
                    list->columnWidth(c));
    }

    void menu_bar() {
        QMenuBar* bar = f->window().menuBar();
        QCOMPARE(bar->objectName(), QStringLiteral("4"));
        QMenu* file = menu_titled(bar, QStringLiteral("File"));
        QMenu* help = menu_titled(bar, QStringLiteral("Help"));
        QVERIFY(file && help);
        QCOMPARE(entries(file), (QStringList{"New", "Open", "Open Server Database…", "-", "Save",
                                             "Save As", "-", "Print", "Preferences", "-", "Exit"}));
        QCOMPARE(ids(file), (QList<int>{36, 37, 39, 40, 41, 38, 42, 43}));
        QCOMPARE(entries(help), (QStringList{"User Guide", "Update", "-", "About"}));
        QCOMPARE(ids(help), (QList<int>{44, 45, 46}));
        for (const QAction* action : file->actions() + help->actions()) {
            const int id = action->property("olv_id").toInt();
            if (!action->isSeparator())
                QCOMPARE(action->isEnabled(), id != 45);
        }
    }

    void update_does_nothing_and_stays_disabled() {
        f->window().menu_item(id::HelpUpdate)->trigger();
        dispatch_event(*f->app, menu_event(id::HelpUpdate, id::MainWindow));
        // Other commands come and go; nothing enables them again.
        f->prompter.file_name.clear();
        dispatch_event(*f->app, menu_event(id::FileNew, id::MainWindow));
        dispatch_event(*f->app, menu_event(id::FileSave, id::MainWindow));
        dispatch_event(*f->app, control_event(id::ButtonToDoList, id::MainWindow));
        f->clock.advance_seconds(21);
        f->app->jobs().poll();
        QVERIFY(!f->window().menu_item(id::HelpUpdate)->isEnabled());
        QVERIFY(f->messages().isEmpty());
        QCOMPARE(f->app->database_path(), f->default_db());
        QCOMPARE(f->setting(QStringLiteral("Default Database")), f->default_db());
        DatabaseProbe probe(f->default_db());
        QCOMPARE(probe.rows("SELECT count(*) FROM clients UNION ALL SELECT count(*) FROM task"),
                 (QStringList{"1", "1"}));
    }

    void the_splitters_fill_the_window_after_a_resize_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(1024, 768);
        QTest::newRow("smaller") << QSize(640, 420);
        QTest::newRow("wide and low") << QSize(1200, 300);
    }
    void the_splitters_fill_the_window_after_a_resize() {
        QFETCH(QSize, size);
        MainWindow& w = f->window();
        w.resize(size);
        QCOMPARE(w.size(), size);
        QCOMPARE(w.outer_splitter()->geometry(), QRect(0, 90, size.width(), size.height() - 134));
        // The tree keeps its width; the list and the notes box take the rest.
        QCOMPARE(w.outer_splitter()->sizes().at(0), 330);
        QCOMPARE(w.inner_splitter()->height(), w.outer_splitter()->height());
    }

    void the_status_bar_reads_ready_until_the_first_second() {
        QStatusBar* bar = f->window().statusBar();
        QCOMPARE(bar->currentMessage(), QStringLiteral("Ready..."));
        f->clock.advance_ms(999);
        f->app->jobs().poll();
        QCOMPARE(bar->currentMessage(), QStringLiteral("Ready..."));
        f->clock.advance_ms(1);
        f->app->jobs().poll();
        QCOMPARE(bar->currentMessage(), QStringLiteral("10/12/2026 : 09:00:01"));
        f->clock.advance_seconds(2);
        f->app->jobs().poll();
        QCOMPARE(bar->currentMessage(), QStringLiteral("10/12/2026 : 09:00:03"));
    }

    // Minimised with no timer running, the program rests: its one timer waits for the day
    // change (15 hours from 09:00), nothing ticks, and back on screen the clock shows the time at
    // once and ticks again. A running timer keeps the ticks going while minimised.
    void a_minimised_window_rests_unless_a_timer_runs_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("no timer running") << false;
        QTest::newRow("a timer running") << true;
    }
    void a_minimised_window_rests_unless_a_timer_runs() {
        QFETCH(bool, running);
        QStatusBar* bar = f->window().statusBar();
        Jobs& jobs = f->app->jobs();
        QTimer* timer = jobs.findChildren<QTimer*>().front();
        if (running)
            toggle_timer(f->app->workspace(), f->app->store().lists.tasks.front().tree_pos);
        QVERIFY(!jobs.resting());
        f->window().showMinimized();
        QCOMPARE(jobs.resting(), !running);
        QCOMPARE(timer->isSingleShot(), !running);
        QCOMPARE(timer->interval(), running ? 1000 : 15 * 60 * 60 * 1000);

        f->clock.advance_seconds(5);
        jobs.poll();
        const auto& entries = f->app->store().lists.entries;
        QCOMPARE(bar->currentMessage(),
                 running ? QStringLiteral("10/12/2026 : 09:00:05") : QStringLiteral("Ready..."));
        QCOMPARE(entries.empty() ? 0 : entries.front().Time, running ? 5 : 0);

        f->clock.advance_ms(300);
        f->window().showNormal();
        QVERIFY(!jobs.resting());
        QCOMPARE(bar->currentMessage(), QStringLiteral("10/12/2026 : 09:00:05"));
        QVERIFY(timer->isActive());
        f->clock.advance_ms(700);
        jobs.poll();
        QCOMPARE(bar->currentMessage(), QStringLiteral("10/12/2026 : 09:00:06"));
    }

    void hovering_a_menu_item_leaves_the_clock_in_the_status_bar() {
        MainWindow& w = f->window();
        QStatusBar* bar = w.statusBar();
        // What an open menu does for the item under the mouse: its status tip (none) goes to
        // the menu bar that opened it.
        QMenuBar* opened_by = w.menuBar();
        w.menu_item(id::FileSave)->showStatusText(opened_by);
        QCOMPARE(bar->currentMessage(), QStringLiteral("Ready..."));
        f->clock.advance_seconds(1);
        f->app->jobs().poll();
        for (int id : {id::FileNew, id::FilePrint, id::FileExit})
            w.menu_item(id)->showStatusText(opened_by);
        QCOMPARE(bar->currentMessage(), QStringLiteral("10/12/2026 : 09:00:01"));
    }

    void a_click_on_the_current_item_shows_it_again() {
        QTreeWidget& tree = f->tree();
        QTreeWidgetItem* project = f->ws().tree_items.at(2);
        const QPoint point = tree.visualItemRect(project).center();
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(tree.currentItem(), project);
        QCOMPARE(f->ws().list->headerItem()->text(1), QStringLiteral("Objective"));

        auto* to_do = f->window().findChild<QToolButton*>(QString::number(id::ButtonToDoList));
        QTest::mouseClick(to_do, Qt::LeftButton);
        QVERIFY(f->ws().state.to_do_list_shown);
        QCOMPARE(f->ws().list->headerItem()->text(1), QStringLiteral("Description"));

        // The selection does not change; the project's report comes back all the same.
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(tree.currentItem(), project);
        QVERIFY(!f->ws().state.to_do_list_shown);
        QCOMPARE(f->ws().list->headerItem()->text(1), QStringLiteral("Objective"));
        QCOMPARE(f->ws().list->topLevelItem(0)->text(1), QStringLiteral("Launch"));
        QCOMPARE(f->ws().state.previous_selection, 2);
    }

    void right_click_opens_the_menu_of_the_item_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("menu");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("user") << 0 << 5 << "User" << QStringList{"New Client"};
        QTest::newRow("client") << 1 << 9 << "Client"
                                << QStringList{"New Project", "-", "Edit", "Delete"};
        QTest::newRow("project") << 2 << 13 << "Project"
                                 << QStringList{"New Objective", "-", "Edit", "Delete"};
        QTest::newRow("objective")
            << 3 << 17 << "Objectives" << QStringList{"New Task", "-", "Edit", "Delete"};
        QTest::newRow("task")
            << 4 << 24 << "Task"
            << QStringList{"Start (toggle)",    "Add Time…",        "-", "Edit", "Delete", "-",
                           "Complete (toggle)", "Accepted (toggle)"};
    }
    void right_click_opens_the_menu_of_the_item() {
        QFETCH(int, position);
        QFETCH(int, menu);
        QFETCH(QString, entry);
        QFETCH(QStringList, items);
        QTreeWidget& tree = f->tree();
        QTreeWidgetItem* item = f->ws().tree_items.at(position);
        const QPoint point = tree.visualItemRect(item).center();
        QCursor::setPos(tree.viewport()->mapToGlobal(point));
        const QPoint pointer = QCursor::pos();

        QString opened;
        QStringList shown_entries, shown_items;
        QPoint menu_pos;
        right_click(*f, point, [&](QMenu* popup) {
            if (!popup)
                return;
            opened = popup->objectName();
            shown_entries = entries(popup);
            menu_pos = popup->pos();
            if (QMenu* sub = popup->actions().value(0)->menu())
                shown_items = entries(sub);
        });
        QCOMPARE(opened, QString::number(menu));
        QCOMPARE(shown_entries, QStringList{entry});
        QCOMPARE(shown_items, items);
        QCOMPARE(menu_pos, pointer - QPoint(1, 1));
        QCOMPARE(tree.currentItem(), item);
        QCOMPARE(f->ws().state.previous_selection, position);
    }

    void right_click_on_empty_space_opens_no_menu() {
        QTreeWidget& tree = f->tree();
        const QPoint below(10, tree.viewport()->height() - 3);
        QVERIFY(!tree.itemAt(below));
        bool opened = true;
        right_click(*f, below, [&](QMenu* popup) { opened = popup != nullptr; });
        QVERIFY(!opened);
        QCOMPARE(f->ws().state.previous_selection, -1);
    }

    void a_chosen_popup_item_arrives_as_a_menu_command() {
        QTreeWidget& tree = f->tree();
        const QPoint task = tree.visualItemRect(f->ws().tree_items.at(4)).center();
        right_click(*f, task, [](QMenu* popup) {
            if (!popup)
                return;
            for (QAction* action : popup->actions().value(0)->menu()->actions()) {
                if (action->objectName() == QStringLiteral("27"))
                    action->trigger();
            }
        });
        QCOMPARE(f->app->store().lists.tasks.at(0).running, 1);
        QCOMPARE(f->ws().tree_items.at(4)->text(0), QStringLiteral("Design (Running)"));
    }

    void right_click_on_the_detail_list_opens_the_time_entry_menu() {
        QString opened;
        QStringList shown;
        QTimer::singleShot(0, &f->context, [&] {
            if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                opened = popup->objectName();
                shown = entries(popup);
                popup->close();
            }
        });
        QWidget* viewport = f->ws().list->viewport();
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  viewport->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(viewport, &request);
        QCOMPARE(opened, QStringLiteral("33"));
        // The keys that do the same in the list are shown beside the items.
        QCOMPARE(shown, (QStringList{"Add Time…", "Edit Entry…\tReturn", "Billed (toggle)\tSpace",
                                     "-", "Delete\tDel"}));
    }
};

OLV_TEST_CLASS(MainWindowTest)

#include "test_main_window.moc"
