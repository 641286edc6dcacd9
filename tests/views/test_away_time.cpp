// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Away time taken out of the entries of running tasks, each second from its own day; the running
// tasks and the recently timed ones that the tray and the status bar show.
#include "test_registry.h"
#include "views/away_time.h"
#include "views_fixture.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

DateValue at(int day, int hour, int minute, int second = 0) {
    return make_date(2026, 12, day, hour, minute, second);
}

struct OneTask {
    Key task = 0;
    explicit OneTask(ViewsFixture& f) {
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 36);
        const Key objective = f.add_objective(project, "O");
        task = f.add_task(objective, "Write report");
    }
};

std::size_t index_of(const Store& store, Key key) {
    for (std::size_t t = 0; t < store.lists.tasks.size(); ++t)
        if (store.lists.tasks[t].key == key)
            return t;
    return 0;
}

// "day=seconds[*]" for each entry of the task, in date order; "*" marks the timed one.
QStringList entries_of(const Store& store, Key task) {
    QList<QPair<DateValue, QString>> found;
    for (const TimeEntry& e : store.lists.entries)
        if (e.Task_Key == task)
            found.append({e.date, QStringLiteral("%1=%2%3")
                                      .arg(date_day(e.date))
                                      .arg(e.Time)
                                      .arg(e.timing ? QStringLiteral("*") : QString())});
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList result;
    for (const auto& f : found)
        result << f.second;
    return result;
}

void set_timing(Store& store, Key task, DateValue day) {
    for (TimeEntry& e : store.lists.entries)
        if (e.Task_Key == task)
            e.timing = e.date == day ? 1 : 0;
    store.lists.tasks[index_of(store, task)].running = 1;
}

} // namespace

class AwayTimeTest : public QObject {
    Q_OBJECT

private slots:
    void removing_takes_each_day_from_its_own_entry_data() {
        QTest::addColumn<QStringList>("before"); // "day=seconds", the timed one marked "*"
        QTest::addColumn<DateValue>("from");
        QTest::addColumn<DateValue>("to");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<qint64>("removed");
        QTest::newRow("within the day")
            << QStringList{"10=5000*"} << at(10, 14, 5) << at(10, 14, 47, 10)
            << QStringList{"10=2470*"} << qint64(2530);
        QTest::newRow("over midnight, each day's entry")
            << QStringList{"10=3000", "11=1500*"} << at(10, 23, 40) << at(11, 0, 20)
            << QStringList{"10=1800", "11=300*"} << qint64(2400);
        QTest::newRow("over midnight, the old day's entry counted on")
            << QStringList{"10=5000*"} << at(10, 23, 40) << at(11, 0, 20) << QStringList{"10=2600*"}
            << qint64(2400);
        QTest::newRow("never below zero") << QStringList{"10=600*"} << at(10, 14, 0)
                                          << at(10, 14, 20) << QStringList{"10=0*"} << qint64(600);
        QTest::newRow("another day's entry stays")
            << QStringList{"9=7000", "10=5000*"} << at(10, 14, 0) << at(10, 14, 10)
            << QStringList{"9=7000", "10=4400*"} << qint64(600);
    }
    void removing_takes_each_day_from_its_own_entry() {
        QFETCH(QStringList, before);
        QFETCH(DateValue, from);
        QFETCH(DateValue, to);
        QFETCH(QStringList, after);
        QFETCH(qint64, removed);
        ViewsFixture f;
        OneTask t(f);
        DateValue timed = 0;
        for (const QString& e : before) {
            const int day = e.section(QLatin1Char('='), 0, 0).toInt();
            QString seconds = e.section(QLatin1Char('='), 1);
            if (seconds.endsWith(QLatin1Char('*'))) {
                seconds.chop(1);
                timed = at(day, 0, 0);
            }
            f.add_entry(t.task, at(day, 0, 0), seconds.toInt(), false);
        }
        set_timing(*f.store, t.task, timed);
        QCOMPARE(remove_task_seconds(*f.store, index_of(*f.store, t.task), from, to - from),
                 removed);
        QCOMPARE(entries_of(*f.store, t.task), after);

        // Written as changed, and so what the file holds after a flush.
        QCOMPARE(flush(*f.store).failed_records, 0);
        QCOMPARE(load_all_records(*f.store), LoadStatus::Loaded);
        QStringList stored = after;
        stored.replaceInStrings(QStringLiteral("*"), QString());
        QCOMPARE(entries_of(*f.store, t.task), stored);
    }

    void running_and_recent_tasks() {
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 36);
        const Key objective = f.add_objective(project, "O");
        std::vector<Key> tasks;
        for (int i = 0; i < 8; ++i)
            tasks.push_back(f.add_task(objective, "T" + std::to_string(i)));
        // T0 latest ... T7 oldest, by day; T1 and T2 share a day, T2's entry is newer.
        const int days[] = {9, 8, 8, 7, 6, 5, 4, 3};
        for (int i = 0; i < 8; ++i)
            f.add_entry(tasks[i], at(days[i], 0, 0), 100 + i, false);
        f.add_entry(tasks[1], at(10, 0, 0), 50, false); // T1 also today
        f.run(update_sql([&] {
            TaskRecord done = f.store->lists.tasks[index_of(*f.store, tasks[4])];
            done.task_complete = 1;
            return done;
        }()));
        set_timing(*f.store, tasks[1], at(10, 0, 0));

        const auto running = running_tasks(*f.store, at(10, 0, 0));
        QCOMPARE(running.size(), std::size_t(1));
        QCOMPARE(running.front().title, std::string("T1"));
        QCOMPARE(running.front().seconds_today, std::int64_t(50));

        QStringList recent;
        for (std::size_t index : recently_timed_tasks(*f.store, 5))
            recent << QString::fromStdString(f.store->lists.tasks[index].task_title);
        // Not T1 (running) nor T4 (complete).
        QCOMPARE(recent, (QStringList{"T0", "T2", "T3", "T5", "T6"}));
    }

    void durations_read_as_a_clock_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << qint64(0) << "0:00:00";
        QTest::newRow("an hour and more") << qint64(3723) << "1:02:03";
        QTest::newRow("minutes") << qint64(2530) << "0:42:10";
        QTest::newRow("past a day") << qint64(90000) << "25:00:00";
    }
    void durations_read_as_a_clock() {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(clock_duration(seconds), text);
    }
};

OLV_TEST_CLASS(AwayTimeTest)
#include "test_away_time.moc"
