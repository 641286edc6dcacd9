// Task timers, the one-second tick and the edits of a time entry.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QStatusBar>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "C" > project "P" (rate 36) > objective "O" > tasks "T" and "U"; "T" is selected.
struct OneObjective {
    Key objective = 0;
    explicit OneObjective(ViewsFixture& f, DateValue task_start = make_date(2026, 1, 1, 0, 0, 0)) {
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 36);
        objective = f.add_objective(project, "O");
        f.add_task(objective, "T", make_date(2027, 6, 30, 0, 0, 0), task_start);
        f.add_task(objective, "U", make_date(2027, 7, 30, 0, 0, 0));
        f.select("T");
    }
};

TaskRecord& task_named(ViewsFixture& f, const std::string& title) {
    for (TaskRecord& t : f.store->lists.tasks)
        if (t.task_title == title)
            return t;
    return f.store->lists.tasks.front();
}

enum class Refusal {
    StartComplete,
    StartTooEarly,
    CompleteRunning,
    AcceptOpen,
    EditRunning,
    DeleteEntryRunning
};

// The first cell of the first row of a query on the fixture's own connection, as a number.
int count_rows(ViewsFixture& f, const std::string& query) {
    if (f.store->db.query_table(query) != 0 || f.store->db.row_count() < 1)
        return -1;
    return std::stoi(f.store->db.cell_text(1, 0));
}

QString duration(int seconds) {
    return QString::fromStdString(format_duration(seconds));
}

} // namespace

class TimerTest : public QObject {
    Q_OBJECT

private slots:
    void refusals_data() {
        QTest::addColumn<Refusal>("refusal");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("running_after");
        QTest::newRow("a complete task does not start")
            << Refusal::StartComplete << QStringList{} << false;
        QTest::newRow("a task does not start before its day")
            << Refusal::StartTooEarly
            << QStringList{"This task is not scheduled to start until 11/12/2026"} << false;
        QTest::newRow("a running task is not completed")
            << Refusal::CompleteRunning << QStringList{"Please stop the task first"} << true;
        QTest::newRow("an open task is not accepted")
            << Refusal::AcceptOpen << QStringList{"The task is not yet complete"} << false;
        QTest::newRow("a running task is not edited")
            << Refusal::EditRunning << QStringList{"Please Stop the timer"} << true;
        QTest::newRow("an entry of a running task is not deleted")
            << Refusal::DeleteEntryRunning
            << QStringList{"Please Confirm Deletion", "Please stop the timer"} << true;
    }
    void refusals() {
        QFETCH(Refusal, refusal);
        QFETCH(QStringList, messages);
        QFETCH(bool, running_after);
        ViewsFixture f;
        const OneObjective o(f, refusal == Refusal::StartTooEarly ? make_date(2026, 12, 11, 0, 0, 0)
                                                                  : make_date(2026, 1, 1, 0, 0, 0));
        Workspace& ws = *f.ws;
        const std::int32_t t = current_position(ws);
        TaskRecord& task = task_named(f, "T");
        switch (refusal) {
        case Refusal::StartComplete:
            task.task_complete = 1;
            toggle_timer(ws, t);
            break;
        case Refusal::StartTooEarly:
            toggle_timer(ws, t);
            break;
        case Refusal::CompleteRunning:
            toggle_timer(ws, t);
            toggle_complete(ws, t);
            QCOMPARE(task.task_complete, 0);
            break;
        case Refusal::AcceptOpen:
            toggle_accepted(ws, t);
            QCOMPARE(task.task_checked, 0);
            break;
        case Refusal::EditRunning:
            toggle_timer(ws, t);
            edit_item(ws);
            QVERIFY(!f.dialog(id::TaskDialog));
            break;
        case Refusal::DeleteEntryRunning:
            toggle_timer(ws, t);
            f.list->setCurrentItem(f.list->topLevelItem(0));
            delete_time_entry(ws);
            QCOMPARE(f.entries_of("T").size(), std::size_t(1));
            break;
        }
        QCOMPARE(f.messages(), messages);
        for (const auto& shown : f.prompter.shown)
            if (shown.text != QStringLiteral("Please Confirm Deletion"))
                QCOMPARE(shown.title, QStringLiteral("Error"));
        QCOMPARE(bool(task.running), running_after);
        QCOMPARE(tree_item_at(ws, t)->text(0),
                 running_after ? QStringLiteral("T (Running)") : QStringLiteral("T"));
        if (!running_after)
            QVERIFY(f.entries_of("T").empty());
    }

    void a_task_starts_on_its_first_day() {
        ViewsFixture f;
        const OneObjective o(f, make_date(2026, 12, 11, 0, 0, 0));
        f.clock.set_wall({2026, 12, 11, 0, 0, 0});
        toggle_timer(*f.ws, current_position(*f.ws));
        QVERIFY(f.messages().isEmpty());
        QVERIFY(task_named(f, "T").running);
        QCOMPARE(f.entries_of("T").at(0).date, make_date(2026, 12, 11, 0, 0, 0));
        QCOMPARE(f.rows().size(), 1);
    }

    void a_start_the_database_refuses_is_undone() {
        ViewsFixture f;
        const OneObjective o(f);
        QCOMPARE(f.store->db.execute("DROP TABLE task_detail"), 0);
        toggle_timer(*f.ws, current_position(*f.ws));
        QCOMPARE(f.messages(), QStringList{"Could not write to Database"});
        QVERIFY(!task_named(f, "T").running);
        QVERIFY(f.item("T"));
        QVERIFY(f.store->lists.entries.empty());
        f.tick(3);
        QVERIFY(f.store->lists.entries.empty());
    }

    void every_timed_entry_counts_while_the_list_stays_put() {
        ViewsFixture f;
        const OneObjective o(f);
        Workspace& ws = *f.ws;
        toggle_timer(ws, f.position_of("T"));
        toggle_timer(ws, f.position_of("U"));
        f.select("C");
        const QStringList client_rows = f.rows();
        f.tick(4);
        QCOMPARE(f.rows(), client_rows);
        QCOMPARE(f.entries_of("T").at(0).Time, 4);
        QCOMPARE(f.entries_of("U").at(0).Time, 4);
        QVERIFY(f.entries_of("U").at(0).modified);
        QCOMPARE(f.main_window.statusBar()->currentMessage(),
                 QStringLiteral("10/12/2026 : 09:00:04"));

        // The shown task's row follows its entry; a stopped task's row stays as it is.
        f.select("U (Running)");
        toggle_timer(ws, current_position(ws));
        f.tick(1);
        QCOMPARE(f.cell(0, 1), QStringLiteral("00:00:04"));
        f.select("T (Running)");
        f.tick(3595);
        QCOMPARE(f.rows(), QStringList{"10/12/2026|01:00:00|No|£36.00|£36.00|"});

        stop_all_timers(ws);
        QVERIFY(f.item("T"));
        QVERIFY(!task_named(f, "T").running);
        f.tick(5);
        QCOMPARE(f.entries_of("T").at(0).Time, 3600);
    }

    // The seconds after 00:00 go to the new day's entry, made at that moment (its row is in the
    // file at once), so no entry holds time of two days. A late run of ticks (the clock moved on
    // several seconds at once) splits its seconds exactly: the second that ends at 00:00:00 is
    // the old day's last.
    void midnight_splits_the_seconds_data() {
        QTest::addColumn<int>("start");   // seconds before midnight the timer starts
        QTest::addColumn<int>("advance"); // seconds the clock moves before each run of ticks
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("before"); // seconds in the old day's entry
        QTest::addColumn<int>("after");  // in the new day's, -1 for no entry
        QTest::newRow("a tick each second") << 10 << 1 << 20 << 10 << 10;
        QTest::newRow("a late run over midnight") << 2 << 5 << 1 << 2 << 3;
        QTest::newRow("late runs on both sides") << 7 << 3 << 4 << 7 << 5;
        QTest::newRow("a run that ends at 00:00:00") << 5 << 5 << 1 << 5 << -1;
        QTest::newRow("a run that starts at 00:00:00") << 5 << 5 << 2 << 5 << 5;
    }
    void midnight_splits_the_seconds() {
        QFETCH(int, start);
        QFETCH(int, advance);
        QFETCH(int, runs);
        QFETCH(int, before);
        QFETCH(int, after);
        ViewsFixture f;
        const OneObjective o(f);
        f.clock.set_wall({2026, 12, 10, 23, 59, 60 - start});
        toggle_timer(*f.ws, current_position(*f.ws));
        for (int r = 0; r < runs; ++r) {
            f.clock.advance_seconds(advance);
            for (int behind = advance - 1; behind >= 0; --behind)
                timer_tick(*f.ws, behind);
        }
        const std::vector<TimeEntry> entries = f.entries_of("T");
        QCOMPARE(entries.size(), std::size_t(after < 0 ? 1 : 2));
        QCOMPARE(entries.at(0).date, make_date(2026, 12, 10, 0, 0, 0));
        QCOMPARE(entries.at(0).Time, before);
        QCOMPARE(entries.at(0).timing, std::uint8_t(after < 0 ? 1 : 0));
        if (after < 0)
            return;
        QCOMPARE(entries.at(1).date, make_date(2026, 12, 11, 0, 0, 0));
        QCOMPARE(entries.at(1).Time, after);
        QCOMPARE(entries.at(1).timing, std::uint8_t(1));
        QVERIFY(task_named(f, "T").running);
        QVERIFY(f.messages().isEmpty());
        // The new row is in the file before any flush, as a timer start writes it.
        QCOMPARE(count_rows(f, "SELECT count(*) FROM task_detail WHERE date = " +
                                   std::to_string(make_date(2026, 12, 11, 0, 0, 0))),
                 1);
        // The task on show lists both days, the new one counting.
        QCOMPARE(f.rows(), (QStringList{"10/12/2026|" + duration(before) + "|No|£36.00|" +
                                            money(before / 100.0) + "|",
                                        "11/12/2026|" + duration(after) + "|No|£36.00|" +
                                            money(after / 100.0) + "|"}));
        f.tick(1);
        QCOMPARE(f.cell(1, 1), duration(after + 1));
    }

    // Across a rebuild after midnight (an insert restarts the running timers) and a new start of
    // the program, the timer stays on the new day's entry: one entry per day.
    void the_new_day_holds_after_a_rebuild_and_a_new_start() {
        ViewsFixture f;
        const OneObjective o(f);
        f.clock.set_wall({2026, 12, 10, 23, 59, 58});
        toggle_timer(*f.ws, current_position(*f.ws));
        f.tick(5);
        f.select("U");
        new_item(*f.ws, f.position_of("O"));
        type_into(f.dialog(id::TaskDialog), id::TaskTitle, QStringLiteral("V"));
        click_button(f.dialog(id::TaskDialog), id::TaskOk);
        QVERIFY(task_named(f, "T").running);
        f.tick(2);
        QCOMPARE(f.entries_of("T").size(), std::size_t(2));
        QCOMPARE(f.entries_of("T").at(0).Time, 2);
        QCOMPARE(f.entries_of("T").at(1).Time, 5);

        // The program ends and starts again at 08:00: no timer runs, the file holds both days.
        f.restart();
        QVERIFY(!task_named(f, "T").running);
        f.clock.set_wall({2026, 12, 11, 8, 0, 0});
        toggle_timer(*f.ws, f.position_of("T"));
        f.tick(3);
        QCOMPARE(f.entries_of("T").size(), std::size_t(2));
        QCOMPARE(f.entries_of("T").at(0).Time, 2);
        QCOMPARE(f.entries_of("T").at(1).Time, 8);
    }

    // When the database refuses the new day's entry at midnight, its seconds are counted into
    // the entry being timed, which the flush writes, and one box says so. They move to the new
    // day's entry once a later try (every 20 seconds) succeeds.
    void seconds_refused_a_new_day_are_held_and_moved_later() {
        ViewsFixture f;
        const OneObjective o(f);
        f.clock.set_wall({2026, 12, 10, 23, 59, 58});
        toggle_timer(*f.ws, current_position(*f.ws));
        QCOMPARE(f.store->db.execute("CREATE TRIGGER refuse BEFORE INSERT ON task_detail "
                                     "BEGIN SELECT RAISE(ABORT, 'no'); END"),
                 0);
        f.tick(10); // 00:00:08
        QCOMPARE(f.messages(), QStringList{"Could not write to Database"});
        QCOMPARE(f.entries_of("T").size(), std::size_t(1));
        QCOMPARE(f.entries_of("T").at(0).Time, 10);
        flush_records(*f.ws);
        QCOMPARE(count_rows(f, "SELECT time FROM task_detail"), 10);

        QCOMPARE(f.store->db.execute("DROP TRIGGER refuse"), 0);
        f.tick(12); // 00:00:20: the next try is not due yet
        QCOMPARE(f.entries_of("T").size(), std::size_t(1));
        f.tick(1); // 00:00:21
        QCOMPARE(f.entries_of("T").size(), std::size_t(2));
        QCOMPARE(f.entries_of("T").at(0).Time, 2);
        QCOMPARE(f.entries_of("T").at(1).Time, 21);
        QCOMPARE(f.messages(), QStringList{"Could not write to Database"});
        flush_records(*f.ws);
        QCOMPARE(count_rows(f, "SELECT sum(time) FROM task_detail"), 23);
        QCOMPARE(count_rows(f, "SELECT time FROM task_detail WHERE date = " +
                                   std::to_string(make_date(2026, 12, 10, 0, 0, 0))),
                 2);

        // Stopped while held, the seconds stay where they are counted: on the earlier day.
        ViewsFixture g;
        const OneObjective p(g);
        g.clock.set_wall({2026, 12, 10, 23, 59, 58});
        toggle_timer(*g.ws, current_position(*g.ws));
        QCOMPARE(g.store->db.execute("CREATE TRIGGER refuse BEFORE INSERT ON task_detail "
                                     "BEGIN SELECT RAISE(ABORT, 'no'); END"),
                 0);
        g.tick(5);
        stop_all_timers(*g.ws);
        QCOMPARE(g.store->db.execute("DROP TRIGGER refuse"), 0);
        g.tick(30);
        QCOMPARE(g.entries_of("T").size(), std::size_t(1));
        QCOMPARE(g.entries_of("T").at(0).Time, 5);
        QVERIFY(g.ws->held_seconds.empty());
    }

    void entry_times_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::newRow("HH:MM:SS") << "01:30:00" << true << 5400 << "01:30:00";
        QTest::newRow("H:MM") << "1:30" << true << 5400 << "01:30:00";
        QTest::newRow("one hour digit") << "2:05:09" << true << 7509 << "02:05:09";
        QTest::newRow("days") << "1/02:03:04" << true << 93784 << "1/02:03:04";
        QTest::newRow("a day's worth of hours") << "25:00:00" << true << 90000 << "1/01:00:00";
        QTest::newRow("blanks around") << " 0:45 " << true << 2700 << "00:45:00";
        QTest::newRow("zero") << "00:00:00" << true << 0 << "00:00:00";
        QTest::newRow("letters") << "abc" << false << 125 << "00:02:05";
        QTest::newRow("empty") << "" << false << 125 << "00:02:05";
        QTest::newRow("minutes beyond 59") << "12:60" << false << 125 << "00:02:05";
        QTest::newRow("seconds beyond 59") << "01:30:60" << false << 125 << "00:02:05";
        QTest::newRow("hours beyond a day with days") << "1/24:00:00" << false << 125 << "00:02:05";
        QTest::newRow("other separators") << "01-30-00" << false << 125 << "00:02:05";
        QTest::newRow("one minute digit") << "1:5" << false << 125 << "00:02:05";
        QTest::newRow("three hour digits") << "100:00:00" << false << 125 << "00:02:05";
    }
    void entry_times() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(int, seconds);
        QFETCH(QString, shown);
        ViewsFixture f;
        const OneObjective o(f);
        f.add_entry(f.task("T").key, f.today(), 125, false);
        f.select("T");
        f.list->topLevelItem(0)->setText(1, typed);
        QCOMPARE(set_entry_time(*f.ws, typed, 0, 1), accepted);
        QCOMPARE(f.entries_of("T").at(0).Time, seconds);
        QCOMPARE(f.entries_of("T").at(0).modified, accepted);
        QCOMPARE(f.cell(0, 1), shown);
        QCOMPARE(f.cell(0, 4), money(seconds / 3600.0 * 36));
    }

    void complete_and_accepted_toggles_data() {
        QTest::addColumn<QString>("steps"); // c: Complete (toggle), a: Accepted (toggle)
        QTest::addColumn<int>("complete");
        QTest::addColumn<int>("accepted");
        QTest::addColumn<int>("image");
        QTest::newRow("completed") << "c" << 1 << 0 << image::Complete;
        QTest::newRow("completed and reopened") << "cc" << 0 << 0 << image::Task;
        QTest::newRow("accepted") << "ca" << 1 << 1 << image::Accepted;
        QTest::newRow("accepted and taken back") << "caa" << 1 << 0 << image::Complete;
        QTest::newRow("reopening clears accepted") << "cac" << 0 << 0 << image::Task;
    }
    void complete_and_accepted_toggles() {
        QFETCH(QString, steps);
        QFETCH(int, complete);
        QFETCH(int, accepted);
        QFETCH(int, image);
        ViewsFixture f;
        const OneObjective o(f);
        const std::int32_t t = current_position(*f.ws);
        flush_records(*f.ws);
        for (const QChar step : steps)
            step == QLatin1Char('c') ? toggle_complete(*f.ws, t) : toggle_accepted(*f.ws, t);
        const TaskRecord& task = task_named(f, "T");
        QCOMPARE(int(task.task_complete), complete);
        QCOMPARE(int(task.task_checked), accepted);
        QVERIFY(task.modified);
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(shown_image(tree_item_at(*f.ws, t)), image);
    }

    void billed_toggles_back_and_forth() {
        ViewsFixture f;
        const OneObjective o(f);
        f.add_entry(f.task("T").key, f.today(), 60, false);
        f.select("T");
        toggle_billed(*f.ws, 0);
        QCOMPARE(f.cell(0, 2), QStringLiteral("Yes"));
        QCOMPARE(f.entries_of("T").at(0).billed, 1);
        toggle_billed(*f.ws, 0);
        QCOMPARE(f.cell(0, 2), QStringLiteral("No"));
        QCOMPARE(f.entries_of("T").at(0).billed, 0);
        QVERIFY(f.entries_of("T").at(0).modified);
        // A row without an entry changes nothing.
        toggle_billed(*f.ws, 5);
        QCOMPARE(f.rows().size(), 1);
    }
};

OLV_TEST_CLASS(TimerTest)
#include "test_timer.moc"
