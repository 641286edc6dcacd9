// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/jobs.h"
#include "common/clock.h"
#include "test_registry.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace olv;

namespace {

// Jobs whose runs are written down in order: "t" tick, "f" flush, "r" refresh.
struct Recorded {
    ManualClock clock;
    Jobs jobs{clock};
    QStringList log;
    std::function<void()> inside_flush;

    Recorded() {
        jobs.start([this] { log << QStringLiteral("t"); },
                   [this] {
                       log << QStringLiteral("f");
                       if (inside_flush)
                           inside_flush();
                       log << QStringLiteral("f-end");
                   },
                   [this] { log << QStringLiteral("r"); });
    }
    int count(const char* what) const { return log.count(QString::fromLatin1(what)); }
};

} // namespace

class JobsTest : public QObject {
    Q_OBJECT

private slots:
    void every_elapsed_period_counts_data() {
        QTest::addColumn<QList<int>>("advances"); // ms, each followed by a timer firing
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("flushes");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("timers on time") << QList<int>{1000, 1000, 1000, 1000, 1000} << 5 << 0 << 2;
        QTest::newRow("a timer 3.5 s late ticks three times") << QList<int>{3500} << 3 << 0 << 1;
        QTest::newRow("just short of a second") << QList<int>{999} << 0 << 0 << 0;
        QTest::newRow("fractions add up") << QList<int>{600, 600, 600, 600} << 2 << 0 << 1;
        QTest::newRow("twenty seconds at once") << QList<int>{20000} << 20 << 1 << 1;
        QTest::newRow("a minute in half seconds") << QList<int>(120, 500) << 60 << 3 << 30;
    }
    void every_elapsed_period_counts() {
        QFETCH(QList<int>, advances);
        QFETCH(int, ticks);
        QFETCH(int, flushes);
        QFETCH(int, refreshes);
        Recorded r;
        for (int ms : advances) {
            r.clock.advance_ms(ms);
            r.jobs.poll();
        }
        QCOMPARE(r.count("t"), ticks);
        QCOMPARE(r.count("f"), flushes);
        QCOMPARE(r.count("r"), refreshes);
    }

    void a_job_due_in_a_handler_runs_when_it_returns() {
        Recorded r;
        {
            Jobs::Busy handler(r.jobs);
            {
                Jobs::Busy nested(r.jobs);
                r.clock.advance_seconds(5);
                r.jobs.poll();
            }
            r.jobs.poll();
            QVERIFY(r.log.isEmpty());
        }
        QCOMPARE(r.count("t"), 5);
        QCOMPARE(r.count("r"), 1); // a late refresh once is enough
    }

    void a_modal_window_in_a_handler_lets_the_jobs_run() {
        Recorded r;
        {
            Jobs::Busy handler(r.jobs);
            r.clock.advance_seconds(1);
            r.jobs.poll();
            QVERIFY(r.log.isEmpty());
            {
                // The handler asks a question; the user takes 2 s to answer.
                Jobs::ModalWait box(r.jobs);
                QVERIFY(r.jobs.in_handler());
                r.clock.advance_seconds(2);
                r.jobs.poll();
                QCOMPARE(r.count("t"), 3);
            }
            // After the answer the handler goes on changing the lists: the jobs wait again.
            QVERIFY(r.jobs.busy());
            r.clock.advance_seconds(1);
            r.jobs.poll();
            QCOMPARE(r.count("t"), 3);
        }
        QCOMPARE(r.count("t"), 4);
        QVERIFY(!r.jobs.in_handler());
    }

    void a_box_opened_by_a_job_data() {
        QTest::addColumn<bool>("modal");
        QTest::addColumn<int>("ticks_inside");
        // A timer firing inside the flush itself waits for its end; one firing while the
        // flush's box waits for an answer runs.
        QTest::newRow("no window") << false << 0;
        QTest::newRow("a message box") << true << 3;
    }
    void a_box_opened_by_a_job() {
        QFETCH(bool, modal);
        QFETCH(int, ticks_inside);
        Recorded r;
        // The flush waits 3 s while the timers keep firing.
        r.inside_flush = [&r, modal] {
            r.inside_flush = nullptr;
            std::optional<Jobs::ModalWait> box;
            if (modal)
                box.emplace(r.jobs);
            for (int i = 0; i < 3; ++i) {
                r.clock.advance_seconds(1);
                r.jobs.poll();
            }
        };
        r.clock.advance_seconds(20);
        r.jobs.poll();
        const int flush_start = r.log.indexOf(QStringLiteral("f"));
        const int flush_end = r.log.indexOf(QStringLiteral("f-end"));
        QCOMPARE(r.log.mid(flush_start, flush_end - flush_start).count(QStringLiteral("t")),
                 ticks_inside);
        QCOMPARE(r.count("t"), 23);
        QCOMPARE(r.count("f"), 1);
    }

    void the_end_counts_every_second_that_passed() {
        Recorded r;
        Jobs::Busy closing(r.jobs);
        r.clock.advance_ms(3500);
        r.jobs.catch_up_ticks();
        QCOMPARE(r.log, QStringList(3, QStringLiteral("t")));
        // A timer firing later does not count them again.
        r.clock.advance_ms(500);
        r.jobs.catch_up_ticks();
        QCOMPARE(r.count("t"), 4);
    }

    void the_idle_hook_runs_before_and_after_the_jobs() {
        Recorded r;
        r.jobs.on_idle = [&r] { r.log << QStringLiteral("idle"); };
        {
            Jobs::Busy handler(r.jobs);
            r.clock.advance_seconds(1);
        }
        // After the jobs too: one of them may have waited for a box during which the program
        // was asked to end.
        QCOMPARE(r.log, (QStringList{QStringLiteral("idle"), QStringLiteral("t"),
                                     QStringLiteral("idle")}));
    }

    void stopped_jobs_stay_still() {
        Recorded r;
        r.clock.advance_seconds(1);
        r.jobs.poll();
        r.jobs.stop();
        r.clock.advance_seconds(30);
        r.jobs.poll();
        QCOMPARE(r.log, QStringList{QStringLiteral("t")});
        const auto timers = r.jobs.findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        for (QTimer* timer : timers)
            QVERIFY(!timer->isActive());
    }

    // At rest the program wakes once a second: one precise timer at the tick's period finds the
    // flush and the status refresh due as well.
    void one_precise_timer_drives_all_three_jobs() {
        Recorded r;
        const auto timers = r.jobs.findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(timers.front()->isActive());
        QCOMPARE(timers.front()->timerType(), Qt::PreciseTimer);
        QCOMPARE(timers.front()->interval(), 1000);
    }

    // At rest the one timer is set once, to the first moment a job has work.
    void at_rest_the_timer_waits_for_the_next_due_moment_data() {
        QTest::addColumn<bool>("pending");
        QTest::addColumn<qint64>("to_day_change");
        QTest::addColumn<int>("interval");
        QTest::newRow("nothing to write: the day change")
            << false << qint64(3'600'000) << 3'600'000;
        QTest::newRow("records to write: the next flush") << true << qint64(3'600'000) << 14'500;
        QTest::newRow("the day changes before the flush") << true << qint64(4'000) << 4'000;
    }
    void at_rest_the_timer_waits_for_the_next_due_moment() {
        QFETCH(bool, pending);
        QFETCH(qint64, to_day_change);
        QFETCH(int, interval);
        Recorded r;
        r.jobs.flush_pending = [pending] { return pending; };
        r.jobs.ms_to_day_change = [to_day_change] { return to_day_change; };
        r.clock.advance_ms(5'500);
        r.jobs.set_resting(true);
        const auto timers = r.jobs.findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(timers.front()->isActive());
        QVERIFY(timers.front()->isSingleShot());
        QCOMPARE(timers.front()->interval(), interval);
        QVERIFY(r.log.isEmpty());
    }

    void at_rest_only_the_flush_and_the_day_change_run() {
        Recorded r;
        bool pending = true;
        std::int64_t to_midnight = 60'000;
        r.jobs.flush_pending = [&pending] { return pending; };
        r.jobs.ms_to_day_change = [&to_midnight] { return to_midnight; };
        r.jobs.set_resting(true);
        // The flush wakes the timer at 20 s and writes everything.
        r.clock.advance_ms(20'000);
        r.jobs.poll();
        QCOMPARE(r.log,
                 (QStringList{QStringLiteral("f"), QStringLiteral("f-end"), QStringLiteral("r")}));
        pending = false;
        to_midnight = 40'000;
        r.log.clear();
        r.jobs.set_resting(true);
        QCOMPARE(r.jobs.findChildren<QTimer*>().front()->interval(), 40'000);
        // The day changes: the status refresh runs, even were its period not over.
        r.clock.advance_ms(40'000);
        to_midnight = 86'400'000;
        r.jobs.poll();
        QCOMPARE(r.log, QStringList{QStringLiteral("r")});
        QCOMPARE(r.jobs.findChildren<QTimer*>().front()->interval(), 86'400'000);

        // Back from rest: the seconds at rest counted nothing, the next whole one ticks once.
        r.log.clear();
        r.clock.advance_ms(300);
        r.jobs.set_resting(false);
        const QTimer* timer = r.jobs.findChildren<QTimer*>().front();
        QVERIFY(timer->isSingleShot());
        QCOMPARE(timer->interval(), 700);
        r.clock.advance_ms(700);
        r.jobs.poll();
        QCOMPARE(r.count("t"), 1);
        QVERIFY(timer->isActive());
        QVERIFY(!timer->isSingleShot());
        QCOMPARE(timer->interval(), 1000);
        r.jobs.catch_up_ticks();
        QCOMPARE(r.count("t"), 1);
    }

    void at_rest_the_end_counts_no_second() {
        Recorded r;
        r.jobs.ms_to_day_change = [] { return std::int64_t(1'000'000); };
        r.jobs.set_resting(true);
        r.clock.advance_seconds(90);
        r.jobs.catch_up_ticks();
        QVERIFY(r.log.isEmpty());
    }
};

OLV_TEST_CLASS(JobsTest)

#include "test_jobs.moc"
