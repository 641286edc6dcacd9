// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "period_fixture.h"
#include "reports/period_listing.h"
#include "test_registry.h"

#include <QTest>
#include <algorithm>
#include <map>

using namespace olv;
using olv::testing::day;
using olv::testing::PeriodFixture;

namespace {

QString describe(const PeriodTotals& t) {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(t.entries)
        .arg(t.seconds)
        .arg(t.billed_seconds)
        .arg(t.earned_cents)
        .arg(t.billed_cents);
}

QString describe(const PeriodEntry& e) {
    return QStringLiteral("%1 @%2 c%3 p%4 o%5 t%6 d%7 s%8 b%9 r%10 rate%11 amount%12")
        .arg(e.key)
        .arg(e.entry)
        .arg(e.client)
        .arg(e.project)
        .arg(e.objective)
        .arg(e.task)
        .arg(e.date)
        .arg(e.seconds)
        .arg(e.billed)
        .arg(e.running)
        .arg(e.rate_cents)
        .arg(e.amount_cents);
}

QStringList frame(const std::string& heading, const std::string& first_column,
                  const std::vector<PeriodRow>& rows, const PeriodTotals& totals) {
    QStringList out{QString::fromStdString(heading), QString::fromStdString(first_column)};
    for (const PeriodRow& row : rows)
        out << QString::fromStdString(row.label) + ": " + describe(row.totals);
    out << "Total: " + describe(totals);
    return out;
}

// Everything a window shows of a report, line by line: heading, rows, totals, entries.
QStringList shown(const PeriodReport& r) {
    QStringList out = frame(r.heading, r.first_column, r.rows, r.totals);
    for (const PeriodEntry& e : r.entries)
        out << describe(e);
    return out;
}

QStringList shown(const Store& store, const PeriodListing& l) {
    QStringList out = frame(l.heading, l.first_column, l.rows, l.totals);
    for (std::size_t i = 0; i < l.positions.size(); ++i)
        out << describe(listing_entry(store, l, i));
    return out;
}

// The listing agrees with a report computed afresh from the lists as they are now.
void check_against_fresh(const Store& store, const PeriodListing& l) {
    const PeriodReport fresh = period_report(store, l.scope, l.period, l.unbilled_only);
    QCOMPARE(shown(store, l), shown(fresh));
}

} // namespace

class TestPeriodListing : public QObject {
    Q_OBJECT

private slots:
    void same_as_the_report_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("period");
        QTest::addColumn<bool>("unbilled");
        const QStringList records = {"user", "acme", "bare", "shop", "build", "design"};
        const QStringList periods = {"last month", "this week", "all time", "today", "upside down"};
        for (const QString& record : records)
            for (const QString& period : periods)
                for (const bool unbilled : {false, true})
                    QTest::newRow(
                        qPrintable(record + ", " + period + (unbilled ? ", unbilled" : "")))
                        << 0 << record << period << unbilled;
    }
    void same_as_the_report() {
        QFETCH(QString, record);
        QFETCH(QString, period);
        QFETCH(bool, unbilled);
        PeriodFixture f;
        const std::map<QString, PeriodScope> scopes = {{"user", {RecordKind::User, 0}},
                                                       {"acme", {RecordKind::Client, f.acme}},
                                                       {"bare", {RecordKind::Client, f.bare}},
                                                       {"shop", {RecordKind::Project, f.shop}},
                                                       {"build", {RecordKind::Objective, f.build}},
                                                       {"design", {RecordKind::Task, f.design}}};
        const DateValue today = PeriodFixture::today();
        const std::map<QString, Period> periods = {
            {"last month", period_for(PeriodChoice::LastMonth, today)},
            {"this week", period_for(PeriodChoice::ThisWeek, today)},
            {"all time", all_time()},
            {"today", period_for(PeriodChoice::Today, today)},
            {"upside down", days_between(day(2026, 12, 1), day(2026, 11, 1))}};
        const PeriodListing l =
            period_listing(f.store, scopes.at(record), periods.at(period), unbilled);
        check_against_fresh(f.store, l);
        if (period == "upside down")
            QVERIFY(l.positions.empty());
    }

    // Worked out in two parts, the long one from copies of the entries as another thread does,
    // with the entries in no date order: the same report, in the same order.
    void in_two_parts_from_copies_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("unbilled");
        for (const QString record : {"user", "acme", "design"})
            for (const bool all : {true, false})
                for (const bool unbilled : {false, true})
                    QTest::newRow(qPrintable(record + (all ? ", all time" : ", last month") +
                                             (unbilled ? ", unbilled" : "")))
                        << record << all << unbilled;
    }
    void in_two_parts_from_copies() {
        QFETCH(QString, record);
        QFETCH(bool, all);
        QFETCH(bool, unbilled);
        PeriodFixture f;
        std::reverse(f.store.lists.entries.begin(), f.store.lists.entries.end());
        f.store.structure_changed();
        const std::map<QString, PeriodScope> scopes = {{"user", {RecordKind::User, 0}},
                                                       {"acme", {RecordKind::Client, f.acme}},
                                                       {"design", {RecordKind::Task, f.design}}};
        const Period period =
            all ? all_time() : period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        ListingPlan plan = plan_listing(f.store, scopes.at(record), period, unbilled);
        const std::vector<TimeEntry> entries = f.store.lists.entries;
        const std::vector<std::size_t> owners = f.store.children().task_of_each_entry();
        fill_listing(plan, entries, owners);
        if (record == "user")
            QVERIFY(plan.listing.positions.size() > 1);
        check_against_fresh(f.store, plan.listing);
        QVERIFY(listing_current(f.store, plan.listing));

        // Asked to stop before it starts, it gives up with no entry listed.
        ListingPlan stopped = plan_listing(f.store, scopes.at(record), period, unbilled);
        const std::atomic<bool> stop{true};
        fill_listing(stopped, entries, owners, &stop);
        QVERIFY(stopped.listing.positions.empty());
    }

    // A running timer ticks: only its entry and the totals change, and they agree with a fresh
    // computation at every tick. Stopping it leaves the figures where they were.
    void follows_a_running_timer() {
        PeriodFixture f;
        PeriodListing l = period_listing(f.store, {RecordKind::User, 0}, all_time(), false);
        QCOMPARE(l.running.size(), std::size_t(1));
        std::vector<std::size_t> changed;
        QVERIFY(follow_running(f.store, l, running_entries(f.store), changed));
        QVERIFY(changed.empty());
        for (const int seconds : {1, 1, 3598, 7200}) {
            f.store.lists.entries[f.dec10_running].Time += seconds;
            QVERIFY(follow_running(f.store, l, running_entries(f.store), changed));
            QCOMPARE(changed.size(), std::size_t(1));
            QCOMPARE(l.positions[changed[0]], std::uint32_t(f.dec10_running));
            check_against_fresh(f.store, l);
        }
        QCOMPARE(l.widest_seconds, std::int64_t(100 + 1 + 1 + 3598 + 7200));
        f.store.lists.entries[f.dec10_running].timing = 0;
        f.store.lists.tasks[f.design].running = 0;
        QVERIFY(follow_running(f.store, l, running_entries(f.store), changed));
        QVERIFY(changed.empty());
        QVERIFY(listing_current(f.store, l));
    }

    // A timer started on an entry the listing does not count as running: within the listing's
    // scope and period the listing has to be computed again; outside it, nothing changes.
    void a_new_running_entry_asks_for_a_computation() {
        PeriodFixture f;
        PeriodListing acme =
            period_listing(f.store, {RecordKind::Client, f.acme}, all_time(), false);
        PeriodListing bare =
            period_listing(f.store, {RecordKind::Client, f.bare}, all_time(), false);
        std::vector<std::size_t> changed;
        // Bare's last entry resumes today's count without a new record.
        f.store.lists.entries[f.dec01].timing = 1;
        f.store.lists.tasks[f.checking].running = 1;
        QVERIFY(follow_running(f.store, acme, running_entries(f.store), changed));
        QVERIFY(!follow_running(f.store, bare, running_entries(f.store), changed));
        // A new entry is a new structure: nothing computed before it holds.
        f.entry(f.cmd, 0, false);
        QVERIFY(!follow_running(f.store, acme, running_entries(f.store), changed));
        QVERIFY(!listing_current(f.store, acme));
    }

    // A change made elsewhere (a time edited, a flag set, a rate changed) is seen; an unchanged
    // list is current without a computation.
    void sees_changes_made_elsewhere_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("nothing") << "nothing";
        QTest::newRow("time of an entry") << "time";
        QTest::newRow("billed flag") << "billed";
        QTest::newRow("rate of a project") << "rate";
        QTest::newRow("entry outside the period") << "outside";
    }
    void sees_changes_made_elsewhere() {
        QFETCH(QString, change);
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodListing l = period_listing(f.store, {RecordKind::User, 0}, november, false);
        RecordLists& lists = f.store.lists;
        if (change == "time")
            lists.entries[f.nov30_audit].Time += 1;
        else if (change == "billed")
            lists.entries[f.nov01].billed = 1;
        else if (change == "rate")
            lists.projects[f.audit].project_rate = 20.01;
        else if (change == "outside")
            lists.entries[f.dec06].Time += 1;
        const bool unchanged = change == "nothing" || change == "outside";
        QCOMPARE(listing_current(f.store, l), unchanged);
    }

    // Marks set and taken back: the totals are summed again once and agree with a fresh
    // computation; with "unbilled only", the marked entries leave in order.
    void retotals_after_marks_data() {
        QTest::addColumn<bool>("unbilled");
        QTest::newRow("every entry") << false;
        QTest::newRow("unbilled only") << true;
    }
    void retotals_after_marks() {
        QFETCH(bool, unbilled);
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        PeriodListing l = period_listing(f.store, {RecordKind::Client, f.acme}, november, unbilled);
        const UnbilledEntries marks = unbilled_listing_entries(f.store, l);
        QCOMPARE(marks.keys.size(), std::size_t(3));
        for (TimeEntry& e : f.store.lists.entries)
            if (std::find(marks.keys.begin(), marks.keys.end(), e.key) != marks.keys.end())
                e.billed = 1;
        QVERIFY(!listing_current(f.store, l));
        retotal_listing(f.store, l);
        check_against_fresh(f.store, l);
        QVERIFY(listing_current(f.store, l));
        QVERIFY(unbilled_listing_entries(f.store, l).keys.empty());
    }

    // The running entry is never among the entries to mark, but it is counted as left.
    void the_running_entry_stays_unbilled() {
        PeriodFixture f;
        const PeriodListing l =
            period_listing(f.store, {RecordKind::Task, f.design}, all_time(), false);
        const UnbilledEntries u = unbilled_listing_entries(f.store, l);
        const UnbilledEntries expected = unbilled_entries(
            period_report(f.store, {RecordKind::Task, f.design}, all_time(), false).entries);
        QCOMPARE(u.running_left, std::int64_t(1));
        QCOMPARE(QList<Key>(u.keys.begin(), u.keys.end()),
                 QList<Key>(expected.keys.begin(), expected.keys.end()));
        QCOMPARE(describe(u.totals), describe(expected.totals));
    }
};

OLV_TEST_CLASS(TestPeriodListing)
#include "test_period_listing.moc"
