// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A file's bytes read and written whole, for tests that check what a file holds before and after.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace olv::testing {

// What the file holds, or "<missing>" when it cannot be read.
inline QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void write_file(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace olv::testing
