// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "record_fixture.h"
#include "reports/todo.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using olv::testing::RecordFixture;

namespace {

constexpr DateValue kDay = 86400;
constexpr DateValue kEnd = 1078444800; // 5 March 2004 00:00:00
constexpr DateValue kNow = kEnd + 30 * kDay;

// "level title due|OVERDUE end"
QString describe(const ToDoItem& item) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(item.level)
        .arg(QString::fromStdString(item.title))
        .arg(item.overdue ? "OVERDUE" : "due")
        .arg(item.end);
}

QStringList describe(const ToDoClient& client) {
    QStringList lines{QString::fromStdString(client.name) +
                      (client.listed ? " listed" : " not listed")};
    for (const ToDoItem& item : client.items)
        lines << describe(item);
    return lines;
}

} // namespace

class ToDoListTest : public QObject {
    Q_OBJECT

private slots:
    void due_through_the_end_day_data() {
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("now");
        QTest::addColumn<bool>("overdue");
        QTest::newRow("long before") << kEnd << kEnd - 10 * kDay << false;
        QTest::newRow("start of the end day") << kEnd << kEnd << false;
        QTest::newRow("last second of the end day") << kEnd << kEnd + kDay - 1 << false;
        QTest::newRow("midnight ending the day") << kEnd << kEnd + kDay << false;
        QTest::newRow("one second later") << kEnd << kEnd + kDay + 1 << true;
        QTest::newRow("end on the first day") << 0 << 2 * kDay << true;
        QTest::newRow("end at the last value") << 2147483647 << 2147483647 << false;
        QTest::newRow("invalid end") << -1 << kEnd << true;
    }
    void due_through_the_end_day() {
        QFETCH(int, end);
        QFETCH(int, now);
        QFETCH(bool, overdue);
        RecordFixture f;
        const auto t = f.task(f.objective(f.project(f.client("C"), "P", 0), "O"), "T");
        f.store.lists.projects[0].project_end = end;
        f.store.lists.objectives[0].ob_end = end;
        f.store.lists.tasks[t].Task_End = end;
        const auto list = to_do_list(f.store, now);
        QCOMPARE(list.size(), std::size_t(1));
        QCOMPARE(list[0].items.size(), std::size_t(3));
        for (const ToDoItem& item : list[0].items) {
            QCOMPARE(item.overdue, overdue);
            QCOMPARE(item.end, end);
        }
    }

    // Open items under complete parents are listed; only open projects flag their client.
    void open_items_client_by_client() {
        RecordFixture f;
        auto& l = f.store.lists;
        const auto acme = f.client("Acme");
        const auto bare = f.client("Bare");
        const auto cobalt = f.client("Cobalt");
        const auto dusk = f.client("Dusk");
        const auto eve = f.client("Eve");
        Q_UNUSED(bare);

        const auto p1 = f.project(acme, "Site", 0);
        const auto p3 = f.project(cobalt, "Closed", 0);
        const auto p2 = f.project(acme, "Done", 0);
        const auto p4 = f.project(dusk, "Shut", 0);
        const auto p5 = f.project(eve, "Finished", 0);
        const auto lost = f.project_of_key(f.missing_key(), "Lost", 0);
        for (auto p : {p2, p3, p4, p5})
            l.projects[p].complete = 1;
        l.projects[p1].project_end = kNow - 2 * kDay;
        l.projects[p2].project_end = kNow;
        l.projects[lost].project_end = kNow;

        const auto o1 = f.objective(p1, "Layout");
        const auto o4 = f.objective(p3, "Closed objective");
        const auto o2 = f.objective(p1, "Accepted");
        const auto o3 = f.objective(p2, "Follow-up");
        const auto o5 = f.objective(p4, "Open objective");
        const auto o6 = f.objective(p5, "Finished objective");
        for (auto o : {o2, o4, o6})
            l.objectives[o].ob_complete = 1;
        l.objectives[o1].ob_end = kNow;
        l.objectives[o3].ob_end = kNow - 5 * kDay;

        const auto t1 = f.task(o1, "Header");
        const auto t3 = f.task(o2, "Late fix");
        const auto t2 = f.task(o1, "Footer");
        const auto t5 = f.task(o4, "Open task");
        const auto t4 = f.task(o3, "Call");
        const auto t6 = f.task(o5, "Done task");
        const auto t7 = f.task(o6, "Finished task");
        for (auto t : {t2, t6, t7})
            l.tasks[t].task_complete = 1;
        l.tasks[t1].Task_End = kNow + kDay;
        l.tasks[t3].Task_End = kNow - kDay - 1;
        l.tasks[t4].Task_End = kNow;
        l.tasks[t5].Task_End = kNow;

        QList<QStringList> actual;
        for (const ToDoClient& c : to_do_list(f.store, kNow))
            actual << describe(c);
        const auto d = [](int days) { return QString::number(kNow + days * kDay); };
        const QList<QStringList> expected{
            {"Acme listed", "1 Site OVERDUE " + d(-2), "2 Layout due " + d(0),
             "3 Header due " + d(1), "3 Late fix OVERDUE " + QString::number(kNow - kDay - 1),
             "2 Follow-up OVERDUE " + d(-5), "3 Call due " + d(0)},
            {"Bare not listed"},
            {"Cobalt not listed", "3 Open task due " + d(0)},
            {"Dusk not listed", "2 Open objective OVERDUE 0"},
            {"Eve not listed"},
        };
        QCOMPARE(actual, expected);
    }

    void no_clients_no_list() {
        RecordFixture f;
        f.project_of_key(f.missing_key(), "Lost", 0);
        QVERIFY(to_do_list(f.store, kNow).empty());
    }
};

OLV_TEST_CLASS(ToDoListTest)

#include "test_todo.moc"
