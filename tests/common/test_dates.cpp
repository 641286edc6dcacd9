// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/clock.h"
#include "common/dates.h"
#include "test_registry.h"

#include <QTest>

using namespace olv;

namespace {

// Seconds since 1970-01-01 00:00:00 of a few calendar moments, worked out independently.
constexpr DateValue k2004Feb29 = 1078012800;
constexpr DateValue k2000Feb29 = 951782400;
constexpr DateValue k2004Mar05 = 1078444800;
constexpr DateValue k2004Mar01_140509 = 1078149909;
constexpr DateValue k1972Dec31_235959 = 94694399;
constexpr DateValue k2026Dec10 = 1796860800;

std::string s(const QString& text) {
    return text.toStdString();
}

} // namespace

class DateValuesTest : public QObject {
    Q_OBJECT

private slots:
    void make_date_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("expected");

        QTest::newRow("epoch") << 1970 << 1 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("last representable second") << 2038 << 1 << 19 << 3 << 14 << 7 << 2147483647;
        QTest::newRow("one second past the range") << 2038 << 1 << 19 << 3 << 14 << 8 << -1;
        QTest::newRow("last second before 1970") << 1969 << 12 << 31 << 23 << 59 << 59 << -1;
        QTest::newRow("year 1") << 1 << 1 << 1 << 0 << 0 << 0 << -1;
        QTest::newRow("29 Feb 2004") << 2004 << 2 << 29 << 0 << 0 << 0 << k2004Feb29;
        QTest::newRow("29 Feb 2000, divisible by 400")
            << 2000 << 2 << 29 << 0 << 0 << 0 << k2000Feb29;
        QTest::newRow("29 Feb 2003") << 2003 << 2 << 29 << 0 << 0 << 0 << -1;
        QTest::newRow("29 Feb 2100, divisible by 100") << 2100 << 2 << 29 << 0 << 0 << 0 << -1;
        QTest::newRow("30 Feb 2004") << 2004 << 2 << 30 << 0 << 0 << 0 << -1;
        QTest::newRow("31 Apr") << 2004 << 4 << 31 << 0 << 0 << 0 << -1;
        QTest::newRow("31 Jun") << 2004 << 6 << 31 << 0 << 0 << 0 << -1;
        QTest::newRow("31 Sep") << 2004 << 9 << 31 << 0 << 0 << 0 << -1;
        QTest::newRow("31 Nov") << 2004 << 11 << 31 << 0 << 0 << 0 << -1;
        QTest::newRow("31 Dec") << 1972 << 12 << 31 << 23 << 59 << 59 << k1972Dec31_235959;
        QTest::newRow("time of day") << 2004 << 3 << 1 << 14 << 5 << 9 << k2004Mar01_140509;
        QTest::newRow("month 13") << 2004 << 13 << 1 << 0 << 0 << 0 << -1;
        QTest::newRow("month 0") << 2004 << 0 << 1 << 0 << 0 << 0 << -1;
        QTest::newRow("day 0") << 2004 << 3 << 0 << 0 << 0 << 0 << -1;
        QTest::newRow("day 32") << 2004 << 1 << 32 << 0 << 0 << 0 << -1;
        QTest::newRow("hour 24") << 2004 << 3 << 1 << 24 << 0 << 0 << -1;
        QTest::newRow("minute 60") << 2004 << 3 << 1 << 0 << 60 << 0 << -1;
        QTest::newRow("second 60") << 2004 << 3 << 1 << 0 << 0 << 60 << -1;
        QTest::newRow("negative second") << 2004 << 3 << 1 << 0 << 0 << -1 << -1;
        QTest::newRow("huge year") << 2000000000 << 1 << 1 << 0 << 0 << 0 << -1;
    }
    void make_date() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, expected);
        QCOMPARE(olv::make_date(year, month, day, hour, minute, second), expected);
    }

    void fields_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<int>>("fields");
        QTest::newRow("epoch") << 0 << QList<int>{1970, 1, 1, 0, 0, 0};
        QTest::newRow("leap day") << k2004Feb29 << QList<int>{2004, 2, 29, 0, 0, 0};
        QTest::newRow("day after a leap day")
            << k2004Feb29 + kSecondsPerDay << QList<int>{2004, 3, 1, 0, 0, 0};
        QTest::newRow("time of day") << k2004Mar01_140509 << QList<int>{2004, 3, 1, 14, 5, 9};
        QTest::newRow("end of a year") << k1972Dec31_235959 << QList<int>{1972, 12, 31, 23, 59, 59};
        QTest::newRow("last value") << 2147483647 << QList<int>{2038, 1, 19, 3, 14, 7};
        QTest::newRow("invalid") << -1 << QList<int>{0, 0, 0, 0, 0, 0};
        QTest::newRow("far below 0") << -2147483647 - 1 << QList<int>{0, 0, 0, 0, 0, 0};
    }
    void fields() {
        QFETCH(int, value);
        QFETCH(QList<int>, fields);
        const QList<int> actual{date_year(value), date_month(value),  date_day(value),
                                date_hour(value), date_minute(value), date_second(value)};
        QCOMPARE(actual, fields);
    }

    // Taking a value apart and building it again gives the value back, across the whole range.
    void fields_rebuild_every_value() {
        for (std::int64_t v = 0; v <= 2147483647; v += 99991) {
            const auto d = static_cast<DateValue>(v);
            const DateValue rebuilt = olv::make_date(date_year(d), date_month(d), date_day(d),
                                                     date_hour(d), date_minute(d), date_second(d));
            if (rebuilt != d)
                QFAIL(qPrintable(QStringLiteral("value %1 rebuilt as %2").arg(d).arg(rebuilt)));
        }
    }

    void current_date_follows_the_clock() {
        ManualClock clock({2026, 12, 10, 9, 0, 0});
        QCOMPARE(current_date(clock), k2026Dec10 + 9 * 3600);
        QCOMPARE(start_of_today(clock), k2026Dec10);
        clock.set_wall({2026, 12, 10, 23, 59, 59});
        QCOMPARE(start_of_today(clock), k2026Dec10);
        clock.advance_seconds(1);
        QCOMPARE(current_date(clock), k2026Dec10 + kSecondsPerDay);
        QCOMPARE(start_of_today(clock), k2026Dec10 + kSecondsPerDay);
    }

    void clock_outside_the_range_gives_invalid_dates() {
        ManualClock clock({2038, 1, 19, 3, 14, 7});
        QCOMPARE(current_date(clock), 2147483647);
        QCOMPARE(start_of_today(clock), 2147472000);
        clock.advance_seconds(1);
        QCOMPARE(current_date(clock), kInvalidDate);
        QCOMPARE(start_of_today(clock), kInvalidDate);
        clock.set_wall({1969, 12, 31, 12, 0, 0});
        QCOMPARE(start_of_today(clock), kInvalidDate);
    }
};

class DateMasksTest : public QObject {
    Q_OBJECT

private slots:
    void format_date_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("epoch") << "%dd/%mm/%yyyy" << 0 << "01/01/1970";
        QTest::newRow("two-digit year, capitals") << "%DD/%MM/%YY" << k2004Mar05 << "05/03/04";
        QTest::newRow("US order") << "%MM/%DD/%YYYY" << k2004Mar05 << "03/05/2004";
        QTest::newRow("status bar clock")
            << "%dd/%mm/%yyyy : %hh:%ii:%ss" << k2004Mar01_140509 << "01/03/2004 : 14:05:09";
        QTest::newRow("mixed case token") << "%Yyyy-%mM-%Dd" << k2004Mar05 << "2004-03-05";
        QTest::newRow("yyyy before yy") << "%yyy" << k2004Mar05 << "04y";
        QTest::newRow("empty mask") << "" << k2004Mar05 << "";
        QTest::newRow("no tokens") << "date" << k2004Mar05 << "date";
        QTest::newRow("unknown letter") << "%q%dd" << k2004Mar05 << "%q05";
        QTest::newRow("percent at the end") << "%dd%" << k2004Mar05 << "05%";
        QTest::newRow("double percent") << "%%dd" << k2004Mar05 << "%05";
        QTest::newRow("incomplete token") << "%d" << k2004Mar05 << "%d";
        QTest::newRow("text around tokens") << "on %dd." << k2004Mar05 << "on 05.";
        QTest::newRow("UTF-8 literals") << "%dd·%mm" << k2004Mar05 << "05·03";
        QTest::newRow("invalid date") << "%dd/%mm/%yyyy" << -1 << "00/00/0000";
        QTest::newRow("invalid date, time") << "%hh:%ii:%ss" << -1 << "00:00:00";
    }
    void format_date() {
        QFETCH(QString, mask);
        QFETCH(int, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(olv::format_date(s(mask), value)), expected);
    }

    void parse_date_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");

        QTest::newRow("short digit runs") << "%dd/%mm/%yyyy"
                                          << "5/3/2004" << k2004Mar05;
        QTest::newRow("padded") << "%dd/%mm/%yyyy"
                                << "05/03/2004" << k2004Mar05;
        QTest::newRow("separators are not compared") << "%yyyy/%mm/%dd"
                                                     << "2004-03-05" << k2004Mar05;
        QTest::newRow("dialog text, unpadded") << "%yyyy/%mm/%dd"
                                               << "2004/3/5" << k2004Mar05;
        QTest::newRow("capital tokens") << "%YYYY/%MM/%DD"
                                        << "2004/03/05" << k2004Mar05;
        QTest::newRow("no separators") << "%yyyy%mm%dd"
                                       << "20040305" << k2004Mar05;
        QTest::newRow("two-digit year 70 is 1970") << "%dd/%mm/%yy"
                                                   << "05/03/70" << 5443200;
        QTest::newRow("two-digit year 69 is 2069") << "%dd/%mm/%yy"
                                                   << "05/03/69" << -1;
        QTest::newRow("two-digit year 04") << "%DD/%MM/%YY"
                                           << "05/03/04" << k2004Mar05;
        QTest::newRow("time of day") << "%dd/%mm/%yyyy : %hh:%ii:%ss"
                                     << "01/03/2004 : 14:05:09" << k2004Mar01_140509;
        QTest::newRow("empty text") << "%dd/%mm/%yyyy"
                                    << "" << 0;
        QTest::newRow("empty mask") << ""
                                    << "05/03/2004" << 0;
        QTest::newRow("only a year") << "%yyyy/%mm/%dd"
                                     << "2004" << -1;
        QTest::newRow("letters where digits belong") << "%dd/%mm/%yyyy"
                                                     << "ab/03/2004" << -1;
        QTest::newRow("extra digits are left unread") << "%dd/%mm/%yyyy"
                                                      << "005/03/2004" << -1;
        QTest::newRow("unknown token skips one character") << "%q%dd/%mm/%yyyy"
                                                           << "x05/03/2004" << k2004Mar05;
        QTest::newRow("percent at the end of the mask") << "%dd/%mm/%yyyy%"
                                                        << "05/03/2004" << k2004Mar05;
        QTest::newRow("impossible date") << "%dd/%mm/%yyyy"
                                         << "31/04/2004" << -1;
        QTest::newRow("leap day") << "%dd/%mm/%yyyy"
                                  << "29/02/2004" << k2004Feb29;
    }
    void parse_date() {
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(olv::parse_date(s(mask), s(text)), expected);
    }

    // Writing a value with a date mask and reading it back drops only the time of day; with the
    // time fields in the mask the value comes back whole.
    void round_trip_over_the_range() {
        for (std::int64_t v = 0; v <= 2147483647; v += 99991) {
            const auto d = static_cast<DateValue>(v);
            const DateValue day =
                olv::parse_date("%yyyy/%mm/%dd", olv::format_date("%yyyy/%mm/%dd", d));
            const char* full = "%DD.%MM.%YYYY %hh:%ii:%ss";
            const DateValue whole = olv::parse_date(full, olv::format_date(full, d));
            if (day != d - d % kSecondsPerDay || whole != d)
                QFAIL(qPrintable(
                    QStringLiteral("value %1 came back as %2 and %3").arg(d).arg(day).arg(whole)));
        }
    }

    void invalid_date_stays_invalid_through_text() {
        const std::string mask = "%dd/%mm/%yyyy";
        QCOMPARE(olv::parse_date(mask, olv::format_date(mask, kInvalidDate)), kInvalidDate);
    }
};

OLV_TEST_CLASS(DateValuesTest)
OLV_TEST_CLASS(DateMasksTest)

#include "test_dates.moc"
