// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A printed table. Its columns stand where they usually do while every value fits there; when
// one does not, the columns share the page width by what they hold. Numbers (dates, times,
// money, Yes and No) are never cut: a table whose numbers do not fit gets a smaller text size,
// down to 7 points, and then its names wrap onto further lines. Names that do not fit are cut
// with "…" after their last whole character.
#include "print/page.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

struct TableColumn {
    std::string head;
    bool number = false;
    // Left edge where the column usually stands, in page units.
    double usual_x = 0;
};

// The widest head and value of every column, measured at the usual text size as values come.
class TableMeasure {
public:
    TableMeasure(const Page& page, std::vector<TableColumn> columns, int head_style);
    // Measures a value. Callers hand each distinct name once.
    void add(std::size_t column, std::string_view text, int style = text_style::Regular);
    // Numbers of one length are about as wide (the digits of the font are): only a value longer
    // than those before, or one of the first few of its length, is measured.
    void add_number(std::size_t column, std::string_view text, int style = text_style::Regular);

    const Page& page() const { return page_; }
    const std::vector<TableColumn>& columns() const { return columns_; }
    // The widest of the head and the values, and of the values alone.
    int widest(std::size_t column) const { return std::max(head_[column], widest_[column]); }
    int widest_value(std::size_t column) const { return widest_[column]; }

private:
    const Page& page_;
    std::vector<TableColumn> columns_;
    std::vector<int> head_;
    std::vector<int> widest_;
    std::vector<std::size_t> longest_;
    std::vector<int> measured_at_longest_;
};

struct TableLayout {
    std::vector<TableColumn> columns;
    std::vector<double> x; // left edge of each column, page units
    std::vector<int> room; // device units each column's text may take
    double size = Page::kLineSize;
    double step = Page::kLineStep;
    bool wrap = false; // names wrap instead of being cut
    bool usual = true; // the columns stand where they usually do
};

// Lays the measured columns out between the left edge of the first and `right`.
TableLayout lay_out_table(const TableMeasure& measure, double right);

// The lines a row takes: 1 unless its names wrap.
int row_lines(const Page& page, const TableLayout& layout, const std::vector<std::string>& cells,
              int style);
// Starts a new page, with `heads` drawn at its top, when a row of that many lines would run
// past the foot of this one.
void keep_row_on_page(Page& page, const TableLayout& layout, int lines,
                      const std::function<void()>& heads);
// Draws the row at page.y and moves page.y below it.
void print_row(Page& page, const TableLayout& layout, const std::vector<std::string>& cells,
               int style, TextColour colour);

} // namespace olv
