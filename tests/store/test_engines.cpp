// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The store's behaviour on both engines: a file and a database on a real PostgreSQL server.
#include "postgres_server.h"
#include "store/billed_marks.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

PostgresServer* g_server = nullptr;

QString dump(const RecordLists& l) {
    QStringList out;
    for (const auto& u : l.users)
        out << QStringLiteral("U%1 %2 %3 %4 %5")
                   .arg(u.key)
                   .arg(QString::fromStdString(u.userID))
                   .arg(u.user_View)
                   .arg(QString::fromStdString(u.user_Currency),
                        QString::fromStdString(u.user_DateFormat));
    for (const auto& c : l.clients)
        out << QStringLiteral("C%1 %2 %3")
                   .arg(c.key)
                   .arg(QString::fromStdString(c.client_name))
                   .arg(c.client_rate, 0, 'g', 17);
    for (const auto& p : l.projects)
        out << QStringLiteral("P%1 %2 %3 %4 %5 %6 %7")
                   .arg(p.key)
                   .arg(QString::fromStdString(p.project_title))
                   .arg(p.client_key)
                   .arg(p.project_date)
                   .arg(p.project_end)
                   .arg(QString::fromStdString(p.project_note))
                   .arg(p.project_rate, 0, 'g', 17);
    for (const auto& o : l.objectives)
        out << QStringLiteral("O%1 %2 %3 %4 %5 %6 %7")
                   .arg(o.key)
                   .arg(o.ob_complete)
                   .arg(QString::fromStdString(o.ob_title))
                   .arg(o.Project_key)
                   .arg(o.ob_date)
                   .arg(o.ob_end)
                   .arg(QString::fromStdString(o.ob_notes));
    for (const auto& t : l.tasks)
        out << QStringLiteral("T%1 %2 %3 %4 %5 %6 %7 %8 %9")
                   .arg(t.key)
                   .arg(t.task_complete)
                   .arg(QString::fromStdString(t.task_title))
                   .arg(t.Obj_key)
                   .arg(t.Task_Date)
                   .arg(t.Task_End)
                   .arg(QString::fromStdString(t.Task_Notes))
                   .arg(t.Task_Billed)
                   .arg(t.task_checked);
    for (const auto& e : l.entries)
        out << QStringLiteral("E%1 %2 %3 %4 %5")
                   .arg(e.key)
                   .arg(e.Task_Key)
                   .arg(e.Time)
                   .arg(e.date)
                   .arg(e.billed);
    return out.join(QLatin1Char('\n'));
}

// A store on a new database of the engine named by the test row ("file" or "server"), with
// user "Ann" and a small tree:
//   Acme (client 100): Site (project 200): Launch (objective 300): Copy (task 400) with
//   entries 500 and 501, Photos (task 401) with none; Beta (client 101) with nothing.
struct Tree {
    QTemporaryDir dir;
    std::string location;
    Store store;

    Tree() {
        QFETCH_GLOBAL(QString, engine);
        location =
            engine == QLatin1String("file") ? file_in(dir, "work.db") : g_server->new_database();
        store.db.load_engine();
        if (!create_database(store, location, "Ann"))
            return;
        const char* rows[] = {
            "INSERT INTO clients VALUES(100,'Acme',50.25);",
            "INSERT INTO clients VALUES(101,'Beta',60.00);",
            "INSERT INTO project VALUES(200,'Site',100,1,0,'',40.50);",
            "INSERT INTO objectives VALUES(300,0,'Launch',200,1,0,'');",
            "INSERT INTO task VALUES(400,0,'Copy',300,0,1,'',0,0);",
            "INSERT INTO task VALUES(401,0,'Photos',300,0,2,'',0,0);",
            "INSERT INTO task_detail VALUES(500,400,10,86400,0);",
            "INSERT INTO task_detail VALUES(501,400,20,172800,0);",
        };
        for (const char* row : rows)
            store.db.execute(row);
        load_all_records(store);
        RecordLists& l = store.lists;
        int position = 0;
        for (auto& u : l.users)
            u.tree_pos = position++;
        for (auto& c : l.clients)
            c.tree_pos = c.key == 100 ? 1 : 6;
        l.projects[0].tree_pos = 2;
        l.objectives[0].tree_pos = 3;
        for (auto& t : l.tasks)
            t.tree_pos = t.key == 400 ? 4 : 5;
    }

    // What a fresh connection reads back.
    QStringList column(const std::string& query) {
        Probe probe(location);
        return probe.column(query);
    }
    // The records as a fresh load of the database gives them.
    QString reloaded() {
        Store fresh;
        fresh.db.load_engine();
        fresh.db.open_database(location);
        if (load_all_records(fresh) != LoadStatus::Loaded)
            return QStringLiteral("<unreadable>");
        return dump(fresh.lists) + QStringLiteral("\ncurrency ") +
               QString::fromStdString(fresh.currency);
    }
};

} // namespace

class EngineTableTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString error;
        g_server = shared_postgres_server(error);
        QVERIFY2(g_server, qPrintable(error));
    }

    void initTestCase_data() {
        QTest::addColumn<QString>("engine");
        QTest::newRow("file") << QStringLiteral("file");
        QTest::newRow("server") << QStringLiteral("server");
    }

    // Texts with quotes, backslashes, tabs, line breaks and non-ASCII letters, rates with
    // cents and negative dates come back exactly as written.
    void every_field_round_trips() {
        Tree t;
        QVERIFY(!t.store.lists.users.empty());
        RecordLists& l = t.store.lists;
        l.users[0].userID = "Ann O'Neil \\ £";
        l.users[0].user_View = 7;
        l.users[0].modified = true;
        l.clients[0].client_name = "Acme\there, line\nbreak 'quoted' \\N";
        l.clients[0].client_rate = 12.35;
        l.clients[0].modified = true;
        l.projects[0].project_note = "Ünïcödé – notes\r\nmore";
        l.projects[0].project_date = -86400;
        l.projects[0].modified = true;
        l.tasks[0].Task_Billed = 1;
        l.tasks[0].task_checked = 1;
        l.tasks[0].Task_Notes = "\\t is not a tab";
        l.tasks[0].modified = true;
        l.entries[0].Time = 3599;
        l.entries[0].billed = 1;
        l.entries[0].modified = true;
        const FlushResult result = flush(t.store);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 0);
        QCOMPARE(t.reloaded(), dump(t.store.lists) + QStringLiteral("\ncurrency \u00a3"));
    }

    void insert_and_place_reads_the_new_row_back() {
        Tree t;
        const InsertResult inserted = insert_and_place(t.store, RecordKind::Client, 150,
                                                       insert_client_sql(150, "Aardvark's", 33.5));
        QCOMPARE(inserted.rc, 0);
        QCOMPARE(inserted.index, std::size_t(0)); // clients load by name
        QCOMPARE(t.store.lists.clients[0].client_name, std::string("Aardvark's"));
        QCOMPARE(insert_time_entry(t.store, 401, 1000, 259200), 0);
        QCOMPARE(t.column("SELECT count(*) FROM task_detail WHERE task_key = 401"),
                 QStringList{"1"});
        // A key that exists already is refused and changes nothing.
        const InsertResult twice =
            insert_and_place(t.store, RecordKind::Client, 150, insert_client_sql(150, "Again", 1));
        QVERIFY(twice.rc != 0);
        QCOMPARE(t.column("SELECT client_name FROM clients WHERE key = 150"),
                 QStringList{"Aardvark's"});
        // The failed insert ended nothing half-open: the next flush writes.
        t.store.lists.clients[0].client_rate = 1.5;
        t.store.lists.clients[0].modified = true;
        QVERIFY(flush(t.store).committed);
        QCOMPARE(t.column("SELECT client_rate FROM clients WHERE key = 150"), QStringList{"1.5"});
    }

    void deleting_a_client_removes_everything_beneath_it() {
        Tree t;
        QCOMPARE(delete_tree_item_records(t.store, 1), DeleteOutcome::Deleted);
        QCOMPARE(t.column("SELECT key FROM clients"), QStringList{"101"});
        QCOMPARE(t.column("SELECT count(*) FROM project"), QStringList{"0"});
        QCOMPARE(t.column("SELECT count(*) FROM objectives"), QStringList{"0"});
        QCOMPARE(t.column("SELECT count(*) FROM task"), QStringList{"0"});
        QCOMPARE(t.column("SELECT count(*) FROM task_detail"), QStringList{"0"});
        QCOMPARE(t.store.lists.entries.size(), std::size_t(0));
        QCOMPARE(t.store.lists.clients.size(), std::size_t(1));
        // One entry alone.
        Tree u;
        QCOMPARE(delete_time_entry_record(u.store, 0), 0);
        QCOMPARE(u.column("SELECT key FROM task_detail"), QStringList{"501"});
    }

    void billed_marks_and_their_undo_are_written_at_once() {
        Tree t;
        QVERIFY(set_entries_billed(t.store, {500, 501}, true));
        QCOMPARE(t.column("SELECT billed FROM task_detail ORDER BY key"), (QStringList{"1", "1"}));
        QVERIFY(set_entries_billed(t.store, {501}, false));
        QCOMPARE(t.column("SELECT billed FROM task_detail ORDER BY key"), (QStringList{"1", "0"}));
        QCOMPARE(t.store.lists.entries[1].billed, std::uint8_t(0));
    }

    // Save As in both directions: every record arrives, a target that holds the tables or a
    // file that exists is refused and left as it was.
    void copies_reach_the_other_engine_whole() {
        Tree t;
        t.store.lists.clients[0].client_rate = 1.0 / 3.0;
        t.store.lists.clients[0].modified = true;
        QVERIFY(flush(t.store).committed);
        const QString before = t.reloaded();

        QFETCH_GLOBAL(QString, engine);
        const bool from_file = engine == QLatin1String("file");
        const std::string target = from_file ? g_server->new_database() : file_in(t.dir, "copy.db");
        std::string error;
        QCOMPARE(copy_database_records(t.location, target, error), CopyOutcome::Copied);
        Store copy;
        copy.db.load_engine();
        QVERIFY(copy.db.open_database(target));
        QCOMPARE(load_all_records(copy), LoadStatus::Loaded);
        QCOMPARE(dump(copy.lists) + QStringLiteral("\ncurrency ") +
                     QString::fromStdString(copy.currency),
                 before);
        Probe probe(target);
        QCOMPARE(probe.column(index_exists_sql(copy.db.engine_kind(), kTimeEntryTaskIndex)).size(),
                 1);
        copy.db.close_current_database();

        // Again onto the same target: refused, nothing changed.
        const CopyOutcome again = copy_database_records(t.location, target, error);
        QCOMPARE(again, from_file ? CopyOutcome::TargetHoldsTables : CopyOutcome::TargetExists);
        QVERIFY(!error.empty());
        QCOMPARE(probe.column("SELECT count(*) FROM clients"), QStringList{"2"});
    }
};
OLV_TEST_CLASS(EngineTableTest)

#include "test_engines.moc"
