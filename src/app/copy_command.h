// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// olvessa --copy-database FROM TO: every record from one location (a file or a server URI) to
// another, in one transaction, without a window or a display. Exit codes as the export's.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

inline constexpr std::string_view kCopyDatabaseUsage =
    "Usage: olvessa --copy-database FROM TO\n"
    "  Copies every record of the database FROM into TO, which must be a file that does not\n"
    "  exist yet or a server database without Olvessa.project tables. Either may be a file or\n"
    "  a PostgreSQL URI (postgresql://[user@]host[:port]/dbname).\n";

// True when the program was started for the copy.
bool is_copy_command(const std::vector<std::string>& arguments);

// Runs the copy; arguments without the program name. Messages go to `err`.
int run_copy_command(const std::vector<std::string>& arguments, std::ostream& err);

} // namespace olv
