// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/label_fit.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>

namespace olv {

void fit_label_texts(const QList<QLabel*>& labels) {
    constexpr qreal kSmallest = 6.0;
    if (labels.isEmpty())
        return;
    QFont font = labels.front()->font();
    qreal size = font.pointSizeF();
    if (size <= 0)
        return;
    const auto all_fit = [&labels](const QFont& f) {
        const QFontMetrics metrics(f);
        for (const QLabel* label : labels)
            if (metrics.horizontalAdvance(label->text()) > label->contentsRect().width())
                return false;
        return true;
    };
    if (all_fit(font))
        return;
    while (size > kSmallest && !all_fit(font)) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    for (QLabel* label : labels)
        label->setFont(font);
}

} // namespace olv
