// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// OK in the item dialogs: the checks, the inserts and the edits.
#include "common/text.h"
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QDateEdit>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "Acme" (rate 30) > project "Web" (rate 40) > objective "Build" > task "Code".
struct Small {
    Key acme, web, build, code;
    explicit Small(ViewsFixture& f) {
        acme = f.add_client("Acme", 30);
        web = f.add_project(acme, "Web", 40);
        build = f.add_objective(web, "Build");
        code = f.add_task(build, "Code");
    }
};

int ok_of(int window) {
    switch (window) {
    case id::ClientDialog:
        return id::ClientOk;
    case id::ProjectDialog:
        return id::ProjectOk;
    case id::ObjectiveDialog:
        return id::ObjectiveOk;
    default:
        return id::TaskOk;
    }
}

std::size_t record_count(const Store& store, int window) {
    switch (window) {
    case id::ClientDialog:
        return store.lists.clients.size();
    case id::ProjectDialog:
        return store.lists.projects.size();
    case id::ObjectiveDialog:
        return store.lists.objectives.size();
    default:
        return store.lists.tasks.size();
    }
}

} // namespace

class DialogSaveTest : public QObject {
    Q_OBJECT

private slots:
    void checks_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("message");
        const QDate d1(2026, 12, 1);
        const QDate d2(2026, 12, 2);
        QTest::newRow("client without a name")
            << "Robin" << id::ClientDialog << "" << d1 << d1 << ":) The Client with No Name?";
        QTest::newRow("project without a title, dates also wrong")
            << "Acme" << id::ProjectDialog << "" << d2 << d1
            << "You need to give this project a Title";
        QTest::newRow("objective without a title") << "Web" << id::ObjectiveDialog << "" << d1 << d1
                                                   << "You need to give this Objective a Title";
        QTest::newRow("task without a title")
            << "Build" << id::TaskDialog << "" << d1 << d1 << "You need to give this Task a Title";
        QTest::newRow("project ending before it starts")
            << "Acme" << id::ProjectDialog << "P" << d2 << d1
            << "End Date must be after Start Date";
        QTest::newRow("objective ending before it starts")
            << "Web" << id::ObjectiveDialog << "O" << d2 << d1
            << "End Date must be after Start Date";
        QTest::newRow("task ending before it starts")
            << "Build" << id::TaskDialog << "T" << d2 << d1 << "End Date must be after Start Date";
        QTest::newRow("one day is enough") << "Acme" << id::ProjectDialog << "P" << d1 << d1 << "";
        QTest::newRow("a title of blanks is a title")
            << "Web" << id::ObjectiveDialog << "   " << d1 << d2 << "";
    }
    void checks() {
        QFETCH(QString, parent);
        QFETCH(int, window);
        QFETCH(QString, title);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QString, message);
        ViewsFixture f;
        const Small s(f);
        f.select(parent.toUtf8().constData());
        new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        type_into(dialog, dialog->title_field()->objectName().toInt(), title);
        if (dialog->start_picker()) {
            dialog->start_picker()->setDate(start);
            dialog->end_picker()->setDate(end);
        }
        const std::size_t before = record_count(*f.store, window);
        click_button(dialog, ok_of(window));
        if (message.isEmpty()) {
            QVERIFY(f.messages().isEmpty());
            QCOMPARE(record_count(*f.store, window), before + 1);
            QVERIFY(!f.dialog(window));
            return;
        }
        QCOMPARE(f.messages(), QStringList{message});
        QCOMPARE(f.prompter.shown.at(0).title, QStringLiteral("Error"));
        // The dialog stays as typed and OK can be pressed again.
        QCOMPARE(f.dialog(window), dialog);
        QCOMPARE(dialog->title_field()->text(), title);
        QCOMPARE(record_count(*f.store, window), before);
        QCOMPARE(dialog->target().mode, DialogMode::New);
    }

    void a_new_record_is_stored_as_typed_and_selected() {
        ViewsFixture f;
        const Small s(f);
        f.select("Acme");
        new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(id::ProjectDialog);
        type_into(dialog, id::ProjectTitle, QStringLiteral("Bob's \"big\" shop"));
        type_into(dialog, id::ProjectRate, QStringLiteral("12.345"));
        dialog->start_picker()->setDate(QDate(2004, 3, 1));
        dialog->end_picker()->setDate(QDate(2004, 3, 31));
        click_button(dialog, id::ProjectOk);
        QCOMPARE(f.tree->currentItem()->text(0), QStringLiteral("Bob's \"big\" shop"));
        QVERIFY(!f.dialog(id::ProjectDialog));
        const RecordRef ref = current_record(*f.ws);
        QCOMPARE(ref.kind, RecordKind::Project);
        const ProjectRecord& p = f.store->lists.projects[ref.index];
        QCOMPARE(p.project_title, std::string("Bob's \"big\" shop"));
        QCOMPARE(p.client_key, s.acme);
        QCOMPARE(p.project_rate, 12.35);
        QCOMPARE(p.project_date, make_date(2004, 3, 1, 0, 0, 0));
        QCOMPARE(p.project_end, make_date(2004, 3, 31, 0, 0, 0));

        // A new client's rate starts at none, written out, and is stored as such.
        f.select("Robin");
        new_item(*f.ws, 0);
        QCOMPARE(f.dialog(id::ClientDialog)->rate_field()->text(), QStringLiteral("0.00"));
        type_into(f.dialog(id::ClientDialog), id::ClientName, QStringLiteral("Zed"));
        click_button(f.dialog(id::ClientDialog), id::ClientOk);
        QCOMPARE(f.store->lists.clients.back().client_name, std::string("Zed"));
        QCOMPARE(f.store->lists.clients.back().client_rate, 0.0);
    }

    // Keys are unique within a table only: the new client takes the next free client key, which
    // an objective made in the same second already holds; the client is still the one selected.
    void a_new_record_is_selected_even_when_another_table_holds_its_key() {
        ViewsFixture f;
        const Small s(f);
        const Key second = f.add_objective(s.web, "Second");
        QCOMPARE(new_client_key(*f.store, f.now()), second);
        f.select("Robin");
        new_item(*f.ws, 0);
        // Named to come first, so the objective is numbered after it in the tree.
        type_into(f.dialog(id::ClientDialog), id::ClientName, QStringLiteral("Aardvark"));
        click_button(f.dialog(id::ClientDialog), id::ClientOk);
        const RecordRef ref = current_record(*f.ws);
        QCOMPARE(ref.kind, RecordKind::Client);
        QCOMPARE(f.store->lists.clients[ref.index].client_name, std::string("Aardvark"));
    }

    void a_refused_insert_keeps_the_dialog_in_new_mode() {
        ViewsFixture f;
        const Small s(f);
        f.select("Web");
        new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(id::ObjectiveDialog);
        type_into(dialog, id::ObjectiveTitle, QStringLiteral("Second"));
        QCOMPARE(f.store->db.execute("ALTER TABLE objectives RENAME TO kept_aside"), 0);
        click_button(dialog, id::ObjectiveOk);
        QCOMPARE(f.messages(), QStringList{"Could not write to Database"});
        // The box belongs to the dialog, which stays in front.
        QCOMPARE(f.prompter.shown.at(0).parent.data(), static_cast<QWidget*>(dialog));
        QCOMPARE(f.dialog(id::ObjectiveDialog), dialog);
        QCOMPARE(dialog->target().mode, DialogMode::New);
        QCOMPARE(f.store->lists.objectives.size(), std::size_t(1));

        // Once the database takes it, the same OK inserts the objective, not an edit of "Web".
        QCOMPARE(f.store->db.execute("ALTER TABLE kept_aside RENAME TO objectives"), 0);
        click_button(dialog, id::ObjectiveOk);
        QCOMPARE(f.messages().size(), 1);
        QCOMPARE(f.store->lists.objectives.size(), std::size_t(2));
        QVERIFY(f.item("Second"));
        QVERIFY(f.item("Web"));
        QVERIFY(!f.dialog(id::ObjectiveDialog));
    }

    void an_edit_changes_the_selected_record_in_place() {
        ViewsFixture f;
        const Small s(f);
        f.add_entry(s.code, f.today(), 3600, false);
        f.select("Web");
        QTreeWidgetItem* web_item = f.tree->currentItem();
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::ProjectDialog);
        QCOMPARE(dialog->title_field()->text(), QStringLiteral("Web"));
        QCOMPARE(dialog->rate_field()->text(), QStringLiteral("40.00"));
        QCOMPARE(dialog->start_picker()->date(), QDate(2026, 1, 1));
        QCOMPARE(dialog->end_picker()->date(), QDate(2027, 6, 30));
        type_into(dialog, id::ProjectTitle, QStringLiteral("Web shop"));
        type_into(dialog, id::ProjectRate, QStringLiteral("50"));
        click_button(dialog, id::ProjectOk);
        QVERIFY(!f.dialog(id::ProjectDialog));
        // The same tree item, renamed; the list shows the new figures at once.
        QCOMPARE(f.tree->currentItem(), web_item);
        QCOMPARE(web_item->text(0), QStringLiteral("Web shop"));
        QCOMPARE(f.rows().last(), QStringLiteral("|Total|01:00:00|00:00:00|£50.00|£0.00"));
        const ProjectRecord& p = f.store->lists.projects.at(0);
        QVERIFY(p.modified);
        QCOMPARE(p.project_rate, 50.0);
        QCOMPARE(p.project_date, make_date(2026, 1, 1, 0, 0, 0));
        // Its tasks take the new rate without a reload.
        f.select("Code");
        QCOMPARE(f.rows(), QStringList{"10/12/2026|01:00:00|No|£50.00|£50.00|"});
        QCOMPARE(f.store->lists.projects.size(), std::size_t(1));

        f.restart();
        QCOMPARE(f.store->lists.projects.at(0).project_title, std::string("Web shop"));
        QCOMPARE(f.store->lists.projects.at(0).project_rate, 50.0);
    }

    void an_objective_edit_changes_it_in_place() {
        ViewsFixture f;
        const Small s(f);
        f.select("Build");
        QTreeWidgetItem* build_item = f.tree->currentItem();
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::ObjectiveDialog);
        QCOMPARE(dialog->title_field()->text(), QStringLiteral("Build"));
        type_into(dialog, id::ObjectiveTitle, QStringLiteral("Build it"));
        dialog->start_picker()->setDate(QDate(2026, 11, 2));
        dialog->end_picker()->setDate(QDate(2026, 11, 30));
        click_button(dialog, id::ObjectiveOk);
        QVERIFY(!f.dialog(id::ObjectiveDialog));
        QCOMPARE(build_item->text(0), QStringLiteral("Build it"));
        const ObjectiveRecord& o = f.store->lists.objectives.at(0);
        QCOMPARE(o.ob_title, std::string("Build it"));
        QCOMPARE(o.ob_date, make_date(2026, 11, 2, 0, 0, 0));
        QCOMPARE(o.ob_end, make_date(2026, 11, 30, 0, 0, 0));
        QVERIFY(o.modified);
        QCOMPARE(f.store->lists.objectives.size(), std::size_t(1));
    }

    void a_new_task_reopens_its_objective_and_project_at_once() {
        ViewsFixture f;
        const Small s(f);
        f.run("UPDATE task SET task_complete = 1, task_checked = 1");
        f.run("UPDATE objectives SET ob_complete = 1");
        f.select("Build");
        new_item(*f.ws, current_position(*f.ws));
        type_into(f.dialog(id::TaskDialog), id::TaskTitle, QStringLiteral("More"));
        click_button(f.dialog(id::TaskDialog), id::TaskOk);
        // Two passes of the status refresh: the objective has an open task again, and the
        // project has read that on the second pass.
        QCOMPARE(shown_image(f.item("Build")), image::Objective);
        QCOMPARE(shown_image(f.item("Web")), image::Project);
        QCOMPARE(f.store->lists.objectives.at(0).ob_complete, 0);
        QCOMPARE(f.store->lists.projects.at(0).complete, 0);
    }

    void a_task_edit_stores_both_boxes_as_ticked() {
        ViewsFixture f;
        const Small s(f);
        f.select("Code");
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::TaskDialog);
        QVERIFY(!dialog->completed_box()->isChecked());
        dialog->accepted_box()->setChecked(true);
        dialog->end_picker()->setDate(QDate(2026, 12, 20));
        click_button(dialog, id::TaskOk);
        const TaskRecord& t = f.store->lists.tasks.at(0);
        QCOMPARE(t.task_complete, 0);
        QCOMPARE(t.task_checked, 1);
        QCOMPARE(t.Task_End, make_date(2026, 12, 20, 0, 0, 0));
        QVERIFY(t.modified);
    }

    void a_cancelled_new_leaves_a_later_edit_alone() {
        ViewsFixture f;
        const Small s(f);
        f.add_client("Bolt", 20);
        f.select("Acme");
        new_item(*f.ws, current_position(*f.ws));
        click_button(f.dialog(id::ProjectDialog), id::ProjectCancel);
        f.select("Bolt");
        edit_item(*f.ws);
        type_into(f.dialog(id::ClientDialog), id::ClientName, QStringLiteral("Bolt & Co"));
        click_button(f.dialog(id::ClientDialog), id::ClientOk);
        QVERIFY(!f.dialog(id::ClientDialog));
        QVERIFY(f.item("Bolt & Co"));
        QVERIFY(f.item("Acme"));
        QCOMPARE(f.store->lists.clients.size(), std::size_t(2));
        QCOMPARE(f.store->lists.projects.size(), std::size_t(1));
        QVERIFY(f.messages().isEmpty());
    }

    // A rate is the number its text begins with: words the C library would read as infinity or
    // "not a number", and numbers beyond a double, are 0. The record is stored, the flush
    // succeeds, and a rename made with it is not lost.
    void rates_that_are_not_numbers_are_refused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("edit");
        for (const char* typed :
             {"inf", "Infinity", "nan", "info", "1e400", "-1e400", "lots", "12.5 an hour", ""}) {
            QTest::newRow(QByteArray("new client, ") + typed)
                << QString::fromLatin1(typed) << false;
            QTest::newRow(QByteArray("edited client, ") + typed)
                << QString::fromLatin1(typed) << true;
        }
    }
    void rates_that_are_not_numbers_are_refused() {
        QFETCH(QString, typed);
        QFETCH(bool, edit);
        ViewsFixture f;
        const Small s(f);
        f.select(edit ? "Acme" : "Robin");
        if (edit)
            edit_item(*f.ws);
        else
            new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(id::ClientDialog);
        type_into(dialog, id::ClientName, QStringLiteral("Zed"));
        type_into(dialog, id::ClientRate, typed);
        click_button(dialog, id::ClientOk);
        // The field is named, and the dialog keeps what was typed.
        QCOMPARE(f.dialog(id::ClientDialog), dialog);
        QCOMPARE(dialog->rate_field()->text(), typed);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages().front().startsWith(QStringLiteral("Client Rate: \"%1\"").arg(typed)));
        flush_records(*f.ws);
        f.restart();
        QStringList clients;
        for (const ClientRecord& c : f.store->lists.clients)
            clients << QStringLiteral("%1 %2")
                           .arg(QString::fromStdString(c.client_name))
                           .arg(QString::fromStdString(two_decimals(c.client_rate)));
        QCOMPARE(clients, QStringList{"Acme 30.00"});
    }

    // Stored values the dialog cannot show exactly (the last valid day, a time of day, a rate of
    // three decimals) survive an OK on a dialog the user left alone.
    void an_unchanged_ok_changes_no_stored_value_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QDate>("start_shown");
        QTest::addColumn<QDate>("end_shown");
        // 2038-01-19 00:00:00 and 03:14:07, the last second a date value holds.
        QTest::newRow("project on the last valid day")
            << id::ProjectDialog << "Web"
            << "project"
            << "project_date, project_end"
            << "2147472000|2147483647" << QDate(2038, 1, 19) << QDate(2038, 1, 19);
        QTest::newRow("project rate of three decimals, dates with a time of day")
            << id::ProjectDialog << "Web"
            << "project"
            << "project_date, project_end, project_rate"
            << "1078144496|1080756000|12.345" << QDate(2004, 3, 1) << QDate(2004, 3, 31);
        QTest::newRow("objective on the last valid day")
            << id::ObjectiveDialog << "Build"
            << "objectives"
            << "ob_date, ob_end"
            << "2147472000|2147483647" << QDate(2038, 1, 19) << QDate(2038, 1, 19);
        QTest::newRow("task on the last valid day")
            << id::TaskDialog << "Code"
            << "task"
            << "task_date, task_end"
            << "2147472000|2147483647" << QDate(2038, 1, 19) << QDate(2038, 1, 19);
        QTest::newRow("client rate of three decimals") << id::ClientDialog << "Acme"
                                                       << "clients"
                                                       << "client_rate"
                                                       << "12.345" << QDate() << QDate();
    }
    void an_unchanged_ok_changes_no_stored_value() {
        QFETCH(int, window);
        QFETCH(QString, item);
        QFETCH(QString, table);
        QFETCH(QString, columns);
        QFETCH(QString, values);
        QFETCH(QDate, start_shown);
        QFETCH(QDate, end_shown);
        ViewsFixture f;
        const Small s(f);
        const QStringList names = columns.split(QStringLiteral(", "));
        const QStringList given = values.split(QLatin1Char('|'));
        QStringList assignments;
        for (int i = 0; i < names.size(); ++i)
            assignments << names[i] + QStringLiteral(" = ") + given[i];
        f.run(QStringLiteral("UPDATE %1 SET %2").arg(table, assignments.join(", ")).toStdString());
        const auto stored = [&f, &table, &columns] {
            if (f.store->db.query_table(
                    QStringLiteral("SELECT %1 FROM %2").arg(columns, table).toStdString()) != 0)
                return QStringLiteral("<query failed>");
            QStringList cells;
            for (int c = 0; c < f.store->db.column_count(); ++c)
                cells << QString::fromStdString(f.store->db.cell_text(1, c));
            return cells.join(QLatin1Char('|'));
        };
        const QString before = stored();

        f.select(item.toUtf8().constData());
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        if (dialog->start_picker()) {
            QCOMPARE(dialog->start_picker()->date(), start_shown);
            QCOMPARE(dialog->end_picker()->date(), end_shown);
        }
        click_button(dialog, ok_of(window));
        QVERIFY(f.messages().isEmpty());
        QVERIFY(!f.dialog(window));
        f.restart();
        QCOMPARE(stored(), before);
    }

    // After a refusal the dialog is current again, over the main window, with the focus in the
    // field refused, so what the user types next goes there.
    void a_refusal_gives_the_focus_back_to_the_refused_field_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("with_title");
        QTest::addColumn<QString>("refused"); // a field id, or "end" for the end picker
        QTest::newRow("client without a name") << "Robin" << id::ClientDialog << false << "64";
        QTest::newRow("project without a title") << "Acme" << id::ProjectDialog << false << "73";
        QTest::newRow("project ending first") << "Acme" << id::ProjectDialog << true << "end";
        QTest::newRow("objective without a title") << "Web" << id::ObjectiveDialog << false << "80";
        QTest::newRow("objective ending first") << "Web" << id::ObjectiveDialog << true << "end";
        QTest::newRow("task without a title") << "Build" << id::TaskDialog << false << "86";
        QTest::newRow("task ending first") << "Build" << id::TaskDialog << true << "end";
    }
    void a_refusal_gives_the_focus_back_to_the_refused_field() {
        QFETCH(QString, selected);
        QFETCH(int, window);
        QFETCH(bool, with_title);
        QFETCH(QString, refused);
        ViewsFixture f;
        const Small s(f);
        f.select(selected.toUtf8().constData());
        new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        if (with_title)
            type_into(dialog, dialog->title_field()->objectName().toInt(), QStringLiteral("T"));
        if (dialog->end_picker())
            dialog->end_picker()->setDate(dialog->start_picker()->date().addDays(-1));
        // The main window is current when the user presses OK with the mouse.
        f.main_window.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &f.main_window);
        click_button(dialog, ok_of(window));

        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.prompter.shown.at(0).parent.data(), static_cast<QWidget*>(dialog));
        QWidget* field = refused == QLatin1String("end")
                             ? static_cast<QWidget*>(dialog->end_picker())
                             : dialog->findChild<QWidget*>(refused);
        QVERIFY(field);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(dialog));
        QTRY_COMPARE(QApplication::focusWidget(), field);
    }

    void notes_typed_before_an_insert_stay_with_their_item() {
        ViewsFixture f;
        const Small s(f);
        f.select("Build");
        f.notes->setPlainText(QStringLiteral("objective notes"));
        // A new client sorts before "Acme" and moves every position down by one.
        new_item(*f.ws, 0);
        type_into(f.dialog(id::ClientDialog), id::ClientName, QStringLiteral("Aardvark"));
        click_button(f.dialog(id::ClientDialog), id::ClientOk);
        QCOMPARE(f.tree->currentItem()->text(0), QStringLiteral("Aardvark"));
        f.select("Code");
        QCOMPARE(f.store->lists.objectives.at(0).ob_notes, std::string("objective notes"));
        QCOMPARE(f.store->lists.tasks.at(0).Task_Notes, std::string());
        QCOMPARE(f.store->lists.projects.at(0).project_note, std::string());
    }
};

OLV_TEST_CLASS(DialogSaveTest)
#include "test_dialog_save.moc"
