// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Period figures and the CSV export on the ten-year database.
#include "bench.h"

#include "app/export_command.h"
#include "common/dates.h"
#include "reports/csv_export.h"
#include "reports/period.h"
#include "store/operations.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace olv::bench {

void run_reports_bench(const BenchContext& context) {
    Store store;
    if (!store.db.load_engine() || !store.db.open_database(context.views_database_path) ||
        load_all_records(store) != LoadStatus::Loaded)
        throw std::runtime_error("cannot load " + context.views_database_path);
    const DateValue today = make_date(2026, 12, 10, 9, 0, 0);

    // Last month of the whole business: every client's row and every entry of November.
    const Period november = period_for(PeriodChoice::LastMonth, today);
    std::size_t month_entries = 0;
    print_figure(
        "period_report_month",
        best_of(5,
                [&] {
                    month_entries =
                        period_report(store, PeriodScope{}, november, false).entries.size();
                }),
        "ms");
    std::printf("period_report_month entries: %zu\n", month_entries);

    // The whole command as a user runs it: read the file, then write every entry.
    const std::string csv =
        (std::filesystem::path(context.views_database_path).parent_path() / "all.csv").string();
    int code = 0;
    std::ostringstream errors;
    // On a shared machine the wall time waits for other work too; the processor time of the
    // best run tells what the export itself costs.
    double cpu_ms = 0;
    const auto export_all = [&] {
        const std::clock_t cpu = std::clock();
        code = run_export_command({"--export-csv", csv, "--database", context.views_database_path},
                                  std::cout, errors);
        const double used = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        cpu_ms = cpu_ms == 0 ? used : std::min(cpu_ms, used);
    };
    print_figure("export_csv_all", best_of(3, export_all), "ms");
    print_figure("export_csv_all_cpu", cpu_ms, "ms");
    if (code != 0)
        throw std::runtime_error("export failed: " + errors.str());
    std::printf("export_csv_all rows: %zu, %.1f MiB\n", store.lists.entries.size(),
                static_cast<double>(std::filesystem::file_size(csv)) / (1024.0 * 1024.0));

    // One month from the command line: only that month's entries are read from the file.
    cpu_ms = 0;
    const auto export_month = [&] {
        const std::clock_t cpu = std::clock();
        code = run_export_command({"--export-csv", csv, "--from", "2026-11-01", "--to",
                                   "2026-11-30", "--database", context.views_database_path},
                                  std::cout, errors);
        const double used = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        cpu_ms = cpu_ms == 0 ? used : std::min(cpu_ms, used);
    };
    print_figure("export_csv_month", best_of(3, export_month), "ms");
    print_figure("export_csv_month_cpu", cpu_ms, "ms");
    if (code != 0)
        throw std::runtime_error("export failed: " + errors.str());

    // The same without reading the file: the figures and the writing alone.
    print_figure("export_csv_all_loaded",
                 best_of(3,
                         [&] {
                             std::ofstream out(csv, std::ios::binary | std::ios::trunc);
                             write_csv(out, store,
                                       period_entries(store, PeriodScope{}, all_time(), false));
                         }),
                 "ms");
    std::filesystem::remove(csv);
}

} // namespace olv::bench
