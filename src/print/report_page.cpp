// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/report_page.h"

#include "print/page.h"
#include "print/table.h"
#include "reports/format.h"

#include <string>
#include <vector>

namespace olv {

namespace {

constexpr double kLeft = Page::kLeft;
constexpr double kHeadingSize = Page::kHeadingSize;
// The right edge of the table, in page units.
constexpr double kRight = 20.5;

std::vector<std::string> figure_cells(const Workspace& ws, std::string label,
                                      const Figures& figures) {
    return {std::move(label), format_duration(figures.total_seconds),
            format_duration(figures.billed_seconds),
            format_cents(ws.store.currency, figures.earned_cents),
            format_cents(ws.store.currency, figures.billed_cents)};
}

TableLayout report_layout(const Page& page, const Workspace& ws, const Report& report) {
    TableMeasure measure(page,
                         {{report.first_column, false, kLeft},
                          {"Total Time", true, 10.5},
                          {"Time Billed", true, 12.7},
                          {"Total Earned", true, 15.1},
                          {"Total Billed", true, 17.5}},
                         text_style::BoldUnderline);
    const auto add = [&](const std::vector<std::string>& cells, int style) {
        measure.add(0, cells[0], style);
        for (std::size_t c = 1; c < cells.size(); ++c)
            measure.add(c, cells[c], style);
    };
    for (const ReportRow& row : report.rows)
        add(figure_cells(ws, row.label, row.figures), text_style::Regular);
    add(figure_cells(ws, "TOTALS", report.totals), text_style::BoldUnderline);
    return lay_out_table(measure, kRight);
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

    const TableLayout layout = report_layout(page, ws, report);
    const std::vector<std::string> head_cells{report.first_column, "Total Time", "Time Billed",
                                              "Total Earned", "Total Billed"};
    const auto heads = [&] {
        print_row(page, layout, head_cells, text_style::BoldUnderline, kBlack);
    };
    heads();

    bool grey = false;
    for (const ReportRow& row : report.rows) {
        if (page.stopped())
            return;
        const std::vector<std::string> cells = figure_cells(ws, row.label, row.figures);
        keep_row_on_page(page, layout, row_lines(page, layout, cells, text_style::Regular), heads);
        grey = !grey;
        print_row(page, layout, cells, text_style::Regular, grey ? kGrey : kBlack);
    }

    page.y += report.kind == ReportKind::Objective ? 1.0 : layout.step;
    const std::vector<std::string> totals = figure_cells(ws, "TOTALS", report.totals);
    keep_row_on_page(page, layout, row_lines(page, layout, totals, text_style::BoldUnderline),
                     heads);
    print_row(page, layout, totals, text_style::BoldUnderline, kBlack);
}

} // namespace olv
