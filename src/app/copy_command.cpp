// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/copy_command.h"

#include "app/export_command.h"
#include "store/operations.h"

#include <algorithm>
#include <ostream>

namespace olv {

bool is_copy_command(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), "--copy-database") != arguments.end();
}

int run_copy_command(const std::vector<std::string>& arguments, std::ostream& err) {
    if (arguments.size() != 3 || arguments[0] != "--copy-database" || arguments[1].empty() ||
        arguments[2].empty()) {
        err << "olvessa: --copy-database takes a source and a target, and nothing else\n"
            << kCopyDatabaseUsage;
        return export_exit::BadArguments;
    }
    const std::string& from = arguments[1];
    const std::string& to = arguments[2];
    if (from == to) {
        err << "olvessa: the source and the target are the same database\n";
        return export_exit::BadArguments;
    }
    std::string error;
    switch (copy_database_records(from, to, error)) {
    case CopyOutcome::Copied:
        return export_exit::Ok;
    case CopyOutcome::TargetHoldsTables:
        err << "olvessa: " << location_without_password(to)
            << " holds Olvessa.project tables already; nothing was copied\n";
        return export_exit::Unreadable;
    case CopyOutcome::TargetExists:
    case CopyOutcome::SourceUnreadable:
    case CopyOutcome::TargetFailed:
        break;
    }
    err << "olvessa: " << error << "\n";
    return export_exit::Unreadable;
}

} // namespace olv
