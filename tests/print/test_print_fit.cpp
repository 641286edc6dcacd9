// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Columns on paper hold what they print: long names, times of more than a thousand hours and
// long currency symbols, read back from the PDF. No two cells overlap and every number is whole;
// pages are numbered, the file is titled after the report, and a long printout asks first and
// can be cancelled without leaving a file.
#include "print/page.h"
#include "print/period_page.h"
#include "print/print_job.h"
#include "print/print_view.h"
#include "print/report_page.h"
#include "print/table.h"
#include "progress_cancel.h"
#include "reports/format.h"
#include "reports/period_fixture.h"
#include "test_print_fixture.h"
#include "test_registry.h"
#include "views/progress.h"

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <set>

using namespace olv;
using namespace olv::testing;

namespace {

const std::string kLongName = "Consolidated Intercontinental Widget Manufacturing Holdings Ltd";

bool overlap(const PdfWord& a, const PdfWord& b) {
    // A hair of tolerance for the glyph boxes poppler reports.
    constexpr double kSlack = 0.3;
    return a.x_min < b.x_max - kSlack && b.x_min < a.x_max - kSlack && a.y_min < b.y_max - kSlack &&
           b.y_min < a.y_max - kSlack;
}

// Fails on the first two words of a page that cover each other.
void expect_no_overlap(const std::vector<PdfPage>& pages) {
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto& words = pages[p].words;
        for (std::size_t i = 0; i < words.size(); ++i)
            for (std::size_t j = i + 1; j < words.size(); ++j)
                QVERIFY2(!overlap(words[i], words[j]),
                         qPrintable(QStringLiteral("page %1: \"%2\" over \"%3\"")
                                        .arg(p + 1)
                                        .arg(words[i].text, words[j].text)));
    }
}

// Every word of every number stands whole on some page.
void expect_whole(const std::vector<PdfPage>& pages, const std::vector<std::string>& numbers) {
    std::set<QString> words;
    for (const PdfPage& page : pages)
        for (const PdfWord& w : page.words)
            words.insert(w.text);
    for (const std::string& number : numbers)
        for (const QString& part :
             QString::fromStdString(number).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2(words.count(part), qPrintable(QStringLiteral("%1 of %2 is not whole")
                                                       .arg(part, QString::fromStdString(number))));
}

// Pages end with "Page N of M".
void expect_numbered(const QString& pdf, int pages) {
    const QStringList texts = pdf_layout_text(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(texts.size(), pages);
    for (int p = 0; p < pages; ++p)
        QCOMPARE(simplified_lines(texts[p]).last(),
                 QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
}

QString pdf_title(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    process.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Title:")))
            return line.mid(6).trimmed();
    return {};
}

void add_columns() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("currency");
    const QString long_name = QString::fromStdString(kLongName);
    QTest::newRow("ordinary") << "Acme" << 5400 << 45.5 << "£";
    QTest::newRow("long names") << long_name << 5400 << 45.5 << "£";
    QTest::newRow("over a thousand hours") << "Acme" << 3'700'000 << 45.5 << "£";
    QTest::newRow("a currency of letters") << "Acme" << 5400 << 45.5 << "EUR ";
    QTest::newRow("a currency written out") << "Acme" << 5400 << 45.5 << "Swiss francs ";
    QTest::newRow("everything at once") << long_name << 2'000'000'000 << 9'999.99 << "CHF ";
}

} // namespace

class PrintFitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { Progress::show_after_ms = 500; }

    void period_report_columns_fit_data() { add_columns(); }
    void period_report_columns_fit() {
        QFETCH(QString, name);
        QFETCH(int, seconds);
        QFETCH(double, rate);
        QFETCH(QString, currency);
        RecordFixture f;
        f.store.currency = currency.toStdString();
        const std::string n = name.toStdString();
        const std::size_t client = f.client(n);
        const std::size_t project = f.project(client, n, rate);
        const std::size_t task = f.task(f.objective(project, n), n);
        for (int d = 1; d <= 3; ++d)
            f.store.lists.entries[f.entry(task, seconds / d, d == 2)].date =
                make_date(2026, 11, d, 0, 0, 0);
        const PeriodReport report =
            period_report(f.store, {RecordKind::User, 0}, all_time(), false);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("period.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setDocName(QString::fromStdString(report.heading));
        ScriptedPrompter prompter;
        QCOMPARE(print_pages(
                     nullptr, prompter, printer,
                     [&](Page& page) { print_period_report(page, f.store, "10/12/2026", report); }),
                 PrintOutcome::Printed);

        const std::vector<PdfPage> pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        expect_no_overlap(pages);
        std::vector<std::string> numbers;
        const auto money = [&](std::int64_t cents) {
            return format_money(f.store.currency, static_cast<double>(cents) / 100.0);
        };
        for (const PeriodEntry& e : report.entries) {
            numbers.push_back(format_duration(e.seconds));
            numbers.push_back(money(e.rate_cents));
            numbers.push_back(money(e.amount_cents));
        }
        numbers.push_back(format_duration(report.totals.seconds));
        numbers.push_back(money(report.totals.earned_cents));
        numbers.push_back(money(report.totals.unbilled_cents()));
        expect_whole(pages, numbers);
        // A name that does not fit is cut after a whole character, with "…".
        const QString all_words = pages[0].texts().join(QLatin1Char(' '));
        QCOMPARE(all_words.contains(QChar(0x2026)), name.size() > 10);
        QVERIFY(!all_words.contains(QStringLiteral("Holdings Ltd")) || name.size() < 10);
        expect_numbered(pdf, 1);
        QCOMPARE(pdf_title(pdf), QString::fromStdString(report.heading));
    }

    void printed_report_columns_fit_data() { add_columns(); }
    void printed_report_columns_fit() {
        QFETCH(QString, name);
        QFETCH(int, seconds);
        QFETCH(double, rate);
        QFETCH(QString, currency);
        PrintFixture f;
        const Key client = f.add_client(name.toStdString(), rate);
        const Key task =
            f.add_task(f.add_objective(f.add_project(client, name.toStdString(), rate), "O"), "T");
        f.add_entry(task, 1, seconds, true);
        f.add_entry(task, 2, seconds / 3, false);
        f.add_client("Birch", rate);
        f.store->currency = currency.toStdString();
        f.rebuild();
        f.select(RecordKind::User, {});

        const QString pdf = f.dir.filePath(QStringLiteral("report.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);
        const std::vector<PdfPage> pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        expect_no_overlap(pages);
        const auto report = report_for(*f.store, {RecordKind::User, 0});
        QVERIFY(report);
        std::vector<std::string> numbers;
        for (const Figures* figures : {&report->rows.front().figures, &report->totals}) {
            numbers.push_back(format_duration(figures->total_seconds));
            numbers.push_back(format_duration(figures->billed_seconds));
            numbers.push_back(format_cents(f.store->currency, figures->earned_cents));
            numbers.push_back(format_cents(f.store->currency, figures->billed_cents));
        }
        expect_whole(pages, numbers);
        expect_numbered(pdf, 1);
        QCOMPARE(pdf_title(pdf), QStringLiteral("Report for User: Robin"));
    }

    // Numbers that leave the names no room make the table's text smaller, down to 7 points,
    // and then the names wrap: at every width on the way no number is cut or runs into the next
    // column, and the table stays on the page.
    void crowded_numbers_shrink_the_text_then_wrap_names() {
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("measure.pdf")));
        writer.setResolution(300);
        QPainter painter(&writer);
        Page page(painter);
        constexpr double kRight = 20.5;
        bool shrunk = false;
        bool wrapped = false;
        for (std::size_t digits = 8; digits < 200 && !wrapped; digits += 2) {
            const std::string number(digits, '8');
            TableMeasure measure(page,
                                 {{"Name", false, Page::kLeft},
                                  {"One", true, 17.0},
                                  {"Two", true, 18.0},
                                  {"Three", true, 19.0}},
                                 text_style::BoldUnderline);
            measure.add(0, kLongName);
            for (std::size_t c = 1; c <= 3; ++c)
                measure.add_number(c, number);
            const TableLayout layout = lay_out_table(measure, kRight);
            QVERIFY(!layout.usual);
            QVERIFY(page.points(layout.size) >= 7.0 - 0.3);
            for (std::size_t c = 1; c <= 3; ++c) {
                QVERIFY2(page.text_width(number, layout.size, text_style::Regular) <=
                             layout.room[c],
                         qPrintable(QString::number(digits)));
                QVERIFY(page.page_x(layout.x[c - 1]) + layout.room[c - 1] <=
                        page.page_x(layout.x[c]));
            }
            QVERIFY(page.page_x(layout.x[3]) + layout.room[3] <= page.page_x(kRight) + 2);
            shrunk = shrunk || (layout.size < Page::kLineSize && !layout.wrap);
            if (layout.wrap) {
                wrapped = true;
                QVERIFY(shrunk);
                QVERIFY(qAbs(page.points(layout.size) - 7.0) < 0.3);
                const std::vector<std::string> cells{kLongName, number, number, number};
                QVERIFY(row_lines(page, layout, cells, text_style::Regular) > 1);
                // Every wrapped line fits the name's room and nothing of the name is lost.
                std::string joined;
                for (const std::string& line :
                     page.wrap(kLongName, layout.room[0], layout.size, text_style::Regular)) {
                    QVERIFY(page.text_width(line, layout.size, text_style::Regular) <=
                                layout.room[0] ||
                            QString::fromStdString(line).size() == 1);
                    joined += joined.empty() ? line : " " + line;
                }
                QCOMPARE(QString::fromStdString(joined).remove(' '),
                         QString::fromStdString(kLongName).remove(' '));
            }
        }
        QVERIFY(wrapped);
        painter.end();
    }

    // The page count is known before anything prints: past 50 pages the user is asked, and a
    // No prints nothing.
    void a_long_printout_asks_first_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("agree");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("printed");
        QTest::newRow("a few pages print at once") << 150 << false << false << true;
        QTest::newRow("many pages, agreed") << 3000 << true << true << true;
        QTest::newRow("many pages, declined") << 3000 << false << true << false;
    }
    void a_long_printout_asks_first() {
        QFETCH(int, entries);
        QFETCH(bool, agree);
        QFETCH(bool, asked);
        QFETCH(bool, printed);
        PeriodFixture f;
        const DateValue first = day(2020, 1, 1);
        for (int i = 0; i < entries; ++i)
            f.dated(f.checking, 60 + i, false, first + (i % 1500) * kSecondsPerDay);
        const PeriodReport report =
            period_report(f.store, {RecordKind::Client, f.bare}, all_time(), false);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ScriptedPrompter prompter;
        prompter.confirm_answer = agree;
        const PrintOutcome outcome = print_pages(nullptr, prompter, printer, [&](Page& page) {
            print_period_report(page, f.store, "10/12/2026", report);
        });
        QCOMPARE(outcome, printed ? PrintOutcome::Printed : PrintOutcome::Declined);
        QCOMPARE(prompter.shown.size(), asked ? 1 : 0);
        if (asked)
            QVERIFY(prompter.shown.front().text.contains(QRegularExpression(
                QStringLiteral("This printout makes \\d+ pages. Print all of them\\?"))));
        QCOMPARE(QFile::exists(pdf), printed);
        if (printed) {
            const int count = static_cast<int>(pdf_words(pdf).size());
            QCOMPARE(count > kPagesWithoutAsking, asked);
            expect_numbered(pdf, count);
        }
    }

    // Cancel in the progress window stops the printout and leaves no file.
    void a_cancelled_printout_leaves_no_file() {
        PeriodFixture f;
        const DateValue first = day(2020, 1, 1);
        for (int i = 0; i < 600; ++i)
            f.dated(f.checking, 60 + i, false, first + i * kSecondsPerDay);
        const PeriodReport report =
            period_report(f.store, {RecordKind::Client, f.bare}, all_time(), false);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("cancelled.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ScriptedPrompter prompter;
        ProgressCancel cancel;
        int pages_drawn = 0;
        const PrintOutcome outcome = print_pages(nullptr, prompter, printer, [&](Page& page) {
            print_period_report(page, f.store, "10/12/2026", report);
            pages_drawn = page.page_count();
        });
        QVERIFY(cancel.seen());
        QCOMPARE(outcome, PrintOutcome::Cancelled);
        QVERIFY(pages_drawn < 10);
        QVERIFY(!QFile::exists(pdf));
    }
};

OLV_TEST_CLASS(PrintFitTest)
#include "test_print_fit.moc"
