#include "reports/format.h"
#include "test_registry.h"

#include <QTest>
#include <limits>

using namespace olv;

class FigureTextTest : public QObject {
    Q_OBJECT

private slots:
    void format_duration_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("one second") << qint64(1) << "00:00:01";
        QTest::newRow("a minute") << qint64(60) << "00:01:00";
        QTest::newRow("an hour") << qint64(3600) << "01:00:00";
        QTest::newRow("all fields") << qint64(3725) << "01:02:05";
        QTest::newRow("a second short of a day") << qint64(86399) << "23:59:59";
        QTest::newRow("a day") << qint64(86400) << "1/00:00:00";
        QTest::newRow("days and time") << qint64(1000000) << "11/13:46:40";
        QTest::newRow("128 days") << qint64(128 * 86400) << "128/00:00:00";
        QTest::newRow("2^31 seconds") << qint64(2147483648LL) << "24855/03:14:08";
        QTest::newRow("ten billion seconds") << qint64(10000000000LL) << "115740/17:46:40";
        QTest::newRow("negative") << qint64(-3725) << "-01:02:05";
        QTest::newRow("negative over a day") << qint64(-90000) << "-1/01:00:00";
        QTest::newRow("smallest 64-bit value")
            << std::numeric_limits<qint64>::min() << "-106751991167300/15:30:08";
    }
    void format_duration() {
        QFETCH(qint64, seconds);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(olv::format_duration(seconds)), expected);
    }

    void format_money_data() {
        QTest::addColumn<QString>("currency");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pound") << QStringLiteral("£") << 12.5 << QStringLiteral("£12.50");
        QTest::newRow("minus after the symbol")
            << QStringLiteral("£") << -3.0 << QStringLiteral("£-3.00");
        QTest::newRow("zero") << "$" << 0.0 << "$0.00";
        QTest::newRow("no symbol") << "" << 1.0 << "1.00";
        QTest::newRow("symbol of several characters") << "CHF " << 30.0 << "CHF 30.00";
        QTest::newRow("rounded to the nearest hundredth") << "$" << 10.006 << "$10.01";
        QTest::newRow("cents of a large amount")
            << QStringLiteral("€") << 1234567.891 << QStringLiteral("€1234567.89");
        QTest::newRow("no negative zero") << "$" << -0.004 << "$0.00";
    }
    void format_money() {
        QFETCH(QString, currency);
        QFETCH(double, amount);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(olv::format_money(currency.toStdString(), amount)),
                 expected);
    }

    // Sums of cents are shown exactly, however large.
    void format_cents_data() {
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pounds and pence") << qint64(22705) << QStringLiteral("£227.05");
        QTest::newRow("pence only") << qint64(7) << QStringLiteral("£0.07");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("£0.00");
        QTest::newRow("minus after the symbol") << qint64(-50) << QStringLiteral("£-0.50");
        QTest::newRow("beyond a double's whole cents")
            << qint64(9007199254740993LL) << QStringLiteral("£90071992547409.93");
        QTest::newRow("smallest 64-bit value")
            << std::numeric_limits<qint64>::min() << QStringLiteral("£-92233720368547758.08");
    }
    void format_cents() {
        QFETCH(qint64, cents);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(olv::format_cents("\xC2\xA3", cents)), expected);
    }
};

OLV_TEST_CLASS(FigureTextTest)

#include "test_format.moc"
