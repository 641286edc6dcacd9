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
};

OLV_TEST_CLASS(JobsTest)

#include "test_jobs.moc"
