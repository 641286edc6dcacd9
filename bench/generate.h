// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A ten-year database of a busy freelancer, written straight through the engine in one
// transaction.
#include <cstdint>
#include <string>

namespace olv::bench {

struct GeneratedSize {
    int clients = 200;
    int projects_per_client = 10;
    int objectives_per_project = 5;
    int tasks_per_objective = 5;
    int entries_per_task = 20;
};

struct GeneratedCounts {
    std::int64_t clients = 0;
    std::int64_t projects = 0;
    std::int64_t objectives = 0;
    std::int64_t tasks = 0;
    std::int64_t entries = 0;
};

// Creates the file with the program's own schema and users row, then fills it. Throws
// std::runtime_error when the engine refuses.
GeneratedCounts generate_database(const std::string& path, const GeneratedSize& size = {});

} // namespace olv::bench
