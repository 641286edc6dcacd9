// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// One printed page and its coordinate system. Horizontal positions are in 1/21 of the printable
// width, vertical positions and text sizes in 1/29.7 of that same width, from the top-left
// corner of the printable area. A printout that runs past the bottom continues on a new page.
#include <QFont>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace olv {

// Text style bits.
namespace text_style {
constexpr int Regular = 0;
constexpr int Underline = 4;
constexpr int StrikeOut = 8;
constexpr int HighQuality = 16;
constexpr int Bold = 256;
constexpr int Italic = 512;
constexpr int BoldUnderline = Bold | Underline; // 260
} // namespace text_style

struct TextColour {
    int r = 0, g = 0, b = 0;
    bool operator==(const TextColour&) const = default;
};
constexpr TextColour kBlack{0, 0, 0};
constexpr TextColour kGrey{120, 120, 120};
constexpr TextColour kRed{200, 0, 0};
constexpr TextColour kGreen{0, 200, 0};

// One print_text call as it was made.
struct PrintedText {
    double x = 0;
    double y = 0;
    std::string text;
    std::string font;
    double size = 0;
    int style = 0;
    TextColour colour;
    bool operator==(const PrintedText&) const = default;
};

class Page {
public:
    // Width and height are the printable area of the painter's device in device units.
    explicit Page(QPainter& painter);
    // The same with a given printable area and display resolution.
    Page(QPainter& painter, int width, int height, double screen_dpi);

    int width() const { return width_; }
    int height() const { return height_; }
    int page_count() const { return page_count_; }

    // Device units of a horizontal position, and of a vertical position or a text size.
    int page_x(double x) const;
    int page_y(double v) const;
    // Pixel height of the font drawn at a text size: page_y(size) taken as points of the display.
    int font_pixel_height(double size) const;

    // Draws the text in one line with its top-left corner at (page_x(x), page_y(y)). The font
    // becomes the current font even when the text is empty, which draws nothing.
    void print_text(double x, double y, std::string_view text, std::string_view font, double size,
                    int style, int r, int g, int b);
    void print_text(double x, double y, std::string_view text, double size, int style,
                    TextColour colour);

    const QFont& current_font() const { return current_font_; }
    // Width of a text in the current font, in device units.
    int text_width(std::string_view text) const;
    // The text with its last characters removed until it is no wider than max_width in the
    // current font.
    std::string fit_text(std::string_view text, int max_width) const;
    // The same measured in the font a text of that size and style is drawn in.
    std::string fit_text(std::string_view text, int max_width, double size, int style) const;
    // Width of a text drawn at a text size and style, in device units.
    int text_width(std::string_view text, double size, int style) const;
    // The text, or as many of its first characters as fit with "…" after them.
    std::string elide(std::string_view text, int max_width, double size, int style) const;
    // The text in lines no wider than max_width: broken at spaces where it can, else between
    // characters.
    std::vector<std::string> wrap(std::string_view text, int max_width, double size,
                                  int style) const;
    // Points of the font a text size is drawn in on this device, and the text size of a font
    // of that many points.
    double points(double size) const;
    double size_for_points(double points) const;

    // True when a line of the given text size drawn at y ends above the foot of the page.
    bool fits(double y, double size) const;
    // Ends this page and starts the next one; false when the device has no further pages.
    bool new_page();
    // When a line of the given text size at y would run past the bottom, starts a new page,
    // moves y to kTopLine and runs `heads`, which draws the column heads there and moves y
    // below them.
    void keep_line_on_page(double size, const std::function<void()>& heads);

    // The first line of a page, where the heading of the first page and the repeated column
    // heads of later pages stand.
    static constexpr double kTopLine = 2.5;
    // The layout every printout shares: its left margin, the size of its heading lines and of
    // its other lines, and the step from one line to the next.
    static constexpr double kLeft = 2.5;
    static constexpr double kHeadingSize = 0.5;
    static constexpr double kLineSize = 0.4;
    static constexpr double kLineStep = 0.8;

    // Every later print_text call is appended to the log (nullptr stops recording).
    void record_to(std::vector<PrintedText>* log) { log_ = log; }

    // A trial run draws nothing and starts no page of the device; it counts the pages the
    // printout makes, so that the real run can number them.
    void set_trial(bool trial) { trial_ = trial; }
    bool trial() const { return trial_; }
    // Pages of the whole printout: each page then carries "Page N of M" at its foot, drawn when
    // the page ends (new_page, finish). 0 draws no foot.
    void set_page_total(int total) { page_total_ = total; }
    // Ends the last page.
    void finish();
    // Called as each page ends with the number of pages done; false stops the printout (a
    // cancel), after which new_page refuses and nothing more is drawn.
    std::function<bool(int)> on_page_done;
    bool stopped() const { return stopped_; }

    // The line the printout being built has reached.
    double y = 2.0;

private:
    QFont make_font(std::string_view face, double size, int style) const;
    std::string fit_in(const QFont& font, std::string_view text, int max_width) const;
    int foot_height() const;
    void print_foot();

    QPainter& painter_;
    int width_;
    int height_;
    double screen_dpi_;
    int page_count_ = 1;
    QFont current_font_;
    std::vector<PrintedText>* log_ = nullptr;
    bool trial_ = false;
    bool stopped_ = false;
    bool drawn_ = false;
    int page_total_ = 0;
};

// Logical dots per inch of the primary screen, 96 without one.
double screen_logical_dpi();

} // namespace olv
