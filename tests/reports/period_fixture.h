// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A small business for period figures, with hand-computed amounts. Today is Thursday
// 2026-12-10. Tree order: "Acme, Ltd" (projects `Web "Shop"` at 45.50, "Pro bono" at 0), then
// "Bare" ("Audit" at 20.00). Entries sit on both edges of November, of a week and of a month;
// one belongs to a task whose objective is missing, one is being timed.
#include "common/dates.h"
#include "record_fixture.h"

namespace olv::testing {

inline DateValue day(int year, int month, int d) {
    return make_date(year, month, d, 0, 0, 0);
}

struct PeriodFixture : RecordFixture {
    std::size_t acme, bare;
    std::size_t shop, pro_bono, audit;
    std::size_t build, help, check;
    std::size_t cmd, design, advice, checking, orphan;
    // Entries by list index.
    std::size_t oct31, nov01, nov15_free, nov30_design, nov30_audit, dec01, nov10_orphan, dec06,
        dec07, dec10_running, nov30_cmd;

    PeriodFixture() {
        acme = client("Acme, Ltd");
        bare = client("Bare");
        shop = project(acme, "Web \"Shop\"", 45.5);
        pro_bono = project(acme, "Pro bono", 0);
        audit = project(bare, "Audit", 20);
        build = objective(shop, "Build\nphase");
        help = objective(pro_bono, "Help");
        check = objective(audit, "Check");
        cmd = task(build, "=cmd");
        design = task(build, "Design");
        advice = task(help, "Advice");
        checking = task(check, "Checking");
        orphan = task_of_key(missing_key(), "Orphan", 50);

        oct31 = dated(cmd, 3600, false, day(2026, 10, 31));
        nov01 = dated(cmd, 1000, false, day(2026, 11, 1));             // 12.64
        nov30_design = dated(design, 5400, true, day(2026, 11, 30));   // 68.25
        nov15_free = dated(advice, 7200, false, day(2026, 11, 15));    // 0.00
        nov30_audit = dated(checking, 1800, false, day(2026, 11, 30)); // 10.00
        dec01 = dated(checking, 600, false, day(2026, 12, 1));
        nov10_orphan = dated(orphan, 3600, false, day(2026, 11, 10));
        dec06 = dated(cmd, 90, false, day(2026, 12, 6));              // Sunday: 1.14
        dec07 = dated(design, 1, false, day(2026, 12, 7));            // Monday: 0.01
        dec10_running = dated(design, 100, false, day(2026, 12, 10)); // 1.26
        store.lists.entries[dec10_running].timing = 1;
        store.lists.tasks[design].running = 1;
        // A later key than nov30_design, but its task comes first in the tree.
        nov30_cmd = dated(cmd, 600, false, day(2026, 11, 30)); // 7.58
    }

    std::size_t dated(std::size_t task_index, std::int32_t seconds, bool billed, DateValue date) {
        const std::size_t e = entry(task_index, seconds, billed);
        store.lists.entries[e].date = date;
        return e;
    }

    Key key_of(std::size_t entry_index) const { return store.lists.entries[entry_index].key; }

    static DateValue today() { return make_date(2026, 12, 10, 14, 30, 0); }
};

} // namespace olv::testing
