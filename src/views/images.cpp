// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/images.h"

#include <QFile>
#include <QString>

// The resources live in this static library; referencing their initialiser keeps them linked.
static void init_program_resources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    (void)done;
}

namespace olv {

QPixmap program_image(int number) {
    init_program_resources();
    const QString png = QStringLiteral(":/images/%1.png").arg(number);
    if (QFile::exists(png))
        return QPixmap(png);
    return QPixmap(QStringLiteral(":/images/%1.jpg").arg(number));
}

QIcon program_icon(int number) {
    return QIcon(program_image(number));
}

} // namespace olv
