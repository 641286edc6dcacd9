// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The item tree: positions, selection after a build, the restart list, and the status icons.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QSignalSpy>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "Acme" > project "Web" > objectives "Alpha" (tasks "One", "Two") and "Beta" (no task),
// then client "Bolt" > project "Ops" > objective "Gamma" > task "Three". The clock moves a second
// between records so every key is different.
struct Hierarchy {
    Key acme, web, alpha, one, two, beta, bolt, ops, gamma, three;

    explicit Hierarchy(ViewsFixture& f) {
        const auto next = [&f] { f.clock.advance_seconds(1); };
        acme = f.add_client("Acme", 30);
        next();
        web = f.add_project(acme, "Web", 40);
        next();
        alpha = f.add_objective(web, "Alpha");
        next();
        beta = f.add_objective(web, "Beta", make_date(2027, 7, 1, 0, 0, 0),
                               make_date(2026, 2, 1, 0, 0, 0));
        next();
        one = f.add_task(alpha, "One");
        next();
        two = f.add_task(alpha, "Two", make_date(2027, 7, 1, 0, 0, 0));
        next();
        bolt = f.add_client("Bolt", 10);
        next();
        ops = f.add_project(bolt, "Ops", 25);
        next();
        gamma = f.add_objective(ops, "Gamma");
        next();
        three = f.add_task(gamma, "Three");
        next();
    }
};

TaskRecord& task_named(ViewsFixture& f, const std::string& title) {
    for (TaskRecord& t : f.store->lists.tasks)
        if (t.task_title == title)
            return t;
    return f.store->lists.tasks.front();
}

// Tells the status refresh that a task was edited, as the commands that edit one do.
void announce_edit(ViewsFixture& f, const std::string& title) {
    const auto& tasks = f.store->lists.tasks;
    for (std::size_t t = 0; t < tasks.size(); ++t)
        if (tasks[t].task_title == title)
            status_changed(*f.ws, {RecordKind::Task, t});
}

} // namespace

class TreeTest : public QObject {
    Q_OBJECT

private slots:
    void positions_follow_the_tree_depth_first() {
        ViewsFixture f;
        const Hierarchy h(f);
        QStringList labels;
        for (QTreeWidgetItem* item : f.ws->tree_items)
            labels << item->text(0);
        QCOMPARE(labels, (QStringList{"Robin", "Acme", "Web", "Alpha", "One", "Two", "Beta", "Bolt",
                                      "Ops", "Gamma", "Three"}));
        // Every position leads to the record its item was built from.
        const RecordLists& l = f.store->lists;
        const auto name_of = [&l](RecordRef ref) -> std::string {
            switch (ref.kind) {
            case RecordKind::User:
                return l.users.at(ref.index).userID;
            case RecordKind::Client:
                return l.clients.at(ref.index).client_name;
            case RecordKind::Project:
                return l.projects.at(ref.index).project_title;
            case RecordKind::Objective:
                return l.objectives.at(ref.index).ob_title;
            case RecordKind::Task:
                return l.tasks.at(ref.index).task_title;
            case RecordKind::None:
                break;
            }
            return {};
        };
        for (std::int32_t p = 0; p < static_cast<std::int32_t>(labels.size()); ++p)
            QCOMPARE(QString::fromStdString(name_of(record_at_position(*f.ws, p))), labels.at(p));
        // Each task carries its own project's rate.
        QCOMPARE(task_named(f, "Two").task_rate, 40.0);
        QCOMPARE(task_named(f, "Three").task_rate, 25.0);
    }

    void a_build_selects_the_record_of_the_key_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("selected");
        QTest::newRow("a project") << "web"
                                   << "Web";
        QTest::newRow("a task") << "three"
                                << "Three";
        QTest::newRow("no record") << "none"
                                   << "Robin";
        QTest::newRow("no key") << "minus one"
                                << "Robin";
    }
    void a_build_selects_the_record_of_the_key() {
        QFETCH(QString, which);
        QFETCH(QString, selected);
        ViewsFixture f;
        const Hierarchy h(f);
        const Key key = which == "web"     ? h.web
                        : which == "three" ? h.three
                        : which == "none"  ? 77
                                           : -1;
        rebuild_tree(*f.ws, key);
        QCOMPARE(f.tree->currentItem()->text(0), selected);
        QVERIFY(f.tree->currentItem()->isSelected());
        for (QTreeWidgetItem* p = f.tree->currentItem()->parent(); p; p = p->parent())
            QVERIFY(p->isExpanded());
    }

    void a_key_shared_by_two_tables_selects_the_later_record() {
        // Inserts in one second share their key across tables.
        ViewsFixture f;
        const Key client = f.add_client("Same second");
        const Key project = f.add_project(client, "Also now", 10);
        QCOMPARE(project, client);
        rebuild_tree(*f.ws, client);
        QCOMPARE(f.tree->currentItem()->text(0), QStringLiteral("Also now"));
    }

    void a_build_without_refill_keeps_the_items_and_renumbers() {
        ViewsFixture f;
        const Hierarchy h(f);
        QTreeWidgetItem* three_item = f.item("Three");
        const std::int32_t acme = f.position_of("Acme");
        select_tree_position(*f.ws, acme);
        QCOMPARE(delete_tree_item_records(*f.store, acme), DeleteOutcome::Deleted);
        remove_tree_item(*f.ws, acme);
        QCOMPARE(load_all_records(*f.store), LoadStatus::Loaded);
        rebuild_tree(*f.ws, -3);
        QCOMPARE(f.tree->topLevelItem(0)->childCount(), 1);
        QCOMPARE(f.item("Three"), three_item);
        QCOMPARE(f.position_of("Three"), 4);
        QCOMPARE(task_named(f, "Three").tree_pos, 4);
        QCOMPARE(task_named(f, "Three").task_rate, 25.0);
        QCOMPARE(current_record(*f.ws).kind, RecordKind::Client);
        QVERIFY(f.tree->currentItem()->isSelected());
    }

    void the_restart_list_restarts_timers_on_new_positions() {
        ViewsFixture f;
        const Hierarchy h(f);
        toggle_timer(*f.ws, f.position_of("Three"));
        f.tick(3);
        remember_running_tasks(*f.ws);
        QCOMPARE(f.store->lists.restart, std::vector<std::int32_t>{h.three});
        flush_records(*f.ws);
        QCOMPARE(
            f.store->db.execute("DELETE FROM objectives WHERE key = " + std::to_string(h.beta)), 0);
        QCOMPARE(load_all_records(*f.store), LoadStatus::Loaded);
        rebuild_tree(*f.ws, -1);
        QVERIFY(f.store->lists.restart.empty());
        QCOMPARE(task_named(f, "Three").tree_pos, 9);
        QVERIFY(task_named(f, "Three").running);
        QVERIFY(f.item("Three (Running)"));
        f.tick(2);
        QCOMPARE(f.entries_of("Three").size(), std::size_t(1));
        QCOMPARE(f.entries_of("Three").at(0).Time, 5);
    }

    void task_icons_follow_their_state_data() {
        QTest::addColumn<int>("complete");
        QTest::addColumn<int>("accepted");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("image");
        // The task ends on 9 December 2026 at 00:00: overdue only once a whole day has passed.
        QTest::newRow("open, ending yesterday, exactly one day later")
            << 0 << 0 << 0 << 0 << image::Task;
        QTest::newRow("open, one second after that") << 0 << 0 << 0 << 1 << image::Overdue;
        QTest::newRow("complete and late") << 1 << 0 << 9 << 0 << image::Complete;
        QTest::newRow("accepted and late") << 1 << 1 << 9 << 0 << image::Accepted;
    }
    void task_icons_follow_their_state() {
        QFETCH(int, complete);
        QFETCH(int, accepted);
        QFETCH(int, hour);
        QFETCH(int, second);
        QFETCH(int, image);
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 10);
        const Key objective = f.add_objective(project, "O");
        f.add_task(objective, "T", make_date(2026, 12, 9, 0, 0, 0),
                   make_date(2026, 12, 1, 0, 0, 0));
        TaskRecord& task = task_named(f, "T");
        task.task_complete = static_cast<std::uint8_t>(complete);
        task.task_checked = static_cast<std::uint8_t>(accepted);
        f.clock.set_wall({2026, 12, 10, hour, 0, second});
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("T")), image);
    }

    void objectives_and_projects_follow_their_tasks_one_pass_later() {
        ViewsFixture f;
        const Hierarchy h(f);
        for (const char* title : {"One", "Two"}) {
            task_named(f, title).task_complete = 1;
            task_named(f, title).task_checked = 1;
        }
        task_named(f, "Three").task_complete = 1;
        task_named(f, "Three").task_checked = 1;

        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("Alpha")), image::Accepted);
        QCOMPARE(shown_image(f.item("Gamma")), image::Accepted);
        // The projects read their objectives' flags as the previous pass left them.
        QCOMPARE(shown_image(f.item("Ops")), image::Project);
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("Ops")), image::Accepted);
        QCOMPARE(f.store->lists.projects.at(1).complete, 1);
        // "Beta" has no task, so it never counts as done and "Web" stays open.
        QCOMPARE(shown_image(f.item("Beta")), image::Objective);
        QCOMPARE(shown_image(f.item("Web")), image::Project);
        QCOMPARE(f.store->lists.projects.at(0).complete, 0);

        // A task reopened takes its objective and project back on the following passes.
        task_named(f, "Three").task_checked = 0;
        announce_edit(f, "Three");
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("Gamma")), image::Complete);
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("Ops")), image::Project);
        // The refresh never marks records for writing.
        for (const ObjectiveRecord& o : f.store->lists.objectives)
            QVERIFY(!o.modified);
    }

    void late_objectives_and_projects_are_overdue() {
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 10, make_date(2026, 12, 8, 0, 0, 0));
        f.add_objective(project, "O", make_date(2026, 12, 8, 0, 0, 0));
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("O")), image::Overdue);
        QCOMPARE(shown_image(f.item("P")), image::Overdue);
    }

    void a_refresh_with_nothing_new_touches_no_item() {
        ViewsFixture f;
        const Hierarchy h(f);
        task_named(f, "One").task_complete = 1;
        refresh_status_icons(*f.ws);
        refresh_status_icons(*f.ws);
        QSignalSpy changes(f.tree->model(), &QAbstractItemModel::dataChanged);
        refresh_status_icons(*f.ws);
        QCOMPARE(changes.count(), 0);
        task_named(f, "Two").task_complete = 1;
        announce_edit(f, "Two");
        refresh_status_icons(*f.ws);
        QVERIFY(changes.count() > 0);
        QCOMPARE(shown_image(f.item("Alpha")), image::Complete);
    }

    // A click on empty tree space keeps the item the commands act on highlighted; a click on
    // an item still selects it.
    void a_click_on_empty_space_keeps_the_selection_data() {
        QTest::addColumn<bool>("double_click");
        QTest::newRow("click") << false;
        QTest::newRow("double click") << true;
    }
    void a_click_on_empty_space_keeps_the_selection() {
        QFETCH(bool, double_click);
        ViewsFixture f;
        const Hierarchy h(f);
        f.select("Web");
        QTreeWidgetItem* web = f.item("Web");
        QVERIFY(web->isSelected());
        const QPoint below_every_item(5, f.tree->viewport()->height() - 3);
        QVERIFY(!f.tree->itemAt(below_every_item));
        if (double_click)
            QTest::mouseDClick(f.tree->viewport(), Qt::LeftButton, {}, below_every_item);
        else
            QTest::mouseClick(f.tree->viewport(), Qt::LeftButton, {}, below_every_item);
        QCOMPARE(f.tree->currentItem(), web);
        QVERIFY(web->isSelected());
        QCOMPARE(f.tree->selectedItems(), QList<QTreeWidgetItem*>{web});
        QCOMPARE(current_position(*f.ws), f.position_of("Web"));

        QTreeWidgetItem* acme = f.item("Acme");
        QTest::mouseClick(f.tree->viewport(), Qt::LeftButton, {},
                          f.tree->visualItemRect(acme).center());
        QCOMPARE(f.tree->currentItem(), acme);
        QCOMPARE(f.tree->selectedItems(), QList<QTreeWidgetItem*>{acme});
    }

    // Between full passes the refresh looks only at the projects of announced edits: a change
    // nobody announced waits, the announced one shows at once.
    void a_refresh_looks_only_at_announced_projects() {
        ViewsFixture f;
        const Hierarchy h(f);
        refresh_status_icons(*f.ws);
        refresh_status_icons(*f.ws);
        task_named(f, "One").task_complete = 1;
        task_named(f, "One").modified = true;
        task_named(f, "Three").task_complete = 1;
        announce_edit(f, "Three");
        QSignalSpy changes(f.tree->model(), &QAbstractItemModel::dataChanged);
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("Three")), image::Complete);
        QCOMPARE(shown_image(f.item("Gamma")), image::Complete);
        QCOMPARE(shown_image(f.item("One")), image::Task);
        for (const QList<QVariant>& change : changes) {
            const QModelIndex changed = change.at(0).toModelIndex();
            QVERIFY(changed.data().toString() != QStringLiteral("One"));
        }
        // A change to the lists makes the next pass look at everything.
        QCOMPARE(flush(*f.store).failed_records, 0);
        f.add_client("Cask", 5);
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("One")), image::Complete);
    }

    // Edits through the item dialogs are announced: the next pass shows a new end date at once.
    void an_end_date_edited_in_its_dialog_shows_on_the_next_pass_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("ok");
        QTest::newRow("project") << "Web" << id::ProjectDialog << id::ProjectOk;
        QTest::newRow("objective") << "Beta" << id::ObjectiveDialog << id::ObjectiveOk;
        QTest::newRow("task") << "One" << id::TaskDialog << id::TaskOk;
    }
    void an_end_date_edited_in_its_dialog_shows_on_the_next_pass() {
        QFETCH(QString, label);
        QFETCH(int, window);
        QFETCH(int, ok);
        ViewsFixture f;
        const Hierarchy h(f);
        refresh_status_icons(*f.ws);
        refresh_status_icons(*f.ws);
        const QByteArray name = label.toUtf8();
        QVERIFY(shown_image(f.item(name.constData())) != image::Overdue);
        f.select(name.constData());
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        dialog->start_picker()->setDate(QDate(2026, 11, 1));
        dialog->end_picker()->setDate(QDate(2026, 11, 2));
        click_button(dialog, ok);
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item(name.constData())), image::Overdue);
    }

    // An item turns overdue when a whole day has passed since its end, which need not be at a
    // change of day: the refresh looks at everything again at that moment, unannounced.
    void an_item_turns_overdue_on_time_without_an_edit_data() {
        QTest::addColumn<int>("endHour");
        QTest::newRow("ending at midnight") << 0;
        QTest::newRow("ending in the afternoon") << 15;
    }
    void an_item_turns_overdue_on_time_without_an_edit() {
        QFETCH(int, endHour);
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 10);
        const Key objective = f.add_objective(project, "O");
        f.add_task(objective, "T", make_date(2026, 12, 10, endHour, 0, 0),
                   make_date(2026, 12, 1, 0, 0, 0));
        f.clock.set_wall({2026, 12, 11, endHour, 0, 0});
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("T")), image::Task);
        refresh_status_icons(*f.ws);
        f.clock.set_wall({2026, 12, 11, endHour, 0, 1});
        refresh_status_icons(*f.ws);
        QCOMPARE(shown_image(f.item("T")), image::Overdue);
    }
};

OLV_TEST_CLASS(TreeTest)
#include "test_tree.moc"
