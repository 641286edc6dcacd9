// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/table.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace olv {

namespace {

// Room kept clear between two columns, in page units: in a layout by content, and at least in
// the usual one.
constexpr double kGap = 0.3;
constexpr double kUsualGap = 0.1;
// The smallest text a table shrinks to.
constexpr double kSmallestPoints = 7.0;
// A name column keeps room for about this text before the numbers make the text smaller.
constexpr std::string_view kShortestName = "Mmm\u2026";
constexpr int kMeasuredPerLength = 4;

// Device units of a width measured at the usual size, drawn at `size`: fonts of a pixel size
// scale about linearly; a little is added for the rounding of the pixel sizes and hinting.
int scaled(const Page& page, int width, double size) {
    const double ratio = static_cast<double>(page.font_pixel_height(size)) /
                         std::max(1, page.font_pixel_height(Page::kLineSize));
    return static_cast<int>(std::ceil(width * ratio * 1.03)) + 1;
}

// The usual layout, when every number fits in its usual room. The usual heads are known to fit.
bool usual_layout(const TableMeasure& measure, double right, TableLayout& layout) {
    const Page& page = measure.page();
    const auto& columns = measure.columns();
    const int gap = page.page_x(kUsualGap);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const double end = c + 1 < columns.size() ? columns[c + 1].usual_x : right;
        const int room =
            page.page_x(end) - page.page_x(columns[c].usual_x) - (c + 1 < columns.size() ? gap : 0);
        if (columns[c].number && measure.widest_value(c) > room)
            return false;
        layout.x.push_back(columns[c].usual_x);
        layout.room.push_back(room);
    }
    return true;
}

} // namespace

TableMeasure::TableMeasure(const Page& page, std::vector<TableColumn> columns, int head_style)
    : page_(page), columns_(std::move(columns)), head_(columns_.size(), 0),
      widest_(columns_.size(), 0), longest_(columns_.size(), 0),
      measured_at_longest_(columns_.size(), 0) {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        head_[c] = page_.text_width(columns_[c].head, Page::kLineSize, head_style);
}

void TableMeasure::add(std::size_t column, std::string_view text, int style) {
    widest_[column] = std::max(widest_[column], page_.text_width(text, Page::kLineSize, style));
}

void TableMeasure::add_number(std::size_t column, std::string_view text, int style) {
    if (text.size() < longest_[column])
        return;
    if (text.size() > longest_[column]) {
        longest_[column] = text.size();
        measured_at_longest_[column] = 0;
    }
    if (measured_at_longest_[column]++ < kMeasuredPerLength)
        add(column, text, style);
}

TableLayout lay_out_table(const TableMeasure& measure, double right) {
    const Page& page = measure.page();
    TableLayout layout;
    layout.columns = measure.columns();
    if (usual_layout(measure, right, layout))
        return layout;

    layout.usual = false;
    layout.x.clear();
    layout.room.clear();
    const auto& columns = measure.columns();
    const std::size_t n = columns.size();
    const double left = columns.front().usual_x;
    const int gap = page.page_x(kGap);
    const int total = page.page_x(right) - page.page_x(left) - gap * static_cast<int>(n - 1);
    const double smallest = page.size_for_points(kSmallestPoints);

    std::vector<int> need(n);
    std::vector<int> least(n);
    double size = Page::kLineSize;
    for (;;) {
        int numbers = 0;
        int names = 0;
        for (std::size_t c = 0; c < n; ++c) {
            need[c] = scaled(page, measure.widest(c), size);
            least[c] =
                columns[c].number
                    ? need[c]
                    : std::min(need[c], page.text_width(kShortestName, size, text_style::Regular));
            (columns[c].number ? numbers : names) += least[c];
        }
        if (numbers + names <= total)
            break;
        if (size <= smallest) {
            layout.wrap = true;
            break;
        }
        size = std::max(smallest, size * 0.92);
    }
    layout.size = size;
    layout.step = Page::kLineStep * size / Page::kLineSize;

    // Numbers take what they need; the names share the rest, the narrow ones whole first.
    std::vector<int> room(n, 0);
    int left_over = total;
    std::vector<std::size_t> names;
    for (std::size_t c = 0; c < n; ++c) {
        if (columns[c].number) {
            room[c] = need[c];
            left_over -= need[c];
        } else {
            names.push_back(c);
        }
    }
    std::sort(names.begin(), names.end(),
              [&need](std::size_t a, std::size_t b) { return need[a] < need[b]; });
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int share = std::max(0, left_over) / static_cast<int>(names.size() - i);
        room[names[i]] = std::max(1, std::min(need[names[i]], share));
        left_over -= room[names[i]];
    }
    // What is left spreads over every column, so the table still spans the page.
    const int extra = std::max(0, left_over) / static_cast<int>(n);
    int at = page.page_x(left);
    for (std::size_t c = 0; c < n; ++c) {
        room[c] += extra;
        layout.x.push_back(left + static_cast<double>(at - page.page_x(left)) * 21.0 /
                                      std::max(1, page.width()));
        layout.room.push_back(room[c]);
        at += room[c] + gap;
    }
    return layout;
}

int row_lines(const Page& page, const TableLayout& layout, const std::vector<std::string>& cells,
              int style) {
    if (!layout.wrap)
        return 1;
    std::size_t lines = 1;
    for (std::size_t c = 0; c < cells.size() && c < layout.columns.size(); ++c)
        if (!layout.columns[c].number)
            lines = std::max(lines, page.wrap(cells[c], layout.room[c], layout.size, style).size());
    return static_cast<int>(lines);
}

void keep_row_on_page(Page& page, const TableLayout& layout, int lines,
                      const std::function<void()>& heads) {
    if (page.fits(page.y + (lines - 1) * layout.step, layout.size) || !page.new_page())
        return;
    page.y = Page::kTopLine;
    heads();
}

void print_row(Page& page, const TableLayout& layout, const std::vector<std::string>& cells,
               int style, TextColour colour) {
    int lines = 1;
    for (std::size_t c = 0; c < cells.size() && c < layout.columns.size(); ++c) {
        if (layout.columns[c].number) {
            page.print_text(layout.x[c], page.y, cells[c], layout.size, style, colour);
            continue;
        }
        if (!layout.wrap) {
            page.print_text(layout.x[c], page.y,
                            page.elide(cells[c], layout.room[c], layout.size, style), layout.size,
                            style, colour);
            continue;
        }
        const std::vector<std::string> parts =
            page.wrap(cells[c], layout.room[c], layout.size, style);
        for (std::size_t i = 0; i < parts.size(); ++i)
            page.print_text(layout.x[c], page.y + static_cast<double>(i) * layout.step, parts[i],
                            layout.size, style, colour);
        lines = std::max(lines, static_cast<int>(parts.size()));
    }
    page.y += layout.step * lines;
}

} // namespace olv
