// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "record_fixture.h"
#include "store/store.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using olv::testing::RecordFixture;

namespace {

using Indices = ChildIndex::Indices;

} // namespace

class ChildIndexTest : public QObject {
    Q_OBJECT

private slots:
    // Children come in list order however the parents are ordered, and records whose parent
    // is missing belong nowhere.
    void children_in_list_order() {
        RecordFixture f;
        const auto a = f.client("A");
        const auto b = f.client("B");
        const auto pb = f.project(b, "b1", 0);
        const auto pa1 = f.project(a, "a1", 0);
        f.project_of_key(f.missing_key(), "orphan", 0);
        const auto pa2 = f.project(a, "a2", 0);
        const auto o1 = f.objective(pa2, "o1");
        const auto o2 = f.objective(pa1, "o2");
        const auto o3 = f.objective(pa2, "o3");
        const auto t1 = f.task(o3, "t1");
        const auto t2 = f.task(o1, "t2");
        const auto t3 = f.task(o3, "t3");
        const auto e1 = f.entry(t3, 1, false);
        f.entry_of_key(f.missing_key(), 1, false);
        const auto e2 = f.entry(t1, 1, false);
        const auto e3 = f.entry(t3, 1, false);

        const ChildIndex& c = f.store.children();
        QCOMPARE(c.projects_of_client(a), (Indices{pa1, pa2}));
        QCOMPARE(c.projects_of_client(b), (Indices{pb}));
        QCOMPARE(c.objectives_of_project(pa2), (Indices{o1, o3}));
        QCOMPARE(c.objectives_of_project(pa1), (Indices{o2}));
        QCOMPARE(c.objectives_of_project(pb), Indices{});
        QCOMPARE(c.tasks_of_objective(o3), (Indices{t1, t3}));
        QCOMPARE(c.tasks_of_objective(o1), (Indices{t2}));
        QCOMPARE(c.entries_of_task(t3), (Indices{e1, e3}));
        QCOMPARE(c.entries_of_task(t1), (Indices{e2}));
        QCOMPARE(c.entries_of_task(t2), Indices{});
        QCOMPARE(c.entries_of_task(1000), Indices{});
    }

    // Keys are unique in a table; should two records still share one, the first in list order
    // holds the children.
    void shared_key_gives_children_to_the_first() {
        RecordFixture f;
        const auto o = f.objective(f.project(f.client("C"), "P", 0), "O");
        const auto t1 = f.task(o, "first");
        const auto t2 = f.task(o, "second");
        f.store.lists.tasks[t2].key = f.store.lists.tasks[t1].key;
        const auto e = f.entry(t2, 60, true);
        f.store.structure_changed();
        QCOMPARE(f.store.children().entries_of_task(t1), (Indices{e}));
        QCOMPARE(f.store.children().entries_of_task(t2), Indices{});
        QCOMPARE(f.store.children().task_of_each_entry(), (Indices{t1}));
    }

    void task_of_each_entry_in_list_order() {
        RecordFixture f;
        const auto o = f.objective(f.project(f.client("C"), "P", 0), "O");
        const auto t1 = f.task(o, "one");
        const auto t2 = f.task(o, "two");
        f.store.lists.tasks[t1].key = -7;
        f.store.lists.tasks[t2].key = 0;
        f.entry(t2, 1, false);
        f.entry_of_key(f.missing_key(), 1, false);
        f.entry(t1, 1, false);
        f.entry(t2, 1, false);
        QCOMPARE(f.store.children().task_of_each_entry(),
                 (Indices{t2, ChildIndex::kNoParent, t1, t2}));
    }

    // Many parents with keys one second apart, as inserts leave them, each find their children.
    void many_close_keys() {
        RecordFixture f;
        const auto o = f.objective(f.project(f.client("C"), "P", 0), "O");
        std::vector<std::size_t> tasks;
        for (int i = 0; i < 5000; ++i)
            tasks.push_back(f.task(o, "t"));
        for (int i = 0; i < 20000; ++i)
            f.entry(tasks[static_cast<std::size_t>(i * 7919) % tasks.size()], 1, false);
        const ChildIndex& c = f.store.children();
        for (std::size_t e = 0; e < f.store.lists.entries.size(); ++e) {
            const std::size_t t = c.task_of_each_entry()[e];
            QVERIFY(t < tasks.size());
            QCOMPARE(f.store.lists.tasks[t].key, f.store.lists.entries[e].Task_Key);
        }
        std::size_t listed = 0;
        for (const std::size_t t : tasks)
            listed += c.entries_of_task(t).size();
        QCOMPARE(listed, f.store.lists.entries.size());
        QCOMPARE(c.tasks_of_objective(o).size(), tasks.size());
    }

    // The index is kept until the structure changes, then rebuilt on first use.
    void rebuilt_after_a_structure_change() {
        RecordFixture f;
        const auto t = f.task(f.objective(f.project(f.client("C"), "P", 0), "O"), "T");
        const ChildIndex* before = &f.store.children();
        QVERIFY(before->entries_of_task(t).empty());
        QCOMPARE(&f.store.children(), before);

        TimeEntry entry;
        entry.Task_Key = f.store.lists.tasks[t].key;
        f.store.lists.entries.push_back(entry);
        f.store.structure_changed();
        QCOMPARE(f.store.children().entries_of_task(t), (Indices{0}));

        f.store.lists.entries[0].Task_Key = f.missing_key();
        f.store.structure_changed();
        QVERIFY(f.store.children().entries_of_task(t).empty());
    }

    void empty_lists() {
        const Store store;
        QVERIFY(store.children().projects_of_client(0).empty());
        QVERIFY(store.children().entries_of_task(0).empty());
    }
};

class RecordAtTest : public QObject {
    Q_OBJECT

private slots:
    void record_at_data() {
        QTest::addColumn<int>("tree_pos");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::newRow("user") << 0 << int(RecordKind::User) << 0;
        QTest::newRow("client") << 1 << int(RecordKind::Client) << 0;
        QTest::newRow("project") << 2 << int(RecordKind::Project) << 0;
        QTest::newRow("objective") << 3 << int(RecordKind::Objective) << 0;
        QTest::newRow("second task") << 5 << int(RecordKind::Task) << 1;
        QTest::newRow("first match in list order") << 4 << int(RecordKind::Task) << 0;
        QTest::newRow("client before a task of the same position")
            << 6 << int(RecordKind::Client) << 1;
        QTest::newRow("nothing there") << 99 << int(RecordKind::None) << 0;
        QTest::newRow("negative") << -1 << int(RecordKind::None) << 0;
    }
    void record_at() {
        QFETCH(int, tree_pos);
        QFETCH(int, kind);
        QFETCH(int, index);
        RecordFixture f;
        auto& l = f.store.lists;
        const auto c = f.client("C");
        const auto o = f.objective(f.project(c, "P", 0), "O");
        f.task(o, "T1");
        f.task(o, "T2");
        f.task(o, "T3");
        f.client("D");
        l.users[0].tree_pos = 0;
        l.clients[0].tree_pos = 1;
        l.projects[0].tree_pos = 2;
        l.objectives[0].tree_pos = 3;
        l.tasks[0].tree_pos = 4;
        l.tasks[1].tree_pos = 5;
        l.tasks[2].tree_pos = 6;
        l.clients[1].tree_pos = 6;
        l.tasks.push_back(l.tasks[0]); // a later task at position 4
        const RecordRef ref = olv::record_at(f.store, tree_pos);
        QCOMPARE(int(ref.kind), kind);
        QCOMPARE(bool(ref), kind != int(RecordKind::None));
        if (ref)
            QCOMPARE(int(ref.index), index);
    }
};

OLV_TEST_CLASS(ChildIndexTest)
OLV_TEST_CLASS(RecordAtTest)

#include "test_child_index.moc"
