#pragma once
// The figures behind the detail list and the printed reports: seconds gathered up the
// hierarchy, split into billed and unbilled, and money at the project's rate, each entry's amount
// rounded to the cent before it is added (the money rule of reports/money.h).
#include "reports/money.h"
#include "store/store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace olv {

struct Figures {
    std::int64_t total_seconds = 0;
    std::int64_t billed_seconds = 0;
    std::int64_t earned_cents = 0;
    std::int64_t billed_cents = 0;

    Figures& operator+=(const Figures& other);
};

// Figures of one record (by list index), at the given rate where the record has none of its own.
Figures task_figures(const Store& store, std::size_t task_index, double rate);
Figures objective_figures(const Store& store, std::size_t objective_index, double rate);
Figures project_figures(const Store& store, std::size_t project_index);
Figures client_figures(const Store& store, std::size_t client_index);

enum class ReportKind { User, Client, Project, Objective };

struct ReportRow {
    std::string label;
    Figures figures;
};

struct Report {
    ReportKind kind = ReportKind::User;
    std::string heading;      // "Report for Client: Acme"
    std::string first_column; // "Client", "Project", "Objective", "Task"
    std::vector<ReportRow> rows;
    Figures totals;
};

// Report of the user (every client), a client (its projects), a project (its objectives) or
// an objective (its tasks, at each task's task_rate). Index is the record's list index.
Report user_report(const Store& store, std::size_t user_index);
Report client_report(const Store& store, std::size_t client_index);
Report project_report(const Store& store, std::size_t project_index);
Report objective_report(const Store& store, std::size_t objective_index);

} // namespace olv
