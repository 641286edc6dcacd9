// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The printed reports of the user, a client, a project and an objective: the exact sequence of
// drawn texts, and real PDF output read back with pdftotext.
#include "print/page.h"
#include "print/print_view.h"
#include "print/report_page.h"
#include "test_print_fixture.h"
#include "test_registry.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <array>

using namespace olv;
using namespace olv::testing;

namespace {

using Cells = std::array<QString, 5>;
constexpr std::array<double, 5> kColumns{2.5, 10.5, 12.7, 15.1, 17.5};

void add_line(std::vector<PrintedText>& out, double y, const Cells& cells, int style,
              TextColour colour) {
    for (std::size_t i = 0; i < cells.size(); ++i)
        out.push_back({kColumns[i], y, cells[i].toStdString(), "Arial", 0.4, style, colour});
}

// Acme / Website (40 an hour) / Launch: Build 2 h open, Design 1.5 h of which 1 h billed,
// Test 15 min billed. Birch / Shop (30 an hour) / Stock / Fix: 20 min billed; Birch / Empty has
// nothing beneath it. Cobalt / Audit (60 an hour) / Review / Read: no time.
void build_standard(PrintFixture& f) {
    const Key acme = f.add_client("Acme", 40);
    const Key website = f.add_project(acme, "Website", 40);
    const Key launch = f.add_objective(website, "Launch");
    const Key design = f.add_task(launch, "Design");
    const Key build = f.add_task(launch, "Build");
    const Key test = f.add_task(launch, "Test");
    f.add_entry(design, 1, 3600, true);
    f.add_entry(design, 2, 1800, false);
    f.add_entry(build, 3, 7200, false);
    f.add_entry(test, 4, 900, true);

    const Key birch = f.add_client("Birch", 30);
    const Key shop = f.add_project(birch, "Shop", 30);
    f.add_project(birch, "Empty", 30, make_date(2027, 6, 30, 0, 0, 0),
                  make_date(2026, 2, 1, 0, 0, 0));
    const Key stock = f.add_objective(shop, "Stock");
    f.add_entry(f.add_task(stock, "Fix"), 5, 1200, true);

    const Key cobalt = f.add_client("Cobalt", 60);
    f.add_task(f.add_objective(f.add_project(cobalt, "Audit", 60), "Review"), "Read");
    f.rebuild();
}

std::vector<PrintedText> print_to_log(PrintFixture& f, std::int32_t position, const QString& pdf) {
    QPdfWriter writer(pdf);
    QPainter painter(&writer);
    Page page(painter);
    std::vector<PrintedText> log;
    page.record_to(&log);
    const auto report = report_for(*f.store, record_at(*f.store, position));
    if (report)
        print_report(page, *f.ws, *report);
    return log;
}

// Lines of pdftotext -layout with runs of blanks made one; empty lines dropped.
QStringList layout_lines(const QString& pdf) {
    return simplified_lines(pdf_layout_text(pdf));
}

} // namespace

class PrintReportTest : public QObject {
    Q_OBJECT

private slots:
    void three_rows_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("first_column");
        QTest::addColumn<QList<Cells>>("rows");
        QTest::addColumn<Cells>("totals");
        QTest::addColumn<double>("totals_y");

        QTest::newRow("user") << int(RecordKind::User) << QString() << "Report for User: Robin"
                              << "Client"
                              << QList<Cells>{{"Acme", "03:45:00", "01:15:00", "£150.00", "£50.00"},
                                              {"Birch", "00:20:00", "00:20:00", "£10.00", "£10.00"},
                                              {"Cobalt", "00:00:00", "00:00:00", "£0.00", "£0.00"}}
                              << Cells{"TOTALS", "04:05:00", "01:35:00", "£160.00", "£60.00"}
                              << 10.0;
        QTest::newRow("objective")
            << int(RecordKind::Objective) << "Launch"
            << "Report for Objective: Launch"
            << "Task"
            << QList<Cells>{{"Build", "02:00:00", "00:00:00", "£80.00", "£0.00"},
                            {"Design", "01:30:00", "01:00:00", "£60.00", "£40.00"},
                            {"Test", "00:15:00", "00:15:00", "£10.00", "£10.00"}}
            << Cells{"TOTALS", "03:45:00", "01:15:00", "£150.00", "£50.00"} << 10.2;
        QTest::newRow("client") << int(RecordKind::Client) << "Birch"
                                << "Report for Client: Birch"
                                << "Project"
                                << QList<Cells>{{"Shop", "00:20:00", "00:20:00", "£10.00",
                                                 "£10.00"},
                                                {"Empty", "00:00:00", "00:00:00", "£0.00", "£0.00"}}
                                << Cells{"TOTALS", "00:20:00", "00:20:00", "£10.00", "£10.00"}
                                << 9.2;
        QTest::newRow("project without rows")
            << int(RecordKind::Project) << "Empty"
            << "Report for Project: Empty"
            << "Objective" << QList<Cells>{}
            << Cells{"TOTALS", "00:00:00", "00:00:00", "£0.00", "£0.00"} << 7.6;
    }
    void three_rows() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, heading);
        QFETCH(QString, first_column);
        QFETCH(QList<Cells>, rows);
        QFETCH(Cells, totals);
        QFETCH(double, totals_y);

        PrintFixture f;
        build_standard(f);
        const auto position = f.position_of(RecordKind(kind), name.toStdString());
        const auto log = print_to_log(f, position, f.dir.filePath(QStringLiteral("r.pdf")));

        std::vector<PrintedText> expected{
            {2.5, 2.5, heading.toStdString(), "Arial", 0.5, 256, kBlack},
            {2.5, 4.0, "Printed on 10/12/2026", "Arial", 0.5, 256, kBlack},
        };
        add_line(expected, 6.0,
                 {first_column, "Total Time", "Time Billed", "Total Earned", "Total Billed"}, 260,
                 kBlack);
        double y = 6.8;
        for (int i = 0; i < rows.size(); ++i, y += 0.8)
            add_line(expected, y, rows[i], 0, i % 2 == 0 ? kGrey : kBlack);
        add_line(expected, totals_y, totals, 260, kBlack);
        QCOMPARE(describe(log), describe(expected));
    }

    void tasks_and_nothing_have_no_report() {
        PrintFixture f;
        build_standard(f);
        QVERIFY(!report_for(*f.store, record_at(*f.store, f.position_of(RecordKind::Task, "Fix"))));
        QVERIFY(!report_for(*f.store, record_at(*f.store, -1)));
        QVERIFY(!report_for(*f.store, record_at(*f.store, 10000)));
    }

    // Labels wider than their column are cut after a whole character and end with "…"; they
    // never reach the next column.
    void long_labels_are_cut() {
        PrintFixture f;
        build_standard(f);
        const std::string long_name = "Consolidated Intercontinental Widget Manufacturing Holdings";
        f.add_client(long_name, 10);
        f.add_client("Aaron & Sons Commercial Cleaning and Facilities Management", 10);
        f.rebuild();
        const QString pdf = f.dir.filePath(QStringLiteral("long.pdf"));
        const auto log = print_to_log(f, 0, pdf);

        std::vector<std::string> labels;
        for (const auto& t : log)
            if (t.x == 2.5 && t.y > 6.5 && t.style == 0)
                labels.push_back(t.text);
        QCOMPARE(labels.size(), std::size_t(5));
        QCOMPARE(labels[1], std::string("Acme"));
        QCOMPARE(labels[2], std::string("Birch"));
        const std::string ellipsis = "\u2026";
        const std::string aaron = "Aaron & Sons Commercial Cleaning and Facilities Management";
        for (const auto& [label, name] : {std::pair{labels[0], aaron}, {labels[4], long_name}}) {
            QVERIFY(label.size() > 10);
            QVERIFY(label.ends_with(ellipsis));
            QVERIFY(name.starts_with(label.substr(0, label.size() - ellipsis.size())));
        }

        const auto pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        const PdfWord* total_time = pages[0].find(QStringLiteral("Total"));
        QVERIFY(total_time);
        for (const auto& word : pages[0].words)
            if (word.y_min > total_time->y_max && word.x_min < total_time->x_min)
                QVERIFY2(word.x_max < total_time->x_min, qPrintable(word.text));
    }

    void printed_on_follows_the_date_mask() {
        PrintFixture f;
        f.clock.set_wall({2004, 3, 5, 17, 45, 0});
        f.store->date_mask = "%DD/%MM/%YY";
        const auto log = print_to_log(f, 0, f.dir.filePath(QStringLiteral("d.pdf")));
        QVERIFY(log.size() > 2);
        QCOMPARE(log[1].text, std::string("Printed on 05/03/04"));
    }

    // File > Print on a real PDF: the texts in order, at the page positions, and the list
    // showing what it showed.
    void print_current_view_writes_the_report() {
        PrintFixture f;
        build_standard(f);
        f.select(RecordKind::User, {});
        show_item_details(*f.ws, current_position(*f.ws));
        const QStringList before = f.list_rows();
        QVERIFY(!before.isEmpty());

        const QString pdf = f.dir.filePath(QStringLiteral("print.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);
        QVERIFY(!f.ws->state.is_printing);
        QVERIFY(f.ws->page == nullptr);
        QCOMPARE(f.list_rows(), before);

        QCOMPARE(layout_lines(pdf),
                 QStringList({"Report for User: Robin", "Printed on 10/12/2026",
                              "Client Total Time Time Billed Total Earned Total Billed",
                              "Acme 03:45:00 01:15:00 £150.00 £50.00",
                              "Birch 00:20:00 00:20:00 £10.00 £10.00",
                              "Cobalt 00:00:00 00:00:00 £0.00 £0.00",
                              "TOTALS 04:05:00 01:35:00 £160.00 £60.00", "Page 1 of 1"}));

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(60000));
        const QString details = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(details.contains(
                     QRegularExpression(QStringLiteral("Title:\\s+Report for User: Robin"))),
                 qPrintable(details));
        QVERIFY(details.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

        // Positions: the page units of the printer that was used, from the printable corner.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const double points = 72.0 / printer.resolution();
        const QRectF corner = printer.pageLayout().paintRectPoints();
        QImage scratch(1, 1, QImage::Format_RGB32);
        QPainter painter(&scratch);
        const Page units(painter, printer.width(), printer.height(), 96);

        const auto pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        const PdfPage& page = pages[0];
        const auto expect_at = [&](const QString& word, double x, double y, int skip = 0) {
            const PdfWord* w = page.find(word, skip);
            QVERIFY2(w, qPrintable(word));
            QVERIFY2(std::abs(w->x_min - (corner.left() + units.page_x(x) * points)) < 0.5,
                     qPrintable(QStringLiteral("%1 x %2").arg(word).arg(w->x_min)));
            QVERIFY2(std::abs(w->y_min - (corner.top() + units.page_y(y) * points)) < 1.0,
                     qPrintable(QStringLiteral("%1 y %2").arg(word).arg(w->y_min)));
        };
        expect_at(QStringLiteral("Report"), 2.5, 2.5);
        expect_at(QStringLiteral("Printed"), 2.5, 4.0);
        expect_at(QStringLiteral("Client"), 2.5, 6.0);
        expect_at(QStringLiteral("Total"), 10.5, 6.0);
        expect_at(QStringLiteral("Time"), 12.7, 6.0, 1);
        expect_at(QStringLiteral("Total"), 15.1, 6.0, 1);
        expect_at(QStringLiteral("Total"), 17.5, 6.0, 2);
        expect_at(QStringLiteral("Acme"), 2.5, 6.8);
        expect_at(QStringLiteral("Birch"), 2.5, 7.6);
        expect_at(QStringLiteral("Cobalt"), 2.5, 8.4);
        expect_at(QStringLiteral("TOTALS"), 2.5, 10.0);
        expect_at(QStringLiteral("£60.00"), 17.5, 10.0);
        // Heading letters are 0.5 units high, row letters 0.4 (as 4/3 of that in pixels).
        const PdfWord* heading = page.find(QStringLiteral("Report"));
        const PdfWord* row = page.find(QStringLiteral("Acme"));
        QVERIFY(std::abs((heading->y_max - heading->y_min) / (row->y_max - row->y_min) -
                         double(units.font_pixel_height(0.5)) / units.font_pixel_height(0.4)) <
                0.05);
    }

    // A cancelled dialog, or a job that cannot start, ends the command silently.
    void print_that_does_not_start_changes_nothing_data() {
        QTest::addColumn<QString>("output");
        QTest::newRow("dialog cancelled") << QString();
        QTest::newRow("job cannot start") << QStringLiteral("missing folder/report.pdf");
    }
    void print_that_does_not_start_changes_nothing() {
        QFETCH(QString, output);
        PrintFixture f;
        build_standard(f);
        f.select(RecordKind::Client, "Acme");
        show_item_details(*f.ws, current_position(*f.ws));
        const QStringList before = f.list_rows();
        f.list->setCurrentItem(f.list->topLevelItem(0));

        f.prompter.printer_output = output.isEmpty() ? output : f.dir.filePath(output);
        print_current_view(*f.ws);
        QVERIFY(!f.ws->state.is_printing);
        QVERIFY(f.ws->page == nullptr);
        QCOMPARE(f.list_rows(), before);
        QCOMPARE(f.list->currentItem(), f.list->topLevelItem(0));
        QVERIFY(f.prompter.shown.isEmpty());
        QVERIFY(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) ==
                QStringList{QStringLiteral("print.db")});
    }

    // A task (its time entries) or no selection prints one empty page.
    void empty_page_data() {
        QTest::addColumn<bool>("task");
        QTest::newRow("task selected") << true;
        QTest::newRow("nothing selected") << false;
    }
    void empty_page() {
        QFETCH(bool, task);
        PrintFixture f;
        build_standard(f);
        if (task)
            f.select(RecordKind::Task, "Design");
        else
            f.tree->setCurrentItem(nullptr);
        show_item_details(*f.ws, current_position(*f.ws));
        const QStringList before = f.list_rows();

        const QString pdf = f.dir.filePath(QStringLiteral("empty.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);
        const auto pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        QVERIFY(pages[0].words.empty());
        QCOMPARE(f.list_rows(), before);
        QCOMPARE(f.ws->state.time_entries_shown, task);
    }

    // A report longer than a page goes on over further pages, heads repeated on each.
    void long_report_continues_on_further_pages() {
        PrintFixture f;
        for (int i = 1; i <= 120; ++i) {
            const Key key = 1000 + i;
            QCOMPARE(
                f.store->db.execute(insert_client_sql(
                    key, QStringLiteral("Firm%1").arg(i, 3, 10, QLatin1Char('0')).toStdString(),
                    10)),
                0);
        }
        QCOMPARE(load_all_records(*f.store), LoadStatus::Loaded);
        f.rebuild();
        f.select(RecordKind::User, {});

        const QString pdf = f.dir.filePath(QStringLiteral("long.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);

        const auto pages = pdf_words(pdf);
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QRectF area = printer.pageLayout().paintRectPoints();

        const QStringList page_texts = pdf_layout_text(pdf).split(QLatin1Char('\f'));
        QVERIFY(page_texts.size() >= int(pages.size()));
        const QString heads =
            QStringLiteral("Client Total Time Time Billed Total Earned Total Billed");
        QStringList firms;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            QStringList lines = simplified_lines(page_texts[int(p)]);
            QVERIFY(!lines.isEmpty());
            // Each page ends with its number.
            QCOMPARE(lines.takeLast(),
                     QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size()));
            // The heading lines stand on the first page only; the heads top every page.
            if (p == 0) {
                QCOMPARE(lines.mid(0, 3),
                         QStringList({"Report for User: Robin", "Printed on 10/12/2026", heads}));
            } else {
                QCOMPARE(lines.first(), heads);
            }
            QCOMPARE(lines.count(heads), 1);
            for (const QString& line : lines)
                if (line.startsWith(QStringLiteral("Firm")))
                    firms << line.section(QLatin1Char(' '), 0, 0);
            QCOMPARE(lines.last().startsWith(QStringLiteral("TOTALS")), p == pages.size() - 1);
            for (const auto& word : pages[p].words)
                QVERIFY2(word.y_max <= area.bottom() + 0.5, qPrintable(word.text));
        }
        QCOMPARE(firms.size(), 120);
        for (int i = 0; i < 120; ++i)
            QCOMPARE(firms[i], QStringLiteral("Firm%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        const QStringList last_page = simplified_lines(page_texts[int(pages.size()) - 1]);
        QCOMPARE(last_page.at(last_page.size() - 2),
                 QStringLiteral("TOTALS 00:00:00 00:00:00 £0.00 £0.00"));
    }
};

OLV_TEST_CLASS(PrintReportTest)
#include "test_print_report.moc"
