// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/page.h"
#include "print/period_page.h"
#include "reports/period_fixture.h"
#include "test_print_fixture.h"
#include "test_registry.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Prints the report into a PDF file on A4 and returns the print_text calls and the page count.
struct PrintedPeriod {
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("period.pdf"));
    std::vector<PrintedText> log;
    int pages = 0;

    PrintedPeriod(const Store& store, const PeriodReport& report) {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        QPainter painter(&writer);
        Page page(painter);
        page.record_to(&log);
        print_period_report(page, store, "10/12/2026", report);
        pages = page.page_count();
    }

    // The print_text calls at one line, texts joined by "|".
    QString line_at(double y) const {
        QStringList texts;
        for (const PrintedText& t : log)
            if (qAbs(t.y - y) < 1e-9)
                texts << QString::fromStdString(t.text);
        return texts.join(QLatin1Char('|'));
    }
    const PrintedText* first(const std::string& text) const {
        for (const PrintedText& t : log)
            if (t.text == text)
                return &t;
        return nullptr;
    }
};

} // namespace

class PrintPeriodTest : public QObject {
    Q_OBJECT

private slots:
    void rowsTotalsAndEntries() {
        PeriodFixture f;
        const Period november = period_for(PeriodChoice::LastMonth, PeriodFixture::today());
        const PeriodReport report =
            period_report(f.store, {RecordKind::Client, f.acme}, november, false);
        const PrintedPeriod printed(f.store, report);
        QCOMPARE(printed.pages, 1);

        QCOMPARE(printed.line_at(2.5),
                 QStringLiteral("Report for Client: Acme, Ltd, 01/11/2026 to 30/11/2026"));
        QCOMPARE(printed.line_at(4.0), QStringLiteral("Printed on 10/12/2026"));
        QCOMPARE(printed.line_at(6.0), QStringLiteral("Project|Total Time|Time Billed|Total "
                                                      "Earned|Total Billed|Unbilled"));
        QCOMPARE(printed.line_at(6.8), QStringLiteral("Web \"Shop\"|01:56:40|01:30:00|£88.47|"
                                                      "£68.25|£20.22"));
        QCOMPARE(printed.line_at(7.6),
                 QStringLiteral("Pro bono|02:00:00|00:00:00|£0.00|£0.00|£0.00"));
        QCOMPARE(printed.line_at(9.2),
                 QStringLiteral("TOTALS|03:56:40|01:30:00|£88.47|£68.25|£20.22"));
        QCOMPARE(printed.line_at(10.8), QStringLiteral("Date|Client|Project|Objective|Task|Time|"
                                                       "Billed|Rate|Amount"));
        // Entries in the order of the report, alternating grey and black.
        QCOMPARE(printed.line_at(11.6).section(QLatin1Char('|'), 0, 0),
                 QStringLiteral("01/11/2026"));
        QVERIFY(printed.line_at(11.6).endsWith(QStringLiteral("|00:16:40|No|£45.50|£12.64")));
        QVERIFY(printed.line_at(14.0).endsWith(QStringLiteral("|01:30:00|Yes|£45.50|£68.25")));
        QCOMPARE(printed.first("01/11/2026")->colour, kGrey);
        QCOMPARE(printed.first("15/11/2026")->colour, kBlack);
        QCOMPARE(printed.first("TOTALS")->style, text_style::BoldUnderline);

        // What reaches the paper.
        const QString text = pdf_layout_text(printed.pdf);
        QVERIFY2(text.contains(QStringLiteral("Report for Client: Acme, Ltd, 01/11/2026 to "
                                              "30/11/2026")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("£88.47")));
    }

    // A long period continues on further pages, each starting with the entries' column heads,
    // and no entry is lost.
    void longPeriodContinuesOverPages() {
        PeriodFixture f;
        const DateValue first = day(2026, 1, 1);
        for (int i = 0; i < 150; ++i)
            f.dated(f.checking, 60 * (i + 1), false, first + i * kSecondsPerDay);
        const PeriodReport report = period_report(f.store, {RecordKind::Client, f.bare},
                                                  days_between(first, day(2026, 12, 31)), false);
        QCOMPARE(report.entries.size(), std::size_t(152));
        const PrintedPeriod printed(f.store, report);
        QVERIFY(printed.pages >= 3);

        int heads = 0;
        int entries = 0;
        for (const PrintedText& t : printed.log) {
            if (t.text == "Amount") {
                ++heads;
                QVERIFY(heads == 1 || qAbs(t.y - Page::kTopLine) < 1e-9);
            }
            if (t.x == Page::kLeft && t.text.size() == 10 && t.text[2] == '/')
                ++entries;
        }
        QCOMPARE(heads, printed.pages);
        QCOMPARE(entries, 152);

        const std::vector<PdfPage> pages = pdf_words(printed.pdf);
        QCOMPARE(int(pages.size()), printed.pages);
        for (const PdfPage& page : pages) {
            QVERIFY(page.find(QStringLiteral("Amount")));
            for (const PdfWord& w : page.words)
                QVERIFY2(w.y_max <= page.height, qPrintable(w.text));
        }
        // The last entry of the period is on the last page.
        QVERIFY(pages.back().find(QStringLiteral("01/12/2026")));
    }
};

OLV_TEST_CLASS(PrintPeriodTest)
#include "test_print_period.moc"
