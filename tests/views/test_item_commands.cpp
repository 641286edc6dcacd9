// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// New Item, Edit Item, Delete Item and the time-entry delete.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "Acme" (rate 12.5) > project "Web" > objective "Build" > task "Code", with two entries.
struct Small {
    Key acme, web, build, code;
    explicit Small(ViewsFixture& f) {
        acme = f.add_client("Acme", 12.5);
        web = f.add_project(acme, "Web", 40);
        build = f.add_objective(web, "Build");
        code = f.add_task(build, "Code");
        f.add_entry(code, make_date(2026, 12, 1, 0, 0, 0), 60, false);
        f.add_entry(code, make_date(2026, 12, 2, 0, 0, 0), 120, true);
    }
};

int count_rows(Store& store, const std::string& table) {
    if (store.db.query_table("SELECT * FROM " + table) != 0)
        return -1;
    return store.db.row_count();
}

} // namespace

class ItemCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void new_item_opens_the_dialog_of_a_child_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("rate");
        QTest::newRow("user") << "Robin" << id::ClientDialog << "0.00";
        QTest::newRow("client") << "Acme" << id::ProjectDialog << "12.50";
        QTest::newRow("project") << "Web" << id::ObjectiveDialog << "";
        QTest::newRow("objective") << "Build" << id::TaskDialog << "";
        QTest::newRow("task") << "Code" << 0 << "";
    }
    void new_item_opens_the_dialog_of_a_child() {
        QFETCH(QString, selected);
        QFETCH(int, window);
        QFETCH(QString, rate);
        ViewsFixture f;
        const Small s(f);
        f.select(selected.toUtf8().constData());
        new_item(*f.ws, current_position(*f.ws));
        for (int w : {id::ClientDialog, id::ProjectDialog, id::ObjectiveDialog, id::TaskDialog})
            QCOMPARE(f.dialog(w) != nullptr, w == window);
        if (!window)
            return; // tasks have no children
        ItemDialog* dialog = f.dialog(window);
        QCOMPARE(dialog->target().mode, DialogMode::New);
        const Key parent = window == id::ProjectDialog     ? s.acme
                           : window == id::ObjectiveDialog ? s.web
                           : window == id::TaskDialog      ? s.build
                                                           : 0;
        QCOMPARE(dialog->target().parent, parent);
        QCOMPARE(dialog->title_field()->text(), QString());
        QCOMPARE(dialog->focusWidget(), dialog->title_field());
        if (dialog->rate_field())
            QCOMPARE(dialog->rate_field()->text(), rate);
        if (dialog->completed_box())
            QVERIFY(!dialog->completed_box()->isChecked() && !dialog->accepted_box()->isChecked());
    }

    void nothing_selected_counts_as_the_user_item() {
        ViewsFixture f;
        f.tree->setCurrentItem(nullptr);
        QCOMPARE(current_position(*f.ws), -1);
        new_item(*f.ws, current_position(*f.ws));
        QVERIFY(f.dialog(id::ClientDialog));
        // Edit on the user item opens nothing.
        close_window(*f.ws, id::ClientDialog);
        f.select(0);
        edit_item(*f.ws);
        QVERIFY(!f.dialog(id::ClientDialog));
        QVERIFY(f.messages().isEmpty());
    }

    void edit_fills_the_dialog_from_the_record() {
        ViewsFixture f;
        const Small s(f);
        TaskRecord& code = f.store->lists.tasks.at(0);
        code.task_complete = 1;
        code.task_checked = 1;
        code.Task_Date = make_date(2004, 3, 1, 0, 0, 0);
        code.Task_End = make_date(2004, 3, 31, 0, 0, 0);
        f.select("Code");
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::TaskDialog);
        QVERIFY(dialog);
        QCOMPARE(dialog->target().mode, DialogMode::Edit);
        QCOMPARE(dialog->target().record, s.code);
        QCOMPARE(dialog->title_field()->text(), QStringLiteral("Code"));
        QCOMPARE(dialog->start_picker()->date(), QDate(2004, 3, 1));
        QCOMPARE(dialog->end_picker()->date(), QDate(2004, 3, 31));
        QVERIFY(dialog->completed_box()->isChecked());
        QVERIFY(dialog->accepted_box()->isChecked());
        // OK without changes keeps the same days.
        click_button(dialog, id::TaskOk);
        QCOMPARE(code.Task_Date, make_date(2004, 3, 1, 0, 0, 0));
        QCOMPARE(code.Task_End, make_date(2004, 3, 31, 0, 0, 0));
    }

    void delete_refusals_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("flushed");
        QTest::newRow("answered no")
            << "Acme" << false << QStringList{"Please Confirm Deletion"} << false;
        QTest::newRow("the user item")
            << "Robin" << true
            << QStringList{"Please Confirm Deletion", "I don't think you want to do that"} << true;
        QTest::newRow("nothing selected")
            << "" << true << QStringList{"Please Confirm Deletion"} << true;
    }
    void delete_refusals() {
        QFETCH(QString, selected);
        QFETCH(bool, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, flushed);
        ViewsFixture f;
        const Small s(f);
        if (selected.isEmpty())
            f.tree->setCurrentItem(nullptr);
        else
            f.select(selected.toUtf8().constData());
        f.store->lists.clients.at(0).client_name = "Acme Ltd";
        f.store->lists.clients.at(0).modified = true;
        f.prompter.confirm_answer = answer;
        delete_item(*f.ws);
        QCOMPARE(f.messages(), messages);
        QCOMPARE(f.prompter.shown.at(0).title, QStringLiteral("Information"));
        QCOMPARE(f.store->lists.clients.size(), std::size_t(1));
        QCOMPARE(f.store->lists.tasks.size(), std::size_t(1));
        QCOMPARE(count_rows(*f.store, "task"), 1);
        QCOMPARE(f.store->lists.clients.at(0).modified, !flushed);
        QCOMPARE(f.ws->tree_items.size(), std::size_t(5));
    }

    void deleting_a_project_stops_its_running_task() {
        ViewsFixture f;
        const Small s(f);
        const Key other = f.add_objective(f.add_project(s.acme, "Zoo", 10), "Feed");
        f.add_task(other, "Lions");
        toggle_timer(*f.ws, f.position_of("Code"));
        toggle_timer(*f.ws, f.position_of("Lions"));
        f.select("Web");
        delete_item(*f.ws);
        QCOMPARE(count_rows(*f.store, "project"), 1);
        QCOMPARE(count_rows(*f.store, "objectives"), 1);
        QCOMPARE(count_rows(*f.store, "task"), 1);
        QCOMPARE(f.store->lists.tasks.size(), std::size_t(1));
        QVERIFY(f.store->lists.tasks.at(0).running);
        QVERIFY(f.item("Lions (Running)"));
        QVERIFY(!f.item("Code (Running)"));
        QCOMPARE(f.ws->tree_items.size(), std::size_t(5));
        // The list shows what is selected now, not the deleted project.
        QCOMPARE(f.ws->state.previous_selection, current_position(*f.ws));
        QVERIFY(!f.rows().join(QLatin1Char(' ')).contains(QStringLiteral("Build")));
    }

    // The delete is one transaction: refused, it is rolled back whole, said so, and the tree
    // shows what the file holds.
    void a_delete_the_database_refuses_changes_nothing_and_says_so() {
        ViewsFixture f;
        const Small s(f);
        f.add_client("Bolt", 20);
        QCOMPARE(f.store->db.execute("CREATE TRIGGER keep BEFORE DELETE ON clients "
                                     "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
                 0);
        f.select("Acme");
        delete_item(*f.ws);
        QCOMPARE(f.messages(),
                 (QStringList{"Please Confirm Deletion", "Could not write to Database"}));
        QCOMPARE(f.store->lists.clients.size(), std::size_t(2));
        QCOMPARE(f.store->lists.projects.size(), std::size_t(1));
        QCOMPARE(f.store->lists.entries.size(), std::size_t(2));
        QCOMPARE(count_rows(*f.store, "task_detail"), 2);
        QVERIFY(f.item("Acme"));
        QVERIFY(f.item("Code"));
        // Every item still stands for the record it shows, so commands reach the right one.
        QCOMPARE(f.ws->tree_items.size(), f.ws->tree_records.size());
        for (std::int32_t p = 0; p < static_cast<std::int32_t>(f.ws->tree_items.size()); ++p)
            QCOMPARE(record_name(*f.ws, p), tree_item_at(*f.ws, p)->text(0));
        f.select("Bolt");
        edit_item(*f.ws);
        QCOMPARE(f.dialog(id::ClientDialog)->title_field()->text(), QStringLiteral("Bolt"));
    }

    void a_change_the_flush_could_not_write_outlives_a_delete() {
        ViewsFixture f;
        const Small s(f);
        f.add_project(s.acme, "Zoo", 10);
        QCOMPARE(f.store->db.execute("CREATE TRIGGER frozen BEFORE UPDATE ON clients "
                                     "BEGIN SELECT RAISE(ABORT, 'frozen'); END"),
                 0);
        f.store->lists.clients.at(0).client_name = "Acme Ltd";
        f.store->lists.clients.at(0).modified = true;
        f.select("Zoo");
        delete_item(*f.ws);
        QCOMPARE(f.messages(),
                 (QStringList{"Please Confirm Deletion", "Could not write to Database"}));
        QCOMPARE(f.store->lists.projects.size(), std::size_t(1));
        // The rename is still there, waiting for the next flush.
        QCOMPARE(f.store->lists.clients.at(0).client_name, std::string("Acme Ltd"));
        QVERIFY(f.store->lists.clients.at(0).modified);
        QCOMPARE(f.store->db.execute("DROP TRIGGER frozen"), 0);
        f.restart();
        QCOMPARE(f.store->lists.clients.at(0).client_name, std::string("Acme Ltd"));
    }

    void a_time_entry_is_deleted_from_the_list_and_the_file() {
        ViewsFixture f;
        const Small s(f);
        f.select("Code");
        f.list->setCurrentItem(f.list->topLevelItem(0));
        delete_time_entry(*f.ws);
        QCOMPARE(f.rows(), QStringList{"02/12/2026|00:02:00|Yes|£40.00|£1.33|"});
        QCOMPARE(f.entries_of("Code").at(0).list_row, 0);
        QCOMPARE(count_rows(*f.store, "task_detail"), 1);

        // The database refusing the delete keeps the entry.
        QCOMPARE(f.store->db.execute("CREATE TRIGGER keep BEFORE DELETE ON task_detail "
                                     "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
                 0);
        f.list->setCurrentItem(f.list->topLevelItem(0));
        delete_time_entry(*f.ws);
        QCOMPARE(f.messages(), (QStringList{"Please Confirm Deletion", "Please Confirm Deletion",
                                            "Could not write to Database"}));
        QCOMPARE(f.rows().size(), 1);

        // Answering No, or having no task shown, deletes nothing.
        f.prompter.confirm_answer = false;
        delete_time_entry(*f.ws);
        f.prompter.confirm_answer = true;
        f.select("Build");
        f.list->setCurrentItem(f.list->topLevelItem(0));
        delete_time_entry(*f.ws);
        QCOMPARE(f.entries_of("Code").size(), std::size_t(1));
    }

    // After a Time cell edit the first row is the list's current row without being selected;
    // Delete then acts on no entry and asks nothing. A selected row is deleted, and only it.
    void only_a_selected_time_entry_is_deleted() {
        ViewsFixture f;
        const Small s(f);
        f.select("Code");
        double_click_cell(f.list, 1, 1);
        QLineEdit* editor = cell_editing(*f.ws).editor;
        QVERIFY(editor);
        editor->setText(QStringLiteral("00:05:00"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(f.list->selectedItems().isEmpty());
        QVERIFY(f.list->currentItem());

        delete_time_entry(*f.ws);
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(f.entries_of("Code").size(), std::size_t(2));
        QCOMPARE(count_rows(*f.store, "task_detail"), 2);

        f.list->topLevelItem(1)->setSelected(true);
        delete_time_entry(*f.ws);
        QCOMPARE(f.messages(), QStringList{"Please Confirm Deletion"});
        QCOMPARE(f.rows(), QStringList{"01/12/2026|00:01:00|No|£40.00|£0.67|"});
        QCOMPARE(count_rows(*f.store, "task_detail"), 1);
    }
};

OLV_TEST_CLASS(ItemCommandsTest)
#include "test_item_commands.moc"
