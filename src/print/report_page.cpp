#include "print/report_page.h"

#include "print/page.h"
#include "reports/format.h"

#include <array>

namespace olv {

namespace {

constexpr double kLeft = Page::kLeft;
constexpr std::array<double, 5> kColumns{kLeft, 10.5, 12.7, 15.1, 17.5};
constexpr double kHeadingSize = Page::kHeadingSize;
constexpr double kLineSize = Page::kLineSize;
constexpr double kLineStep = Page::kLineStep;
constexpr double kLabelWidth = 8.0;

void print_line(Page& page, const std::array<std::string, 5>& cells, int style, TextColour colour) {
    for (std::size_t i = 0; i < cells.size(); ++i)
        page.print_text(kColumns[i], page.y, cells[i], kLineSize, style, colour);
}

std::array<std::string, 5> figure_cells(const Workspace& ws, std::string label,
                                        const Figures& figures) {
    return {std::move(label), format_duration(figures.total_seconds),
            format_duration(figures.billed_seconds),
            format_cents(ws.store.currency, figures.earned_cents),
            format_cents(ws.store.currency, figures.billed_cents)};
}

} // namespace

std::optional<Report> report_for(const Store& store, RecordRef record) {
    switch (record.kind) {
    case RecordKind::User:
        return user_report(store, record.index);
    case RecordKind::Client:
        return client_report(store, record.index);
    case RecordKind::Project:
        return project_report(store, record.index);
    case RecordKind::Objective:
        return objective_report(store, record.index);
    case RecordKind::Task:
    case RecordKind::None:
        break;
    }
    return std::nullopt;
}

void print_report(Page& page, const Workspace& ws, const Report& report) {
    page.y = 2.0;

    page.print_text(kLeft, Page::kTopLine, report.heading, kHeadingSize, text_style::Bold, kBlack);
    page.y += 2.0;
    page.print_text(kLeft, page.y,
                    "Printed on " + format_date(ws.store.date_mask, current_date(ws.clock)),
                    kHeadingSize, text_style::Bold, kBlack);
    page.y += 2.0;

    const auto heads = [&] {
        print_line(
            page,
            {report.first_column, "Total Time", "Time Billed", "Total Earned", "Total Billed"},
            text_style::BoldUnderline, kBlack);
        page.y += kLineStep;
    };
    heads();

    bool grey = false;
    for (const ReportRow& row : report.rows) {
        page.keep_line_on_page(kLineSize, heads);
        grey = !grey;
        const TextColour colour = grey ? kGrey : kBlack;
        // Measured in the font of the text drawn just before, as the label is cut before its
        // own font is chosen.
        std::string label = page.fit_text(row.label, page.page_x(kLabelWidth));
        print_line(page, figure_cells(ws, std::move(label), row.figures), text_style::Regular,
                   colour);
        page.y += kLineStep;
    }

    page.y += report.kind == ReportKind::Objective ? 1.0 : kLineStep;
    page.keep_line_on_page(kLineSize, heads);
    print_line(page, figure_cells(ws, "TOTALS", report.totals), text_style::BoldUnderline, kBlack);
}

} // namespace olv
