// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The command line, read before any window exists: --help and --version answer on standard
// output and end the program without a display; a file argument names the database to open.
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace olv {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString database; // the file argument as given; empty when none
    QString error;    // what is wrong, for Action::Error
};

// The arguments after the program's name. Options of Qt itself ("-platform offscreen",
// "-style Fusion", …) are left for the application object.
CommandLine parse_command_line(const QStringList& arguments);
CommandLine parse_command_line(int argc, char** argv);

QString usage_text();
QString version_text();

// Answers what needs no window: help, version, errors, a file argument that names no file.
// Returns the exit code when the program ends here, nothing when it goes on to its window.
std::optional<int> answer_without_display(const CommandLine& line, std::FILE* out, std::FILE* err);

} // namespace olv
