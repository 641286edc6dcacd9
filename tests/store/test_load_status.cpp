// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>

using namespace olv;
using olv::testing::file_in;
using olv::testing::write_file;

namespace {

// A store that already shows something, so a failed load that leaves it alone is seen.
void fill_with_stale_records(Store& s) {
    s.lists.users.push_back({});
    s.lists.clients.push_back({});
    s.lists.entries.push_back({});
    s.currency = "$";
    s.date_mask = "%mm/%dd/%yyyy";
}

// A database whose first page (the table list) is overwritten with noise.
QByteArray corrupt_database(const std::string& path) {
    {
        AccessLayer db;
        db.load_engine();
        db.open_database(path);
        db.execute("create table clients(key integer primary key, client_name text, "
                   "client_rate float)");
        db.execute("insert into clients values(1, 'Acme', 5)");
    }
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    QByteArray bytes = file.readAll();
    for (int i = 100; i < 4000 && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5 ^ i);
    return bytes;
}

} // namespace

class LoadStatusTest : public QObject {
    Q_OBJECT

private slots:
    void unreadableFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("text file")
            << QByteArray("Invoices 2025\nAcme: 12 hours\n").repeated(200) << QStringList();
        QTest::newRow("zero-length file") << QByteArray() << QStringList();
        QTest::newRow("database of something else")
            << QByteArray()
            << QStringList{"create table notes(body text)", "insert into notes values('hello')"};
        QTest::newRow("corrupt database") << QByteArray("corrupt") << QStringList();
    }
    void unreadableFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, statements);
        QTemporaryDir dir;
        const std::string path = file_in(dir, "odd.db");
        if (content == "corrupt")
            content = corrupt_database(path);
        write_file(path, content);
        Store s;
        s.db.load_engine();
        QVERIFY(s.db.open_database(path));
        for (const QString& statement : statements)
            QCOMPARE(s.db.execute(statement.toStdString()), 0);
        fill_with_stale_records(s);

        QCOMPARE(load_all_records(s), LoadStatus::Unreadable);
        QVERIFY(s.lists.users.empty() && s.lists.clients.empty() && s.lists.entries.empty());
        QCOMPARE(s.currency, std::string("$"));
        QCOMPARE(s.date_mask, std::string("%mm/%dd/%yyyy"));
    }

    void someTablesLoadWhatTheyHave() {
        QTemporaryDir dir;
        Store s;
        s.db.load_engine();
        QVERIFY(s.db.open_database(file_in(dir, "part.db")));
        QCOMPARE(s.db.execute("create table clients(key integer primary key, client_name text, "
                              "client_rate float)"),
                 0);
        QCOMPARE(s.db.execute("insert into clients values(3, 'Acme', 20)"), 0);
        fill_with_stale_records(s);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QCOMPARE(s.lists.clients[0].client_name, std::string("Acme"));
        QVERIFY(s.lists.users.empty() && s.lists.entries.empty());
        QCOMPARE(s.currency, std::string("$")); // no users row to take it from
    }

    // A reader of one period gets that period's entries, both edge seconds included, and every
    // other record whole.
    void entriesOfAPeriodOnly_data() {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<bool>("unbilled");
        QTest::addColumn<QString>("keys");
        QTest::newRow("everything") << qint64(-1) << qint64(-1) << false << "1 2 3 4 5";
        QTest::newRow("a day, to its last second")
            << qint64(86400) << qint64(2 * 86400 - 1) << false << "2 3 4";
        QTest::newRow("from a day on") << qint64(86400) << qint64(-1) << false << "2 3 4 5";
        QTest::newRow("up to a day") << qint64(-1) << qint64(86400 - 1) << false << "1";
        QTest::newRow("unbilled of a day")
            << qint64(86400) << qint64(2 * 86400 - 1) << true << "2 4";
    }
    void entriesOfAPeriodOnly() {
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(bool, unbilled);
        QFETCH(QString, keys);
        QTemporaryDir dir;
        Store s;
        s.db.load_engine();
        QVERIFY(s.db.open_database(file_in(dir, "period.db")));
        QCOMPARE(s.db.execute("create table clients(key integer primary key, client_name text, "
                              "client_rate float)"),
                 0);
        QCOMPARE(s.db.execute("insert into clients values(3, 'Acme', 20)"), 0);
        QCOMPARE(s.db.execute("create table task_detail(key integer primary key, task_key "
                              "integer, time integer, date integer, billed integer)"),
                 0);
        QCOMPARE(s.db.execute("insert into task_detail values(1,9,60,86399,0),(2,9,60,86400,0),"
                              "(3,9,60,100000,1),(4,9,60,172799,0),(5,9,60,172800,0)"),
                 0);
        EntryFilter filter;
        if (first >= 0)
            filter.first_date = first;
        if (last >= 0)
            filter.last_date = last;
        filter.unbilled_only = unbilled;
        QCOMPARE(load_records(s, filter), LoadStatus::Loaded);
        QStringList loaded;
        for (const TimeEntry& e : s.lists.entries)
            loaded << QString::number(e.key);
        QCOMPARE(loaded.join(' '), keys);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
    }

    void noDatabaseIsUnreadable() {
        Store s;
        s.db.load_engine();
        fill_with_stale_records(s);
        QCOMPARE(load_all_records(s), LoadStatus::Unreadable);
        QVERIFY(s.lists.clients.empty());
    }
};

OLV_TEST_CLASS(LoadStatusTest)

#include "test_load_status.moc"
