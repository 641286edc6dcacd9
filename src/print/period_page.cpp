#include "print/period_page.h"

#include "print/page.h"
#include "reports/format.h"

#include <array>

namespace olv {

namespace {

constexpr double kLeft = Page::kLeft;
constexpr double kLineSize = Page::kLineSize;
constexpr double kLineStep = Page::kLineStep;

// Summary: name, Total Time, Time Billed, Total Earned, Total Billed, Unbilled.
constexpr std::array<double, 6> kRowColumns{kLeft, 8.5, 10.7, 12.9, 15.3, 17.7};
constexpr double kRowLabelWidth = 5.8;
// Entries: Date, Client, Project, Objective, Task, Time, Billed, Rate, Amount.
constexpr std::array<double, 9> kEntryColumns{kLeft, 4.8, 7.1, 9.3, 11.5, 13.8, 15.4, 16.6, 18.3};
constexpr double kNameWidth = 2.1;

template <std::size_t N>
void print_line(Page& page, const std::array<double, N>& columns,
                const std::array<std::string, N>& cells, int style, TextColour colour) {
    for (std::size_t i = 0; i < N; ++i)
        page.print_text(columns[i], page.y, cells[i], kLineSize, style, colour);
}

std::string money(const Store& store, std::int64_t cents) {
    return format_cents(store.currency, cents);
}

std::array<std::string, 6> total_cells(const Store& store, std::string label,
                                       const PeriodTotals& t) {
    return {std::move(label),
            format_duration(t.seconds),
            format_duration(t.billed_seconds),
            money(store, t.earned_cents),
            money(store, t.billed_cents),
            money(store, t.unbilled_cents())};
}

} // namespace

void print_period_report(Page& page, const Store& store, const std::string& printed_on,
                         const PeriodReport& report) {
    page.y = 2.0;
    page.print_text(kLeft, Page::kTopLine, report.heading, Page::kHeadingSize, text_style::Bold,
                    kBlack);
    page.y += 2.0;
    page.print_text(kLeft, page.y, "Printed on " + printed_on, Page::kHeadingSize, text_style::Bold,
                    kBlack);
    page.y += 2.0;

    const auto row_heads = [&] {
        print_line<6>(page, kRowColumns,
                      {report.first_column, "Total Time", "Time Billed", "Total Earned",
                       "Total Billed", "Unbilled"},
                      text_style::BoldUnderline, kBlack);
        page.y += kLineStep;
    };
    row_heads();
    bool grey = false;
    for (const PeriodRow& row : report.rows) {
        page.keep_line_on_page(kLineSize, row_heads);
        grey = !grey;
        std::string label = page.fit_text(row.label, page.page_x(kRowLabelWidth));
        print_line<6>(page, kRowColumns, total_cells(store, std::move(label), row.totals),
                      text_style::Regular, grey ? kGrey : kBlack);
        page.y += kLineStep;
    }
    page.y += kLineStep;
    page.keep_line_on_page(kLineSize, row_heads);
    print_line<6>(page, kRowColumns, total_cells(store, "TOTALS", report.totals),
                  text_style::BoldUnderline, kBlack);
    page.y += kLineStep;

    const auto entry_heads = [&] {
        print_line<9>(
            page, kEntryColumns,
            {"Date", "Client", "Project", "Objective", "Task", "Time", "Billed", "Rate", "Amount"},
            text_style::BoldUnderline, kBlack);
        page.y += kLineStep;
    };
    page.y += kLineStep;
    // The heads go with the first entry onto a new page rather than stand alone at the bottom.
    if (!page.fits(page.y + kLineStep, kLineSize) && page.new_page())
        page.y = Page::kTopLine;
    entry_heads();

    const RecordLists& lists = store.lists;
    const int name_width = page.page_x(kNameWidth);
    grey = false;
    for (const PeriodEntry& e : report.entries) {
        page.keep_line_on_page(kLineSize, entry_heads);
        grey = !grey;
        const auto name = [&](const std::string& text) { return page.fit_text(text, name_width); };
        print_line<9>(
            page, kEntryColumns,
            {format_date(store.date_mask, e.date), name(lists.clients[e.client].client_name),
             name(lists.projects[e.project].project_title),
             name(lists.objectives[e.objective].ob_title), name(lists.tasks[e.task].task_title),
             format_duration(e.seconds), e.billed ? "Yes" : "No", money(store, e.rate_cents),
             money(store, e.amount_cents)},
            text_style::Regular, grey ? kGrey : kBlack);
        page.y += kLineStep;
    }
}

} // namespace olv
