// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Time entries changed by hand: time added to a day's entry of the same billed flag (or a new
// one), an entry given another day or task, both written at once; a refused write stays in
// memory and reaches the file with the next flush, also across a reload.
#include "store/day_entries.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

const DateValue kDay1 = make_date(2026, 12, 1, 0, 0, 0);
const DateValue kDay2 = make_date(2026, 12, 2, 0, 0, 0);
const DateValue kDay3 = make_date(2026, 12, 3, 0, 0, 0);
const DateValue kNow = make_date(2026, 12, 10, 9, 0, 0);
constexpr Key kCode = 400;
constexpr Key kTest = 401;

// Client, project (rate 36), objective and the tasks "Code" (400) and "Test" (401); "Code" has an
// unbilled entry of 600 s on day 1 and a billed one of 1200 s on day 2.
struct TwoTasks : NewDatabase {
    TwoTasks() {
        for (const std::string& sql :
             {insert_client_sql(100, "Acme", 30),
              insert_project_sql(200, "Web", 100, kDay1, kDay3, 36),
              insert_objective_sql(300, "Build", 200, kDay1, kDay3),
              insert_task_sql(kCode, false, "Code", 300, kDay1, kDay3, false),
              insert_task_sql(kTest, false, "Test", 300, kDay1, kDay3, false),
              std::string("INSERT INTO task_detail VALUES(500,400,600,") + std::to_string(kDay1) +
                  ",0);",
              std::string("INSERT INTO task_detail VALUES(501,400,1200,") + std::to_string(kDay2) +
                  ",1);"})
            store.db.execute(sql);
        load_all_records(store);
    }

    // A task's entries as "day|seconds|billed", in list order (memory) or by day and key (file).
    QStringList in_memory(Key task) const {
        QStringList rows;
        for (const TimeEntry& e : store.lists.entries)
            if (e.Task_Key == task)
                rows << QStringLiteral("%1|%2|%3").arg(e.date).arg(e.Time).arg(e.billed);
        return rows;
    }
    QStringList in_file(Key task) {
        Probe probe(path);
        return probe.column("SELECT date || '|' || time || '|' || billed FROM task_detail WHERE "
                            "Task_Key = " +
                            std::to_string(task) + " ORDER BY date, key");
    }
    void refuse_writes(const char* what) {
        QCOMPARE(store.db.execute(std::string("CREATE TRIGGER refuse BEFORE ") + what +
                                  " ON task_detail BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                 0);
    }
    void accept_writes() { QCOMPARE(store.db.execute("DROP TRIGGER refuse"), 0); }
};

QString row(DateValue day, qint64 seconds, int billed) {
    return QStringLiteral("%1|%2|%3").arg(day).arg(seconds).arg(billed);
}

} // namespace

class EntryEditsTest : public QObject {
    Q_OBJECT
private slots:
    void added_time_goes_to_the_entry_of_its_day_and_flag_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("billed");
        QTest::addColumn<bool>("created");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("an empty day")
            << kDay3 << 900 << false << true
            << QStringList{row(kDay1, 600, 0), row(kDay2, 1200, 1), row(kDay3, 900, 0)};
        QTest::newRow("unbilled into the unbilled entry")
            << kDay1 << 900 << false << false
            << QStringList{row(kDay1, 1500, 0), row(kDay2, 1200, 1)};
        QTest::newRow("billed beside the unbilled entry")
            << kDay1 << 900 << true << true
            << QStringList{row(kDay1, 600, 0), row(kDay1, 900, 1), row(kDay2, 1200, 1)};
        QTest::newRow("billed into the billed entry")
            << kDay2 << 900 << true << false
            << QStringList{row(kDay1, 600, 0), row(kDay2, 2100, 1)};
        QTest::newRow("unbilled beside the billed entry, which keeps its invoiced hours")
            << kDay2 << 900 << false << true
            << QStringList{row(kDay1, 600, 0), row(kDay2, 1200, 1), row(kDay2, 900, 0)};
    }
    void added_time_goes_to_the_entry_of_its_day_and_flag() {
        QFETCH(int, day);
        QFETCH(int, seconds);
        QFETCH(bool, billed);
        QFETCH(bool, created);
        QFETCH(QStringList, entries);
        TwoTasks f;
        const EntryWriteResult r = add_time_to_day(f.store, kCode, day, seconds, billed, kNow);
        QCOMPARE(r.rc, 0);
        QCOMPARE(r.created, created);
        QCOMPARE(f.store.lists.entries.at(r.index).date, day);
        QCOMPARE(f.in_memory(kCode), entries);
        // Written at once, nothing left for the flush.
        QCOMPARE(f.in_file(kCode), entries);
        for (const TimeEntry& e : f.store.lists.entries)
            QVERIFY(!e.modified && e.unwritten == 0);
        QVERIFY(f.in_memory(kTest).isEmpty());
    }

    void an_entry_holds_more_than_32_bits_of_seconds() {
        TwoTasks f;
        const std::int64_t big = std::numeric_limits<std::int32_t>::max() - 10;
        f.store.lists.entries[0].Time = big;
        const EntryWriteResult r = add_time_to_day(f.store, kCode, kDay1, 60, false, kNow);
        QCOMPARE(r.rc, 0);
        QVERIFY(!r.created);
        QCOMPARE(f.store.lists.entries[0].Time, big + 60);
        QCOMPARE(f.in_file(kCode).front(), row(kDay1, big + 60, 0));
    }

    // The timer's entry of a day (at its start and past midnight) is the unbilled one, so the
    // seconds it counts never change an invoice.
    void a_timer_counts_into_the_unbilled_entry_of_its_day() {
        TwoTasks f;
        std::size_t code = 0;
        while (f.store.lists.tasks[code].key != kCode)
            ++code;
        QVERIFY(!find_day_entry(f.store, code, kDay2));
        QCOMPARE(f.store.lists.entries.at(*find_day_entry(f.store, code, kDay2, true)).key, 501);
        const DayEntry made = day_entry(f.store, code, kDay2, kNow);
        QCOMPARE(made.rc, 0);
        QVERIFY(made.created);
        QCOMPARE(f.store.lists.entries.at(made.index).billed, 0);
        QCOMPARE(f.in_file(kCode),
                 (QStringList{row(kDay1, 600, 0), row(kDay2, 1200, 1), row(kDay2, 0, 0)}));
    }

    void refused_added_time_stays_in_memory_and_the_next_flush_writes_it_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("refused"); // the statement kind the file refuses
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("a new entry")
            << kDay3 << "INSERT"
            << QStringList{row(kDay1, 600, 0), row(kDay2, 1200, 1), row(kDay3, 900, 0)};
        QTest::newRow("into an entry")
            << kDay1 << "UPDATE" << QStringList{row(kDay1, 1500, 0), row(kDay2, 1200, 1)};
    }
    void refused_added_time_stays_in_memory_and_the_next_flush_writes_it() {
        QFETCH(int, day);
        QFETCH(QString, refused);
        QFETCH(QStringList, entries);
        TwoTasks f;
        const QStringList before = f.in_file(kCode);
        f.refuse_writes(qPrintable(refused));
        const EntryWriteResult r = add_time_to_day(f.store, kCode, day, 900, false, kNow);
        QVERIFY(r.rc != 0);
        QVERIFY(f.store.lists.entries.at(r.index).modified);
        QCOMPARE(f.in_memory(kCode), entries);
        QCOMPARE(f.in_file(kCode), before);

        // A reload after a failed flush keeps it too, still owed to the file.
        QCOMPARE(flush(f.store).failed_records, 1);
        QCOMPARE(reload_keeping_unsaved(f.store), LoadStatus::Loaded);
        QCOMPARE(f.in_memory(kCode), entries);

        f.accept_writes();
        const FlushResult written = flush(f.store);
        QVERIFY(written.committed);
        QCOMPARE(written.failed_records, 0);
        QCOMPARE(f.in_file(kCode), entries);
        QCOMPARE(flush(f.store).failed_records, 0);
        QCOMPARE(f.in_file(kCode), entries); // written once, not twice
    }

    void a_moved_entry_takes_its_time_to_the_other_task() {
        TwoTasks f;
        const EntryWriteResult r = change_time_entry(f.store, 0, {kDay3, 700, true, kTest});
        QCOMPARE(r.rc, 0);
        QCOMPARE(f.store.lists.entries.at(r.index).key, 500);
        QCOMPARE(f.in_memory(kCode), QStringList{row(kDay2, 1200, 1)});
        QCOMPARE(f.in_memory(kTest), QStringList{row(kDay3, 700, 1)});
        // The child index follows: the task's entries are found under their new task.
        std::size_t test_index = 0;
        while (f.store.lists.tasks[test_index].key != kTest)
            ++test_index;
        QCOMPARE(f.store.children().entries_of_task(test_index).size(), std::size_t{1});
        // The file holds the same, and a fresh load agrees.
        QCOMPARE(f.in_file(kCode), QStringList{row(kDay2, 1200, 1)});
        QCOMPARE(f.in_file(kTest), QStringList{row(kDay3, 700, 1)});
        QCOMPARE(load_all_records(f.store), LoadStatus::Loaded);
        QCOMPARE(f.in_memory(kTest), QStringList{row(kDay3, 700, 1)});
    }

    void a_new_day_puts_the_entry_where_a_load_would() {
        TwoTasks f;
        // Day 1's entry moves after day 2's.
        const EntryWriteResult r = change_time_entry(f.store, 0, {kDay3, 600, false, kCode});
        QCOMPARE(r.index, std::size_t{1});
        QCOMPARE(f.in_memory(kCode), (QStringList{row(kDay2, 1200, 1), row(kDay3, 600, 0)}));
        const std::vector<TimeEntry> before = f.store.lists.entries;
        QCOMPARE(load_all_records(f.store), LoadStatus::Loaded);
        QCOMPARE(f.store.lists.entries.size(), before.size());
        for (std::size_t i = 0; i < before.size(); ++i)
            QCOMPARE(f.store.lists.entries[i].key, before[i].key);
    }

    void a_refused_move_is_written_whole_by_the_next_flush() {
        TwoTasks f;
        f.refuse_writes("UPDATE");
        const EntryWriteResult r = change_time_entry(f.store, 0, {kDay3, 650, false, kTest});
        QVERIFY(r.rc != 0);
        QVERIFY(f.store.lists.entries.at(r.index).modified);
        QCOMPARE(f.in_file(kTest), QStringList{});
        QCOMPARE(flush(f.store).failed_records, 1);
        QCOMPARE(reload_keeping_unsaved(f.store), LoadStatus::Loaded);
        QCOMPARE(f.in_memory(kTest), QStringList{row(kDay3, 650, 0)});
        f.accept_writes();
        QCOMPARE(flush(f.store).failed_records, 0);
        QCOMPARE(f.in_file(kTest), QStringList{row(kDay3, 650, 0)});
        QCOMPARE(f.in_file(kCode), QStringList{row(kDay2, 1200, 1)});
    }

    void an_unchanged_entry_writes_nothing() {
        TwoTasks f;
        StatementTrace trace(f.store);
        QVERIFY(trace.active());
        const EntryWriteResult r = change_time_entry(f.store, 0, {kDay1, 600, false, kCode});
        QCOMPARE(r.rc, 0);
        QCOMPARE(trace.statements(), QStringList{});
    }
};

OLV_TEST_CLASS(EntryEditsTest)
#include "test_entry_edits.moc"
