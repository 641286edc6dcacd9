// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/cut_text_tips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QIcon>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QToolTip>
#include <QTreeView>

namespace olv {

namespace {

// The whole text of the cell when the view draws it cut short, else an empty text.
QString cut_cell_text(const QAbstractItemView* view, const QModelIndex& index) {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return {};
    // The view lays the cell out as its delegate does: icon first, the text in what is left,
    // inside a margin on either side.
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.font = view->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    if (const QVariant align = index.data(Qt::TextAlignmentRole); align.isValid())
        option.displayAlignment = Qt::Alignment(align.toInt());
    if (!index.data(Qt::DecorationRole).value<QIcon>().isNull()) {
        option.features |= QStyleOptionViewItem::HasDecoration;
        const int small = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        option.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(small, small);
    }
    const QStyle* style = view->style();
    const QRect text_rect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return option.fontMetrics.horizontalAdvance(text) > text_rect.width() - 2 * margin ? text
                                                                                       : QString();
}

QString cut_head_text(const QHeaderView* header, int section) {
    if (section < 0 || !header->model())
        return {};
    const QString text = header->model()->headerData(section, header->orientation()).toString();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int needed = QFontMetrics(header->font()).horizontalAdvance(text) + 2 * margin;
    return !text.isEmpty() && needed > header->sectionSize(section) ? text : QString();
}

class CutTextTips final : public QObject {
public:
    CutTextTips(QAbstractItemView* view, QHeaderView* header)
        : QObject(view), view_(view), header_(header) {
        view->viewport()->installEventFilter(this);
        header->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QWidget* area = static_cast<QWidget*>(watched);
        QString text;
        QRect over;
        if (watched == view_->viewport()) {
            const QModelIndex index = view_->indexAt(help->pos());
            // A tip of the item's own goes first.
            if (index.data(Qt::ToolTipRole).isValid())
                return false;
            text = cut_cell_text(view_, index);
            over = view_->visualRect(index);
        } else {
            const QHeaderView* header = header_;
            const int section = header->logicalIndexAt(help->pos());
            if (header->model() && header->model()
                                       ->headerData(section, header->orientation(), Qt::ToolTipRole)
                                       .isValid())
                return false;
            text = cut_head_text(header, section);
            over = QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                         header->height());
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, area, over);
        return true;
    }

private:
    QAbstractItemView* view_;
    QHeaderView* header_;
};

} // namespace

void install_cut_text_tips(QTreeView* view) {
    new CutTextTips(view, view->header());
}

void install_cut_text_tips(QTableView* view) {
    new CutTextTips(view, view->horizontalHeader());
}

} // namespace olv
