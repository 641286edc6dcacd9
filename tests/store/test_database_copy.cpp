// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store_fixture.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTest>

using namespace olv;
using olv::testing::file_in;
using olv::testing::NewDatabase;
using olv::testing::Probe;

namespace {

QByteArray bytes_of(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write_bytes(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class DatabaseCopyTest : public QObject {
    Q_OBJECT

private slots:
    void a_copy_holds_every_row_and_leaves_the_source_alone() {
        NewDatabase source;
        QCOMPARE(source.store.db.execute(insert_client_sql(100, "Acme", 50)), 0);
        QCOMPARE(source.store.db.execute(insert_client_sql(101, "O'Hara", 12.5)), 0);
        source.store.db.close_current_database();
        const QByteArray before = bytes_of(source.path);
        const std::string target = file_in(source.dir, "copy.db");

        AccessLayer db;
        QVERIFY(db.load_engine());
        QCOMPARE(db.copy_database(source.path, target), 0);
        QCOMPARE(Probe(target).column("SELECT client_name FROM clients ORDER BY key"),
                 (QStringList{"Acme", "O'Hara"}));
        QCOMPARE(Probe(target).column("SELECT userID FROM users"), QStringList{"Ann"});
        QCOMPARE(bytes_of(source.path), before);
    }

    void a_copy_replaces_what_the_target_held() {
        NewDatabase source;
        QCOMPARE(source.store.db.execute(insert_client_sql(100, "Acme", 50)), 0);
        NewDatabase other("Bea");
        QCOMPARE(other.store.db.execute(insert_client_sql(200, "Old", 1)), 0);
        other.store.db.close_current_database();

        QCOMPARE(source.store.db.copy_database(source.path, other.path), 0);
        QCOMPARE(Probe(other.path).column("SELECT client_name FROM clients"), QStringList{"Acme"});
        QCOMPARE(Probe(other.path).column("SELECT userID FROM users"), QStringList{"Ann"});
    }

    // The open connection is the source: what it committed is in the copy, and the connection
    // goes on working on its own file afterwards.
    void the_current_database_is_copied_as_written() {
        NewDatabase source;
        QCOMPARE(source.store.db.execute(insert_client_sql(100, "Acme", 50)), 0);
        const std::string target = file_in(source.dir, "copy.db");
        QCOMPARE(source.store.db.copy_current_database(target), 0);
        QCOMPARE(source.store.db.execute(insert_client_sql(101, "Later", 5)), 0);

        QCOMPARE(Probe(target).column("SELECT client_name FROM clients"), QStringList{"Acme"});
        QCOMPARE(Probe(source.path).column("SELECT client_name FROM clients ORDER BY key"),
                 (QStringList{"Acme", "Later"}));
    }

    void a_copy_that_cannot_be_made_fails_with_a_reason_data() {
        QTest::addColumn<QByteArray>("source_bytes"); // "<none>": no source file at all
        QTest::addColumn<QString>("target");          // relative to the test folder
        QTest::newRow("source is not a database")
            << QByteArray("plain text, not a database\n").repeated(200) << "copy.db";
        QTest::newRow("source is missing") << QByteArray("<none>") << "copy.db";
        QTest::newRow("target folder is missing") << QByteArray() << "no-such-folder/copy.db";
    }
    void a_copy_that_cannot_be_made_fails_with_a_reason() {
        QFETCH(QByteArray, source_bytes);
        QFETCH(QString, target);
        NewDatabase made;
        made.store.db.close_current_database();
        std::string source = made.path;
        if (source_bytes == "<none>")
            source = file_in(made.dir, "missing.db");
        else if (!source_bytes.isEmpty())
            write_bytes(source, source_bytes);
        const QByteArray before = bytes_of(source);
        const std::string target_path = QDir(made.dir.path()).filePath(target).toStdString();

        AccessLayer db;
        QVERIFY(db.load_engine());
        const int rc = db.copy_database(source, target_path);
        QVERIFY2(!AccessLayer::succeeded(rc), qPrintable(QString::number(rc)));
        QVERIFY(!db.last_error().empty());
        // The source is read only: a missing one is not created, a present one is unchanged.
        QCOMPARE(bytes_of(source), before);
    }

    void without_an_engine_or_a_current_database_nothing_is_copied() {
        QTemporaryDir dir;
        AccessLayer db;
        QCOMPARE(db.copy_database(file_in(dir, "a.db"), file_in(dir, "b.db")),
                 AccessLayer::kNoDatabase);
        QVERIFY(db.load_engine());
        QCOMPARE(db.copy_current_database(file_in(dir, "b.db")), AccessLayer::kNoDatabase);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("b.db"))));
    }
};

OLV_TEST_CLASS(DatabaseCopyTest)
#include "test_database_copy.moc"
