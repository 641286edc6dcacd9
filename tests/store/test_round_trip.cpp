#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>
#include <limits>

#include <algorithm>
#include <tuple>

using namespace olv;
using olv::testing::NewDatabase;
using olv::testing::Probe;

namespace {

const DateValue kNow = make_date(2026, 12, 10, 9, 0, 0);
const DateValue kToday = make_date(2026, 12, 10, 0, 0, 0);

// The stored columns of each record kind, for comparing lists field by field.
auto stored(const UserRecord& r) {
    return std::tie(r.key, r.userID, r.user_View, r.user_Currency, r.user_DateFormat);
}
auto stored(const ClientRecord& r) {
    return std::tie(r.key, r.client_name, r.client_rate);
}
auto stored(const ProjectRecord& r) {
    return std::tie(r.key, r.project_title, r.client_key, r.project_date, r.project_end,
                    r.project_note, r.project_rate);
}
auto stored(const ObjectiveRecord& r) {
    return std::tie(r.key, r.ob_complete, r.ob_title, r.Project_key, r.ob_date, r.ob_end,
                    r.ob_notes);
}
auto stored(const TaskRecord& r) {
    return std::tie(r.key, r.task_complete, r.task_title, r.Obj_key, r.Task_Date, r.Task_End,
                    r.Task_Notes, r.Task_Billed, r.task_checked);
}
auto stored(const TimeEntry& r) {
    return std::tie(r.key, r.Task_Key, r.Time, r.date, r.billed);
}

template <typename Records> bool same_stored(const Records& a, const Records& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (stored(a[i]) != stored(b[i]))
            return false;
    return true;
}

void compare_lists(const RecordLists& actual, const RecordLists& expected) {
    QVERIFY(same_stored(actual.users, expected.users));
    QVERIFY(same_stored(actual.clients, expected.clients));
    QVERIFY(same_stored(actual.projects, expected.projects));
    QVERIFY(same_stored(actual.objectives, expected.objectives));
    QVERIFY(same_stored(actual.tasks, expected.tasks));
    QVERIFY(same_stored(actual.entries, expected.entries));
}

// A fresh store reading the file, as the next start of the program would.
struct Reopened {
    Store store;
    explicit Reopened(const std::string& path) {
        store.db.load_engine();
        store.db.open_database(path);
        status = load_all_records(store);
    }
    LoadStatus status;
};

// One client with one project, objective, task and today's time entry, inserted as the
// dialogs and the timer do.
void fill_one_of_each(Store& s) {
    QCOMPARE(load_all_records(s), LoadStatus::Loaded);
    const Key client = new_client_key(s, kNow);
    QCOMPARE(
        insert_and_place(s, RecordKind::Client, client, insert_client_sql(client, "Acme", 50)).rc,
        0);
    const Key project = new_project_key(s, kNow);
    QCOMPARE(insert_and_place(s, RecordKind::Project, project,
                              insert_project_sql(project, "Site", client, kToday,
                                                 kToday + 30 * kSecondsPerDay, 40))
                 .rc,
             0);
    const Key objective = new_objective_key(s, kNow);
    QCOMPARE(insert_and_place(s, RecordKind::Objective, objective,
                              insert_objective_sql(objective, "Launch", project, kToday,
                                                   kToday + 7 * kSecondsPerDay))
                 .rc,
             0);
    const Key task = new_task_key(s, kNow);
    QCOMPARE(insert_and_place(s, RecordKind::Task, task,
                              insert_task_sql(task, false, "Copy", objective, kToday,
                                              kToday + kSecondsPerDay, true))
                 .rc,
             0);
    QCOMPARE(insert_time_entry(s, task, kNow, kToday), 0);
}

} // namespace

class SchemaTest : public QObject {
    Q_OBJECT

private slots:
    void newDatabaseHoldsTheSixTablesAndTheUser() {
        NewDatabase d("Ann O'Hara");
        Probe probe(d.path);
        // The engine keeps each statement as given, less the semicolon and with its first two
        // words in capitals.
        QCOMPARE(
            probe.column("select sql from sqlite_master order by rowid"),
            (QStringList{
                "CREATE TABLE users(key integer primary key, userID text, user_View integer, "
                "user_Currency text, user_DateFormat text)",
                "CREATE TABLE clients(key integer primary key, client_name text, client_rate "
                "float)",
                "CREATE TABLE project(key integer primary key, project_title text, client_key "
                "integer, project_date integer, project_end integer, project_note text, "
                "project_rate float)",
                "CREATE TABLE objectives(key integer primary key, ob_complete boolean, ob_title "
                "text, Project_key integer, ob_date integer, ob_end integer, ob_notes text)",
                "CREATE TABLE task(key integer primary key, task_complete boolean, task_title "
                "text, Obj_key integer, Task_Date integer, Task_End integer, Task_Notes text, "
                "Task_Billed boolean, task_checked boolean)",
                "CREATE TABLE Task_Detail(key integer primary key, Task_Key integer, Time "
                "integer, date integer, billed boolean)",
            }));
        QCOMPARE(probe.column("select key || '|' || userID || '|' || user_View || '|' || "
                              "user_Currency || '|' || user_DateFormat from users"),
                 QStringList{QString::fromUtf8("1|Ann O'Hara|0|£|%dd/%mm/%yyyy")});
    }

    // Removing a task's entries by their task key uses the lasting index instead of reading
    // every entry; the index changes none of the six tables, and asking again is harmless.
    void timeEntriesAreIndexedByTask() {
        NewDatabase d;
        const QStringList tables_before =
            Probe(d.path).column("select sql from sqlite_master where type = 'table'");
        QVERIFY(index_time_entries_by_task(d.store));
        QVERIFY(index_time_entries_by_task(d.store));
        Probe probe(d.path);
        QCOMPARE(probe.column("select sql from sqlite_master where type = 'table'"), tables_before);
        QCOMPARE(probe.column("select name from sqlite_master where type = 'index'"),
                 QStringList{kTimeEntryTaskIndex});
        QCOMPARE(probe.db.query_table("explain query plan " +
                                      delete_children_sql(RecordKind::Task, 400)),
                 0);
        QString plan; // the detail column tells how the rows are found
        for (int row = 1; row <= probe.db.row_count(); ++row)
            plan += QString::fromStdString(probe.db.cell_text(row, 3));
        QVERIFY2(plan.contains(kTimeEntryTaskIndex), qPrintable(plan));
    }

    void unopenableFileCreatesNothing() {
        QTemporaryDir dir;
        Store store;
        store.db.load_engine();
        const std::string path = dir.filePath("missing/folder/x.db").toStdString();
        QVERIFY(!create_database(store, path, "Ann"));
        QVERIFY(!store.db.has_current_database());
    }
};

class StoreRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void editsSurviveFlushAndReload() {
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QCOMPARE(s.lists.entries.size(), std::size_t(1));
        QCOMPARE(s.lists.entries[0].timing, std::uint8_t(1));

        RecordLists& l = s.lists;
        l.entries[0].Time = 3725;
        l.entries[0].billed = 1;
        l.entries[0].modified = true;
        l.users[0].user_View = 4;
        l.users[0].userID = "Ann Smith";
        l.users[0].user_Currency = "\xE2\x82\xAC"; // euro sign
        l.users[0].user_DateFormat = "%yyyy-%mm-%dd";
        l.users[0].modified = true;
        l.clients[0].client_name = "Acme Ltd";
        l.clients[0].client_rate = 62.5;
        l.clients[0].modified = true;
        l.projects[0].project_note = "Call on Monday.\nBring the plans.";
        l.projects[0].project_rate = 45.75;
        l.projects[0].project_end = kInvalidDate;
        l.projects[0].modified = true;
        l.objectives[0].ob_complete = 1;
        l.objectives[0].ob_notes = "ready";
        l.objectives[0].modified = true;
        l.tasks[0].task_complete = 1;
        l.tasks[0].Task_Notes = "checked twice";
        l.tasks[0].Task_Billed = 1;
        l.tasks[0].modified = true;

        const FlushResult result = flush(s);
        QVERIFY(result.committed);
        QCOMPARE(result.failed_records, 0);
        QVERIFY(!l.entries[0].modified && !l.users[0].modified && !l.clients[0].modified &&
                !l.projects[0].modified && !l.objectives[0].modified && !l.tasks[0].modified);

        Reopened again(d.path);
        QCOMPARE(again.status, LoadStatus::Loaded);
        compare_lists(again.store.lists, l);
        QCOMPARE(again.store.currency, std::string("\xE2\x82\xAC"));
        QCOMPARE(again.store.date_mask, std::string("%yyyy-%mm-%dd"));
    }

    void insertFlushesPendingEditsBeforeReloading() {
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        s.lists.entries[0].Time = 60;
        s.lists.entries[0].modified = true;
        const Key zeta = new_client_key(s, kNow);
        const InsertResult result =
            insert_and_place(s, RecordKind::Client, zeta, insert_client_sql(zeta, "Zeta", 10));
        QCOMPARE(result.rc, 0);
        QVERIFY(result.flush.committed);
        QCOMPARE(s.lists.clients.size(), std::size_t(2));
        QCOMPARE(s.lists.entries[0].Time, 60);
        QVERIFY(!s.lists.entries[0].modified);
    }

    // What the flush before the reload could not write stays in memory, modified, instead of
    // the reload losing it; the next flush that succeeds writes it.
    void insertKeepsWhatItsFlushCouldNotWrite_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<int>("failed");
        QTest::addColumn<bool>("entryWritten");
        QTest::newRow("the client's update is refused")
            << "CREATE TRIGGER refuse BEFORE UPDATE ON clients "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END"
            << 1 << true;
        QTest::newRow("the engine ends the transaction")
            << "CREATE TRIGGER refuse BEFORE UPDATE ON clients "
               "BEGIN SELECT RAISE(ROLLBACK, 'rolled back'); END"
            << 3 << false;
    }
    void insertKeepsWhatItsFlushCouldNotWrite() {
        QFETCH(QString, trigger);
        QFETCH(int, failed);
        QFETCH(bool, entryWritten);
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        QCOMPARE(s.db.execute(trigger.toStdString()), 0);
        const Key acme = s.lists.clients[0].key;
        s.lists.clients[0].client_name = "Acme Ltd";
        s.lists.clients[0].client_rate = 62.5;
        s.lists.users[0].user_Currency = "$";
        s.lists.entries[0].Time = 60;
        s.lists.clients[0].modified = s.lists.users[0].modified = s.lists.entries[0].modified =
            true;

        const Key zeta = new_client_key(s, kNow + 1);
        const InsertResult result =
            insert_and_place(s, RecordKind::Client, zeta, insert_client_sql(zeta, "Zeta", 10));
        QCOMPARE(result.rc, 0);
        QCOMPARE(result.flush.failed_records, failed);
        const RecordLists& l = s.lists;
        QCOMPARE(l.clients.size(), std::size_t(2));
        const auto client = std::find_if(l.clients.begin(), l.clients.end(),
                                         [&](const ClientRecord& c) { return c.key == acme; });
        QVERIFY(client != l.clients.end());
        QCOMPARE(client->client_name, std::string("Acme Ltd"));
        QCOMPARE(client->client_rate, 62.5);
        QVERIFY(client->modified);
        QCOMPARE(l.entries[0].Time, 60);
        QCOMPARE(l.entries[0].modified, !entryWritten);
        QCOMPARE(l.users[0].user_Currency, std::string("$"));
        QCOMPARE(s.currency, std::string("$"));

        QCOMPARE(s.db.execute("DROP TRIGGER refuse"), 0);
        QCOMPARE(flush(s).failed_records, 0);
        Reopened again(d.path);
        QCOMPARE(again.status, LoadStatus::Loaded);
        compare_lists(again.store.lists, s.lists);
    }

    void refusedInsertChangesNothing() {
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        s.lists.entries[0].Time = 60;
        s.lists.entries[0].modified = true;
        const Key taken = s.lists.clients[0].key;
        const InsertResult result =
            insert_and_place(s, RecordKind::Client, taken, insert_client_sql(taken, "Twin", 10));
        QVERIFY(result.rc != 0);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QVERIFY(s.lists.entries[0].modified); // neither flushed nor reloaded
    }

    void userTextsReadBackExactly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe") << "O'Neil";
        QTest::newRow("statement smuggled in a name") << "x',0); DROP TABLE task; --";
        QTest::newRow("only quotes") << "''";
        QTest::newRow("grave accent stays") << "O`Neil";
        QTest::newRow("non-Latin letters and euro") << QString::fromUtf8("Zoë Łukasz € 東京");
        QTest::newRow("backslash and percent") << "C:\\work\\100%";
        QTest::newRow("far beyond 32,000 characters")
            << QString(100000, QLatin1Char('n')) + QStringLiteral("'end");
    }
    void userTextsReadBackExactly() {
        QFETCH(QString, text);
        const std::string value = text.toStdString();
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        const Key added = new_client_key(s, kNow);
        QCOMPARE(
            insert_and_place(s, RecordKind::Client, added, insert_client_sql(added, value, 1)).rc,
            0);
        s.lists.projects[0].project_title = value;
        s.lists.projects[0].project_note = value;
        s.lists.tasks[0].Task_Notes = value;
        s.lists.users[0].userID = value;
        s.lists.projects[0].modified = s.lists.tasks[0].modified = s.lists.users[0].modified = true;
        QCOMPARE(flush(s).failed_records, 0);

        Reopened again(d.path);
        const RecordLists& l = again.store.lists;
        QCOMPARE(l.tasks.size(), std::size_t(1)); // the task table is still there
        const auto client =
            std::find_if(l.clients.begin(), l.clients.end(),
                         [&](const ClientRecord& c) { return c.client_name == value; });
        QVERIFY(client != l.clients.end());
        QCOMPARE(QString::fromStdString(l.projects[0].project_title), text);
        QCOMPARE(QString::fromStdString(l.projects[0].project_note), text);
        QCOMPARE(QString::fromStdString(l.tasks[0].Task_Notes), text);
        QCOMPARE(QString::fromStdString(l.users[0].userID), text);
    }

    void westernPoundByteReadsAsPound() {
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("UPDATE users SET user_Currency = CAST(X'A3' AS TEXT)"), 0);
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(5, CAST(X'436166E9' AS TEXT), 1)"), 0);
        s.currency = "$";
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.currency, std::string("\xC2\xA3"));
        QCOMPARE(s.lists.users[0].user_Currency, std::string("\xC2\xA3"));
        QCOMPARE(s.lists.clients[0].client_name, std::string("Caf\xC3\xA9"));
    }

    void emptyUsersTableKeepsDisplaySettings() {
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("DELETE FROM users"), 0);
        s.currency = "$";
        s.date_mask = "%mm/%dd/%yyyy";
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QVERIFY(s.lists.users.empty());
        QCOMPARE(s.currency, std::string("$"));
        QCOMPARE(s.date_mask, std::string("%mm/%dd/%yyyy"));
    }

    void loadOrdersAndConvertsCells() {
        NewDatabase d;
        Store& s = d.store;
        // Tasks with equal due dates fall back to the start date, then the title.
        QCOMPARE(s.db.execute("INSERT INTO task VALUES(1,0,'b',9,20,500,'',0,0)"), 0);
        QCOMPARE(s.db.execute("INSERT INTO task VALUES(2,0,'a',9,20,500,'',0,0)"), 0);
        QCOMPARE(s.db.execute("INSERT INTO task VALUES(3,0,'c',9,10,500,'',0,0)"), 0);
        QCOMPARE(s.db.execute("INSERT INTO task VALUES(4,0,'d',9,99,400,'',0,0)"), 0);
        // Cells stored as text and NULL still convert.
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(7,'Text rate','12.5')"), 0);
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(8,NULL,NULL)"), 0);
        QCOMPARE(s.db.execute("INSERT INTO Task_Detail VALUES(5,'  42x',' -3','7',257)"), 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);

        QStringList titles;
        for (const TaskRecord& t : s.lists.tasks)
            titles << QString::fromStdString(t.task_title);
        QCOMPARE(titles, (QStringList{"d", "c", "a", "b"}));
        QCOMPARE(s.lists.clients.size(), std::size_t(2));
        QCOMPARE(s.lists.clients[0].client_name, std::string());
        QCOMPARE(s.lists.clients[0].client_rate, 0.0);
        QCOMPARE(s.lists.clients[1].client_rate, 12.5);
        const TimeEntry& e = s.lists.entries.at(0);
        QCOMPARE(e.Task_Key, 42);
        QCOMPARE(e.Time, -3);
        QCOMPARE(e.date, 7);
        QCOMPARE(e.billed, std::uint8_t(1)); // a flag keeps its low 8 bits
    }

    // A time of 2^31 seconds or more is read, written by the flush and read again exactly.
    void largeTimesWriteBackExactly_data() {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<qint64>("written");
        QTest::newRow("2^31") << qint64(2147483648LL) << qint64(2147483649LL);
        QTest::newRow("beyond 32 bits") << qint64(4294967296LL) << qint64(10000000000LL);
        QTest::newRow("largest 64-bit")
            << std::numeric_limits<qint64>::max() << std::numeric_limits<qint64>::max();
        QTest::newRow("below 32 bits") << qint64(-4294967297LL) << qint64(-4294967296LL);
    }
    void largeTimesWriteBackExactly() {
        QFETCH(qint64, stored);
        QFETCH(qint64, written);
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("INSERT INTO Task_Detail VALUES(1, 1, " + std::to_string(stored) +
                              ", 0, 0)"),
                 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(qint64(s.lists.entries.at(0).Time), stored);
        s.lists.entries[0].Time = written;
        s.lists.entries[0].modified = true;
        QCOMPARE(flush(s).failed_records, 0);
        Reopened again(d.path);
        QCOMPARE(qint64(again.store.lists.entries.at(0).Time), written);
    }

    void reloadDiscardsUnsavedChanges() {
        NewDatabase d;
        Store& s = d.store;
        fill_one_of_each(s);
        const RecordLists saved = s.lists;
        s.lists.tasks[0].running = 1;
        s.lists.tasks[0].task_title = "changed";
        s.lists.tasks[0].modified = true;
        s.lists.entries[0].Time = 999;
        s.lists.restart = {11, 12};
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        compare_lists(s.lists, saved);
        QCOMPARE(s.lists.tasks[0].running, std::uint8_t(0));
        QVERIFY(!s.lists.tasks[0].modified);
        QCOMPARE(s.lists.entries[0].timing, std::uint8_t(0));
        QCOMPARE(s.lists.restart, (std::vector<std::int32_t>{11, 12}));
    }
};

OLV_TEST_CLASS(SchemaTest)
OLV_TEST_CLASS(StoreRoundTripTest)

#include "test_round_trip.moc"
