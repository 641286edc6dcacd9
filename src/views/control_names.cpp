// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/control_names.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <tuple>

namespace olv {

void name_controls_by_labels(QWidget* window) {
    const QList<QWidget*> children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QLabel* label : window->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->text().isEmpty())
            continue;
        const QRect box = label->geometry();
        QWidget* nearest = nullptr;
        for (QWidget* control : children) {
            if (control == label || qobject_cast<QLabel*>(control) ||
                control->focusPolicy() == Qt::NoFocus)
                continue;
            const QRect r = control->geometry();
            if (r.top() != box.top() || r.left() <= box.left())
                continue;
            if (!nearest || r.left() < nearest->geometry().left())
                nearest = control;
        }
        if (!nearest)
            continue;
        label->setBuddy(nearest);
        nearest->setAccessibleName(label->text());
    }
}

void order_tab_by_screen(QWidget* window) {
    QList<QWidget*> order;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->focusPolicy() & Qt::TabFocus)
            order.append(child);
    // Buttons after the fields: they end what was typed, so they come last.
    const auto rank = [](const QWidget* w) {
        return std::tuple(qobject_cast<const QPushButton*>(w) != nullptr, w->geometry().top(),
                          w->geometry().left());
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const QWidget* a, const QWidget* b) { return rank(a) < rank(b); });
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace olv
