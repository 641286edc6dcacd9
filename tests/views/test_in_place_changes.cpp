// Inserts and deletes change the lists and the tree in place instead of reloading: after each
// one, the lists, the child index and the tree must be what a fresh load and build of the same
// file gives, position by position.
#include "store/stored_fields.h"
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"
#include "views_fixture.h"

#include <QObject>
#include <QTest>
#include <unordered_map>

using namespace olv;
using namespace olv::testing;

namespace {

// User "Robin"
//   Acme (30) > Web (starts 1 Jan 2026) > Alpha > One (three entries), Two
//                                       > Beta
//   Cask (10) > Ops > Gamma > Three (running)
struct Office {
    explicit Office(ViewsFixture& f) {
        const auto next = [&f] { f.clock.advance_seconds(1); };
        const Key acme = f.add_client("Acme", 30);
        next();
        const Key web = f.add_project(acme, "Web", 40);
        next();
        const Key alpha = f.add_objective(web, "Alpha");
        next();
        f.add_objective(web, "Beta", make_date(2027, 7, 1, 0, 0, 0),
                        make_date(2026, 2, 1, 0, 0, 0));
        next();
        const Key one = f.add_task(alpha, "One");
        next();
        f.add_task(alpha, "Two");
        next();
        f.add_entry(one, make_date(2026, 12, 1, 0, 0, 0), 60, false);
        next();
        f.add_entry(one, make_date(2026, 12, 2, 0, 0, 0), 120, true);
        next();
        // Booked ahead: a timer started today puts its entry before this one.
        f.add_entry(one, make_date(2026, 12, 20, 0, 0, 0), 30, false);
        next();
        const Key cask = f.add_client("Cask", 10);
        next();
        const Key ops = f.add_project(cask, "Ops", 25);
        next();
        const Key gamma = f.add_objective(ops, "Gamma");
        next();
        f.add_task(gamma, "Three");
        next();
        f.select("Three");
        toggle_timer(*f.ws, current_position(*f.ws));
        f.tick(3);
    }
};

enum class Change {
    NewClient,
    NewProject,
    NewObjective,
    NewTask,
    TimerStartNewDay,
    DeleteClient,
    DeleteProject,
    DeleteObjective,
    DeleteTask,
    DeleteTimeEntry,
    RefusedInsert,
    RefusedDelete,
    NewClientAfterRename,
};

} // namespace

Q_DECLARE_METATYPE(Change)

namespace {

// New Item on the parent, the title typed, the dates picked, OK.
void add_through_dialog(ViewsFixture& f, const char* parent, int window, const QString& title,
                        QDate start = {}, QDate end = {}) {
    f.select(parent);
    new_item(*f.ws, current_position(*f.ws));
    ItemDialog* dialog = f.dialog(window);
    QVERIFY(dialog);
    type_into(dialog, dialog->title_field()->objectName().toInt(), title);
    if (start.isValid()) {
        dialog->start_picker()->setDate(start);
        dialog->end_picker()->setDate(end);
    }
    const int ok = window == id::ClientDialog      ? id::ClientOk
                   : window == id::ProjectDialog   ? id::ProjectOk
                   : window == id::ObjectiveDialog ? id::ObjectiveOk
                                                   : id::TaskOk;
    click_button(dialog, ok);
}

void delete_through_tree(ViewsFixture& f, const char* label) {
    f.select(label);
    delete_item(*f.ws);
}

void apply(ViewsFixture& f, Change change) {
    f.clock.advance_seconds(1);
    switch (change) {
    case Change::NewClient:
        // Between the two clients by name.
        return add_through_dialog(f, "Robin", id::ClientDialog, QStringLiteral("Bolt"));
    case Change::NewProject:
        // Starts before Web: first in the projects list, second under its client.
        return add_through_dialog(f, "Acme", id::ProjectDialog, QStringLiteral("Shop"),
                                  QDate(2025, 6, 1), QDate(2027, 6, 30));
    case Change::NewObjective:
        return add_through_dialog(f, "Web", id::ObjectiveDialog, QStringLiteral("Early"),
                                  QDate(2025, 1, 1), QDate(2027, 6, 30));
    case Change::NewTask:
        // Same dates as One and Two: the title puts it between them.
        return add_through_dialog(f, "Alpha", id::TaskDialog, QStringLiteral("Pine"),
                                  QDate(2026, 1, 1), QDate(2027, 6, 30));
    case Change::TimerStartNewDay:
        f.select("Two");
        return toggle_timer(*f.ws, current_position(*f.ws));
    case Change::DeleteClient:
        return delete_through_tree(f, "Acme");
    case Change::DeleteProject:
        return delete_through_tree(f, "Web");
    case Change::DeleteObjective:
        return delete_through_tree(f, "Alpha");
    case Change::DeleteTask:
        return delete_through_tree(f, "One");
    case Change::DeleteTimeEntry:
        f.select("One");
        f.list->setCurrentItem(f.list->topLevelItem(0));
        return delete_time_entry(*f.ws);
    case Change::RefusedInsert:
        QCOMPARE(f.store->db.execute("CREATE TRIGGER refuse BEFORE INSERT ON clients "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                 0);
        return add_through_dialog(f, "Robin", id::ClientDialog, QStringLiteral("Bolt"));
    case Change::RefusedDelete:
        QCOMPARE(f.store->db.execute("CREATE TRIGGER refuse BEFORE DELETE ON task "
                                     "BEGIN SELECT RAISE(ROLLBACK, 'refused'); END"),
                 0);
        return delete_through_tree(f, "Web");
    case Change::NewClientAfterRename: {
        // The rename takes Acme out of name order; the insert puts the list back in it.
        f.select("Acme");
        edit_item(*f.ws);
        type_into(f.dialog(id::ClientDialog), id::ClientName, QStringLiteral("Zulu"));
        click_button(f.dialog(id::ClientDialog), id::ClientOk);
        return add_through_dialog(f, "Robin", id::ClientDialog, QStringLiteral("Bolt"));
    }
    }
}

template <typename Record> bool same_stored(const Record& a, const Record& b) {
    for (const StoredField<Record>& field : StoredFields<Record>::fields) {
        switch (field.type) {
        case FieldType::Number:
            if (a.*field.number != b.*field.number)
                return false;
            break;
        case FieldType::Seconds:
            if (a.*field.seconds != b.*field.seconds)
                return false;
            break;
        case FieldType::Flag:
            if (a.*field.flag != b.*field.flag)
                return false;
            break;
        case FieldType::Real:
            if (a.*field.real != b.*field.real)
                return false;
            break;
        case FieldType::Text:
            if (a.*field.text != b.*field.text)
                return false;
            break;
        }
    }
    return true;
}

template <typename Records>
void compare_list(const Records& actual, const Records& fresh, const char* name) {
    QVERIFY2(actual.size() == fresh.size(), name);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        QVERIFY2(same_stored(actual[i], fresh[i]),
                 qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(i)));
    }
}

template <typename Records>
void compare_positions(const Records& actual, const Records& fresh, const char* name) {
    for (std::size_t i = 0; i < actual.size(); ++i)
        QVERIFY2(actual[i].tree_pos == fresh[i].tree_pos,
                 qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(i)));
}

void compare_indices(const ChildIndex& actual, const ChildIndex& fresh, const RecordLists& l) {
    for (std::size_t c = 0; c < l.clients.size(); ++c)
        QCOMPARE(actual.projects_of_client(c), fresh.projects_of_client(c));
    for (std::size_t p = 0; p < l.projects.size(); ++p)
        QCOMPARE(actual.objectives_of_project(p), fresh.objectives_of_project(p));
    for (std::size_t o = 0; o < l.objectives.size(); ++o)
        QCOMPARE(actual.tasks_of_objective(o), fresh.tasks_of_objective(o));
    for (std::size_t t = 0; t < l.tasks.size(); ++t)
        QCOMPARE(actual.entries_of_task(t), fresh.entries_of_task(t));
    QCOMPARE(actual.task_of_each_entry(), fresh.task_of_each_entry());
}

// Each item as "depth label", depth first, the running mark left out.
QStringList tree_outline(QTreeWidget* tree) {
    QStringList outline;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        QString label = (*it)->text(0);
        label.remove(QStringLiteral(" (Running)"));
        outline << QStringLiteral("%1 %2").arg(depth).arg(label);
    }
    return outline;
}

} // namespace

class InPlaceChangesTest : public QObject {
    Q_OBJECT

private slots:
    void lists_and_tree_match_a_fresh_load_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("selected"); // label of the current item afterwards
        QTest::addColumn<QStringList>("messages");
        const QStringList none{};
        const QStringList confirmed{QStringLiteral("Please Confirm Deletion")};
        QTest::newRow("client") << Change::NewClient << "Bolt" << none;
        QTest::newRow("project") << Change::NewProject << "Shop" << none;
        QTest::newRow("objective") << Change::NewObjective << "Early" << none;
        QTest::newRow("task: its objective stays selected") << Change::NewTask << "Alpha" << none;
        QTest::newRow("time entry of a timer start")
            << Change::TimerStartNewDay << "Two (Running)" << none;
        QTest::newRow("delete client") << Change::DeleteClient << "" << confirmed;
        QTest::newRow("delete project") << Change::DeleteProject << "" << confirmed;
        QTest::newRow("delete objective") << Change::DeleteObjective << "" << confirmed;
        QTest::newRow("delete task") << Change::DeleteTask << "" << confirmed;
        QTest::newRow("delete time entry") << Change::DeleteTimeEntry << "One" << confirmed;
        QTest::newRow("insert refused")
            << Change::RefusedInsert << "Robin"
            << QStringList{QStringLiteral("Could not write to Database")};
        QTest::newRow("delete refused")
            << Change::RefusedDelete << "Web"
            << confirmed + QStringList{QStringLiteral("Could not write to Database")};
        QTest::newRow("client after a rename out of order")
            << Change::NewClientAfterRename << "Bolt" << none;
    }
    void lists_and_tree_match_a_fresh_load() {
        QFETCH(Change, change);
        QFETCH(QString, selected);
        QFETCH(QStringList, messages);
        ViewsFixture f;
        const Office office(f);
        f.prompter.shown.clear();

        apply(f, change);
        QCOMPARE(f.messages(), messages);
        // The seconds counted so far go to the file, so the fresh load sees them too.
        QCOMPARE(flush(*f.store).failed_records, 0);

        Store fresh;
        QVERIFY(fresh.db.load_engine());
        QVERIFY(fresh.db.open_database(f.database_path().toStdString()));
        QCOMPARE(load_all_records(fresh), LoadStatus::Loaded);
        QTreeWidget fresh_tree;
        setup_item_tree(&fresh_tree);
        Workspace fresh_ws(fresh, f.clock, f.prompter);
        fresh_ws.tree = &fresh_tree;
        rebuild_tree(fresh_ws, -1);

        const RecordLists& l = f.store->lists;
        compare_list(l.users, fresh.lists.users, "user");
        compare_list(l.clients, fresh.lists.clients, "client");
        compare_list(l.projects, fresh.lists.projects, "project");
        compare_list(l.objectives, fresh.lists.objectives, "objective");
        compare_list(l.tasks, fresh.lists.tasks, "task");
        compare_list(l.entries, fresh.lists.entries, "time entry");
        compare_indices(f.store->children(), ChildIndex(l), l);

        QCOMPARE(tree_outline(f.tree), tree_outline(&fresh_tree));
        compare_positions(l.users, fresh.lists.users, "user");
        compare_positions(l.clients, fresh.lists.clients, "client");
        compare_positions(l.projects, fresh.lists.projects, "project");
        compare_positions(l.objectives, fresh.lists.objectives, "objective");
        compare_positions(l.tasks, fresh.lists.tasks, "task");
        // Every position leads to the item and the record it shows.
        QCOMPARE(f.ws->tree_items.size(), fresh_ws.tree_items.size());
        std::vector<QTreeWidgetItem*> depth_first;
        for (QTreeWidgetItemIterator it(f.tree); *it; ++it)
            depth_first.push_back(*it);
        QVERIFY(f.ws->tree_items == depth_first);
        for (std::int32_t p = 0; p < static_cast<std::int32_t>(depth_first.size()); ++p) {
            QString label = tree_item_at(*f.ws, p)->text(0);
            label.remove(QStringLiteral(" (Running)"));
            QCOMPARE(record_name(*f.ws, p), label);
        }

        // A timer that ran before keeps running, unless its task went.
        if (change != Change::DeleteClient) {
            QVERIFY(f.task("Three").running);
            QVERIFY(f.item("Three (Running)"));
            const int before = f.entries_of("Three").at(0).Time;
            f.tick(1);
            QCOMPARE(f.entries_of("Three").at(0).Time, before + 1);
        }
        if (!selected.isEmpty()) {
            QVERIFY(f.tree->currentItem());
            QCOMPARE(f.tree->currentItem()->text(0), selected);
        } else {
            QVERIFY(current_position(*f.ws) >= 0);
        }
    }
};

OLV_TEST_CLASS(InPlaceChangesTest)

#include "test_in_place_changes.moc"
