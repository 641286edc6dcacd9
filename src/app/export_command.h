// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// olvessa --export-csv: the time entries of a period as CSV, without a window or a display. It
// only reads the database, so it works while the program has that file open.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

inline constexpr std::string_view kExportCsvUsage =
    "Usage: olvessa --export-csv FILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--client NAME]\n"
    "                [--unbilled] [--database DB] [--progress]\n"
    "  Writes the time entries of a period as CSV to FILE (\"-\" for standard output).\n"
    "  --from, --to   first and last day, both included (default: all time)\n"
    "  --client NAME  only the entries of the client with this name\n"
    "  --unbilled     only the entries not yet billed\n"
    "  --database DB  the database to read (default: the one opened last)\n"
    "  --progress     tells how far the writing has got, on standard error\n";

// Exit codes of the command.
namespace export_exit {
constexpr int Ok = 0;
constexpr int Unreadable = 1; // the database could not be read, or the file not written (or it
                              // would have overwritten a database or named a folder)
constexpr int BadArguments = 2;
} // namespace export_exit

// True when the program was started for the export.
bool is_export_command(const std::vector<std::string>& arguments);

// Runs the export; arguments without the program name. CSV goes to `out` when FILE is "-",
// messages to `err`.
int run_export_command(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& err);

} // namespace olv
