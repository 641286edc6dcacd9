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

// Two clients, a project, an objective, a task and a time entry, loaded.
struct Loaded : NewDatabase {
    Loaded() {
        Store& s = store;
        s.db.execute("INSERT INTO clients VALUES(10,'Acme',50.00);");
        s.db.execute("INSERT INTO clients VALUES(11,'Beta',60.00);");
        s.db.execute("INSERT INTO project VALUES(20,'Site',10,0,0,'',40.00);");
        s.db.execute("INSERT INTO objectives VALUES(30,0,'Launch',20,0,0,'');");
        s.db.execute("INSERT INTO task VALUES(40,0,'Copy',30,0,0,'',0,0);");
        s.db.execute("INSERT INTO task_detail VALUES(50,40,0,0,0);");
        load_all_records(s);
    }
    ClientRecord& acme() { return store.lists.clients[0]; }
    ClientRecord& beta() { return store.lists.clients[1]; }
    TimeEntry& entry() { return store.lists.entries[0]; }
    TaskRecord& task() { return store.lists.tasks[0]; }
};

} // namespace

class FlushTest : public QObject {
    Q_OBJECT

private slots:
    void nothingModifiedRunsNoStatement() {
        Loaded d;
        StatementTrace trace(d.store);
        QVERIFY(trace.active());
        const FlushResult result = flush(d.store);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 0);
        QCOMPARE(trace.statements(), QStringList());
    }

    void writesInListOrderInOneTransaction() {
        Loaded d;
        Store& s = d.store;
        s.lists.tasks[0].task_title = "Copy v2";
        s.lists.objectives[0].ob_title = "Launch v2";
        s.lists.projects[0].project_title = "Site v2";
        d.beta().client_name = "Beta v2";
        s.lists.users[0].user_View = 3;
        d.entry().Time = 3725;
        d.entry().billed = 1;
        d.entry().Time = 3726; // changed twice: written once, with the latest value
        for (auto* flag : {&s.lists.tasks[0].modified, &s.lists.objectives[0].modified,
                           &s.lists.projects[0].modified, &d.beta().modified,
                           &s.lists.users[0].modified, &d.entry().modified})
            *flag = true;
        StatementTrace trace(s);
        const FlushResult result = flush(s);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 0);
        QCOMPARE(trace.statements(),
                 (QStringList{
                     "BEGIN",
                     "UPDATE task_detail SET time = 3726, billed = 1 WHERE key = 50",
                     QString::fromStdString(update_sql(s.lists.users[0])),
                     QString::fromStdString(update_sql(d.beta())),
                     QString::fromStdString(update_sql(s.lists.projects[0])),
                     QString::fromStdString(update_sql(s.lists.objectives[0])),
                     QString::fromStdString(update_sql(s.lists.tasks[0])),
                     "COMMIT",
                 }));
        QVERIFY(!d.entry().modified && !d.beta().modified && !s.lists.tasks[0].modified);
        Probe probe(d.path);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("3726"));
        QCOMPARE(probe.value("select task_title from task"), QStringLiteral("Copy v2"));
    }

    // A statement the engine refuses while the transaction goes on: that record stays modified,
    // the others are written, and a later flush writes it once the obstacle is gone.
    void refusedStatementKeepsOnlyItsRecord_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("removal");
        QTest::newRow("trigger refuses the update")
            << "CREATE TRIGGER no_acme BEFORE UPDATE ON clients WHEN old.key = 10 "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END"
            << "DROP TRIGGER no_acme";
        QTest::newRow("table moved away behind the store's back")
            << "ALTER TABLE clients RENAME TO clients_away"
            << "ALTER TABLE clients_away RENAME TO clients";
    }
    void refusedStatementKeepsOnlyItsRecord() {
        QFETCH(QString, obstacle);
        QFETCH(QString, removal);
        Loaded d;
        Store& s = d.store;
        QCOMPARE(s.db.execute(obstacle.toStdString()), 0);
        d.acme().client_name = "Acme v2";
        d.entry().Time = 120;
        d.task().Task_Notes = "n";
        d.acme().modified = d.entry().modified = d.task().modified = true;

        FlushResult result = flush(s);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 1);
        QVERIFY(d.acme().modified);
        QVERIFY(!d.entry().modified && !d.task().modified);
        Probe probe(d.path);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("120"));

        // Still refused: the flag stays, nothing else is touched.
        result = flush(s);
        QCOMPARE(result.failed_records, 1);
        QVERIFY(d.acme().modified);

        QCOMPARE(s.db.execute(removal.toStdString()), 0);
        result = flush(s);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 0);
        QVERIFY(!d.acme().modified);
        QCOMPARE(probe.value("select client_name from clients where key = 10"),
                 QStringLiteral("Acme v2"));
    }

    void engineEndingTheTransactionKeepsEveryRecord() {
        Loaded d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("CREATE TRIGGER undo BEFORE UPDATE ON clients "
                              "BEGIN SELECT RAISE(ROLLBACK, 'rolled back'); END"),
                 0);
        d.entry().Time = 120;
        d.acme().client_name = "Acme v2";
        d.task().Task_Notes = "n";
        d.acme().modified = d.entry().modified = d.task().modified = true;
        StatementTrace trace(s);

        const FlushResult result = flush(s);
        QVERIFY(!result.committed);
        QCOMPARE(result.failed_records, 3);
        QVERIFY(d.entry().modified && d.acme().modified && d.task().modified);
        QVERIFY(!s.db.in_transaction());
        // The entry's update was rolled back with the rest, and the task was never tried
        // outside the transaction.
        Probe probe(d.path);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("0"));
        QVERIFY(!trace.statements().contains(QString::fromStdString(update_sql(d.task()))));

        QCOMPARE(s.db.execute("DROP TRIGGER undo"), 0);
        QCOMPARE(flush(s).failed_records, 0);
        QVERIFY(!d.entry().modified && !d.acme().modified && !d.task().modified);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("120"));
    }

    void failedCommitRollsBackAndClearsNothing() {
        Loaded d;
        Store& s = d.store;
        // A deferred foreign key that the update breaks makes COMMIT itself fail.
        QCOMPARE(s.db.execute("PRAGMA foreign_keys = ON"), 0);
        QCOMPARE(s.db.execute("CREATE TABLE guard(client integer REFERENCES clients(key) "
                              "DEFERRABLE INITIALLY DEFERRED)"),
                 0);
        QCOMPARE(s.db.execute("CREATE TRIGGER break_guard AFTER UPDATE ON task_detail "
                              "BEGIN INSERT INTO guard VALUES(-5); END"),
                 0);
        d.entry().Time = 120;
        d.beta().client_rate = 75;
        d.entry().modified = d.beta().modified = true;

        const FlushResult result = flush(s);
        QVERIFY(!result.committed);
        QCOMPARE(result.failed_records, 2);
        QVERIFY(d.entry().modified && d.beta().modified);
        QVERIFY(!s.db.in_transaction());
        Probe probe(d.path);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("0"));
        QCOMPARE(probe.value("select client_rate from clients where key = 11"),
                 QStringLiteral("60.0"));
    }

    // Another connection holds the file: the first refusal ends the flush, instead of every
    // record waiting out the busy timeout in turn, and nothing counts as written.
    void lockedElsewhereEndsTheFlushAtTheFirstRefusal() {
        Loaded d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("PRAGMA busy_timeout = 0"), 0); // the refusal comes at once
        AccessLayer other;
        other.load_engine();
        QVERIFY(other.open_database(d.path));
        QCOMPARE(other.execute("BEGIN EXCLUSIVE"), 0);
        d.entry().Time = 120;
        d.acme().client_name = "Acme v2";
        d.task().Task_Notes = "n";
        d.acme().modified = d.entry().modified = d.task().modified = true;
        StatementTrace trace(s);

        const FlushResult result = flush(s);
        QVERIFY(!result.committed);
        QCOMPARE(result.failed_records, 3);
        QVERIFY(d.entry().modified && d.acme().modified && d.task().modified);
        QVERIFY(!s.db.in_transaction());
        QCOMPARE(trace.statements(),
                 (QStringList{"BEGIN", QString::fromStdString(update_sql(d.entry())), "ROLLBACK"}));

        QCOMPARE(other.execute("COMMIT"), 0);
        QCOMPARE(flush(s).failed_records, 0);
        QVERIFY(!d.entry().modified && !d.acme().modified && !d.task().modified);
        Probe probe(d.path);
        QCOMPARE(probe.value("select time from task_detail"), QStringLiteral("120"));
    }

    void withoutDatabaseNothingCountsAsWritten() {
        Loaded d;
        Store& s = d.store;
        d.entry().modified = d.acme().modified = true;
        s.db.close_current_database();
        const FlushResult result = flush(s);
        QVERIFY(!result.committed);
        QCOMPARE(result.failed_records, 2);
        QVERIFY(d.entry().modified && d.acme().modified);
    }
};

OLV_TEST_CLASS(FlushTest)

#include "test_flush.moc"
