// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The daily backup and File > Save As copy the whole database with the engine's online backup:
// what that costs on the ten-year database, once at start and at each Save As.
#include "bench.h"

#include "store/access_layer.h"

#include <filesystem>
#include <stdexcept>

namespace olv::bench {

void run_files_bench(const BenchContext& context) {
    const std::filesystem::path source = context.views_database_path;
    const std::filesystem::path target = source.parent_path() / "backup.db";
    AccessLayer db;
    if (!db.load_engine())
        throw std::runtime_error("cannot load the engine: " + db.last_error());
    const double ms = best_of(3, [&] {
        std::filesystem::remove(target);
        if (!AccessLayer::succeeded(db.copy_database(source.string(), target.string())))
            throw std::runtime_error("cannot copy the database: " + db.last_error());
    });
    print_figure("database size",
                 static_cast<double>(std::filesystem::file_size(source)) / (1024.0 * 1024.0),
                 "MiB");
    print_figure("copy the database (daily backup, Save As)", ms, "ms");
    std::filesystem::remove(target);
}

} // namespace olv::bench
