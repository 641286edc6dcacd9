// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>

using namespace olv;
using olv::testing::NewDatabase;
using olv::testing::Probe;
using olv::testing::StatementTrace;

namespace {

// User 0
//   Acme (client 100) 1
//     Site (project 200) 2
//       Launch (objective 300) 3
//         Copy (task 400) 4: entries 500, 501
//         Photos (task 401) 5: no entries
//     Shop (project 201) 6: no objectives
//   Beta (client 101) 7
//     App (project 202) 8
//       Beta launch (objective 301) 9
//         Icons (task 402) 10: entry 502
//   Gamma (client 102) 11: no projects
// The numbers after the names are tree positions, as a tree build would set them.
struct Hierarchy : NewDatabase {
    Hierarchy() {
        const char* rows[] = {
            "INSERT INTO clients VALUES(100,'Acme',50.00);",
            "INSERT INTO clients VALUES(101,'Beta',60.00);",
            "INSERT INTO clients VALUES(102,'Gamma',70.00);",
            "INSERT INTO project VALUES(200,'Site',100,1,0,'',40.00);",
            "INSERT INTO project VALUES(201,'Shop',100,2,0,'',40.00);",
            "INSERT INTO project VALUES(202,'App',101,3,0,'',40.00);",
            "INSERT INTO objectives VALUES(300,0,'Launch',200,1,0,'');",
            "INSERT INTO objectives VALUES(301,0,'Beta launch',202,2,0,'');",
            "INSERT INTO task VALUES(400,0,'Copy',300,0,1,'',0,0);",
            "INSERT INTO task VALUES(401,0,'Photos',300,0,2,'',0,0);",
            "INSERT INTO task VALUES(402,0,'Icons',301,0,3,'',0,0);",
            "INSERT INTO task_detail VALUES(500,400,10,1,0);",
            "INSERT INTO task_detail VALUES(501,400,20,2,0);",
            "INSERT INTO task_detail VALUES(502,402,30,3,0);",
        };
        for (const char* row : rows)
            QCOMPARE(store.db.execute(row), 0);
        QCOMPARE(load_all_records(store), LoadStatus::Loaded);
        RecordLists& l = store.lists;
        l.users[0].tree_pos = 0;
        set_positions(l.clients, {{100, 1}, {101, 7}, {102, 11}});
        set_positions(l.projects, {{200, 2}, {201, 6}, {202, 8}});
        set_positions(l.objectives, {{300, 3}, {301, 9}});
        set_positions(l.tasks, {{400, 4}, {401, 5}, {402, 10}});
    }

    template <typename Records>
    static void set_positions(Records& records, std::initializer_list<std::pair<Key, int>> pos) {
        for (auto& r : records)
            for (const auto& [key, position] : pos)
                if (r.key == key)
                    r.tree_pos = position;
    }
};

template <typename Records> QStringList keys_of(const Records& records) {
    QStringList keys;
    for (const auto& r : records)
        keys << QString::number(r.key);
    return keys;
}

QStringList all_keys(const RecordLists& l) {
    return keys_of(l.clients) + QStringList{"|"} + keys_of(l.projects) + QStringList{"|"} +
           keys_of(l.objectives) + QStringList{"|"} + keys_of(l.tasks) + QStringList{"|"} +
           keys_of(l.entries);
}

QStringList split(const char* text) {
    return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
}

} // namespace

class DeleteTest : public QObject {
    Q_OBJECT

private slots:
    void cascade_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("client with two projects")
            << 1
            << QStringList{"DELETE FROM clients WHERE key = 100",
                           "DELETE FROM project WHERE client_key = 100",
                           "DELETE FROM objectives WHERE project_key = 200",
                           "DELETE FROM task WHERE obj_key = 300",
                           "DELETE FROM task_detail WHERE key IN (500,501)"}
            << split("101 102 | 202 | 301 | 402 | 502");
        QTest::newRow("client without projects")
            << 11 << QStringList{"DELETE FROM clients WHERE key = 102"}
            << split("100 101 | 200 201 202 | 300 301 | 400 401 402 | 500 501 502");
        QTest::newRow("project") << 8
                                 << QStringList{"DELETE FROM project WHERE key = 202",
                                                "DELETE FROM objectives WHERE project_key = 202",
                                                "DELETE FROM task WHERE obj_key = 301",
                                                "DELETE FROM task_detail WHERE key IN (502)"}
                                 << split("100 101 102 | 200 201 | 300 | 400 401 | 500 501");
        QTest::newRow("objective with two tasks, one with entries")
            << 3
            << QStringList{"DELETE FROM objectives WHERE key = 300",
                           "DELETE FROM task WHERE obj_key = 300",
                           "DELETE FROM task_detail WHERE key IN (500,501)"}
            << split("100 101 102 | 200 201 202 | 301 | 402 | 502");
        QTest::newRow("task with two entries")
            << 4
            << QStringList{"DELETE FROM task WHERE key = 400",
                           "DELETE FROM task_detail WHERE key IN (500,501)"}
            << split("100 101 102 | 200 201 202 | 300 301 | 401 402 | 502");
        QTest::newRow("task without entries")
            << 5 << QStringList{"DELETE FROM task WHERE key = 401"}
            << split("100 101 102 | 200 201 202 | 300 301 | 400 402 | 500 501 502");
    }
    void cascade() {
        QFETCH(int, position);
        QFETCH(QStringList, statements);
        QFETCH(QStringList, remaining);
        Hierarchy h;
        StatementTrace trace(h.store);
        QCOMPARE(delete_tree_item_records(h.store, position), DeleteOutcome::Deleted);
        QCOMPARE(trace.statements(), QStringList{"BEGIN"} + statements + QStringList{"COMMIT"});
        QCOMPARE(all_keys(h.store.lists), remaining);
        // The database lost exactly what the lists lost.
        Store reread;
        reread.db.load_engine();
        reread.db.open_database(h.path);
        QCOMPARE(load_all_records(reread), LoadStatus::Loaded);
        QCOMPARE(all_keys(reread.lists), remaining);
    }

    // A client whose tasks have many entries: the entries go by their keys, in slices of a
    // thousand, without any index built for the cascade; the rows are gone, and a file that
    // carries the lasting index the program adds at open keeps it.
    void largeCascadeLeavesTheSchemaAsItWas_data() {
        QTest::addColumn<bool>("lastingIndex");
        QTest::newRow("file without the lasting index") << false;
        QTest::newRow("file with the lasting index") << true;
    }
    void largeCascadeLeavesTheSchemaAsItWas() {
        QFETCH(bool, lastingIndex);
        NewDatabase d;
        Store& s = d.store;
        if (lastingIndex)
            QVERIFY(index_time_entries_by_task(s));
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(100,'Acme',50.00);"), 0);
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(101,'Beta',50.00);"), 0);
        QCOMPARE(s.db.execute("INSERT INTO project VALUES(200,'Site',100,1,0,'',40.00);"), 0);
        QCOMPARE(s.db.execute("INSERT INTO objectives VALUES(300,0,'Launch',200,1,0,'');"), 0);
        QCOMPARE(s.db.execute("INSERT INTO task VALUES(499,0,'Kept',999,0,1,'',0,0);"), 0);
        QCOMPARE(s.db.execute("INSERT INTO task_detail VALUES(9999,499,5,1,0);"), 0);
        QStringList expected{"BEGIN", "DELETE FROM clients WHERE key = 100",
                             "DELETE FROM project WHERE client_key = 100",
                             "DELETE FROM objectives WHERE project_key = 200",
                             "DELETE FROM task WHERE obj_key = 300"};
        int entry = 1000;
        QStringList keys;
        QCOMPARE(s.db.execute("BEGIN"), 0);
        for (int task = 400; task < 412; ++task) {
            QCOMPARE(s.db.execute("INSERT INTO task VALUES(" + std::to_string(task) +
                                  ",0,'T',300,0,1,'',0,0);"),
                     0);
            for (int i = 0; i < 100; ++i) {
                keys << QString::number(entry);
                QCOMPARE(s.db.execute("INSERT INTO task_detail VALUES(" + std::to_string(entry++) +
                                      "," + std::to_string(task) + ",10,1,0);"),
                         0);
            }
        }
        QCOMPARE(s.db.execute("COMMIT"), 0);
        expected << "DELETE FROM task_detail WHERE key IN (" + keys.mid(0, 1000).join(',') + ")"
                 << "DELETE FROM task_detail WHERE key IN (" + keys.mid(1000).join(',') + ")";
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        for (auto& c : s.lists.clients)
            c.tree_pos = c.key == 100 ? 1 : 7;

        StatementTrace trace(s);
        QCOMPARE(delete_tree_item_records(s, 1), DeleteOutcome::Deleted);
        QCOMPARE(trace.statements(), expected + QStringList{"COMMIT"});

        Probe probe(d.path);
        QCOMPARE(probe.column("SELECT name FROM sqlite_master WHERE type = 'index'"),
                 lastingIndex ? QStringList{kTimeEntryTaskIndex} : QStringList());
        QCOMPARE(probe.column("SELECT key FROM task_detail"), QStringList{"9999"});
        QCOMPARE(probe.column("SELECT key FROM task"), QStringList{"499"});
        QCOMPARE(keys_of(s.lists.entries), QStringList{"9999"});
    }

    void userItemIsNeverDeleted() {
        Hierarchy h;
        const QStringList before = all_keys(h.store.lists);
        StatementTrace trace(h.store);
        QCOMPARE(delete_tree_item_records(h.store, 0), DeleteOutcome::UserItem);
        QCOMPARE(trace.statements(), QStringList());
        QCOMPARE(all_keys(h.store.lists), before);
        QCOMPARE(h.store.lists.users.size(), std::size_t(1));
    }

    void positionWithoutRecordDeletesNothing() {
        Hierarchy h;
        const QStringList before = all_keys(h.store.lists);
        StatementTrace trace(h.store);
        QCOMPARE(delete_tree_item_records(h.store, 12), DeleteOutcome::NoRecord);
        QCOMPARE(trace.statements(), QStringList());
        QCOMPARE(all_keys(h.store.lists), before);
    }

    // A refused statement stops the cascade and the transaction is rolled back: the file and
    // the lists both keep every record, instead of the lists losing rows the file kept.
    void refusedCascadeChangesNothing() {
        Hierarchy h;
        const QStringList before = all_keys(h.store.lists);
        QCOMPARE(h.store.db.execute("CREATE TRIGGER keep BEFORE DELETE ON project "
                                    "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
                 0);
        StatementTrace trace(h.store);
        QCOMPARE(delete_tree_item_records(h.store, 7), DeleteOutcome::WriteFailed);
        QCOMPARE(trace.statements(),
                 (QStringList{"BEGIN", "DELETE FROM clients WHERE key = 101",
                              "DELETE FROM project WHERE client_key = 101", "ROLLBACK"}));
        QCOMPARE(all_keys(h.store.lists), before);
        QVERIFY(!h.store.db.in_transaction());
        QCOMPARE(load_all_records(h.store), LoadStatus::Loaded);
        QCOMPARE(all_keys(h.store.lists), before);
    }

    // A trigger that ends the transaction itself: today's statements after it would run and
    // commit one by one outside it, leaving half a cascade in the file. The cascade stops there;
    // the engine has already undone what the transaction held.
    void engineEndingTheTransactionStopsTheCascade_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("statements"); // issued after BEGIN, the failing one included
        QTest::newRow("objectives of a deleted client") << "objectives" << 1 << 3;
        QTest::newRow("tasks of a deleted project") << "task" << 2 << 3;
        QTest::newRow("entries of a deleted objective") << "task_detail" << 3 << 3;
    }
    void engineEndingTheTransactionStopsTheCascade() {
        QFETCH(QString, table);
        QFETCH(int, position);
        QFETCH(int, statements);
        Hierarchy h;
        Store& s = h.store;
        const QStringList before = all_keys(s.lists);
        QCOMPARE(s.db.execute(QStringLiteral("CREATE TRIGGER undo BEFORE DELETE ON %1 "
                                             "BEGIN SELECT RAISE(ROLLBACK, 'undone'); END")
                                  .arg(table)
                                  .toStdString()),
                 0);
        StatementTrace trace(s);
        QCOMPARE(delete_tree_item_records(s, position), DeleteOutcome::WriteFailed);
        QCOMPARE(trace.statements().size(), statements + 1);
        QVERIFY(!s.db.in_transaction());
        QCOMPARE(all_keys(s.lists), before);
        Probe probe(h.path);
        QCOMPARE(probe.column("select key from clients order by key"), split("100 101 102"));
        QCOMPARE(probe.column("select key from task order by key"), split("400 401 402"));
        QCOMPARE(probe.column("select key from task_detail order by key"), split("500 501 502"));
    }

    // Another connection holds the file: the cascade stops at the first refusal instead of
    // waiting out the busy timeout once per statement, and the lists keep the records the file
    // still holds.
    void lockedElsewhereStopsTheCascade() {
        Hierarchy h;
        Store& s = h.store;
        QCOMPARE(s.db.execute("PRAGMA busy_timeout = 0"), 0); // the refusal comes at once
        AccessLayer other;
        other.load_engine();
        QVERIFY(other.open_database(h.path));
        QCOMPARE(other.execute("BEGIN EXCLUSIVE"), 0);
        StatementTrace trace(s);
        QCOMPARE(delete_tree_item_records(s, 1), DeleteOutcome::WriteFailed);
        QCOMPARE(trace.statements(),
                 (QStringList{"BEGIN", "DELETE FROM clients WHERE key = 100", "ROLLBACK"}));
        QCOMPARE(all_keys(s.lists),
                 split("100 101 102 | 200 201 202 | 300 301 | 400 401 402 | 500 501 502"));
        QVERIFY(!s.db.in_transaction());

        QCOMPARE(other.execute("COMMIT"), 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(all_keys(s.lists),
                 split("100 101 102 | 200 201 202 | 300 301 | 400 401 402 | 500 501 502"));
    }

    void timeEntry() {
        Hierarchy h;
        Store& s = h.store;
        StatementTrace trace(s);
        QCOMPARE(delete_time_entry_record(s, 1), 0);
        QCOMPARE(trace.statements(), QStringList{"DELETE FROM task_detail WHERE key = 501"});
        QCOMPARE(keys_of(s.lists.entries), split("500 502"));
        Probe probe(h.path);
        QCOMPARE(probe.column("select key from task_detail order by key"), split("500 502"));
    }

    void refusedTimeEntryDeleteKeepsTheEntry() {
        Hierarchy h;
        Store& s = h.store;
        QCOMPARE(s.db.execute("CREATE TRIGGER keep BEFORE DELETE ON task_detail "
                              "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
                 0);
        const int rc = delete_time_entry_record(s, 0);
        QVERIFY(rc != 0);
        QCOMPARE(keys_of(s.lists.entries), split("500 501 502"));
        s.db.close_current_database();
        QVERIFY(delete_time_entry_record(s, 0) != 0);
        QCOMPARE(keys_of(s.lists.entries), split("500 501 502"));
    }
};

OLV_TEST_CLASS(DeleteTest)

#include "test_delete.moc"
