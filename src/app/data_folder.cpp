// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/data_folder.h"

#include <QDir>

namespace olv {

QString data_folder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/Olvessa"));
}

QString backups_folder() {
    return data_folder() + QStringLiteral("/backups");
}

bool ensure_folder(const QString& folder) {
    return QDir().mkpath(folder) && QDir(folder).exists();
}

} // namespace olv
