// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
#include <QList>

class QLabel;

namespace olv {

// Labels keep their fixed boxes; where a text is wider than its box, the labels of the window
// are all drawn in the one smaller size that fits every text, rather than cut off.
void fit_label_texts(const QList<QLabel*>& labels);

} // namespace olv
