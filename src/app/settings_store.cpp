// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/settings_store.h"

#include "common/text.h"
#include "views/prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace olv {

QString settings_file() {
    const QString named = qEnvironmentVariable("OLVESSA_SETTINGS");
    if (!named.isEmpty())
        return named;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Olvessa/Olvessa.project.conf");
}

bool settings_key_exists(const QString& key) {
    if (!QFileInfo(key).isFile())
        return false;
    // Reading needs no write access: a settings file made read-only still holds the settings.
    QFile file(key);
    return file.open(QIODevice::ReadOnly);
}

bool create_settings_key(const QString& key) {
    if (!QDir().mkpath(QFileInfo(key).absolutePath()))
        return false;
    QFile file(key);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool set_setting(const QString& key, const QString& name, const std::string& value,
                 SettingType type, Prompter& prompter, QWidget* parent) {
    const auto fail = [&] {
        prompter.message(parent, QStringLiteral("Fehler"),
                         QStringLiteral("Ein Fehler ist aufgetreten"));
        return false;
    };
    if (!settings_key_exists(key))
        return fail();
    QSettings settings(key, QSettings::IniFormat);
    const QVariant stored = type == SettingType::Number ? QVariant(to_int32(value))
                                                        : QVariant(QString::fromStdString(value));
    // A value that is already there needs no write, so a read-only file that holds it is fine.
    if (get_setting(key, name) == stored.toString().toStdString())
        return true;
    if (!QFile(key).open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return fail();
    settings.setValue(name, stored);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return fail();
    return true;
}

std::string get_setting(const QString& key, const QString& name) {
    if (!settings_key_exists(key))
        return {};
    QSettings settings(key, QSettings::IniFormat);
    const QVariant value = settings.value(name);
    if (!value.isValid())
        return {};
    // A hand-edited value with commas reads as a list; it still means one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

} // namespace olv
