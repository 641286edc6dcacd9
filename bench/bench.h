// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Pieces shared by the benchmarks: one generated database, a stopwatch and the figure lines.
// Each benchmark is a function called from main with the context.
#include <chrono>
#include <string>
#include <string_view>

namespace olv::bench {

struct BenchContext {
    std::string database_path;       // the generated ten-year database
    std::string views_database_path; // an untouched copy of it for the views
};

// Prints "name: value unit" on a line of its own.
void print_figure(std::string_view name, double value, std::string_view unit);
void print_ratio(std::string_view name, double value);

// Peak resident memory of the process so far, in MiB (VmHWM).
double peak_rss_mib();

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double elapsed_ms() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// The smallest of `runs` timings of `work`, in milliseconds.
template <typename Work> double best_of(int runs, Work work) {
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        const Stopwatch watch;
        work();
        const double ms = watch.elapsed_ms();
        if (i == 0 || ms < best)
            best = ms;
    }
    return best;
}

void run_store_bench(const BenchContext& context);
// Reads the views' copy without changing it.
void run_reports_bench(const BenchContext& context);
void run_files_bench(const BenchContext& context);
// Needs a QApplication.
void run_views_bench(const BenchContext& context);
// Adds the entries of a task timed on every day of the ten years to the views' file; the views
// benchmark does it first, the others rely on it.
void add_daily_task_entries(const std::string& path);
// Needs a QApplication; works on a copy of the views' file.
void run_period_bench(const BenchContext& context);

} // namespace olv::bench
