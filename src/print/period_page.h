// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The printed period report: the rows per child with their totals, then the time entries of the
// period, continued over as many pages as it needs with the column heads repeated.
#include "reports/period.h"

#include <string>

namespace olv {

class Page;

// `printed_on` is the date text of the "Printed on" line.
void print_period_report(Page& page, const Store& store, const std::string& printed_on,
                         const PeriodReport& report);

} // namespace olv
