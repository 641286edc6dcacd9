// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/detail_list_delegate.h"

#include <QPainter>

namespace olv {

namespace {
constexpr int kTotalColumn = 4;
} // namespace

QColor DetailListDelegate::background_colour(int row) {
    return row % 2 == 0 ? QColor(255, 255, 223) : QColor(208, 208, 176);
}

QColor DetailListDelegate::text_colour(int row, int column) {
    if (column != kTotalColumn)
        return QColor(0, 0, 0);
    return row % 2 == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255);
}

void DetailListDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!row_colours_)
        return;
    option->backgroundBrush = background_colour(index.row());
    option->palette.setColor(QPalette::Text, text_colour(index.row(), index.column()));
}

void DetailListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(QColor(192, 192, 192));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

} // namespace olv
