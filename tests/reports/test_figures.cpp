#include "record_fixture.h"
#include "reports/figures.h"
#include "reports/format.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using olv::testing::RecordFixture;

namespace {

// "total billed earned billed-amount", amounts with two decimals.
QString describe(const Figures& f) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(f.total_seconds)
        .arg(f.billed_seconds)
        .arg(QString::fromStdString(format_cents("", f.earned_cents)))
        .arg(QString::fromStdString(format_cents("", f.billed_cents)));
}

// Three clients in list order Acme, Bare (no projects), Cobalt. Lists are interleaved the way
// a load by date leaves them, and records of missing parents are mixed in.
struct Business : RecordFixture {
    std::size_t acme, bare, cobalt;
    std::size_t design_work, audit, pro_bono;
    std::size_t design, check, build, help;
    std::size_t sketch, review, code, helping, checking;

    Business() {
        acme = client("Acme", 999); // a client's own rate is never used
        bare = client("Bare");
        cobalt = client("Cobalt", 5);
        design_work = project(acme, "Design Work", 20);
        audit = project(cobalt, "Audit", 45.5);
        pro_bono = project(acme, "Pro bono", 0);
        design = objective(design_work, "Design");
        check = objective(audit, "Check");
        build = objective(design_work, "Build");
        help = objective(pro_bono, "Help");
        sketch = task(design, "Sketch");
        review = task(design, "Review");
        code = task(build, "Code");
        checking = task(check, "Checking");
        helping = task(help, "Helping");

        entry(sketch, 3600, false);
        entry(code, 7200, true);
        entry(checking, 1800, true);
        entry(sketch, 1800, true);
        entry(helping, 3600, false);
        entry(checking, 1800, false);

        // Nothing below counts anywhere.
        const std::size_t lost_project = project_of_key(missing_key(), "Lost project", 100);
        entry(task(objective(lost_project, "Lost objective"), "Lost task"), 3600, true);
        entry(task(objective_of_key(missing_key(), "Orphan objective"), "Orphan task"), 3600, true);
        entry(task_of_key(missing_key(), "Orphan task", 50), 3600, true);
        entry_of_key(missing_key(), 3600, true);
    }
};

} // namespace

class FiguresTest : public QObject {
    Q_OBJECT

private slots:
    void task_at_its_rate() {
        RecordFixture f;
        const auto o = f.objective(f.project(f.client("C"), "P", 20), "O");
        const auto t = f.task(o, "T");
        f.entry(t, 3600, false);
        f.entry(t, 1800, true);
        const Figures figures = task_figures(f.store, t, 20);
        QCOMPARE(figures.total_seconds, 5400);
        QCOMPARE(figures.billed_seconds, 1800);
        QCOMPARE(figures.earned_cents, 3000);
        QCOMPARE(figures.billed_cents, 1000);
        QCOMPARE(describe(task_figures(f.store, f.task(o, "empty"), 20)), "0 0 0.00 0.00");
        QCOMPARE(describe(task_figures(f.store, t, 0)), "5400 1800 0.00 0.00");
    }

    void report_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("first_column");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("totals");

        QTest::newRow("user: every client, each project at its own rate")
            << int(ReportKind::User) << "alice"
            << "Report for User: alice"
            << "Client"
            << QStringList{"Acme: 16200 9000 70.00 50.00", "Bare: 0 0 0.00 0.00",
                           "Cobalt: 3600 1800 45.50 22.75"}
            << "19800 10800 115.50 72.75";
        QTest::newRow("client: its projects in list order")
            << int(ReportKind::Client) << "Acme"
            << "Report for Client: Acme"
            << "Project"
            << QStringList{"Design Work: 12600 9000 70.00 50.00", "Pro bono: 3600 0 0.00 0.00"}
            << "16200 9000 70.00 50.00";
        QTest::newRow("client without projects") << int(ReportKind::Client) << "Bare"
                                                 << "Report for Client: Bare"
                                                 << "Project" << QStringList{} << "0 0 0.00 0.00";
        QTest::newRow("project: its objectives, not another project's")
            << int(ReportKind::Project) << "Design Work"
            << "Report for Project: Design Work"
            << "Objective"
            << QStringList{"Design: 5400 1800 30.00 10.00", "Build: 7200 7200 40.00 40.00"}
            << "12600 9000 70.00 50.00";
        QTest::newRow("objective: its tasks, one without time")
            << int(ReportKind::Objective) << "Design"
            << "Report for Objective: Design"
            << "Task" << QStringList{"Sketch: 5400 1800 30.00 10.00", "Review: 0 0 0.00 0.00"}
            << "5400 1800 30.00 10.00";
        QTest::newRow("objective of another client")
            << int(ReportKind::Objective) << "Check"
            << "Report for Objective: Check"
            << "Task" << QStringList{"Checking: 3600 1800 45.50 22.75"} << "3600 1800 45.50 22.75";
    }
    void report() {
        QFETCH(int, kind);
        QFETCH(QString, record);
        QFETCH(QString, heading);
        QFETCH(QString, first_column);
        QFETCH(QStringList, rows);
        QFETCH(QString, totals);

        Business b;
        const RecordLists& l = b.store.lists;
        const std::string name = record.toStdString();
        const auto index_of = [&](const auto& list, auto title) {
            for (std::size_t i = 0; i < list.size(); ++i)
                if (list[i].*title == name)
                    return i;
            qFatal("no record %s", name.c_str());
        };
        // Once as they are, where one pass over the entries list is cheapest, and once among
        // many entries of missing tasks, where each task reads its own entries.
        for (const int padding : {0, 2000}) {
            for (int i = 0; i < padding; ++i)
                b.entry_of_key(b.missing_key(), 3600, true);
            Report r;
            switch (static_cast<ReportKind>(kind)) {
            case ReportKind::User:
                r = user_report(b.store, index_of(l.users, &UserRecord::userID));
                break;
            case ReportKind::Client:
                r = client_report(b.store, index_of(l.clients, &ClientRecord::client_name));
                break;
            case ReportKind::Project:
                r = project_report(b.store, index_of(l.projects, &ProjectRecord::project_title));
                break;
            case ReportKind::Objective:
                r = objective_report(b.store, index_of(l.objectives, &ObjectiveRecord::ob_title));
                break;
            }
            QCOMPARE(int(r.kind), kind);
            QCOMPARE(QString::fromStdString(r.heading), heading);
            QCOMPARE(QString::fromStdString(r.first_column), first_column);
            QStringList actual;
            for (const ReportRow& row : r.rows)
                actual << QString::fromStdString(row.label) + ": " + describe(row.figures);
            QCOMPARE(actual, rows);
            QCOMPARE(describe(r.totals), totals);
        }
    }

    // The detail list of an objective prices each task at its own task_rate; the project's
    // report prices the same seconds at the project's rate.
    void objective_report_uses_task_rates() {
        Business b;
        b.store.lists.tasks[b.sketch].task_rate = 40;
        const Report objective = objective_report(b.store, b.design);
        QCOMPARE(describe(objective.rows[0].figures), "5400 1800 60.00 20.00");
        QCOMPARE(describe(objective.totals), "5400 1800 60.00 20.00");
        const Report project = project_report(b.store, b.design_work);
        QCOMPARE(describe(project.rows[0].figures), "5400 1800 30.00 10.00");
    }

    void figures_of_each_level_data() {
        QTest::addColumn<int>("padding");
        QTest::newRow("few entries") << 0;
        QTest::newRow("among many others") << 2000;
    }
    void figures_of_each_level() {
        QFETCH(int, padding);
        Business b;
        for (int i = 0; i < padding; ++i)
            b.entry_of_key(b.missing_key(), 60, false);
        QCOMPARE(describe(task_figures(b.store, b.sketch, 20)), "5400 1800 30.00 10.00");
        QCOMPARE(describe(objective_figures(b.store, b.build, 20)), "7200 7200 40.00 40.00");
        QCOMPARE(describe(project_figures(b.store, b.design_work)), "12600 9000 70.00 50.00");
        QCOMPARE(describe(project_figures(b.store, b.pro_bono)), "3600 0 0.00 0.00");
        QCOMPARE(describe(client_figures(b.store, b.acme)), "16200 9000 70.00 50.00");
        QCOMPARE(describe(client_figures(b.store, b.bare)), "0 0 0.00 0.00");
    }

    // Years of time: entries and sums pass 2^31 seconds, and cents stay right where a 32-bit float
    // would have drifted (33.33 as a float is 33.330002). Each entry's amount is rounded first:
    // 2e9 seconds at 33.33 is 18,516,666.666... and counts as 18,516,666.67.
    void long_sums_keep_seconds_and_cents() {
        RecordFixture f;
        const auto c = f.client("Big");
        const auto o = f.objective(f.project(c, "Decade", 33.33), "O");
        const auto t = f.task(o, "T");
        for (int i = 0; i < 4; ++i)
            f.entry(t, 2000000000, i % 2 == 0);
        const auto hours = f.task(f.objective(f.project(c, "Hours", 33.33), "O2"), "T2");
        f.entry(hours, 360000000, false);

        QCOMPARE(describe(client_figures(f.store, c)),
                 "8360000000 4000000000 77399666.68 37033333.34");
        const Report user = user_report(f.store, 0);
        QCOMPARE(user.totals.total_seconds, 8360000000LL);
        QCOMPARE(describe(client_report(f.store, c).rows[1].figures),
                 "360000000 0 3333000.00 0.00");
    }

    // One money rule at every level: the amounts of the entries are rounded to the cent, half
    // away from zero, before they are added. At 45.00 an hour a second is 1.25p: entries of 1s,
    // 2s and 3s are 1p, 3p (2.5 rounds up) and 4p (3.75), 8p in all where their unrounded sum
    // (6s = 7.5p) would give 8p too, but 2s + 2s gives 3p + 3p = 6p, not 5p.
    void sums_of_amounts_rounded_per_entry_data() {
        QTest::addColumn<QList<qint64>>("seconds"); // negative: billed
        QTest::addColumn<QString>("figures");
        QTest::newRow("halves round up in each entry") << QList<qint64>{2, -2} << "4 2 0.06 0.03";
        QTest::newRow("below half rounds down in each entry")
            << QList<qint64>{1, 1, 1, 1} << "4 0 0.04 0.00";
        QTest::newRow("a long entry and a short one")
            << QList<qint64>{18162, -2} << "18164 2 227.06 0.03";
        QTest::newRow("2^31 seconds and more")
            << QList<qint64>{2147483648LL, -2} << "2147483650 2 26843545.63 0.03";
    }
    void sums_of_amounts_rounded_per_entry() {
        QFETCH(QList<qint64>, seconds);
        QFETCH(QString, figures);
        RecordFixture f;
        const auto c = f.client("C");
        const auto p = f.project(c, "P", 45);
        const auto o = f.objective(p, "O");
        const auto t = f.task(o, "T");
        for (const qint64 s : seconds)
            f.entry(t, s < 0 ? -s : s, s < 0);
        // These entries are all there are: the figures take one pass over the entries list.
        QCOMPARE(describe(user_report(f.store, 0).totals), figures);
        const auto check_levels = [&] {
            QCOMPARE(describe(task_figures(f.store, t, 45)), figures);
            QCOMPARE(describe(objective_figures(f.store, o, 45)), figures);
            QCOMPARE(describe(project_figures(f.store, p)), figures);
            QCOMPARE(describe(client_figures(f.store, c)), figures);
            QCOMPARE(describe(objective_report(f.store, o).totals), figures);
            QCOMPARE(describe(client_report(f.store, c).rows.at(0).figures), figures);
        };
        check_levels();
        // Among many entries of another client they are read through the index instead.
        const auto other = f.task(f.objective(f.project(f.client("D"), "Q", 45), "O2"), "T2");
        for (int i = 0; i < 40; ++i)
            f.entry(other, 1, false);
        check_levels();
    }
};

OLV_TEST_CLASS(FiguresTest)

#include "test_figures.moc"
