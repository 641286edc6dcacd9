// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// A long Period Report listing is worked out off the window's thread: the window keeps answering,
// shows its last figures greyed meanwhile, and what arrives equals a fresh computation.
#include "app/period_report_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace olv;
using namespace olv::testing;

namespace {

constexpr int kEntries = 120000;

// Two clients with a task each and 120,000 entries over the years, a third of them billed.
void many_years(Store& store) {
    const DateValue start = make_date(2000, 1, 1, 0, 0, 0);
    const DateValue end = make_date(2030, 1, 1, 0, 0, 0);
    AccessLayer& sql = store.db;
    sql.execute(insert_client_sql(100, "Acme Ltd", 50));
    sql.execute(insert_client_sql(101, "Zeta", 50));
    sql.execute(insert_project_sql(200, "Website", 100, start, end, 60));
    sql.execute(insert_project_sql(201, "Other", 101, start, end, 30));
    sql.execute(insert_objective_sql(300, "Launch", 200, start, end));
    sql.execute(insert_objective_sql(301, "Odds", 201, start, end));
    sql.execute(insert_task_sql(400, false, "Design", 300, start, end, false));
    sql.execute(insert_task_sql(401, false, "Misc", 301, start, end, false));
    sql.execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(kEntries - 1) +
                ") INSERT INTO task_detail SELECT 1000 + i, 400 + i % 2, 60 + i % 7 * 60, " +
                std::to_string(make_date(2010, 1, 1, 0, 0, 0)) +
                " + i / 7 * 3600, i % 3 = 0 FROM n");
}

// Lowers the size from which a listing is worked out off the window's thread, for one test.
struct BackgroundFrom {
    std::size_t kept = PeriodReportWindow::background_from;
    explicit BackgroundFrom(std::size_t n) { PeriodReportWindow::background_from = n; }
    ~BackgroundFrom() { PeriodReportWindow::background_from = kept; }
};

struct BackgroundApp : AppFixture {
    BackgroundApp() {
        prepare(many_years);
        QVERIFY(start());
    }

    void start_timer_of_task(Key key) {
        for (const TaskRecord& task : app->store().lists.tasks)
            if (task.key == key)
                select_tree_position(ws(), task.tree_pos);
        app->handle_event(menu_event(id::TaskStart, id::MainWindow));
    }

    PeriodReportWindow* open() {
        app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        return app->period_report();
    }

    static void choose(PeriodReportWindow* w, PeriodBoxItem period) {
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(period));
    }

    // The listing shown equals one computed afresh from the lists as they are now.
    void same_as_fresh(const PeriodReportWindow* w) {
        const PeriodListing& shown = w->listing();
        const PeriodListing fresh =
            period_listing(app->store(), shown.scope, shown.period, shown.unbilled_only);
        QCOMPARE(shown.positions, fresh.positions);
        QCOMPARE(shown.heading, fresh.heading);
        QCOMPARE(shown.rows.size(), fresh.rows.size());
        for (std::size_t r = 0; r < fresh.rows.size(); ++r) {
            QCOMPARE(shown.rows[r].totals.seconds, fresh.rows[r].totals.seconds);
            QCOMPARE(shown.rows[r].totals.earned_cents, fresh.rows[r].totals.earned_cents);
            QCOMPARE(shown.rows[r].totals.billed_cents, fresh.rows[r].totals.billed_cents);
        }
        QCOMPARE(shown.totals.entries, fresh.totals.entries);
        QCOMPARE(shown.totals.seconds, fresh.totals.seconds);
        QCOMPARE(shown.totals.billed_seconds, fresh.totals.billed_seconds);
        QCOMPARE(shown.totals.earned_cents, fresh.totals.earned_cents);
        QCOMPARE(shown.running.size(), fresh.running.size());
        QCOMPARE(shown.fingerprint, fresh.fingerprint);
        QVERIFY(listing_current(app->store(), shown));
    }
};

bool greyed(PeriodReportWindow* w) {
    const auto* busy = w->findChild<QLabel*>(QStringLiteral("PeriodBusy"));
    return busy && busy->isVisible() && !w->entries_list()->isEnabled() &&
           !w->rows_list()->isEnabled() &&
           !w->findChild<QPushButton*>(QString::number(id::PeriodMarkBilled))->isEnabled() &&
           !w->findChild<QPushButton*>(QString::number(id::PeriodExportCsv))->isEnabled();
}

} // namespace

class PeriodReportBackgroundTest : public QObject {
    Q_OBJECT

private slots:
    // The window's timers fire while the listing is worked out; a running timer ticks meanwhile,
    // and the figures that arrive count its seconds.
    void windowAnswersAndFiguresArriveWhole() {
        BackgroundApp f;
        const BackgroundFrom background(1000);
        f.start_timer_of_task(400);
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QStringList month_rows = [&] {
            QStringList rows;
            for (int r = 0; r < w->rows_list()->model()->rowCount(); ++r)
                rows << w->rows_list()->model()->index(r, 1).data().toString();
            return rows;
        }();

        BackgroundApp::choose(w, PeriodBoxItem::AllTime);
        QVERIFY(w->computing());
        QVERIFY(greyed(w));
        // The last figures stay in sight, greyed, until the new ones arrive.
        QCOMPARE(w->rows_list()->model()->index(0, 1).data().toString(), month_rows.first());

        int fired_while_computing = 0;
        QTimer beat;
        beat.setInterval(1);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            if (w->computing())
                ++fired_while_computing;
        });
        beat.start();
        f.clock.advance_seconds(30);
        f.app->jobs().poll();
        QTRY_VERIFY_WITH_TIMEOUT(!w->computing(), 20000);
        beat.stop();
        QVERIFY(fired_while_computing > 0);
        QVERIFY(!greyed(w));
        QVERIFY(w->entries_list()->isEnabled());
        // The task's half of the entries and the one being timed today.
        QCOMPARE(w->listing().scope.kind, RecordKind::Task);
        QCOMPARE(static_cast<int>(w->listing().positions.size()), kEntries / 2 + 1);
        QCOMPARE(w->entries_list()->model()->rowCount(), kEntries / 2 + 1);
        QCOMPARE(w->listing().running.size(), std::size_t(1));
        f.same_as_fresh(w);

        // Later ticks follow the running entry, as they do in a listing made on the spot.
        f.clock.advance_seconds(5);
        f.app->jobs().poll();
        f.same_as_fresh(w);
    }

    // A second request while the first is worked out wins: the first one's figures never show.
    void laterRequestWins() {
        BackgroundApp f;
        const BackgroundFrom background(1000);
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        BackgroundApp::choose(w, PeriodBoxItem::AllTime);
        QVERIFY(w->computing());
        w->findChild<QCheckBox*>(QString::number(id::PeriodUnbilledOnly))->setChecked(true);
        QVERIFY(w->computing());
        int shown_all = 0;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (w->listing().positions.size() == static_cast<std::size_t>(kEntries))
                ++shown_all;
        });
        watch.start();
        QTRY_VERIFY_WITH_TIMEOUT(!w->computing(), 20000);
        QTest::qWait(50);
        watch.stop();
        QCOMPARE(shown_all, 0);
        QVERIFY(w->listing().unbilled_only);
        QCOMPARE(static_cast<int>(w->listing().positions.size()), kEntries - kEntries / 3);
        f.same_as_fresh(w);
    }

    // Actions taken while a listing is on its way act on it whole; a window closed meanwhile
    // goes without a trace.
    void actionsWaitAndClosingStops() {
        BackgroundApp f;
        const BackgroundFrom background(1000);
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        BackgroundApp::choose(w, PeriodBoxItem::AllTime);
        QVERIFY(w->computing());
        f.prompter.confirm_answer = false;
        w->mark_billed();
        QVERIFY(!w->computing());
        QCOMPARE(f.prompter.shown.size(), 1);
        QVERIFY(f.prompter.shown.last().text.startsWith(
            QStringLiteral("Mark %1 entries").arg(kEntries - kEntries / 3)));

        BackgroundApp::choose(w, PeriodBoxItem::LastYear);
        BackgroundApp::choose(w, PeriodBoxItem::AllTime);
        QVERIFY(w->computing());
        const QPointer<PeriodReportWindow> gone(w);
        w->close();
        QTRY_VERIFY(!gone);
        QTest::qWait(20);
    }
};

OLV_TEST_CLASS(PeriodReportBackgroundTest)
#include "test_period_background.moc"
