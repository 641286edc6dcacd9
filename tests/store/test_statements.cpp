// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>
#include <limits>

using namespace olv;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr Key kKey = 1765357200; // 2025-12-10 09:00:00

} // namespace

// The exact text of every statement the store writes; the database would accept many
// near-misses, so the texts are pinned here.
class StatementTextTest : public QObject {
    Q_OBJECT

private slots:
    void inserts_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("client, apostrophe doubled")
            << q(insert_client_sql(kKey, "O'Neil", 35))
            << "INSERT INTO clients VALUES(1765357200,'O''Neil',35.00);";
        QTest::newRow("client, rate rounded to two decimals")
            << q(insert_client_sql(7, "Acme", 12.345))
            << "INSERT INTO clients VALUES(7,'Acme',12.35);";
        QTest::newRow("client, rate 0")
            << q(insert_client_sql(7, "", 0)) << "INSERT INTO clients VALUES(7,'',0.00);";
        QTest::newRow("project")
            << q(insert_project_sql(kKey, "Site", 11, 100, -1, 40))
            << "INSERT INTO project VALUES(1765357200,'Site',11,100,-1,'',40.00);";
        QTest::newRow("objective")
            << q(insert_objective_sql(kKey, "Phase 'one'", 12, 0, 86400))
            << "INSERT INTO objectives VALUES(1765357200,0,'Phase ''one''',12,0,86400,'');";
        QTest::newRow("task, completed and accepted")
            << q(insert_task_sql(kKey, true, "Draft", 13, 5, 6, true))
            << "INSERT INTO task VALUES(1765357200,1,'Draft',13,5,6,'',0,1);";
        QTest::newRow("task, neither")
            << q(insert_task_sql(kKey, false, "Draft", 13, 5, 6, false))
            << "INSERT INTO task VALUES(1765357200,0,'Draft',13,5,6,'',0,0);";
        QTest::newRow("time entry")
            << q(insert_time_entry_sql(kKey, 14, 1765324800))
            << "INSERT INTO task_detail VALUES(1765357200,14,0,1765324800,0);";
    }
    void inserts() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void updates_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");

        TimeEntry entry;
        entry.key = 21;
        entry.Time = 3725;
        entry.billed = 1;
        entry.timing = 1;
        entry.modified = true;
        QTest::newRow("time entry")
            << q(update_sql(entry))
            << "UPDATE task_detail SET time = 3725, billed = 1 WHERE key = 21";

        UserRecord user;
        user.key = 1;
        user.userID = "Ann O'Hara";
        user.user_View = 17;
        user.user_Currency = "\xC2\xA3";
        user.user_DateFormat = "%dd/%mm/%yyyy";
        QTest::newRow("user, two blanks before WHERE")
            << q(update_sql(user))
            << QString::fromUtf8("UPDATE users SET User_View = 17, UserID = 'Ann O''Hara', "
                                 "User_currency = '£', User_DateFormat = '%dd/%mm/%yyyy'  WHERE "
                                 "key = 1");
        user.user_Currency = "R'";
        user.user_DateFormat = "%dd'%mm";
        QTest::newRow("user, currency and mask quoted too")
            << q(update_sql(user))
            << "UPDATE users SET User_View = 17, UserID = 'Ann O''Hara', User_currency = 'R''', "
               "User_DateFormat = '%dd''%mm'  WHERE key = 1";

        ClientRecord client;
        client.key = 31;
        client.client_name = "Smith & 'Sons'";
        client.client_rate = 12.5;
        QTest::newRow("client") << q(update_sql(client))
                                << "UPDATE clients SET Client_name = 'Smith & ''Sons''', "
                                   "Client_rate = 12.50 WHERE key = 31";

        ProjectRecord project;
        project.key = 41;
        project.project_title = "Shop's site";
        project.client_key = 31;
        project.project_date = 1000;
        project.project_end = -1;
        project.project_note = "line 1\nline 2";
        project.project_rate = 40;
        project.tree_pos = 9;
        QTest::newRow("project, no blanks after two commas")
            << q(update_sql(project))
            << "UPDATE project SET project_title = 'Shop''s site',client_key = 31,project_date = "
               "1000, project_end = -1, project_note = 'line 1\nline 2', project_rate = 40.00 "
               "WHERE key = 41";

        ObjectiveRecord objective;
        objective.key = 51;
        objective.ob_complete = 1;
        objective.ob_title = "Launch";
        objective.Project_key = 41;
        objective.ob_date = 2000;
        objective.ob_end = 3000;
        objective.ob_notes = "it's done";
        QTest::newRow("objective")
            << q(update_sql(objective))
            << "UPDATE objectives SET ob_complete = 1, ob_title = 'Launch', project_key = 41, "
               "ob_date = 2000, ob_end = 3000, ob_notes = 'it''s done' WHERE key = 51";

        TaskRecord task;
        task.key = 61;
        task.task_complete = 0;
        task.task_title = "Copy";
        task.Obj_key = 51;
        task.Task_Date = 4000;
        task.Task_End = 5000;
        task.Task_Notes = "";
        task.Task_Billed = 1;
        task.running = 1;
        task.task_rate = 99;
        task.task_checked = 1;
        QTest::newRow("task")
            << q(update_sql(task))
            << "UPDATE task SET task_complete = 0, task_title = 'Copy', obj_key = 51, task_date "
               "= 4000, task_end = 5000, Task_notes = '', Task_billed = 1, task_checked = 1 "
               "WHERE key = 61";
    }
    void updates() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void deletes_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("client") << q(delete_record_sql(RecordKind::Client, 1))
                                << "DELETE FROM clients WHERE key = 1";
        QTest::newRow("project") << q(delete_record_sql(RecordKind::Project, 2))
                                 << "DELETE FROM project WHERE key = 2";
        QTest::newRow("objective") << q(delete_record_sql(RecordKind::Objective, 3))
                                   << "DELETE FROM objectives WHERE key = 3";
        QTest::newRow("task") << q(delete_record_sql(RecordKind::Task, -4))
                              << "DELETE FROM task WHERE key = -4";
        QTest::newRow("projects of a client") << q(delete_children_sql(RecordKind::Client, 5))
                                              << "DELETE FROM project WHERE client_key = 5";
        QTest::newRow("objectives of a project") << q(delete_children_sql(RecordKind::Project, 6))
                                                 << "DELETE FROM objectives WHERE project_key = 6";
        QTest::newRow("tasks of an objective") << q(delete_children_sql(RecordKind::Objective, 7))
                                               << "DELETE FROM task WHERE obj_key = 7";
        QTest::newRow("entries of a task") << q(delete_children_sql(RecordKind::Task, 8))
                                           << "DELETE FROM task_detail WHERE task_key = 8";
        QTest::newRow("one time entry")
            << q(delete_time_entry_sql(9)) << "DELETE FROM task_detail WHERE key = 9";
        QTest::newRow("the user row is never deleted")
            << q(delete_record_sql(RecordKind::User, 1)) << "";
    }
    void deletes() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }
};

// A rate that is not finite has no SQL form. The builder refuses the statement, the access
// layer refuses the empty text it gets, and the database keeps what it held.
class NonFiniteRateTest : public QObject {
    Q_OBJECT

private slots:
    void refused_on_a_real_database_data() {
        QTest::addColumn<double>("rate");
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    }
    void refused_on_a_real_database() {
        QFETCH(double, rate);
        testing::NewDatabase d;
        QCOMPARE(d.store.db.execute(insert_client_sql(7, "Acme", 40)), 0);
        QCOMPARE(d.store.db.execute(insert_project_sql(8, "Site", 7, 0, 0, 40)), 0);

        ClientRecord client;
        client.key = 7;
        client.client_name = "Acme Ltd";
        client.client_rate = rate;
        ProjectRecord project;
        project.key = 8;
        project.project_title = "Shop";
        project.client_key = 7;
        project.project_rate = rate;
        for (const std::string& statement :
             {insert_client_sql(9, "Bolt", rate), insert_project_sql(10, "Web", 7, 0, 0, rate),
              update_sql(client), update_sql(project)}) {
            QCOMPARE(statement, std::string());
            QVERIFY(!AccessLayer::succeeded(d.store.db.execute(statement)));
        }

        testing::Probe probe(d.path);
        QCOMPARE(probe.column("SELECT client_name || ' ' || client_rate FROM clients"),
                 QStringList{"Acme 40.0"});
        QCOMPARE(probe.column("SELECT project_title || ' ' || project_rate FROM project"),
                 QStringList{"Site 40.0"});
    }

    // The flush reports such a record as not written and keeps it for the next try.
    void flush_keeps_the_record_modified() {
        testing::NewDatabase d;
        QCOMPARE(d.store.db.execute(insert_client_sql(7, "Acme", 40)), 0);
        QCOMPARE(load_all_records(d.store), LoadStatus::Loaded);
        ClientRecord& client = d.store.lists.clients.at(0);
        client.client_rate = std::numeric_limits<double>::infinity();
        client.modified = true;
        const FlushResult result = flush(d.store);
        QCOMPARE(result.failed_records, 1);
        QVERIFY(client.modified);
        QCOMPARE(testing::Probe(d.path).value("SELECT client_rate FROM clients"),
                 QStringLiteral("40.0"));
    }
};

OLV_TEST_CLASS(StatementTextTest)
OLV_TEST_CLASS(NonFiniteRateTest)

#include "test_statements.moc"
