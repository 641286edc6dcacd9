#include "period_fixture.h"
#include "record_fixture.h"
#include "reports/csv_export.h"
#include "test_registry.h"

#include <QTest>
#include <sstream>

using namespace olv;
using olv::testing::PeriodFixture;

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Acme Ltd"
                               << "Acme Ltd";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("comma") << "Acme, Ltd"
                               << "\"Acme, Ltd\"";
        QTest::newRow("quotes") << "Web \"Shop\""
                                << "\"Web \"\"Shop\"\"\"";
        QTest::newRow("line feed") << "Build\nphase"
                                   << "\"Build\nphase\"";
        QTest::newRow("carriage return") << "a\rb"
                                         << "\"a\rb\"";
        QTest::newRow("equals") << "=cmd"
                                << "'=cmd";
        QTest::newRow("plus") << "+1"
                              << "'+1";
        QTest::newRow("minus") << "-2"
                               << "'-2";
        QTest::newRow("at") << "@SUM(A1)"
                            << "'@SUM(A1)";
        QTest::newRow("formula with a comma") << "=A1,B2"
                                              << "\"'=A1,B2\"";
        QTest::newRow("equals later") << "a=b"
                                      << "a=b";
        QTest::newRow("apostrophe kept") << "O'Neil"
                                         << "O'Neil";
        QTest::newRow("UTF-8 kept") << "Café £"
                                    << "Café £";
    }
    void names() {
        QFETCH(QString, name);
        QFETCH(QString, field);
        QCOMPARE(QString::fromStdString(csv_name_field(name.toStdString())), field);
    }

    void times_and_money_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("time");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("money");
        QTest::newRow("zero") << qint64(0) << "0:00:00" << qint64(0) << "0.00";
        QTest::newRow("under an hour") << qint64(3599) << "0:59:59" << qint64(5) << "0.05";
        QTest::newRow("a day is 24 hours") << qint64(86400) << "24:00:00" << qint64(100) << "1.00";
        QTest::newRow("unbounded hours")
            << qint64(1000000) << "277:46:40" << qint64(123456) << "1234.56";
        QTest::newRow("negative") << qint64(-61) << "-0:01:01" << qint64(-5) << "-0.05";
    }
    void times_and_money() {
        QFETCH(qint64, seconds);
        QFETCH(QString, time);
        QFETCH(qint64, cents);
        QFETCH(QString, money);
        QCOMPARE(QString::fromStdString(csv_time(seconds)), time);
        QCOMPARE(QString::fromStdString(csv_cents(cents)), money);
    }

    void period_byte_for_byte() {
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        std::ostringstream out;
        write_csv(out, f.store, period_entries(f.store, {RecordKind::User, 0}, november, false));
        const std::string expected =
            "Date,Client,Project,Objective,Task,Time,Seconds,Billed,Rate,Amount\r\n"
            "2026-11-01,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",\"Build\nphase\",'=cmd,0:16:40,1000,"
            "no,45.50,12.64\r\n"
            "2026-11-15,\"Acme, Ltd\",Pro bono,Help,Advice,2:00:00,7200,no,0.00,0.00\r\n"
            "2026-11-30,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",\"Build\nphase\",'=cmd,0:10:00,600,"
            "no,45.50,7.58\r\n"
            "2026-11-30,\"Acme, Ltd\",\"Web \"\"Shop\"\"\",\"Build\nphase\",Design,1:30:00,5400,"
            "yes,45.50,68.25\r\n"
            "2026-11-30,Bare,Audit,Check,Checking,0:30:00,1800,no,20.00,10.00\r\n";
        QCOMPARE(QByteArray::fromStdString(out.str()), QByteArray::fromStdString(expected));
    }

    // Times of 2^31 seconds and more (only foreign or imported data holds them) are written as
    // they are, never negative, with their amounts.
    void times_beyond_32_bits() {
        testing::RecordFixture f;
        const auto t =
            f.task(f.objective(f.project(f.client("Acme"), "Site", 45.5), "Build"), "Code");
        f.entry(t, 2147483648LL, false);
        f.entry(t, 4294967296LL, true);
        std::ostringstream out;
        write_csv(out, f.store, period_entries(f.store, {RecordKind::User, 0}, all_time(), false));
        const std::string expected =
            std::string(kCsvHeader) +
            "1970-01-01,Acme,Site,Build,Code,596523:14:08,2147483648,no,45.50,27141807.22\r\n"
            "1970-01-01,Acme,Site,Build,Code,1193046:28:16,4294967296,yes,45.50,54283614.44\r\n";
        QCOMPARE(out.str(), expected);
    }

    void no_entries_is_the_header_alone() {
        PeriodFixture f;
        std::ostringstream out;
        write_csv(out, f.store,
                  period_entries(f.store, {RecordKind::User, 0},
                                 days_between(testing::day(2030, 1, 1), testing::day(2030, 1, 31)),
                                 false));
        QCOMPARE(out.str(), std::string(kCsvHeader));
    }
};

OLV_TEST_CLASS(TestCsvExport)
#include "test_csv_export.moc"
