// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "bench.h"
#include "generate.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace olv::bench {

void print_figure(std::string_view name, double value, std::string_view unit) {
    std::printf("%.*s: %.1f %.*s\n", static_cast<int>(name.size()), name.data(), value,
                static_cast<int>(unit.size()), unit.data());
    std::fflush(stdout);
}

void print_ratio(std::string_view name, double value) {
    std::printf("%.*s: %.2f\n", static_cast<int>(name.size()), name.data(), value);
    std::fflush(stdout);
}

double peak_rss_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0; // the line is in kB
    return 0;
}

} // namespace olv::bench

namespace {

// A folder of its own under the system's temporary folder, removed at the end.
struct TemporaryFolder {
    std::filesystem::path path;
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "olvessa-bench-XXXXXX");
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace olv::bench;
    // The views are measured on real widgets, which need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    try {
        const TemporaryFolder folder;
        BenchContext context;
        context.database_path = (folder.path / "ten_years.db").string();
        const Stopwatch watch;
        const GeneratedCounts n = generate_database(context.database_path);
        std::printf("generated: %lld clients, %lld projects, %lld objectives, %lld tasks, "
                    "%lld time entries\n",
                    static_cast<long long>(n.clients), static_cast<long long>(n.projects),
                    static_cast<long long>(n.objectives), static_cast<long long>(n.tasks),
                    static_cast<long long>(n.entries));
        print_figure("generate", watch.elapsed_ms(), "ms");
        // The store benchmark writes to and deletes from its file.
        context.views_database_path = (folder.path / "ten_years_views.db").string();
        std::filesystem::copy_file(context.database_path, context.views_database_path);
        // OLV_BENCH_PARTS="period,reports" runs only those parts, for a quicker look at them.
        const std::string parts = qEnvironmentVariable("OLV_BENCH_PARTS").toStdString();
        const auto wanted = [&parts](const std::string& part) {
            return parts.empty() || ("," + parts + ",").find("," + part + ",") != std::string::npos;
        };
        if (wanted("files"))
            run_files_bench(context);
        if (wanted("store"))
            run_store_bench(context);
        if (wanted("views"))
            run_views_bench(context);
        else
            add_daily_task_entries(context.views_database_path);
        if (wanted("period"))
            run_period_bench(context);
        // The export is a command of its own, not the running program: measured last so that
        // the program's peak memory (peak_rss_end) is not its.
        if (wanted("reports"))
            run_reports_bench(context);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "olvessa_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
