// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Paints the cells of the detail list: grid lines always, and the alternating row colours (with
// the Total column in red or blue) once the list editing is installed.
#include <QColor>
#include <QStyledItemDelegate>

namespace olv {

class DetailListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void set_row_colours(bool on) { row_colours_ = on; }

    static QColor background_colour(int row);
    static QColor text_colour(int row, int column);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool row_colours_ = false;
};

} // namespace olv
