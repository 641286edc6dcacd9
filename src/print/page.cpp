// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/page.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace olv {

namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

double screen_logical_dpi() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInch();
    return 96.0;
}

Page::Page(QPainter& painter)
    : Page(painter, painter.device()->width(), painter.device()->height(), screen_logical_dpi()) {}

Page::Page(QPainter& painter, int width, int height, double screen_dpi)
    : painter_(painter), width_(width), height_(height), screen_dpi_(screen_dpi),
      current_font_(painter.font()) {}

int Page::page_x(double x) const {
    return static_cast<int>(std::lround(x * width_ / 21.0));
}

int Page::page_y(double v) const {
    return static_cast<int>(std::lround(v * width_ / 29.7));
}

int Page::font_pixel_height(double size) const {
    return static_cast<int>(std::lround(page_y(size) * screen_dpi_ / 72.0));
}

QFont Page::make_font(std::string_view face, double size, int style) const {
    QFont font(to_qstring(face));
    font.setPixelSize(std::max(1, font_pixel_height(size)));
    font.setWeight((style & text_style::Bold) ? QFont::Bold : QFont::Normal);
    font.setItalic(style & text_style::Italic);
    font.setUnderline(style & text_style::Underline);
    font.setStrikeOut(style & text_style::StrikeOut);
    if (style & text_style::HighQuality)
        font.setStyleStrategy(QFont::PreferQuality);
    return font;
}

void Page::print_text(double x_pos, double y_pos, std::string_view text, std::string_view face,
                      double size, int style, int r, int g, int b) {
    if (trial_ || stopped_)
        return;
    if (log_)
        log_->push_back(
            {x_pos, y_pos, std::string(text), std::string(face), size, style, TextColour{r, g, b}});
    current_font_ = make_font(face, size, style);
    painter_.setFont(current_font_);
    painter_.setPen(QColor(r, g, b));
    if (text.empty())
        return;
    drawn_ = true;
    // Qt draws from the baseline; the page position is the top of the text.
    const QFontMetrics metrics(current_font_, painter_.device());
    painter_.drawText(QPoint(page_x(x_pos), page_y(y_pos) + metrics.ascent()), to_qstring(text));
}

void Page::print_text(double x_pos, double y_pos, std::string_view text, double size, int style,
                      TextColour colour) {
    print_text(x_pos, y_pos, text, "Arial", size, style, colour.r, colour.g, colour.b);
}

int Page::text_width(std::string_view text) const {
    const QFontMetrics metrics(current_font_, painter_.device());
    return metrics.horizontalAdvance(to_qstring(text));
}

std::string Page::fit_text(std::string_view text, int max_width) const {
    return fit_in(current_font_, text, max_width);
}

std::string Page::fit_text(std::string_view text, int max_width, double size, int style) const {
    return fit_in(make_font("Arial", size, style), text, max_width);
}

std::string Page::fit_in(const QFont& font, std::string_view text, int max_width) const {
    const QFontMetrics metrics(font, painter_.device());
    QString shown = to_qstring(text);
    while (!shown.isEmpty() && metrics.horizontalAdvance(shown) > max_width) {
        // One character is one code point, so a surrogate pair goes as a whole.
        const bool pair = shown.size() >= 2 && shown.back().isLowSurrogate() &&
                          shown.at(shown.size() - 2).isHighSurrogate();
        shown.chop(pair ? 2 : 1);
    }
    return shown.toStdString();
}

int Page::text_width(std::string_view text, double size, int style) const {
    const QFontMetrics metrics(make_font("Arial", size, style), painter_.device());
    return metrics.horizontalAdvance(to_qstring(text));
}

std::string Page::elide(std::string_view text, int max_width, double size, int style) const {
    const QFontMetrics metrics(make_font("Arial", size, style), painter_.device());
    QString shown = to_qstring(text);
    if (metrics.horizontalAdvance(shown) <= max_width)
        return std::string(text);
    const QString ellipsis(QChar(0x2026));
    while (!shown.isEmpty() && metrics.horizontalAdvance(shown + ellipsis) > max_width) {
        const bool pair = shown.size() >= 2 && shown.back().isLowSurrogate() &&
                          shown.at(shown.size() - 2).isHighSurrogate();
        shown.chop(pair ? 2 : 1);
    }
    return (shown.trimmed().isEmpty() ? ellipsis : shown + ellipsis).toStdString();
}

std::vector<std::string> Page::wrap(std::string_view text, int max_width, double size,
                                    int style) const {
    const QFontMetrics metrics(make_font("Arial", size, style), painter_.device());
    QString rest = to_qstring(text);
    std::vector<std::string> lines;
    while (!rest.isEmpty()) {
        if (metrics.horizontalAdvance(rest) <= max_width) {
            lines.push_back(rest.toStdString());
            break;
        }
        // The longest start that fits, at least one character so that every line moves on.
        qsizetype end = 1;
        if (rest.size() >= 2 && rest.at(0).isHighSurrogate())
            end = 2;
        for (qsizetype i = end + 1; i <= rest.size(); ++i) {
            if (i < rest.size() && rest.at(i).isLowSurrogate())
                continue;
            if (metrics.horizontalAdvance(rest.left(i)) > max_width)
                break;
            end = i;
        }
        // Back to the last space inside the line, when there is one.
        const qsizetype space = rest.lastIndexOf(QLatin1Char(' '), end);
        const qsizetype cut = space > 0 && end < rest.size() ? space : end;
        lines.push_back(rest.left(cut).toStdString());
        rest = rest.mid(cut).trimmed();
    }
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

double Page::points(double size) const {
    const int dpi = painter_.device()->logicalDpiY();
    return dpi > 0 ? font_pixel_height(size) * 72.0 / dpi : size;
}

double Page::size_for_points(double pt) const {
    const double at_line = points(kLineSize);
    return at_line > 0 ? kLineSize * pt / at_line : kLineSize;
}

int Page::foot_height() const {
    const QFontMetrics metrics(make_font("Arial", kLineSize, text_style::Regular),
                               painter_.device());
    // A line and a half: the foot's own line under a gap.
    return metrics.height() * 3 / 2;
}

void Page::print_foot() {
    // A printout with nothing on it (a task's) stays an empty page.
    if (trial_ || stopped_ || page_total_ <= 0 || !drawn_)
        return;
    const QFont font = make_font("Arial", kLineSize, text_style::Regular);
    const QFontMetrics metrics(font, painter_.device());
    const QString text = QStringLiteral("Page %1 of %2").arg(page_count_).arg(page_total_);
    painter_.save();
    painter_.setFont(font);
    painter_.setPen(QColor(kGrey.r, kGrey.g, kGrey.b));
    const int x = (width_ - metrics.horizontalAdvance(text)) / 2;
    painter_.drawText(QPoint(x, height_ - metrics.descent()), text);
    painter_.restore();
}

bool Page::fits(double y_pos, double size) const {
    const QFontMetrics metrics(make_font("Arial", size, text_style::Regular), painter_.device());
    return page_y(y_pos) + metrics.height() <= height_ - foot_height();
}

bool Page::new_page() {
    if (stopped_)
        return false;
    print_foot();
    if (on_page_done && !on_page_done(page_count_)) {
        stopped_ = true;
        return false;
    }
    if (!trial_) {
        auto* paged = dynamic_cast<QPagedPaintDevice*>(painter_.device());
        if (!paged || !paged->newPage())
            return false;
    }
    ++page_count_;
    return true;
}

void Page::finish() {
    if (stopped_)
        return;
    print_foot();
    if (on_page_done)
        on_page_done(page_count_);
}

void Page::keep_line_on_page(double size, const std::function<void()>& heads) {
    if (fits(y, size) || !new_page())
        return;
    y = kTopLine;
    heads();
}

} // namespace olv
