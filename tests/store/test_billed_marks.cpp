// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/billed_marks.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// One task with `count` unbilled entries of 60 seconds, keys 1000, 1001, ...
struct Entries : NewDatabase {
    explicit Entries(int count) {
        Store& s = store;
        s.db.execute("INSERT INTO clients VALUES(10,'Acme',50.00);");
        s.db.execute("INSERT INTO project VALUES(20,'Site',10,0,0,'',40.00);");
        s.db.execute("INSERT INTO objectives VALUES(30,0,'Launch',20,0,0,'');");
        s.db.execute("INSERT INTO task VALUES(40,0,'Copy',30,0,0,'',0,0);");
        s.db.execute("BEGIN");
        for (int i = 0; i < count; ++i)
            s.db.execute("INSERT INTO task_detail VALUES(" + std::to_string(1000 + i) + ",40,60," +
                         std::to_string(i * 86400) + ",0);");
        s.db.execute("COMMIT");
        load_all_records(s);
    }

    // Billed flags as stored and as held in memory, by key order: "0110".
    QString stored_flags() {
        Probe probe(path);
        return probe.column("SELECT billed FROM task_detail ORDER BY key").join(QString());
    }
    QString memory_flags() const {
        QString flags;
        for (const TimeEntry& e : store.lists.entries)
            flags += QString::number(e.billed);
        return flags;
    }
};

std::vector<Key> keys(std::initializer_list<Key> list) {
    return list;
}

} // namespace

class BilledMarksTest : public QObject {
    Q_OBJECT

private slots:
    void marksAtOnceAndBackAgain() {
        Entries d(4);
        QVERIFY(set_entries_billed(d.store, keys({1001, 1002, 4242}), true));
        QCOMPARE(d.stored_flags(), QStringLiteral("0110"));
        QCOMPARE(d.memory_flags(), QStringLiteral("0110"));

        QVERIFY(set_entries_billed(d.store, keys({1001}), false));
        QCOMPARE(d.stored_flags(), QStringLiteral("0010"));
        QCOMPARE(d.memory_flags(), QStringLiteral("0010"));
    }

    // The marks land on exactly the listed entries in memory, whether the keys lie close
    // together or far apart, listed twice or naming no entry.
    void marksExactlyTheListedKeys_data() {
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<QString>("flags");
        QTest::newRow("close together") << QList<int>{1000, 1003} << "1001";
        QTest::newRow("listed twice") << QList<int>{1002, 1002} << "0010";
        QTest::newRow("far apart") << QList<int>{1001, 2000000000} << "0100";
        QTest::newRow("below and above")
            << QList<int>{-2000000000, 1000, 1003, 2147483647} << "1001";
        QTest::newRow("none of them") << QList<int>{7, 999, 1004} << "0000";
    }
    void marksExactlyTheListedKeys() {
        QFETCH(QList<int>, marked);
        QFETCH(QString, flags);
        Entries d(4);
        const std::vector<Key> list(marked.begin(), marked.end());
        QVERIFY(set_entries_billed(d.store, list, true));
        QCOMPARE(d.stored_flags(), flags);
        QCOMPARE(d.memory_flags(), flags);
    }

    // Seconds counted since the last flush are written first, so the marks never stand on a
    // time the database does not hold; the flush leaves nothing modified.
    void pendingChangesAreFlushedFirst() {
        Entries d(2);
        TimeEntry& timed = d.store.lists.entries[1];
        timed.Time = 4000;
        timed.modified = true;
        QVERIFY(set_entries_billed(d.store, keys({1000, 1001}), true));
        QVERIFY(!timed.modified);
        Probe probe(d.path);
        QCOMPARE(probe.column("SELECT time || '/' || billed FROM task_detail ORDER BY key"),
                 QStringList({"60/1", "4000/1"}));
    }

    // Many entries take several statements; one that fails late undoes the earlier ones.
    void aLateFailureWritesNothing() {
        Entries d(1200);
        QCOMPARE(d.store.db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON task_detail "
                                    "WHEN new.key = 1150 BEGIN SELECT RAISE(ABORT, 'no'); END"),
                 0);
        std::vector<Key> all;
        for (const TimeEntry& e : d.store.lists.entries)
            all.push_back(e.key);
        QVERIFY(!set_entries_billed(d.store, all, true));
        QVERIFY(!d.store.db.in_transaction());
        QVERIFY(!d.stored_flags().contains(QLatin1Char('1')));
        QVERIFY(!d.memory_flags().contains(QLatin1Char('1')));
    }

    // Another connection holds the file: nothing is written, nothing changes in memory, and
    // once the file is free again the same marks go through.
    void lockedDatabaseChangesNothing() {
        Entries d(3);
        QCOMPARE(d.store.db.execute("PRAGMA busy_timeout = 0"), 0);
        d.store.lists.entries[0].Time = 61;
        d.store.lists.entries[0].modified = true;
        {
            AccessLayer other;
            other.load_engine();
            QVERIFY(other.open_database(d.path));
            QCOMPARE(other.execute("BEGIN EXCLUSIVE"), 0);
            QVERIFY(!set_entries_billed(d.store, keys({1000, 1002}), true));
            QCOMPARE(d.memory_flags(), QStringLiteral("000"));
            QVERIFY(d.store.lists.entries[0].modified);
            QVERIFY(!d.store.db.in_transaction());
            other.execute("ROLLBACK");
        }
        QCOMPARE(d.stored_flags(), QStringLiteral("000"));
        QVERIFY(set_entries_billed(d.store, keys({1000, 1002}), true));
        QCOMPARE(d.stored_flags(), QStringLiteral("101"));
    }

    // A cancel part way, after some keys went into the file's temporary table, writes nothing
    // and leaves nothing behind: the same mark then goes through whole.
    void aCancelWritesNothing() {
        Entries d(25000);
        std::vector<Key> all;
        for (const TimeEntry& e : d.store.lists.entries)
            all.push_back(e.key);
        int asked = 0;
        std::size_t last_done = 0;
        const MarkOutcome cancelled =
            set_entries_billed(d.store, all, true, [&](std::size_t done, std::size_t total) {
                last_done = done;
                return total == all.size() && ++asked < 2;
            });
        QCOMPARE(cancelled, MarkOutcome::Cancelled);
        QVERIFY(last_done > 0 && last_done < all.size());
        QVERIFY(!d.store.db.in_transaction());
        QVERIFY(!d.stored_flags().contains(QLatin1Char('1')));
        QVERIFY(!d.memory_flags().contains(QLatin1Char('1')));

        // Keys twice over and keys of no entry change nothing more than the listed entries.
        std::vector<Key> some{1001, 1001, 24999 + 1000, 99};
        QCOMPARE(
            set_entries_billed(d.store, some, true, [](std::size_t, std::size_t) { return true; }),
            MarkOutcome::Written);
        Probe probe(d.path);
        QCOMPARE(probe.column("SELECT key FROM task_detail WHERE billed = 1 ORDER BY key"),
                 QStringList({"1001", "25999"}));
        QVERIFY(set_entries_billed(d.store, all, true));
        QVERIFY(!d.stored_flags().contains(QLatin1Char('0')));
        QVERIFY(!d.memory_flags().contains(QLatin1Char('0')));
    }

    void noDatabaseIsAFailure() {
        Entries d(1);
        d.store.db.close_current_database();
        QVERIFY(!set_entries_billed(d.store, keys({1000}), true));
        QCOMPARE(d.memory_flags(), QStringLiteral("0"));
    }
};

OLV_TEST_CLASS(BilledMarksTest)
#include "test_billed_marks.moc"
