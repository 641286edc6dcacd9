// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/period_page.h"

#include "print/page.h"
#include "print/table.h"
#include "reports/format.h"

#include <string>
#include <vector>

namespace olv {

namespace {

constexpr double kLeft = Page::kLeft;
// The right edge of the tables, in page units.
constexpr double kRight = 20.5;

std::string money(const Store& store, std::int64_t cents) {
    return format_cents(store.currency, cents);
}

std::vector<std::string> total_cells(const Store& store, std::string label, const PeriodTotals& t) {
    return {std::move(label),
            format_duration(t.seconds),
            format_duration(t.billed_seconds),
            money(store, t.earned_cents),
            money(store, t.billed_cents),
            money(store, t.unbilled_cents())};
}

std::vector<std::string> entry_cells(const Store& store, const PeriodEntry& e) {
    const RecordLists& lists = store.lists;
    return {format_date(store.date_mask, e.date),
            lists.clients[e.client].client_name,
            lists.projects[e.project].project_title,
            lists.objectives[e.objective].ob_title,
            lists.tasks[e.task].task_title,
            format_duration(e.seconds),
            e.billed ? "Yes" : "No",
            money(store, e.rate_cents),
            money(store, e.amount_cents)};
}

// Summary: name, Total Time, Time Billed, Total Earned, Total Billed, Unbilled.
TableLayout row_layout(const Page& page, const Store& store, const PeriodReport& report) {
    TableMeasure measure(page,
                         {{report.first_column, false, kLeft},
                          {"Total Time", true, 8.5},
                          {"Time Billed", true, 10.7},
                          {"Total Earned", true, 12.9},
                          {"Total Billed", true, 15.3},
                          {"Unbilled", true, 17.7}},
                         text_style::BoldUnderline);
    const auto add = [&](const std::vector<std::string>& cells, int style) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            measure.add(c, cells[c], style);
    };
    for (const PeriodRow& row : report.rows)
        add(total_cells(store, row.label, row.totals), text_style::Regular);
    add(total_cells(store, "TOTALS", report.totals), text_style::BoldUnderline);
    return lay_out_table(measure, kRight);
}

// Entries: Date, Client, Project, Objective, Task, Time, Billed, Rate, Amount. The names come
// from the short lists: each is measured once, however many entries share it.
TableLayout entry_layout(const Page& page, const Store& store, const PeriodReport& report) {
    TableMeasure measure(page,
                         {{"Date", true, kLeft},
                          {"Client", false, 4.8},
                          {"Project", false, 7.1},
                          {"Objective", false, 9.3},
                          {"Task", false, 11.5},
                          {"Time", true, 13.8},
                          {"Billed", true, 15.4},
                          {"Rate", true, 16.6},
                          {"Amount", true, 18.3}},
                         text_style::BoldUnderline);
    const RecordLists& lists = store.lists;
    std::vector<char> seen[4] = {
        std::vector<char>(lists.clients.size(), 0), std::vector<char>(lists.projects.size(), 0),
        std::vector<char>(lists.objectives.size(), 0), std::vector<char>(lists.tasks.size(), 0)};
    const auto name = [&](std::size_t column, std::size_t index, const std::string& text) {
        std::vector<char>& marks = seen[column - 1];
        if (marks[index])
            return;
        marks[index] = 1;
        measure.add(column, text);
    };
    for (const PeriodEntry& e : report.entries) {
        measure.add_number(0, format_date(store.date_mask, e.date));
        name(1, e.client, lists.clients[e.client].client_name);
        name(2, e.project, lists.projects[e.project].project_title);
        name(3, e.objective, lists.objectives[e.objective].ob_title);
        name(4, e.task, lists.tasks[e.task].task_title);
        measure.add_number(5, format_duration(e.seconds));
        measure.add_number(6, e.billed ? "Yes" : "No");
        measure.add_number(7, money(store, e.rate_cents));
        measure.add_number(8, money(store, e.amount_cents));
    }
    return lay_out_table(measure, kRight);
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

    const TableLayout rows = row_layout(page, store, report);
    const std::vector<std::string> row_head_cells{report.first_column, "Total Time",
                                                  "Time Billed",       "Total Earned",
                                                  "Total Billed",      "Unbilled"};
    const auto row_heads = [&] {
        print_row(page, rows, row_head_cells, text_style::BoldUnderline, kBlack);
    };
    row_heads();
    bool grey = false;
    for (const PeriodRow& row : report.rows) {
        if (page.stopped())
            return;
        const std::vector<std::string> cells = total_cells(store, row.label, row.totals);
        keep_row_on_page(page, rows, row_lines(page, rows, cells, text_style::Regular), row_heads);
        grey = !grey;
        print_row(page, rows, cells, text_style::Regular, grey ? kGrey : kBlack);
    }
    page.y += rows.step;
    const std::vector<std::string> totals = total_cells(store, "TOTALS", report.totals);
    keep_row_on_page(page, rows, row_lines(page, rows, totals, text_style::BoldUnderline),
                     row_heads);
    print_row(page, rows, totals, text_style::BoldUnderline, kBlack);

    const TableLayout entries = entry_layout(page, store, report);
    const std::vector<std::string> entry_head_cells{
        "Date", "Client", "Project", "Objective", "Task", "Time", "Billed", "Rate", "Amount"};
    const auto entry_heads = [&] {
        print_row(page, entries, entry_head_cells, text_style::BoldUnderline, kBlack);
    };
    page.y += entries.step;
    // The heads go with the first entry onto a new page rather than stand alone at the bottom.
    if (!page.fits(page.y + entries.step, entries.size) && page.new_page())
        page.y = Page::kTopLine;
    entry_heads();

    grey = false;
    for (const PeriodEntry& e : report.entries) {
        if (page.stopped())
            return;
        const std::vector<std::string> cells = entry_cells(store, e);
        keep_row_on_page(page, entries, row_lines(page, entries, cells, text_style::Regular),
                         entry_heads);
        grey = !grey;
        print_row(page, entries, cells, text_style::Regular, grey ? kGrey : kBlack);
    }
}

} // namespace olv
