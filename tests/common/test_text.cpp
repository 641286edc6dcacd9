// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/text.h"
#include "test_registry.h"

#include <QTest>
#include <cmath>
#include <iconv.h>
#include <limits>

using namespace olv;

namespace {

std::string bytes(const QByteArray& b) {
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QByteArray from(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// The C library's own reading of one Windows-1252 byte as UTF-8, or nothing where it has none.
std::string iconv_windows_1252(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* in_ptr = in;
    char* out_ptr = out;
    std::size_t in_left = 1, out_left = sizeof out;
    const std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        return {};
    return std::string(out, static_cast<std::size_t>(out_ptr - out));
}

} // namespace

class StoredTextTest : public QObject {
    Q_OBJECT

private slots:
    void escape_quotes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("no quotes") << QByteArray("Acme Ltd") << QByteArray("Acme Ltd");
        QTest::newRow("one quote") << QByteArray("O'Brien") << QByteArray("O''Brien");
        QTest::newRow("only quotes") << QByteArray("''") << QByteArray("''''");
        QTest::newRow("quote at both ends") << QByteArray("'x'") << QByteArray("''x''");
        QTest::newRow("grave accents stay") << QByteArray("O`Brien") << QByteArray("O`Brien");
        QTest::newRow("double quotes stay") << QByteArray("say \"hi\"") << QByteArray("say \"hi\"");
        QTest::newRow("UTF-8 around a quote")
            << QByteArray("\xC2\xA3'\xE2\x82\xAC") << QByteArray("\xC2\xA3''\xE2\x82\xAC");
    }
    void escape_quotes() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(from(olv::escape_quotes(bytes(text))), expected);
    }

    void is_valid_utf8_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ASCII") << QByteArray("plain text") << true;
        QTest::newRow("embedded NUL") << QByteArray("a\0b", 3) << true;
        QTest::newRow("pound sign") << QByteArray("\xC2\xA3") << true;
        QTest::newRow("euro sign") << QByteArray("\xE2\x82\xAC") << true;
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("Windows-1252 pound") << QByteArray("\xA3") << false;
        QTest::newRow("lone continuation") << QByteArray("a\x80") << false;
        QTest::newRow("overlong two bytes") << QByteArray("\xC0\x80") << false;
        QTest::newRow("overlong C1") << QByteArray("\xC1\xBF") << false;
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\x80") << false;
        QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("F5 lead byte") << QByteArray("\xF5\x80\x80\x80") << false;
        QTest::newRow("cut short at the end") << QByteArray("ab\xE2\x82") << false;
        QTest::newRow("ASCII inside a sequence") << QByteArray("\xE2\x41\xAC") << false;
    }
    void is_valid_utf8() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QCOMPARE(olv::is_valid_utf8(bytes(text)), valid);
    }

    void text_from_database_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("UTF-8 unchanged") << QByteArray("\xC2\xA3 50") << QByteArray("\xC2\xA3 50");
        QTest::newRow("old pound sign") << QByteArray("\xA3") << QByteArray("\xC2\xA3");
        QTest::newRow("old euro sign") << QByteArray("\x80"
                                                     "5")
                                       << QByteArray("\xE2\x82\xAC"
                                                     "5");
        QTest::newRow("Latin-1 letter") << QByteArray("caf\xE9") << QByteArray("caf\xC3\xA9");
        QTest::newRow("last byte") << QByteArray("\xFF") << QByteArray("\xC3\xBF");
        QTest::newRow("unused byte keeps its control")
            << QByteArray("\x81") << QByteArray("\xC2\x81");
        // One bad byte makes the whole text Windows-1252, valid-looking pairs included.
        QTest::newRow("mixed") << QByteArray("\xC2\xA3\xA3")
                               << QByteArray("\xC3\x82\xC2\xA3\xC2\xA3");
    }
    void text_from_database() {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, expected);
        QCOMPARE(from(olv::text_from_database(bytes(raw))), expected);
    }

    // Every byte from 80 to FF reads as the C library's Windows-1252 does, and the five bytes
    // that code page leaves unused read as their C1 controls.
    void windows_1252_high_half_matches_iconv() {
        if (iconv_windows_1252(0xA3).empty())
            QSKIP("the C library has no WINDOWS-1252 converter");
        int compared = 0;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const std::string mine = olv::text_from_database(std::string(1, static_cast<char>(b)));
            std::string reference = iconv_windows_1252(static_cast<unsigned char>(b));
            if (reference.empty()) {
                QVERIFY2(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D,
                         qPrintable(QString::number(b, 16)));
                reference = QString(QChar(b)).toStdString();
            }
            QCOMPARE(from(mine), from(reference));
            QVERIFY(olv::is_valid_utf8(mine));
            ++compared;
        }
        QCOMPARE(compared, 128);
    }
};

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void to_int32_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty (NULL cell)") << QByteArray() << 0;
        QTest::newRow("plain") << QByteArray("42") << 42;
        QTest::newRow("leading blanks") << QByteArray("  \t1078012800") << 1078012800;
        QTest::newRow("minus") << QByteArray("-17") << -17;
        QTest::newRow("plus") << QByteArray("+5") << 5;
        QTest::newRow("stops at the first non-digit") << QByteArray("12abc") << 12;
        QTest::newRow("decimal text") << QByteArray("3.9") << 3;
        QTest::newRow("no digits") << QByteArray("abc") << 0;
        QTest::newRow("sign without digits") << QByteArray("-") << 0;
        QTest::newRow("two signs") << QByteArray("--5") << 0;
        QTest::newRow("blank after the sign") << QByteArray("- 5") << 0;
        QTest::newRow("trailing blanks") << QByteArray("7  ") << 7;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << -2147483647 - 1;
        QTest::newRow("one past the largest keeps 32 bits")
            << QByteArray("2147483648") << -2147483647 - 1;
        QTest::newRow("2^32 + 1 keeps 32 bits") << QByteArray("4294967297") << 1;
        QTest::newRow("leading zeros") << QByteArray("0007") << 7;
    }
    void to_int32() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QCOMPARE(olv::to_int32(bytes(text)), expected);
    }

    void to_real_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("stored rate") << QByteArray("12.5") << 12.5;
        QTest::newRow("integer") << QByteArray("20") << 20.0;
        QTest::newRow("leading blanks and minus") << QByteArray("  -3.25") << -3.25;
        QTest::newRow("plus") << QByteArray("+4") << 4.0;
        QTest::newRow("no integer part") << QByteArray(".5") << 0.5;
        QTest::newRow("no fraction digits") << QByteArray("5.") << 5.0;
        QTest::newRow("exponent") << QByteArray("1e3") << 1000.0;
        QTest::newRow("negative exponent, capital E") << QByteArray("2.5E-1") << 0.25;
        QTest::newRow("exponent without digits") << QByteArray("1e") << 1.0;
        QTest::newRow("stops at a letter") << QByteArray("12.5abc") << 12.5;
        QTest::newRow("stops at a comma") << QByteArray("7,5") << 7.0;
        QTest::newRow("no digits") << QByteArray("abc") << 0.0;
        QTest::newRow("two signs") << QByteArray("+-1") << 0.0;
        QTest::newRow("sign only") << QByteArray("-") << 0.0;
        QTest::newRow("keeps double precision") << QByteArray("123456.78") << 123456.78;
        QTest::newRow("exponent sign without digits") << QByteArray("2e+x") << 2.0;
        QTest::newRow("exponent then words") << QByteArray("1.5e2 an hour") << 150.0;
        QTest::newRow("hexadecimal is not read") << QByteArray("0x1A") << 0.0;
        // A value that is not finite would reach a statement as "inf"; it reads as 0.
        QTest::newRow("overflow") << QByteArray("1e400") << 0.0;
        QTest::newRow("negative overflow") << QByteArray("-1e400") << 0.0;
        QTest::newRow("underflow") << QByteArray("1e-400") << 0.0;
        QTest::newRow("inf") << QByteArray("inf") << 0.0;
        QTest::newRow("Infinity") << QByteArray("Infinity") << 0.0;
        QTest::newRow("negative INF") << QByteArray("-INF") << 0.0;
        QTest::newRow("nan") << QByteArray("nan") << 0.0;
        QTest::newRow("NaN with payload") << QByteArray("nan(123)") << 0.0;
        QTest::newRow("info") << QByteArray("info") << 0.0;
    }
    void to_real() {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        const double value = olv::to_real(bytes(text));
        QVERIFY2(std::isfinite(value), qPrintable(QString::number(value, 'g', 17)));
        QVERIFY2(value == expected, qPrintable(QString::number(value, 'g', 17)));
    }

    void two_decimals_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "0.00";
        QTest::newRow("two places") << 12.35 << "12.35";
        QTest::newRow("whole negative") << -3.0 << "-3.00";
        QTest::newRow("pads one place") << 12.5 << "12.50";
        QTest::newRow("rounds up") << 10.006 << "10.01";
        // Rounding follows the decimal text, not the binary value just below it.
        QTest::newRow("typed half, binary just below") << 2.675 << "2.68";
        QTest::newRow("typed rate half") << 12.345 << "12.35";
        QTest::newRow("typed half, binary just above") << 0.005 << "0.01";
        QTest::newRow("negative half") << -1.005 << "-1.01";
        QTest::newRow("carry into the whole part") << 9.995 << "10.00";
        QTest::newRow("no sign on a rounded zero") << -0.001 << "0.00";
        QTest::newRow("negative zero") << -0.0 << "0.00";
        QTest::newRow("cents above what a float keeps") << 1234567.891 << "1234567.89";
        QTest::newRow("no thousands separator") << 1e15 << "1000000000000000.00";
    }
    void two_decimals() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(olv::two_decimals(value)), expected);
    }

    // What is written with two decimals reads back as the same rounded value.
    void two_decimals_reads_back() {
        for (double v : {0.1, 19.99, 1234.565, -42.004, 99999.995, 123456789.12}) {
            const double back = olv::to_real(olv::two_decimals(v));
            QVERIFY2(std::abs(back - v) <= 0.005 + 1e-9, qPrintable(QString::number(v)));
            QCOMPARE(olv::two_decimals(back), olv::two_decimals(v));
        }
    }
};

OLV_TEST_CLASS(StoredTextTest)
OLV_TEST_CLASS(NumberTextTest)

#include "test_text.moc"
