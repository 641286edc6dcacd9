// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Page coordinates, fonts and text drawing of one printed page.
#include "print/page.h"
#include "test_registry.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace olv;

namespace {

// Bounding box of every pixel that is not white.
QRect ink_box(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage white_image(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class PrintPageTest : public QObject {
    Q_OBJECT

private slots:
    void coordinates_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        // 2.0 * 4800 / 29.7 = 323.2; 2.5 * 4800 / 21 = 571.4
        QTest::newRow("4800 dots, 2.5") << 4800 << 2.5 << 571 << 404;
        QTest::newRow("4800 dots, 2.0") << 4800 << 2.0 << 457 << 323;
        QTest::newRow("4800 dots, whole width") << 4800 << 21.0 << 4800 << 3394;
        QTest::newRow("4800 dots, 29.7") << 4800 << 29.7 << 6789 << 4800;
        QTest::newRow("4800 dots, row 6.8") << 4800 << 6.8 << 1554 << 1099;
        QTest::newRow("A4 at 1200 dpi, 15.1") << 9921 << 15.1 << 7134 << 5044;
        QTest::newRow("zero") << 4800 << 0.0 << 0 << 0;
    }
    void coordinates() {
        QFETCH(int, width);
        QFETCH(double, value);
        QFETCH(int, x);
        QFETCH(int, y);
        QImage image = white_image(10, 10);
        QPainter painter(&image);
        const Page page(painter, width, width * 2, 96);
        QCOMPARE(page.page_x(value), x);
        QCOMPARE(page.page_y(value), y);
    }

    // Text sizes are page_y units taken as points of the display.
    void font_height_data() {
        QTest::addColumn<double>("size");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("pixels");
        QTest::newRow("rows at 96 dpi") << 0.4 << 96.0 << 65 << 87;
        QTest::newRow("headings at 96 dpi") << 0.5 << 96.0 << 81 << 108;
        QTest::newRow("rows at 120 dpi") << 0.4 << 120.0 << 65 << 108;
        QTest::newRow("rows at 72 dpi") << 0.4 << 72.0 << 65 << 65;
    }
    void font_height() {
        QFETCH(double, size);
        QFETCH(double, dpi);
        QFETCH(int, h);
        QFETCH(int, pixels);
        QImage image = white_image(10, 10);
        QPainter painter(&image);
        Page page(painter, 4800, 6788, dpi);
        QCOMPARE(page.page_y(size), h);
        QCOMPARE(page.font_pixel_height(size), pixels);
        page.print_text(2.5, 2.0, "", "Arial", size, text_style::Regular, 0, 0, 0);
        QCOMPARE(page.current_font().pixelSize(), pixels);
    }

    void offscreen_screen_is_96_dpi() { QCOMPARE(screen_logical_dpi(), 96.0); }

    void style_bits_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<bool>("strike");
        QTest::newRow("regular") << 0 << false << false << false << false;
        QTest::newRow("bold") << 256 << true << false << false << false;
        QTest::newRow("bold underlined") << 260 << true << false << true << false;
        QTest::newRow("italic") << 512 << false << true << false << false;
        QTest::newRow("strike-out") << 8 << false << false << false << true;
        QTest::newRow("all, high quality")
            << (256 | 512 | 4 | 8 | 16) << true << true << true << true;
    }
    void style_bits() {
        QFETCH(int, style);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, underline);
        QFETCH(bool, strike);
        QImage image = white_image(200, 100);
        QPainter painter(&image);
        Page page(painter, 4800, 6788, 96);
        page.print_text(1.0, 1.0, "Word", "Arial", 0.4, style, 0, 0, 0);
        const QFont& font = page.current_font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.weight(), font.bold() ? QFont::Bold : QFont::Normal);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(font.underline(), underline);
        QCOMPARE(font.strikeOut(), strike);
    }

    // The page position is the top-left corner of the text, in the given colour.
    void text_stands_below_and_right_of_its_position() {
        QImage image = white_image(840, 600);
        QPainter painter(&image);
        Page page(painter, image.width(), image.height(), 96);
        page.print_text(2.0, 3.0, "HHHH", "Arial", 1.0, text_style::Regular, 200, 0, 0);
        painter.end();

        const QRect ink = ink_box(image);
        QVERIFY(!ink.isEmpty());
        const QFontMetrics metrics(page.current_font(), &image);
        // "H" rises to the cap height: the ink starts ascent - cap height below the top.
        const int cap_top = page.page_y(3.0) + metrics.ascent() - metrics.capHeight();
        QVERIFY2(std::abs(ink.top() - cap_top) <= 2,
                 qPrintable(QStringLiteral("ink top %1, expected %2").arg(ink.top()).arg(cap_top)));
        QVERIFY(ink.left() >= page.page_x(2.0));
        QVERIFY(ink.left() <= page.page_x(2.0) + metrics.height() / 4);
        QVERIFY(ink.bottom() < page.page_y(3.0) + metrics.height());
        // The strokes of "H" are solid in the text colour.
        bool red = false;
        for (int x = ink.left(); x <= ink.right() && !red; ++x)
            red = image.pixel(x, ink.center().y()) == qRgb(200, 0, 0);
        QVERIFY(red);
    }

    void empty_text_draws_nothing_but_takes_the_font() {
        QImage image = white_image(400, 300);
        QPainter painter(&image);
        Page page(painter, image.width(), image.height(), 96);
        std::vector<PrintedText> log;
        page.record_to(&log);
        page.print_text(2.0, 2.0, "", "Arial", 1.0, text_style::Bold, 0, 0, 0);
        painter.end();
        QVERIFY(ink_box(image).isEmpty());
        QVERIFY(page.current_font().bold());
        QCOMPARE(log.size(), std::size_t(1));
        QCOMPARE(log[0].text, std::string());
        QCOMPARE(log[0].style, 256);
    }

    void log_keeps_every_call_in_order() {
        QImage image = white_image(400, 300);
        QPainter painter(&image);
        Page page(painter, image.width(), image.height(), 96);
        std::vector<PrintedText> log;
        page.record_to(&log);
        page.print_text(2.5, 2.5, "First", "Arial", 0.5, 256, 0, 0, 0);
        page.print_text(10.5, 6.8, "Second", 0.4, 0, kGrey);
        page.record_to(nullptr);
        page.print_text(1, 1, "Not recorded", 0.4, 0, kBlack);
        const std::vector<PrintedText> expected{
            {2.5, 2.5, "First", "Arial", 0.5, 256, kBlack},
            {10.5, 6.8, "Second", "Arial", 0.4, 0, kGrey},
        };
        QVERIFY(log == expected);
    }

    // Cut character by character from the end, measured in the current font.
    void fit_text_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max_width_of");
        QTest::newRow("fits whole") << QStringLiteral("Acme") << 0;
        QTest::newRow("cut") << QStringLiteral("Consolidated Widget Manufacturing Limited") << 12;
        QTest::newRow("accented") << QStringLiteral("Société Générale d'Électricité du Nord") << 10;
        QTest::newRow("empty") << QStringLiteral("") << 0;
    }
    void fit_text() {
        QFETCH(QString, text);
        QFETCH(int, max_width_of);
        QImage image = white_image(400, 300);
        QPainter painter(&image);
        Page page(painter, 4800, 6788, 96);
        page.print_text(0, 0, "", "Arial", 0.4, text_style::Regular, 0, 0, 0);
        const std::string whole = text.toStdString();
        // The limit is the width of the first characters, or the whole text when zero.
        const int limit =
            page.text_width(max_width_of ? text.left(max_width_of).toStdString() : whole);
        const std::string fitted = page.fit_text(whole, limit);
        QVERIFY(page.text_width(fitted) <= limit);
        const QString shown = QString::fromStdString(fitted);
        QVERIFY(text.startsWith(shown));
        if (shown.size() < text.size())
            QVERIFY(page.text_width(text.left(shown.size() + 1).toStdString()) > limit);
        if (max_width_of)
            QCOMPARE(shown, text.left(max_width_of));
        else
            QCOMPARE(shown, text);
    }

    void bold_font_is_wider_so_cuts_sooner() {
        QImage image = white_image(400, 300);
        QPainter painter(&image);
        Page page(painter, 4800, 6788, 96);
        const std::string label =
            "Northern Regional Development Authority for Water, Power and Public Transport";
        page.print_text(0, 0, "", "Arial", 0.4, text_style::Regular, 0, 0, 0);
        const std::string regular = page.fit_text(label, page.page_x(8.0));
        page.print_text(0, 0, "", "Arial", 0.4, text_style::BoldUnderline, 0, 0, 0);
        const std::string bold = page.fit_text(label, page.page_x(8.0));
        QVERIFY(bold.size() < regular.size());
    }

    // A line that would run past the bottom goes to a new page under repeated heads.
    void keep_line_on_page() {
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("lines.pdf")));
        QPainter painter(&writer);
        Page page(painter);
        QCOMPARE(page.width(), writer.width());
        QCOMPARE(page.height(), writer.height());
        int heads = 0;
        const auto on_break = [&] {
            ++heads;
            page.y += 0.8;
        };

        const double last_fitting = (page.height() - 200) * 29.7 / page.width();
        page.y = last_fitting - 1.0;
        page.keep_line_on_page(0.4, on_break);
        QCOMPARE(heads, 0);
        QCOMPARE(page.page_count(), 1);

        page.y = page.height() * 29.7 / page.width(); // the bottom edge itself
        QVERIFY(!page.fits(page.y, 0.4));
        page.keep_line_on_page(0.4, on_break);
        QCOMPARE(heads, 1);
        QCOMPARE(page.page_count(), 2);
        QCOMPARE(page.y, Page::kTopLine + 0.8);
        QVERIFY(page.fits(page.y, 0.4));
    }

    void a_device_without_pages_keeps_drawing_on_its_one_page() {
        QImage image = white_image(210, 297);
        QPainter painter(&image);
        Page page(painter);
        page.y = 40.0;
        bool heads = false;
        page.keep_line_on_page(0.4, [&] { heads = true; });
        QVERIFY(!heads);
        QCOMPARE(page.y, 40.0);
        QCOMPARE(page.page_count(), 1);
    }
};

OLV_TEST_CLASS(PrintPageTest)
#include "test_print_page.moc"
