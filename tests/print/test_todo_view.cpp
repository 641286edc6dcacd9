// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The to-do list in the detail list and on paper.
#include "print/page.h"
#include "print/print_view.h"
#include "print/todo_view.h"
#include "test_print_fixture.h"
#include "test_registry.h"

#include <QHeaderView>
#include <QPainter>
#include <QPdfWriter>

using namespace olv;
using namespace olv::testing;

namespace {

DateValue december(int day) {
    return make_date(2026, 12, day, 0, 0, 0);
}

// Acme: Website overdue (ended 8 December), its objective Launch due today, task Design due on
// the 31st, task Old completed. Birch: project Shop and objective Stock complete, but task
// Count under them still open. Cobalt: no projects. The clock stands at 10 December 09:00.
void build_todo(PrintFixture& f) {
    const Key acme = f.add_client("Acme", 40);
    const Key website = f.add_project(acme, "Website", 40, december(8));
    const Key launch = f.add_objective(website, "Launch", december(10));
    f.add_task(launch, "Design", december(31));
    f.add_task(launch, "Old", december(1), true);
    const Key birch = f.add_client("Birch", 30);
    const Key shop = f.add_project(birch, "Shop", 30, december(12));
    f.add_task(f.add_objective(shop, "Stock", december(15)), "Count", december(20));
    f.add_client("Cobalt", 20);
    f.rebuild();
    // As the status refresh leaves them once everything beneath was accepted.
    for (auto& project : f.store->lists.projects)
        project.complete = project.project_title == "Shop";
    for (auto& objective : f.store->lists.objectives)
        objective.ob_complete = objective.ob_title == "Stock";
}

std::vector<PrintedText> print_todo(PrintFixture& f, const QString& pdf) {
    QPdfWriter writer(pdf);
    QPainter painter(&writer);
    Page page(painter);
    std::vector<PrintedText> log;
    page.record_to(&log);
    f.ws->page = &page;
    f.ws->state.is_printing = true;
    show_to_do_list(*f.ws);
    f.ws->state.is_printing = false;
    f.ws->page = nullptr;
    return log;
}

} // namespace

class ToDoViewTest : public QObject {
    Q_OBJECT

private slots:
    void rows_and_columns() {
        PrintFixture f;
        build_todo(f);
        f.select(RecordKind::Task, "Design");
        show_item_details(*f.ws, current_position(*f.ws));
        QVERIFY(f.ws->state.time_entries_shown);
        f.notes->setPlainText(QStringLiteral("typed notes"));

        show_to_do_list(*f.ws);
        QVERIFY(f.ws->state.to_do_list_shown);
        QVERIFY(!f.ws->state.time_entries_shown);
        QVERIFY(f.notes->toPlainText().isEmpty());
        QCOMPARE(f.list_rows(), QStringList({
                                    "|Acme||||",
                                    "|    - Website|OVERDUE : 08/12/2026|||",
                                    "|        - Launch|Due On : 10/12/2026|||",
                                    "|            - Design|Due On : 31/12/2026|||",
                                    "|||||",
                                    "|            - Count|Due On : 20/12/2026|||",
                                }));

        const QTreeWidgetItem* header = f.list->headerItem();
        const QStringList titles{"", "Description", "Due Date", "", "", ""};
        const QList<int> widths{0, 284, 165, 0, 0, 0};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(header->text(c), titles[c]);
            QCOMPARE(f.list->columnWidth(c), widths[c]);
            const Qt::Alignment horizontal = c == 1 ? Qt::AlignLeft : Qt::AlignHCenter;
            QCOMPARE(Qt::Alignment(header->textAlignment(c)) & Qt::AlignHorizontal_Mask,
                     horizontal);
            QCOMPARE(Qt::Alignment(f.list->topLevelItem(1)->textAlignment(c)) &
                         Qt::AlignHorizontal_Mask,
                     horizontal);
        }
    }

    void shown_again_replaces_its_rows() {
        PrintFixture f;
        build_todo(f);
        show_to_do_list(*f.ws);
        const QStringList once = f.list_rows();
        show_to_do_list(*f.ws);
        QCOMPARE(f.list_rows(), once);
    }

    // Due throughout the end day and at the midnight that ends it; overdue a second later.
    void due_until_the_day_has_passed_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("overdue");
        QTest::newRow("the end day, morning") << 9 << 0 << 0 << 0 << false;
        QTest::newRow("the end day, last second") << 9 << 23 << 59 << 59 << false;
        QTest::newRow("the midnight that ends it") << 10 << 0 << 0 << 0 << false;
        QTest::newRow("one second later") << 10 << 0 << 0 << 1 << true;
        QTest::newRow("weeks later") << 31 << 12 << 0 << 0 << true;
    }
    void due_until_the_day_has_passed() {
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(bool, overdue);
        PrintFixture f;
        const Key client = f.add_client("Acme", 40);
        f.add_project(client, "Website", 40, december(9));
        f.rebuild();
        f.clock.set_wall({2026, 12, day, hour, minute, second});

        const auto log = print_todo(f, f.dir.filePath(QStringLiteral("due.pdf")));
        const QString due = overdue ? QStringLiteral("OVERDUE : 09/12/2026")
                                    : QStringLiteral("Due On : 09/12/2026");
        QCOMPARE(f.list_rows().value(1), QStringLiteral("|    - Website|%1|||").arg(due));
        QVERIFY(!log.empty());
        QCOMPARE(QString::fromStdString(log.back().text), due);
        QVERIFY(log.back().colour == (overdue ? kRed : kGreen));
    }

    void printed_lines() {
        PrintFixture f;
        build_todo(f);
        const auto log = print_todo(f, f.dir.filePath(QStringLiteral("todo.pdf")));
        const std::vector<PrintedText> expected{
            {2.5, 2.5, "To Do List for : Robin", "Arial", 0.5, 256, kBlack},
            {2.5, 4.0, "Printed on 10/12/2026", "Arial", 0.5, 256, kBlack},
            {2.5, 6.0, "Description", "Arial", 0.4, 260, kBlack},
            {15.5, 6.0, "Due Date", "Arial", 0.4, 260, kBlack},
            {2.5, 6.8, "Acme", "Arial", 0.4, 0, kBlack},
            {3.0, 7.6, "-Website", "Arial", 0.4, 0, kBlack},
            {15.5, 7.6, "OVERDUE : 08/12/2026", "Arial", 0.4, 0, kRed},
            {3.5, 8.4, "-Launch", "Arial", 0.4, 0, kBlack},
            {15.5, 8.4, "Due On : 10/12/2026", "Arial", 0.4, 0, kGreen},
            {4.0, 9.2, "-Design", "Arial", 0.4, 0, kBlack},
            {15.5, 9.2, "Due on : 31/12/2026", "Arial", 0.4, 0, kGreen},
            // 1.0 more after a client with a listed project.
            {2.5, 11.0, "Birch", "Arial", 0.4, 0, kBlack},
            {4.0, 11.8, "-Count", "Arial", 0.4, 0, kBlack},
            {15.5, 11.8, "Due on : 20/12/2026", "Arial", 0.4, 0, kGreen},
            // No gap after a client whose own projects are all complete.
            {2.5, 12.6, "Cobalt", "Arial", 0.4, 0, kBlack},
        };
        QCOMPARE(describe(log), describe(expected));
    }

    void no_clients_prints_only_the_heads() {
        PrintFixture f;
        const auto log = print_todo(f, f.dir.filePath(QStringLiteral("none.pdf")));
        QCOMPARE(log.size(), std::size_t(4));
        QCOMPARE(log[3].text, std::string("Due Date"));
        QVERIFY(f.list_rows().isEmpty());
    }

    // File > Print while the to-do list shows prints it; the list keeps showing it.
    void print_current_view_prints_the_list() {
        PrintFixture f;
        build_todo(f);
        show_to_do_list(*f.ws);
        const QStringList before = f.list_rows();
        const QString pdf = f.dir.filePath(QStringLiteral("print.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);
        QVERIFY(f.ws->state.to_do_list_shown);
        QVERIFY(!f.ws->state.is_printing);
        QCOMPARE(f.list_rows(), before);

        QCOMPARE(simplified_lines(pdf_layout_text(pdf)),
                 QStringList({"To Do List for : Robin", "Printed on 10/12/2026",
                              "Description Due Date", "Acme", "-Website OVERDUE : 08/12/2026",
                              "-Launch Due On : 10/12/2026", "-Design Due on : 31/12/2026", "Birch",
                              "-Count Due on : 20/12/2026", "Cobalt", "Page 1 of 1"}));
    }

    void long_list_continues_on_further_pages() {
        PrintFixture f;
        const Key client = f.add_client("Acme", 40);
        const Key objective = f.add_objective(f.add_project(client, "Website", 40), "Launch");
        for (int i = 1; i <= 80; ++i)
            f.add_task(objective,
                       QStringLiteral("Step%1").arg(i, 2, 10, QLatin1Char('0')).toStdString());
        f.rebuild();
        show_to_do_list(*f.ws);
        const QString pdf = f.dir.filePath(QStringLiteral("steps.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);

        const QStringList pages = pdf_layout_text(pdf).split(QLatin1Char('\f'));
        QStringList steps;
        int printed_pages = 0;
        for (const QString& page : pages) {
            const QStringList lines = simplified_lines(page);
            if (lines.isEmpty())
                continue;
            ++printed_pages;
            if (printed_pages > 1)
                QCOMPARE(lines.first(), QStringLiteral("Description Due Date"));
            for (const QString& line : lines)
                if (line.startsWith(QStringLiteral("-Step")))
                    steps << line.section(QLatin1Char(' '), 0, 0);
        }
        QVERIFY2(printed_pages >= 2, qPrintable(QString::number(printed_pages)));
        QCOMPARE(steps.size(), 80);
        for (int i = 0; i < 80; ++i)
            QCOMPARE(steps[i], QStringLiteral("-Step%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    }

    // A long title is cut before the due column, at every level, so its date stays readable.
    void a_long_title_is_cut_before_the_due_column() {
        PrintFixture f;
        const auto long_title = [](const char* first) {
            std::string title =
                std::string(first) + " alpha beta gamma delta epsilon zeta eta theta iota kappa";
            title.resize(77, 'x');
            return title;
        };
        const std::vector<std::string> titles{long_title("Project"), long_title("Objective"),
                                              long_title("Task")};
        const Key acme = f.add_client("Acme", 40);
        const Key o = f.add_objective(f.add_project(acme, titles[0], 40), titles[1]);
        // Overdue, so its date is the wider red one.
        f.add_task(o, titles[2], december(9));
        f.rebuild();
        const QString pdf = f.dir.filePath(QStringLiteral("long.pdf"));
        const auto log = print_todo(f, pdf);

        // Each title is printed shortened: a beginning of the whole, then "…".
        const std::string ellipsis = "\u2026";
        QStringList printed;
        for (const PrintedText& t : log)
            for (const std::string& title : titles)
                if (t.text.size() > 10 && t.text.ends_with(ellipsis) &&
                    ("-" + title).rfind(t.text.substr(0, t.text.size() - ellipsis.size()), 0) == 0)
                    printed << QString::fromStdString(t.text);
        QCOMPARE(printed.size(), 3);
        for (const QString& text : printed)
            QVERIFY2(text.size() < 78, qPrintable(text));

        // On paper no word of a title reaches the due date of its line.
        const std::vector<PdfPage> pages = pdf_words(pdf);
        QCOMPARE(pages.size(), std::size_t(1));
        const auto same_line = [](const PdfWord& a, const PdfWord& b) {
            return std::abs(a.y_min - b.y_min) < 2;
        };
        int dated_lines = 0;
        for (const PdfWord& due : pages[0].words) {
            if (due.text != QLatin1String("OVERDUE") && due.text != QLatin1String("Due"))
                continue;
            const PdfWord* head = pages[0].find(QStringLiteral("Description"));
            if (head && same_line(*head, due))
                continue;
            ++dated_lines;
            for (const PdfWord& word : pages[0].words)
                if (same_line(word, due) && word.x_min < due.x_min)
                    QVERIFY2(word.x_max < due.x_min, qPrintable(word.text));
        }
        QCOMPARE(dated_lines, 3);
    }
};

OLV_TEST_CLASS(ToDoViewTest)
#include "test_todo_view.moc"
