// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>

using namespace olv;
using olv::testing::NewDatabase;

Q_DECLARE_METATYPE(std::vector<olv::Key>)

class NewKeyTest : public QObject {
    Q_OBJECT

private slots:
    void nextUnusedKey_data() {
        QTest::addColumn<std::vector<Key>>("taken");
        QTest::addColumn<int>("now");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty list") << std::vector<Key>{} << 1000 << 1000;
        QTest::newRow("now is free") << std::vector<Key>{999, 1001} << 1000 << 1000;
        QTest::newRow("now is taken") << std::vector<Key>{1000} << 1000 << 1001;
        QTest::newRow("a run of taken keys, unsorted")
            << std::vector<Key>{1002, 1000, 5, 1001, 1004} << 1000 << 1003;
        QTest::newRow("same key twice in a list")
            << std::vector<Key>{1000, 1000, 1001} << 1000 << 1002;
        QTest::newRow("later keys far off") << std::vector<Key>{1000, 90000} << 1000 << 1001;
    }
    void nextUnusedKey() {
        QFETCH(std::vector<Key>, taken);
        QFETCH(int, now);
        QFETCH(int, expected);
        Store s;
        for (Key k : taken) {
            s.lists.clients.emplace_back().key = k;
            s.lists.projects.emplace_back().key = k;
            s.lists.objectives.emplace_back().key = k;
            s.lists.tasks.emplace_back().key = k;
            s.lists.entries.emplace_back().key = k;
        }
        QCOMPARE(new_client_key(s, now), expected);
        QCOMPARE(new_project_key(s, now), expected);
        QCOMPARE(new_objective_key(s, now), expected);
        QCOMPARE(new_task_key(s, now), expected);
        QCOMPARE(new_time_entry_key(s, now), expected);
    }

    void keysOfOtherListsDoNotCount() {
        Store s;
        s.lists.clients.emplace_back().key = 1000;
        s.lists.entries.emplace_back().key = 1000;
        QCOMPARE(new_project_key(s, 1000), 1000);
    }

    void twoInsertsInOneSecondBothStored() {
        NewDatabase d;
        Store& s = d.store;
        const DateValue now = make_date(2026, 12, 10, 9, 0, 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        const Key one = new_client_key(s, now);
        QCOMPARE(insert_and_place(s, RecordKind::Client, one, insert_client_sql(one, "One", 1)).rc,
                 0);
        const Key two = new_client_key(s, now);
        QCOMPARE(insert_and_place(s, RecordKind::Client, two, insert_client_sql(two, "Two", 1)).rc,
                 0);
        QCOMPARE(s.lists.clients.size(), std::size_t(2));
        QCOMPARE(s.lists.clients[0].key, now);
        QCOMPARE(s.lists.clients[1].key, now + 1);

        QCOMPARE(insert_time_entry(s, 77, now, now - 9 * 3600), 0);
        QCOMPARE(insert_time_entry(s, 78, now, now - 9 * 3600), 0);
        QCOMPARE(s.lists.entries.size(), std::size_t(2));
        QCOMPARE(s.lists.entries[1].key, now + 1);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.entries.size(), std::size_t(2));
    }
};

OLV_TEST_CLASS(NewKeyTest)

#include "test_keys.moc"
