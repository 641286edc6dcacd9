// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Several item dialogs open at once: each OK saves the record it was opened for, under the
// parent chosen when it opened, whatever was opened or selected since.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "Acme" > project "Web" > objective "Build" > task "Code"; client "Bolt" > project
// "Shop" > objective "Stock" > task "Count".
struct TwoBranches {
    Key acme, web, build, code, bolt, shop, stock, count;
    explicit TwoBranches(ViewsFixture& f) {
        acme = f.add_client("Acme", 30);
        web = f.add_project(acme, "Web", 40);
        build = f.add_objective(web, "Build");
        code = f.add_task(build, "Code");
        bolt = f.add_client("Bolt", 20);
        shop = f.add_project(bolt, "Shop", 25);
        stock = f.add_objective(shop, "Stock");
        count = f.add_task(stock, "Count");
    }
};

void press_return(ItemDialog* dialog) {
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog->title_field(), Qt::Key_Return);
}

// The parent key the record with this title was stored under, -1 when there is none.
Key stored_parent(const Store& store, int window, const std::string& title) {
    const RecordLists& l = store.lists;
    switch (window) {
    case id::ProjectDialog:
        for (const ProjectRecord& p : l.projects)
            if (p.project_title == title)
                return p.client_key;
        break;
    case id::ObjectiveDialog:
        for (const ObjectiveRecord& o : l.objectives)
            if (o.ob_title == title)
                return o.Project_key;
        break;
    default:
        for (const TaskRecord& t : l.tasks)
            if (t.task_title == title)
                return t.Obj_key;
        break;
    }
    return -1;
}

} // namespace

class DialogTargetTest : public QObject {
    Q_OBJECT

private slots:
    // New Item on one parent, then New Item on an item of another level (another dialog opens)
    // and another item selected: Return in the first dialog still stores the record under the
    // first parent, and it shows in the tree.
    void a_new_record_goes_under_the_parent_chosen_when_it_opened_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("other"); // New Item here opens another kind of dialog
        QTest::newRow("project under Acme") << "Acme" << id::ProjectDialog << "Shop";
        QTest::newRow("objective under Web") << "Web" << id::ObjectiveDialog << "Stock";
        QTest::newRow("task under Build") << "Build" << id::TaskDialog << "Bolt";
    }
    void a_new_record_goes_under_the_parent_chosen_when_it_opened() {
        QFETCH(QString, parent);
        QFETCH(int, window);
        QFETCH(QString, other);
        ViewsFixture f;
        const TwoBranches b(f);
        const Key expected = window == id::ProjectDialog     ? b.acme
                             : window == id::ObjectiveDialog ? b.web
                                                             : b.build;
        f.select(parent.toUtf8().constData());
        new_item(*f.ws, current_position(*f.ws));
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        type_into(dialog, dialog->title_field()->objectName().toInt(), QStringLiteral("Fresh"));

        f.select(other.toUtf8().constData());
        new_item(*f.ws, current_position(*f.ws));
        f.select("Count");
        QCOMPARE(f.dialog(window), dialog);

        press_return(dialog);
        QVERIFY(f.messages().isEmpty());
        QVERIFY(!f.dialog(window));
        QCOMPARE(stored_parent(*f.store, window, "Fresh"), expected);
        QVERIFY(f.item("Fresh"));
        // Shown under the parent it was made for.
        QCOMPARE(f.item("Fresh")->parent()->text(0), parent);
        f.restart();
        QCOMPARE(stored_parent(*f.store, window, "Fresh"), expected);
    }

    // Edit a client, then New Item elsewhere and another client selected: OK on the Client
    // dialog renames the client it showed, inserts nothing and leaves the other client alone.
    void an_edit_saves_the_record_it_was_opened_for() {
        ViewsFixture f;
        const TwoBranches b(f);
        f.select("Acme");
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::ClientDialog);
        type_into(dialog, id::ClientName, QStringLiteral("Acme Ltd"));
        type_into(dialog, id::ClientRate, QStringLiteral("35"));
        f.select("Shop");
        new_item(*f.ws, current_position(*f.ws));
        QVERIFY(f.dialog(id::ObjectiveDialog));
        f.select("Bolt");

        click_button(dialog, id::ClientOk);
        QVERIFY(f.messages().isEmpty());
        QVERIFY(!f.dialog(id::ClientDialog));
        QCOMPARE(f.store->lists.clients.size(), std::size_t(2));
        QVERIFY(f.item("Acme Ltd"));
        QVERIFY(f.item("Bolt"));
        f.restart();
        QStringList clients;
        for (const ClientRecord& c : f.store->lists.clients)
            clients << QStringLiteral("%1 %2")
                           .arg(QString::fromStdString(c.client_name))
                           .arg(c.client_rate);
        QCOMPARE(clients, (QStringList{"Acme Ltd 35", "Bolt 20"}));
        // The Objective dialog opened meanwhile still adds to Shop.
        ItemDialog* objective = f.dialog(id::ObjectiveDialog);
        type_into(objective, id::ObjectiveTitle, QStringLiteral("Later"));
        click_button(objective, id::ObjectiveOk);
        QCOMPARE(stored_parent(*f.store, id::ObjectiveDialog, "Later"), b.shop);
    }

    // Every level: an edit dialog whose OK is pressed while an item of another level is
    // selected changes its own record.
    void an_edit_ignores_the_selection_made_since_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("window");
        QTest::newRow("project") << "Web" << id::ProjectDialog;
        QTest::newRow("objective") << "Build" << id::ObjectiveDialog;
        QTest::newRow("task") << "Code" << id::TaskDialog;
    }
    void an_edit_ignores_the_selection_made_since() {
        QFETCH(QString, item);
        QFETCH(int, window);
        ViewsFixture f;
        const TwoBranches b(f);
        f.select(item.toUtf8().constData());
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(window);
        type_into(dialog, dialog->title_field()->objectName().toInt(), QStringLiteral("Renamed"));
        f.select("Count");
        press_return(dialog);
        QVERIFY(f.messages().isEmpty());
        QVERIFY(!f.dialog(window));
        QVERIFY(f.item("Renamed"));
        QVERIFY(f.item("Count"));
        QVERIFY(!f.item(item.toUtf8().constData()));
    }

    // The record or parent went while its dialog was open: OK says so and stores nothing.
    void a_deleted_record_or_parent_is_refused_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("message");
        QTest::newRow("edit of a deleted project") << true << "This item has been deleted";
        QTest::newRow("new objective of a deleted project")
            << false << "The item to add this to has been deleted";
    }
    void a_deleted_record_or_parent_is_refused() {
        QFETCH(bool, edit);
        QFETCH(QString, message);
        ViewsFixture f;
        const TwoBranches b(f);
        f.select("Shop");
        if (edit)
            edit_item(*f.ws);
        else
            new_item(*f.ws, current_position(*f.ws));
        const int window = edit ? id::ProjectDialog : id::ObjectiveDialog;
        ItemDialog* dialog = f.dialog(window);
        type_into(dialog, dialog->title_field()->objectName().toInt(), QStringLiteral("Ghost"));
        f.select("Shop");
        delete_item(*f.ws);
        QVERIFY(!f.item("Shop"));
        f.prompter.shown.clear();
        const std::size_t projects = f.store->lists.projects.size();
        const std::size_t objectives = f.store->lists.objectives.size();

        click_button(dialog, edit ? id::ProjectOk : id::ObjectiveOk);
        QCOMPARE(f.messages(), QStringList{message});
        QCOMPARE(f.dialog(window), dialog);
        QCOMPARE(f.store->lists.projects.size(), projects);
        QCOMPARE(f.store->lists.objectives.size(), objectives);
        QVERIFY(!f.item("Ghost"));
        // Nothing reached the file either.
        f.restart();
        QCOMPARE(f.store->lists.projects.size(), projects);
        QCOMPARE(f.store->lists.objectives.size(), objectives);
    }
};

OLV_TEST_CLASS(DialogTargetTest)
#include "test_dialog_targets.moc"
