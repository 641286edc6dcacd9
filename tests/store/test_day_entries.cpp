// Time is kept per day: stretches cut at midnight, and a task's entry of a day found or made.
#include "common/dates.h"
#include "store/day_entries.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>

using namespace olv;
using olv::testing::NewDatabase;
using olv::testing::Probe;

namespace {

constexpr DateValue kDec10 = 1765324800; // 2026-12-10 00:00:00
constexpr DateValue kDay = kSecondsPerDay;

// "day+seconds" per part, days counted from 10 December.
QString parts_text(const std::vector<DaySeconds>& parts) {
    QStringList out;
    for (const DaySeconds& p : parts)
        out << QStringLiteral("%1+%2").arg((p.day - kDec10) / kDay).arg(p.seconds);
    return out.join(QLatin1Char(' '));
}

// A client, project, objective and task (key 40) in a new database, loaded.
struct OneTask : NewDatabase {
    OneTask() {
        QCOMPARE(store.db.execute(insert_client_sql(10, "C", 0)), 0);
        QCOMPARE(store.db.execute(insert_project_sql(20, "P", 10, kDec10, kDec10, 36)), 0);
        QCOMPARE(store.db.execute(insert_objective_sql(30, "O", 20, kDec10, kDec10)), 0);
        QCOMPARE(store.db.execute(insert_task_sql(40, false, "T", 30, kDec10, kDec10, false)), 0);
        QCOMPARE(load_all_records(store), LoadStatus::Loaded);
    }
    // "day:seconds" of the task's entries in list order, days counted from 10 December.
    QString entries() const {
        QStringList out;
        for (const std::size_t e : store.children().entries_of_task(0))
            out << QStringLiteral("%1:%2")
                       .arg((store.lists.entries[e].date - kDec10) / kDay)
                       .arg(store.lists.entries[e].Time);
        return out.join(QLatin1Char(' '));
    }
};

} // namespace

class DayEntriesTest : public QObject {
    Q_OBJECT

private slots:
    void seconds_by_day_data() {
        QTest::addColumn<int>("from"); // seconds after 10 December 00:00:00
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("parts");
        QTest::newRow("within a day") << 9 * 3600 << qint64(3600) << "0+3600";
        QTest::newRow("up to midnight") << kDay - 10 << qint64(10) << "0+10";
        QTest::newRow("one second past midnight") << kDay - 10 << qint64(11) << "0+10 1+1";
        QTest::newRow("23:00 to 02:00") << 23 * 3600 << qint64(3 * 3600) << "0+3600 1+7200";
        QTest::newRow("from midnight") << kDay << qint64(5) << "1+5";
        QTest::newRow("over a whole day") << kDay - 1 << qint64(kDay + 2) << "0+1 1+86400 2+1";
        QTest::newRow("nothing") << 0 << qint64(0) << "";
        QTest::newRow("less than nothing") << 0 << qint64(-5) << "";
    }
    void seconds_by_day() {
        QFETCH(int, from);
        QFETCH(qint64, seconds);
        QFETCH(QString, parts);
        QCOMPARE(parts_text(olv::seconds_by_day(kDec10 + from, seconds)), parts);
    }

    // Each part goes to its own day's entry: the one there is, or one inserted at once.
    void time_added_by_day() {
        OneTask d;
        d.store.db.execute("INSERT INTO task_detail VALUES(1,40,100," +
                           std::to_string(kDec10 + kDay) + ",0)");
        QCOMPARE(load_all_records(d.store), LoadStatus::Loaded);
        QCOMPARE(add_time_by_day(d.store, 0, kDec10 + 23 * 3600, 3 * 3600 + 5, kDec10 + kDay), 0);
        QCOMPARE(d.entries(), QStringLiteral("0:3600 1:7305"));
        QVERIFY(d.store.lists.entries[0].modified && d.store.lists.entries[1].modified);
        // The new day's row is in the file before any flush; the time follows with the flush.
        Probe probe(d.path);
        QCOMPARE(probe.column("SELECT date FROM task_detail ORDER BY date"),
                 (QStringList{QString::number(kDec10), QString::number(kDec10 + kDay)}));
        QCOMPARE(flush(d.store).failed_records, 0);
        QCOMPARE(probe.column("SELECT time FROM task_detail ORDER BY date"),
                 (QStringList{"3600", "7305"}));
    }

    // A refused insert stops there: the days before keep their seconds, none are added after.
    void a_refused_day_stops_the_adding() {
        OneTask d;
        QCOMPARE(d.store.db.execute("CREATE TRIGGER refuse BEFORE INSERT ON task_detail WHEN "
                                    "NEW.date > " +
                                    std::to_string(kDec10) +
                                    " BEGIN SELECT RAISE(ABORT, 'no'); END"),
                 0);
        QVERIFY(add_time_by_day(d.store, 0, kDec10 + kDay - 60, 120, kDec10) != 0);
        QCOMPARE(d.entries(), QStringLiteral("0:60"));
        const DayEntry refused = day_entry(d.store, 0, kDec10 + kDay, kDec10);
        QVERIFY(refused.rc != 0);
        QCOMPARE(d.store.lists.entries.size(), std::size_t(1));
        const DayEntry found = day_entry(d.store, 0, kDec10, kDec10);
        QCOMPARE(found.rc, 0);
        QVERIFY(!found.created);
        QCOMPARE(found.index, std::size_t(0));
    }
};

OLV_TEST_CLASS(DayEntriesTest)

#include "test_day_entries.moc"
