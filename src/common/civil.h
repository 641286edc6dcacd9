// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Proleptic Gregorian calendar arithmetic without zones (Howard Hinnant's algorithms), shared by
// the date values and the manual clock.
#include <cstdint>

namespace olv {

struct CivilDay {
    int year = 0, month = 0, day = 0;
};

// Days from 1970-01-01 to the date; negative before it.
std::int64_t days_from_civil(std::int64_t year, int month, int day);
// The date that lies the given number of days after 1970-01-01 (before it when negative).
CivilDay civil_from_days(std::int64_t days);

} // namespace olv
