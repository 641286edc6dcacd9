// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

using namespace olv;
using olv::testing::file_in;
using olv::testing::Probe;

namespace {

constexpr const char* kNoError = "";

// A table with a NULL cell and an empty text, so the two read differently.
void make_cells_table(AccessLayer& db) {
    QCOMPARE(db.execute("create table t(a text, b text)"), 0);
    QCOMPARE(db.execute("insert into t values('x', NULL)"), 0);
    QCOMPARE(db.execute("insert into t values('', 'y')"), 0);
}

// Restores the engine library variable whatever the test did with it.
struct LibraryVariable {
    LibraryVariable() : saved(qgetenv("OLVESSA_SQLITE_LIBRARY")), had(!saved.isNull()) {}
    ~LibraryVariable() {
        if (had)
            qputenv("OLVESSA_SQLITE_LIBRARY", saved);
        else
            qunsetenv("OLVESSA_SQLITE_LIBRARY");
    }
    QByteArray saved;
    bool had;
};

} // namespace

class AccessLayerCellsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    AccessLayer db_;

private slots:
    void initTestCase() {
        QVERIFY(db_.load_engine());
        QVERIFY(db_.open_database(file_in(dir_, "cells.db")));
        make_cells_table(db_);
    }

    void cellText_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("header names column 0") << 0 << 0 << "a" << kNoError;
        QTest::newRow("header names column 1") << 0 << 1 << "b" << kNoError;
        QTest::newRow("first data row") << 1 << 0 << "x" << kNoError;
        QTest::newRow("last data row") << 2 << 1 << "y" << kNoError;
        QTest::newRow("empty text is no failure") << 2 << 0 << "" << kNoError;
        QTest::newRow("NULL cell") << 1 << 1 << ""
                                   << "DBLayer: the cell is empty";
        QTest::newRow("row after the last") << 3 << 0 << ""
                                            << "DBLayer: row number too high";
        QTest::newRow("negative row counts as too high") << -1 << 0 << ""
                                                         << "DBLayer: row number too high";
        QTest::newRow("column after the last") << 1 << 2 << ""
                                               << "DBLayer: column number too high";
        QTest::newRow("negative column counts as too high") << 1 << -1 << ""
                                                            << "DBLayer: column number too high";
    }
    void cellText() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QCOMPARE(db_.query_table("select a, b from t order by rowid"), 0);
        QCOMPARE(db_.row_count(), 2);
        QCOMPARE(QString::fromStdString(db_.last_error()), QString());
        QCOMPARE(QString::fromStdString(db_.cell_text(row, column)), text);
        QCOMPARE(QString::fromStdString(db_.last_error()), error);
        // The unchecked reader agrees, telling NULL from the empty text.
        const char* raw = db_.cell(row, column);
        QCOMPARE(raw == nullptr, error != kNoError);
        if (raw)
            QCOMPARE(QString::fromUtf8(raw), text);
    }

    void queryWithoutRowsKeepsNoGrid() {
        QCOMPARE(db_.query_table("select a from t where 0"), 0);
        QCOMPARE(db_.row_count(), 0);
        QCOMPARE(QString::fromStdString(db_.last_error()),
                 QStringLiteral("DBLayer: The table has no rows"));
        QCOMPARE(QString::fromStdString(db_.cell_text(1, 0)), QString());
        QCOMPARE(QString::fromStdString(db_.last_error()),
                 QStringLiteral("DBLayer: row number too high"));
        QCOMPARE(db_.column_count(), 0);
    }

    void failedQueryReturnsEngineCodeAndDropsCurrentResult() {
        QCOMPARE(db_.query_table("select a from t"), 0);
        QCOMPARE(db_.query_table("select * from missing"), 1);
        QVERIFY(QString::fromStdString(db_.last_error()).contains("no such table: missing"));
        QCOMPARE(db_.row_count(), 0);
        QCOMPARE(db_.cell(1, 0), nullptr);
    }

    void severalStatementsFillOneGrid() {
        QCOMPARE(
            db_.query_table("select a from t where rowid = 1; select b from t where rowid = 2"), 0);
        QCOMPARE(db_.row_count(), 2);
        QCOMPARE(QString::fromStdString(db_.cell_text(0, 0)), QStringLiteral("a"));
        QCOMPARE(QString::fromStdString(db_.cell_text(2, 0)), QStringLiteral("y"));
    }

    void resultsLiveUnderTheirNumbers() {
        QCOMPARE(db_.query_numbered_table(5, "select a from t"), 0);
        QCOMPARE(db_.query_numbered_table(6, "select a from t where rowid = 1"), 0);
        QCOMPARE(db_.table_row_count(5), 2);
        QCOMPARE(db_.table_row_count(6), 1);
        QCOMPARE(db_.table_row_count(9), AccessLayer::kNoDatabase);
        QCOMPARE(QString::fromStdString(db_.last_error()),
                 QStringLiteral("DBLayer: Handle not found"));
        // A later query under a number replaces only that number's result.
        QCOMPARE(db_.query_numbered_table(5, "select a from t where 0"), 0);
        QCOMPARE(db_.table_row_count(5), 0);
        QCOMPARE(db_.table_row_count(6), 1);
    }

    void releasedResultReadsAsEmpty() {
        QCOMPARE(db_.query_table("select a from t"), 0);
        db_.release_current_result();
        QCOMPARE(db_.row_count(), 0);
        QCOMPARE(db_.cell(1, 0), nullptr);
    }
};

class AccessLayerConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void executeWithoutDatabaseIsNeitherSuccessNorSqlError() {
        AccessLayer db;
        QVERIFY(db.load_engine());
        const int rc = db.execute("create table x(a)");
        QVERIFY(rc != 0 && rc != 1);
        QCOMPARE(QString::fromStdString(db.last_error()),
                 QStringLiteral("DBLayer: there's no current database handle"));
        QVERIFY(db.query_table("select 1") != 0);
        QCOMPARE(QString::fromStdString(db.last_error()),
                 QStringLiteral("DBLayer: Handle not found"));
        QCOMPARE(db.row_count(), 0);
    }

    void executeReturnsTheEngineCode() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_database(file_in(dir, "codes.db")));
        QCOMPARE(db.execute("create table k(key integer primary key)"), 0);
        QCOMPARE(db.execute("insert into k values(1)"), 0);
        QCOMPARE(db.execute("insert into k values(1)") & 0xff, 19); // constraint
        QVERIFY(QString::fromStdString(db.last_error()).contains("UNIQUE"));
        QCOMPARE(db.execute("not sql at all"), 1);
        QCOMPARE(db.execute("insert into k values(2)"), 0);
        QCOMPARE(QString::fromStdString(db.last_error()), QString());
    }

    // A load while the engine is loaded hands back the same library and leaves the open
    // databases alone, whatever name it is given.
    void loadingAgainChangesNothing() {
        QTemporaryDir dir;
        AccessLayer db;
        void* library = db.load_engine();
        QVERIFY(library);
        QVERIFY(db.open_database(file_in(dir, "again.db")));
        QCOMPARE(db.load_engine("/nonexistent/libsqlite3.so.0"), library);
        QCOMPARE(db.engine_loaded(), library);
        QVERIFY(db.has_current_database());
        QCOMPARE(db.execute("create table t(a)"), 0);
    }

    void secondFileUnderSameNumberReplacesTheFirst() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        void* first = db.open_database(file_in(dir, "first.db"));
        QVERIFY(first);
        QCOMPARE(db.execute("create table only_first(a)"), 0);
        QCOMPARE(db.query_table("select * from sqlite_master"), 0);
        void* second = db.open_database(file_in(dir, "second.db"));
        QVERIFY(second && second != first);
        QCOMPARE(db.current_handle(), second);
        // The first file's result went with it, and queries reach the second file.
        QCOMPARE(db.row_count(), 0);
        QCOMPARE(db.query_table("select * from only_first"), 1);
        QCOMPARE(db.execute("create table only_second(a)"), 0);
        Probe probe(file_in(dir, "first.db"));
        QCOMPARE(probe.column("select name from sqlite_master"), QStringList{"only_first"});
    }

    // A database made read-only leaves that state behind: the next one opened, replacing it or
    // after it was closed, is written to.
    void theNextDatabaseIsWritableAfterAReadOnlyOne_data() {
        QTest::addColumn<bool>("closed_first");
        QTest::newRow("replaced") << false;
        QTest::newRow("closed, then another opened") << true;
    }
    void theNextDatabaseIsWritableAfterAReadOnlyOne() {
        QFETCH(bool, closed_first);
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_database(file_in(dir, "held.db")));
        QCOMPARE(db.set_read_only(), 0);
        QVERIFY(db.current_read_only());
        QVERIFY(db.execute("create table refused(a)") != 0);
        if (closed_first)
            db.close_current_database();
        QVERIFY(db.open_database(file_in(dir, "mine.db")));
        QVERIFY(!db.current_read_only());
        QCOMPARE(db.execute("create table kept(a)"), 0);
    }

    void closingReleasesTheCurrentResult() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_database(file_in(dir, "close.db")));
        make_cells_table(db);
        QCOMPARE(db.query_table("select a from t"), 0);
        QCOMPARE(db.close_current_database(), 0);
        QVERIFY(!db.has_current_database());
        QCOMPARE(db.row_count(), 0);
        QCOMPARE(QString::fromStdString(db.cell_text(0, 0)), QString());
        QCOMPARE(QString::fromStdString(db.cell_text(1, 0)), QString());
        QCOMPARE(QString::fromStdString(db.last_error()),
                 QStringLiteral("DBLayer: row number too high"));
        QCOMPARE(db.execute("select 1"), AccessLayer::kNoDatabase);
        QCOMPARE(db.close_database(1), 0);
        QCOMPARE(QString::fromStdString(db.last_error()),
                 QStringLiteral("DBLayer: Handle not found"));
    }

    void numberedDatabasesStandApart() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_numbered_database(3, file_in(dir, "three.db")));
        QVERIFY(db.open_numbered_database(4, file_in(dir, "four.db")));
        QCOMPARE(db.execute_on(3, "create table in_three(a)"), 0);
        QCOMPARE(db.execute("create table in_four(a)"), 0); // the last opened is current
        QCOMPARE(db.execute_on(8, "create table nowhere(a)"), AccessLayer::kNoDatabase);
        QCOMPARE(QString::fromStdString(db.last_error()),
                 QStringLiteral("DBLayer: Handle not found"));
        // Closing another database leaves the current one and its result alone.
        QCOMPARE(db.query_table("select name from sqlite_master"), 0);
        QCOMPARE(db.close_database(3), 0);
        QCOMPARE(QString::fromStdString(db.cell_text(1, 0)), QStringLiteral("in_four"));
        Probe three(file_in(dir, "three.db"));
        QCOMPARE(three.column("select name from sqlite_master"), QStringList{"in_three"});
    }

    void unloadClosesEveryDatabase() {
        QTemporaryDir dir;
        const std::string path = file_in(dir, "held.db");
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_database(path));
        QCOMPARE(db.execute("create table t(a)"), 0);
        QCOMPARE(db.execute("BEGIN EXCLUSIVE"), 0);
        QVERIFY(db.in_transaction());
        db.unload_engine();
        QVERIFY(!db.engine_loaded());
        QVERIFY(!db.has_current_database());
        QCOMPARE(db.open_database(path), nullptr);
        QCOMPARE(db.execute("select 1"), AccessLayer::kNoDatabase);
        // The exclusive lock went with the closed connection.
        AccessLayer other;
        other.load_engine();
        QVERIFY(other.open_database(path));
        QCOMPARE(other.execute("insert into t values(1)"), 0);
        // And the engine loads again after an unload.
        QVERIFY(db.load_engine("sqlite.dll"));
        QVERIFY(db.open_database(path));
    }

    void waitsForLocksHeldElsewhere() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(db.open_database(file_in(dir, "busy.db")));
        QCOMPARE(db.query_table("PRAGMA busy_timeout"), 0);
        QCOMPARE(QString::fromStdString(db.cell_text(1, 0)), QStringLiteral("2000"));
    }

    void transactionStateFollowsTheEngine() {
        QTemporaryDir dir;
        AccessLayer db;
        db.load_engine();
        QVERIFY(!db.in_transaction());
        QVERIFY(db.open_database(file_in(dir, "tx.db")));
        QVERIFY(!db.in_transaction());
        QCOMPARE(db.execute("BEGIN"), 0);
        QVERIFY(db.in_transaction());
        QCOMPARE(db.execute("COMMIT"), 0);
        QVERIFY(!db.in_transaction());
    }

    void engineLibrary_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<bool>("loads");
        QTest::newRow("default name") << "sqlite" << QByteArray() << true;
        QTest::newRow("name used after New") << "sqlite.dll" << QByteArray() << true;
        QTest::newRow("variable names a missing file")
            << "sqlite" << QByteArray("/nonexistent/libsqlite3.so.0") << false;
        QTest::newRow("variable names a library without the engine")
            << "sqlite" << QByteArray("libm.so.6") << false;
        QTest::newRow("variable names the engine")
            << "sqlite.dll" << QByteArray("libsqlite3.so.0") << true;
    }
    void engineLibrary() {
        QFETCH(QString, name);
        QFETCH(QByteArray, variable);
        QFETCH(bool, loads);
        LibraryVariable restore;
        if (variable.isEmpty())
            qunsetenv("OLVESSA_SQLITE_LIBRARY");
        else
            qputenv("OLVESSA_SQLITE_LIBRARY", variable);
        QTemporaryDir dir;
        const std::string path = file_in(dir, "engine.db");
        AccessLayer db;
        void* library = db.load_engine(name.toStdString());
        QCOMPARE(library != nullptr, loads);
        QCOMPARE(db.engine_loaded(), library);
        void* handle = db.open_database(path);
        QCOMPARE(handle != nullptr, loads);
        if (!loads) {
            // Every open is a no-op: no file appears and nothing can be written.
            QVERIFY(!QFile::exists(QString::fromStdString(path)));
            const int rc = db.execute("create table t(a)");
            QVERIFY(rc != 0 && rc != 1);
            db.unload_engine();
        }
    }
};

OLV_TEST_CLASS(AccessLayerCellsTest)
OLV_TEST_CLASS(AccessLayerConnectionTest)

#include "test_access_layer.moc"
