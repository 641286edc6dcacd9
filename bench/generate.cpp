// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "generate.h"

#include "common/dates.h"
#include "connection.h"
#include "store/operations.h"

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>

namespace olv::bench {

GeneratedCounts generate_database(const std::string& path, const GeneratedSize& size) {
    {
        Store store;
        if (!store.db.load_engine() || !create_database(store, path, "Bench User"))
            throw std::runtime_error("cannot create " + path);
    }

    constexpr int kDays = 3652;
    const DateValue last_day = make_date(2026, 12, 10, 0, 0, 0);
    const DateValue first_day = last_day - kDays * kSecondsPerDay;
    std::mt19937 random(20261210);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto rate = [&] { return between(2000, 15000) / 100.0; };
    const auto day = [&] { return first_day + between(0, kDays - 1) * kSecondsPerDay; };

    Connection connection(path);
    connection.exec("PRAGMA journal_mode = OFF");
    connection.exec("PRAGMA synchronous = OFF");
    connection.exec("BEGIN");
    Insert client(connection, "INSERT INTO clients VALUES(?,?,?)");
    Insert project(connection, "INSERT INTO project VALUES(?,?,?,?,?,?,?)");
    Insert objective(connection, "INSERT INTO objectives VALUES(?,?,?,?,?,?,?)");
    Insert task(connection, "INSERT INTO task VALUES(?,?,?,?,?,?,?,?,?)");
    Insert entry(connection, "INSERT INTO task_detail VALUES(?,?,?,?,?)");

    // Keys are creation times, as the program makes them: one second apart within a table.
    GeneratedCounts n;
    for (int c = 0; c < size.clients; ++c) {
        const DateValue client_key = first_day + static_cast<DateValue>(n.clients++);
        client.integer(client_key).text("Client " + std::to_string(c)).real(rate()).run();
        for (int p = 0; p < size.projects_per_client; ++p) {
            const DateValue project_key = first_day + static_cast<DateValue>(n.projects++);
            const DateValue start = day();
            project.integer(project_key)
                .text("Project " + std::to_string(project_key - first_day))
                .integer(client_key)
                .integer(start)
                .integer(start + between(30, 720) * kSecondsPerDay)
                .text("Scope agreed by phone; invoice monthly.")
                .real(rate())
                .run();
            for (int o = 0; o < size.objectives_per_project; ++o) {
                const DateValue objective_key = first_day + static_cast<DateValue>(n.objectives++);
                const DateValue ob_start = start + between(0, 60) * kSecondsPerDay;
                objective.integer(objective_key)
                    .integer(between(0, 1))
                    .text("Objective " + std::to_string(objective_key - first_day))
                    .integer(project_key)
                    .integer(ob_start)
                    .integer(ob_start + between(7, 120) * kSecondsPerDay)
                    .text("")
                    .run();
                for (int t = 0; t < size.tasks_per_objective; ++t) {
                    const DateValue task_key = first_day + static_cast<DateValue>(n.tasks++);
                    const DateValue task_start = ob_start + between(0, 30) * kSecondsPerDay;
                    task.integer(task_key)
                        .integer(between(0, 1))
                        .text("Task " + std::to_string(task_key - first_day))
                        .integer(objective_key)
                        .integer(task_start)
                        .integer(task_start + between(1, 60) * kSecondsPerDay)
                        .text("")
                        .integer(0)
                        .integer(between(0, 1))
                        .run();
                    for (int e = 0; e < size.entries_per_task; ++e) {
                        const DateValue entry_key = first_day + static_cast<DateValue>(n.entries++);
                        entry.integer(entry_key)
                            .integer(task_key)
                            .integer(between(300, 28800))
                            .integer(day())
                            .integer(between(1, 10) <= 3 ? 1 : 0)
                            .run();
                    }
                }
            }
        }
    }
    connection.exec("COMMIT");
    return n;
}

} // namespace olv::bench
