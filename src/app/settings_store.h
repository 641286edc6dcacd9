// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The two settings that outlive the database file ("UserName", "Default Database") live in an
// INI file: the one named by OLVESSA_SETTINGS, else the user's own settings file. The file is
// the settings key: it exists when the file can be read; only a write needs write access.
#include <QString>
#include <string>

class QWidget;

namespace olv {

class Prompter;

enum class SettingType { Text = 1, Number = 4 };

// The settings file in use: OLVESSA_SETTINGS, else ~/.config/Olvessa/Olvessa.project.conf.
QString settings_file();

bool settings_key_exists(const QString& key);
// Creates the file (and its folder); false without a message when that fails.
bool create_settings_key(const QString& key);
// Stores the value; when the key is missing or the write fails, shows "Ein Fehler ist
// aufgetreten" (title "Fehler") and returns false. A value equal to the stored one is not
// written again. Values have no length limit.
bool set_setting(const QString& key, const QString& name, const std::string& value,
                 SettingType type, Prompter& prompter, QWidget* parent = nullptr);
// The value's text; "" when the key or the value is missing.
std::string get_setting(const QString& key, const QString& name);

} // namespace olv
