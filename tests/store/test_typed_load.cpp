// The load reads each cell with the accessor of its storage class; every value must come out as
// the cell's text would convert (to_int32, to_real), which is what the program always showed.
#include "common/text.h"
#include "store_fixture.h"
#include "test_registry.h"

#include <QObject>
#include <QTest>

#include <limits>

using namespace olv;
using olv::testing::NewDatabase;

namespace {

// The value the text path gives for a cell: the engine's text of it, converted.
std::string cell_as_text(Store& s, const std::string& statement) {
    if (s.db.query_table(statement) != 0 || s.db.row_count() != 1)
        return "<no cell>";
    return s.db.cell_text(1, 0);
}

} // namespace

class TypedLoadTest : public QObject {
    Q_OBJECT

private slots:
    // Stored into an entry's seconds (64 bits kept) and its billed flag (the low 8 bits).
    void numberCells_data() {
        QTest::addColumn<QString>("stored"); // SQL literal
        QTest::addColumn<qint64>("number");
        QTest::addColumn<int>("flag");
        QTest::newRow("plain") << "3725" << qint64(3725) << 141;
        QTest::newRow("negative") << "-3" << qint64(-3) << 253;
        QTest::newRow("2^31 seconds") << "2147483648" << qint64(2147483648) << 0;
        QTest::newRow("beyond 32 bits") << "4294967297" << qint64(4294967297) << 1;
        QTest::newRow("below 32 bits") << "-4294967297" << qint64(-4294967297) << 255;
        QTest::newRow("largest 64-bit")
            << "9223372036854775807" << std::numeric_limits<qint64>::max() << 255;
        QTest::newRow("smallest 64-bit")
            << "-9223372036854775808" << std::numeric_limits<qint64>::min() << 0;
        QTest::newRow("real: the digits before the point") << "12.9" << qint64(12) << 12;
        QTest::newRow("small negative real") << "-0.5" << qint64(0) << 0;
        QTest::newRow("real written with an exponent") << "1e20" << qint64(1) << 1;
        QTest::newRow("text with blanks and a tail") << "'  42x'" << qint64(42) << 42;
        QTest::newRow("text of a number beyond 32 bits")
            << "'8589934592'" << qint64(8589934592) << 0;
        QTest::newRow("text that is no number") << "'abc'" << qint64(0) << 0;
        QTest::newRow("blob of digits") << "X'3432'" << qint64(42) << 42;
        QTest::newRow("NULL") << "NULL" << qint64(0) << 0;
        QTest::newRow("flag keeps its low 8 bits") << "257" << qint64(257) << 1;
    }
    void numberCells() {
        QFETCH(QString, stored);
        QFETCH(qint64, number);
        QFETCH(int, flag);
        NewDatabase d;
        Store& s = d.store;
        const std::string literal = stored.toStdString();
        QCOMPARE(s.db.execute("INSERT INTO Task_Detail VALUES(1, 1, " + literal + ", 0, " +
                              literal + ")"),
                 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.entries.size(), std::size_t(1));
        QCOMPARE(qint64(s.lists.entries[0].Time), number);
        QCOMPARE(static_cast<int>(s.lists.entries[0].billed), flag);
        // The same as the cell's text gives.
        QCOMPARE(s.lists.entries[0].Time,
                 to_int64(cell_as_text(s, "SELECT Time FROM Task_Detail")));
        QCOMPARE(
            s.lists.entries[0].billed,
            static_cast<std::uint8_t>(to_int32(cell_as_text(s, "SELECT billed FROM Task_Detail"))));
    }

    // Stored into a client's rate (a real column).
    void realCells_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("rate");
        QTest::addColumn<bool>("asText"); // the text path gives the same value
        QTest::newRow("two decimals") << "12.35" << 12.35 << true;
        QTest::newRow("whole number") << "35" << 35.0 << true;
        QTest::newRow("a tenth") << "0.1" << 0.1 << true;
        QTest::newRow("negative") << "-3.5" << -3.5 << true;
        QTest::newRow("text of a number") << "'12.5'" << 12.5 << true;
        QTest::newRow("text that is no number") << "'lots'" << 0.0 << true;
        QTest::newRow("too large") << "1e999" << 0.0 << true;
        QTest::newRow("too large, negative") << "-1e999" << 0.0 << true;
        QTest::newRow("NULL") << "NULL" << 0.0 << true;
        // The text shows 15 digits; the cell's own value is kept whole.
        QTest::newRow("more digits than the text shows")
            << "0.30000000000000004" << 0.30000000000000004 << false;
        QTest::newRow("integer beyond 15 digits")
            << "9007199254740993" << 9007199254740992.0 << false;
    }
    void realCells() {
        QFETCH(QString, stored);
        QFETCH(double, rate);
        QFETCH(bool, asText);
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(1, 'C', " + stored.toStdString() + ")"),
                 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QCOMPARE(s.lists.clients[0].client_rate, rate);
        const double text_value = to_real(cell_as_text(s, "SELECT client_rate FROM clients"));
        QCOMPARE(s.lists.clients[0].client_rate == text_value, asText);
    }

    // Texts come as the engine stores them; what is not UTF-8 is read as Windows-1252.
    void textCells_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("UTF-8") << "'Zoë'" << QByteArray("Zo\xC3\xAB");
        QTest::newRow("Windows-1252 byte") << "CAST(X'A3' AS TEXT)" << QByteArray("\xC2\xA3");
        QTest::newRow("number in a text column") << "42" << QByteArray("42");
        QTest::newRow("real in a text column") << "2.5" << QByteArray("2.5");
        QTest::newRow("NULL") << "NULL" << QByteArray();
        QTest::newRow("empty") << "''" << QByteArray();
        QTest::newRow("a zero byte inside") << "CAST(X'610062' AS TEXT)" << QByteArray("a\0b", 3);
    }
    void textCells() {
        QFETCH(QString, stored);
        QFETCH(QByteArray, text);
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(1, " + stored.toStdString() + ", 1)"), 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QCOMPARE(QByteArray::fromStdString(s.lists.clients[0].client_name), text);
    }

    // A table that fails part way loads nothing of it, as a failed query gave no rows.
    void missingTableLoadsTheOthers() {
        NewDatabase d;
        Store& s = d.store;
        QCOMPARE(s.db.execute("INSERT INTO clients VALUES(1, 'C', 1)"), 0);
        QCOMPARE(s.db.execute("DROP TABLE task"), 0);
        QCOMPARE(load_all_records(s), LoadStatus::Loaded);
        QCOMPARE(s.lists.clients.size(), std::size_t(1));
        QVERIFY(s.lists.tasks.empty());
    }
};

OLV_TEST_CLASS(TypedLoadTest)

#include "test_typed_load.moc"
