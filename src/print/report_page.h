// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The printed report of a user, client, project or objective: the same rows as the detail list,
// on as many pages as it needs.
#include "reports/figures.h"
#include "views/workspace.h"

#include <optional>

namespace olv {

class Page;

// The report of the record; nothing for a task or no record (those print an empty page).
std::optional<Report> report_for(const Store& store, RecordRef record);

// Heading lines, column heads, one line per row in alternating grey and black, and the totals
// line. Pages after the first repeat the column heads at the top.
void print_report(Page& page, const Workspace& ws, const Report& report);

} // namespace olv
