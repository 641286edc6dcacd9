// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "period_fixture.h"
#include "reports/period.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using olv::testing::day;
using olv::testing::PeriodFixture;

namespace {

QString day_text(std::int64_t d) {
    return QString::fromStdString(format_date("%yyyy-%mm-%dd", day_start(d)));
}

// "entries seconds billed-seconds earned-cents billed-cents"
QString describe(const PeriodTotals& t) {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(t.entries)
        .arg(t.seconds)
        .arg(t.billed_seconds)
        .arg(t.earned_cents)
        .arg(t.billed_cents);
}

QList<Key> keys_of(const std::vector<PeriodEntry>& entries) {
    QList<Key> keys;
    for (const PeriodEntry& e : entries)
        keys << e.key;
    return keys;
}

} // namespace

class TestPeriod : public QObject {
    Q_OBJECT

private slots:
    void periods_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<DateValue>("today");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const DateValue thu = make_date(2026, 12, 10, 23, 59, 59);
        QTest::newRow("today") << int(PeriodChoice::Today) << thu << "2026-12-10"
                               << "2026-12-10";
        QTest::newRow("this week, Thursday") << int(PeriodChoice::ThisWeek) << thu << "2026-12-07"
                                             << "2026-12-13";
        QTest::newRow("this week, Monday")
            << int(PeriodChoice::ThisWeek) << day(2026, 12, 7) << "2026-12-07"
            << "2026-12-13";
        QTest::newRow("this week, Sunday")
            << int(PeriodChoice::ThisWeek) << make_date(2026, 12, 13, 23, 0, 0) << "2026-12-07"
            << "2026-12-13";
        QTest::newRow("this week across the year")
            << int(PeriodChoice::ThisWeek) << day(2027, 1, 1) << "2026-12-28"
            << "2027-01-03";
        QTest::newRow("last week across the month")
            << int(PeriodChoice::LastWeek) << thu << "2026-11-30"
            << "2026-12-06";
        QTest::newRow("this month") << int(PeriodChoice::ThisMonth) << thu << "2026-12-01"
                                    << "2026-12-31";
        QTest::newRow("this month, leap February")
            << int(PeriodChoice::ThisMonth) << day(2028, 2, 10) << "2028-02-01"
            << "2028-02-29";
        QTest::newRow("last month") << int(PeriodChoice::LastMonth) << thu << "2026-11-01"
                                    << "2026-11-30";
        QTest::newRow("last month across the year")
            << int(PeriodChoice::LastMonth) << day(2026, 1, 31) << "2025-12-01"
            << "2025-12-31";
        QTest::newRow("this year") << int(PeriodChoice::ThisYear) << thu << "2026-01-01"
                                   << "2026-12-31";
        QTest::newRow("last year") << int(PeriodChoice::LastYear) << thu << "2025-01-01"
                                   << "2025-12-31";
    }
    void periods() {
        QFETCH(int, choice);
        QFETCH(DateValue, today);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const Period p = period_for(static_cast<PeriodChoice>(choice), today);
        QVERIFY(!p.all_time);
        QCOMPARE(day_text(p.first_day), first);
        QCOMPARE(day_text(p.last_day), last);
    }

    void period_holds_both_edges() {
        const Period p = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        QVERIFY(!p.contains(make_date(2026, 10, 31, 23, 59, 59)));
        QVERIFY(p.contains(day(2026, 11, 1)));
        QVERIFY(p.contains(make_date(2026, 11, 30, 23, 59, 59)));
        QVERIFY(!p.contains(day(2026, 12, 1)));
        QVERIFY(all_time().contains(kInvalidDate));
        QCOMPARE(period_text(p, "%dd/%mm/%yyyy"), std::string("01/11/2026 to 30/11/2026"));
        QCOMPARE(period_text(all_time(), "%dd/%mm/%yyyy"), std::string("all time"));
    }

    void amounts_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<double>("rate");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("one hour") << qint64(3600) << 45.5 << qint64(4550);
        QTest::newRow("rounded down") << qint64(35) << 0.5 << qint64(0); // 0.486 cent
        QTest::newRow("half goes up") << qint64(36) << 0.5 << qint64(1); // 0.5 cent
        QTest::newRow("half of a cent rate") << qint64(1800) << 0.01 << qint64(1);
        QTest::newRow("negative half goes down") << qint64(-1800) << 0.01 << qint64(-1);
        QTest::newRow("cents of a rate") << qint64(1000) << 45.5 << qint64(1264); // 1263.89
        QTest::newRow("rate 0") << qint64(7200) << 0.0 << qint64(0);
        QTest::newRow("rate written with more decimals") << qint64(3600) << 12.345 << qint64(1235);
        QTest::newRow("a long entry") << qint64(2'000'000'000) << 999999.99
                                      << qint64(55'555'555'000'000); // 555,555,550,000.00
    }
    void amounts() {
        QFETCH(qint64, seconds);
        QFETCH(double, rate);
        QFETCH(qint64, cents);
        QCOMPARE(amount_cents(seconds, rate_cents(rate)), cents);
    }

    void client_last_month() {
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodReport r =
            period_report(f.store, {RecordKind::Client, f.acme}, november, false);
        QCOMPARE(r.heading, std::string("Report for Client: Acme, Ltd, 01/11/2026 to 30/11/2026"));
        QCOMPARE(r.first_column, std::string("Project"));
        QCOMPARE(r.rows.size(), std::size_t(2));
        QCOMPARE(r.rows[0].label, std::string("Web \"Shop\""));
        QCOMPARE(describe(r.rows[0].totals), QStringLiteral("3 7000 5400 8847 6825"));
        QCOMPARE(r.rows[0].totals.unbilled_cents(), std::int64_t(2022));
        QCOMPARE(r.rows[1].label, std::string("Pro bono"));
        QCOMPARE(describe(r.rows[1].totals), QStringLiteral("1 7200 0 0 0"));
        QCOMPARE(describe(r.totals), QStringLiteral("4 14200 5400 8847 6825"));
        // Day first, then tree order (the task "=cmd" before "Design"), then key.
        QCOMPARE(keys_of(r.entries), (QList<Key>{f.key_of(f.nov01), f.key_of(f.nov15_free),
                                                 f.key_of(f.nov30_cmd), f.key_of(f.nov30_design)}));
    }

    void user_counts_no_orphan() {
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodReport r = period_report(f.store, {RecordKind::User, 0}, november, false);
        QCOMPARE(r.heading, std::string("Report for User: alice, 01/11/2026 to 30/11/2026"));
        QCOMPARE(r.rows.size(), std::size_t(2));
        QCOMPARE(describe(r.rows[0].totals), QStringLiteral("4 14200 5400 8847 6825"));
        QCOMPARE(describe(r.rows[1].totals), QStringLiteral("1 1800 0 1000 0"));
        // The orphan's hour counts nowhere, also not in the totals.
        QCOMPARE(describe(r.totals), QStringLiteral("5 16000 5400 9847 6825"));
        QCOMPARE(keys_of(r.entries).last(), f.key_of(f.nov30_audit));
    }

    void unbilled_only() {
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodReport r = period_report(f.store, {RecordKind::Client, f.acme}, november, true);
        QCOMPARE(describe(r.rows[0].totals), QStringLiteral("2 1600 0 2022 0"));
        QCOMPARE(describe(r.totals), QStringLiteral("3 8800 0 2022 0"));
    }

    void week_edges_and_running_timer() {
        PeriodFixture f;
        const Period week = period_for(PeriodChoice::ThisWeek, PeriodFixture::today());
        PeriodReport r = period_report(f.store, {RecordKind::Objective, f.build}, week, false);
        QCOMPARE(r.heading,
                 std::string("Report for Objective: Build\nphase, 07/12/2026 to 13/12/2026"));
        QCOMPARE(r.rows.size(), std::size_t(2));
        QCOMPARE(describe(r.rows[0].totals), QStringLiteral("0 0 0 0 0")); // Sunday's is last week
        QCOMPARE(describe(r.rows[1].totals), QStringLiteral("2 101 0 127 0"));

        // The running entry counts with its seconds so far.
        f.store.lists.entries[f.dec10_running].Time += 3500;
        r = period_report(f.store, {RecordKind::Objective, f.build}, week, false);
        QCOMPARE(describe(r.totals), QStringLiteral("2 3601 0 4551 0"));

        // It is never marked billed while its timer runs.
        const UnbilledEntries unbilled = unbilled_entries(r.entries);
        QCOMPARE(unbilled.keys, std::vector<Key>{f.key_of(f.dec07)});
        QCOMPARE(unbilled.running_left, std::int64_t(1));
        QCOMPARE(describe(unbilled.totals), QStringLiteral("1 1 0 1 0"));
    }

    void task_and_project_scopes() {
        PeriodFixture f;
        const PeriodReport task =
            period_report(f.store, {RecordKind::Task, f.cmd}, all_time(), false);
        QCOMPARE(task.heading, std::string("Report for Task: =cmd, all time"));
        QCOMPARE(task.rows.size(), std::size_t(1));
        QCOMPARE(keys_of(task.entries), (QList<Key>{f.key_of(f.oct31), f.key_of(f.nov01),
                                                    f.key_of(f.nov30_cmd), f.key_of(f.dec06)}));
        // 45.50 + 12.64 + 7.58 + 1.14
        QCOMPARE(task.totals.earned_cents, std::int64_t(6686));

        const PeriodReport project =
            period_report(f.store, {RecordKind::Project, f.audit},
                          days_between(day(2026, 12, 1), day(2026, 12, 1)), false);
        QCOMPARE(describe(project.totals), QStringLiteral("1 600 0 333 0")); // 3.33
    }

    void objective_of_another_project_counts_there_only() {
        PeriodFixture f;
        // The objective "Help" moves to the project "Audit": its entry counts for Bare now.
        f.store.lists.objectives[f.help].Project_key = f.store.lists.projects[f.audit].key;
        f.store.structure_changed();
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodReport acme =
            period_report(f.store, {RecordKind::Client, f.acme}, november, false);
        QCOMPARE(describe(acme.rows[1].totals), QStringLiteral("0 0 0 0 0"));
        const PeriodReport bare =
            period_report(f.store, {RecordKind::Client, f.bare}, november, false);
        // 7200 s now at Audit's rate of 20.00.
        QCOMPARE(describe(bare.totals), QStringLiteral("2 9000 0 5000 0"));
    }
};

OLV_TEST_CLASS(TestPeriod)
#include "test_period.moc"
