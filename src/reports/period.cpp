// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "reports/period.h"

#include "common/civil.h"

#include <algorithm>
#include <limits>

namespace olv {

namespace {

constexpr std::size_t kNone = ChildIndex::kNoParent;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

Period range(std::int64_t first, std::int64_t last) {
    Period p;
    p.first_day = first;
    p.last_day = last;
    return p;
}

// The parent of every record by list index, kNone where that parent does not exist.
struct Lineage {
    std::vector<std::size_t> task_objective;
    std::vector<std::size_t> objective_project;
    std::vector<std::size_t> project_client;

    explicit Lineage(const Store& store) {
        const RecordLists& lists = store.lists;
        const ChildIndex& index = store.children();
        task_objective.assign(lists.tasks.size(), kNone);
        objective_project.assign(lists.objectives.size(), kNone);
        project_client.assign(lists.projects.size(), kNone);
        for (std::size_t c = 0; c < lists.clients.size(); ++c)
            for (const std::size_t p : index.projects_of_client(c))
                project_client[p] = c;
        for (std::size_t p = 0; p < lists.projects.size(); ++p)
            for (const std::size_t o : index.objectives_of_project(p))
                objective_project[o] = p;
        for (std::size_t o = 0; o < lists.objectives.size(); ++o)
            for (const std::size_t t : index.tasks_of_objective(o))
                task_objective[t] = o;
    }
};

bool in_scope(const PeriodEntry& e, PeriodScope scope) {
    switch (scope.kind) {
    case RecordKind::User:
        return true;
    case RecordKind::Client:
        return e.client == scope.index;
    case RecordKind::Project:
        return e.project == scope.index;
    case RecordKind::Objective:
        return e.objective == scope.index;
    case RecordKind::Task:
        return e.task == scope.index;
    case RecordKind::None:
        break;
    }
    return false;
}

// The child of the scope an entry is counted under.
std::size_t row_record(const PeriodEntry& e, RecordKind scope) {
    switch (scope) {
    case RecordKind::User:
        return e.client;
    case RecordKind::Client:
        return e.project;
    case RecordKind::Project:
        return e.objective;
    case RecordKind::Objective:
    case RecordKind::Task:
    case RecordKind::None:
        break;
    }
    return e.task;
}

} // namespace

std::int64_t day_number(DateValue date) {
    return floor_div(date, kSecondsPerDay);
}

DateValue day_start(std::int64_t day) {
    return static_cast<DateValue>(day * kSecondsPerDay);
}

Period period_for(PeriodChoice choice, DateValue today) {
    const std::int64_t day = day_number(today);
    const CivilDay civil = civil_from_days(day);
    // 1970-01-01 was a Thursday: Monday is weekday 0.
    const std::int64_t monday = day - (((day + 3) % 7) + 7) % 7;
    const auto month_start = [](int year, int month) { return days_from_civil(year, month, 1); };
    switch (choice) {
    case PeriodChoice::Today:
        return range(day, day);
    case PeriodChoice::ThisWeek:
        return range(monday, monday + 6);
    case PeriodChoice::LastWeek:
        return range(monday - 7, monday - 1);
    case PeriodChoice::ThisMonth: {
        const int next_year = civil.month == 12 ? civil.year + 1 : civil.year;
        const int next_month = civil.month == 12 ? 1 : civil.month + 1;
        return range(month_start(civil.year, civil.month), month_start(next_year, next_month) - 1);
    }
    case PeriodChoice::LastMonth: {
        const int year = civil.month == 1 ? civil.year - 1 : civil.year;
        const int month = civil.month == 1 ? 12 : civil.month - 1;
        return range(month_start(year, month), month_start(civil.year, civil.month) - 1);
    }
    case PeriodChoice::ThisYear:
        return range(month_start(civil.year, 1), month_start(civil.year + 1, 1) - 1);
    case PeriodChoice::LastYear:
        return range(month_start(civil.year - 1, 1), month_start(civil.year, 1) - 1);
    case PeriodChoice::AllTime:
        break;
    }
    return olv::all_time();
}

Period days_between(DateValue first, DateValue last) {
    return range(day_number(first), day_number(last));
}

Period all_time() {
    Period p =
        range(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
    p.all_time = true;
    return p;
}

std::string period_text(const Period& period, std::string_view date_mask) {
    if (period.all_time)
        return "all time";
    return format_date(date_mask, day_start(period.first_day)) + " to " +
           format_date(date_mask, day_start(period.last_day));
}

void PeriodTotals::add(const PeriodEntry& entry) {
    ++entries;
    seconds += entry.seconds;
    earned_cents += entry.amount_cents;
    if (entry.billed) {
        billed_seconds += entry.seconds;
        billed_cents += entry.amount_cents;
    }
}

std::vector<PeriodEntry> period_entries(const Store& store, PeriodScope scope, const Period& period,
                                        bool unbilled_only) {
    std::vector<PeriodEntry> out;
    if (scope.kind == RecordKind::None)
        return out;
    const RecordLists& lists = store.lists;
    if (period.all_time)
        out.reserve(lists.entries.size());
    const Lineage lineage(store);
    const ChildIndex::Indices& owners = store.children().task_of_each_entry();
    std::vector<std::int64_t> project_rates(lists.projects.size());
    for (std::size_t p = 0; p < lists.projects.size(); ++p)
        project_rates[p] = rate_cents(lists.projects[p].project_rate);
    for (std::size_t i = 0; i < lists.entries.size(); ++i) {
        const TimeEntry& entry = lists.entries[i];
        if (!period.contains(entry.date) || (unbilled_only && entry.billed != 0))
            continue;
        PeriodEntry e;
        e.entry = i;
        e.task = owners[i];
        if (e.task == kNone || (e.objective = lineage.task_objective[e.task]) == kNone ||
            (e.project = lineage.objective_project[e.objective]) == kNone ||
            (e.client = lineage.project_client[e.project]) == kNone)
            continue;
        if (!in_scope(e, scope))
            continue;
        e.key = entry.key;
        e.date = entry.date;
        e.seconds = entry.Time;
        e.billed = entry.billed != 0;
        e.running = entry.timing != 0;
        e.rate_cents = project_rates[e.project];
        e.amount_cents = amount_cents(e.seconds, e.rate_cents);
        out.push_back(e);
    }
    const auto tree_order = [](const PeriodEntry& a, const PeriodEntry& b) {
        if (a.client != b.client)
            return a.client < b.client;
        if (a.project != b.project)
            return a.project < b.project;
        if (a.objective != b.objective)
            return a.objective < b.objective;
        if (a.task != b.task)
            return a.task < b.task;
        return a.key < b.key;
    };
    const auto by_day = [](const PeriodEntry& a, const PeriodEntry& b) {
        return day_number(a.date) < day_number(b.date);
    };
    // A load leaves the entries in date order: then only each day's entries need sorting.
    if (!std::is_sorted(out.begin(), out.end(), by_day))
        std::stable_sort(out.begin(), out.end(), by_day);
    for (auto first = out.begin(); first != out.end();) {
        const std::int64_t day = day_number(first->date);
        auto last = first;
        while (last != out.end() && day_number(last->date) == day)
            ++last;
        std::sort(first, last, tree_order);
        first = last;
    }
    return out;
}

std::vector<std::size_t> report_frame(const Store& store, PeriodScope scope, const Period& period,
                                      std::string& heading, std::string& first_column,
                                      std::vector<PeriodRow>& rows) {
    const RecordLists& lists = store.lists;
    const ChildIndex& index = store.children();
    const std::string when = ", " + period_text(period, store.date_mask);
    std::vector<std::size_t> children;
    const auto all = [](std::size_t n) {
        std::vector<std::size_t> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = i;
        return v;
    };
    switch (scope.kind) {
    case RecordKind::User:
        heading = "Report for User: " +
                  (scope.index < lists.users.size() ? lists.users[scope.index].userID : "") + when;
        first_column = "Client";
        children = all(lists.clients.size());
        for (const std::size_t c : children)
            rows.push_back({lists.clients[c].client_name, {}});
        break;
    case RecordKind::Client:
        heading = "Report for Client: " + lists.clients[scope.index].client_name + when;
        first_column = "Project";
        children = index.projects_of_client(scope.index);
        for (const std::size_t p : children)
            rows.push_back({lists.projects[p].project_title, {}});
        break;
    case RecordKind::Project:
        heading = "Report for Project: " + lists.projects[scope.index].project_title + when;
        first_column = "Objective";
        children = index.objectives_of_project(scope.index);
        for (const std::size_t o : children)
            rows.push_back({lists.objectives[o].ob_title, {}});
        break;
    case RecordKind::Objective:
        heading = "Report for Objective: " + lists.objectives[scope.index].ob_title + when;
        first_column = "Task";
        children = index.tasks_of_objective(scope.index);
        for (const std::size_t t : children)
            rows.push_back({lists.tasks[t].task_title, {}});
        break;
    case RecordKind::Task:
        heading = "Report for Task: " + lists.tasks[scope.index].task_title + when;
        first_column = "Task";
        children = {scope.index};
        rows.push_back({lists.tasks[scope.index].task_title, {}});
        break;
    case RecordKind::None:
        break;
    }
    return children;
}

PeriodReport period_report(const Store& store, PeriodScope scope, const Period& period,
                           bool unbilled_only) {
    PeriodReport report;
    if (scope.kind == RecordKind::None)
        return report;
    const std::vector<std::size_t> children =
        report_frame(store, scope, period, report.heading, report.first_column, report.rows);

    std::size_t list_size = 0;
    for (const std::size_t c : children)
        list_size = std::max(list_size, c + 1);
    std::vector<std::size_t> row_of(list_size, kNone);
    for (std::size_t r = 0; r < children.size(); ++r)
        row_of[children[r]] = r;

    report.entries = period_entries(store, scope, period, unbilled_only);
    for (const PeriodEntry& e : report.entries) {
        const std::size_t child = row_record(e, scope.kind);
        if (child < row_of.size() && row_of[child] != kNone)
            report.rows[row_of[child]].totals.add(e);
        report.totals.add(e);
    }
    return report;
}

UnbilledEntries unbilled_entries(const std::vector<PeriodEntry>& entries) {
    UnbilledEntries out;
    for (const PeriodEntry& e : entries) {
        if (e.billed)
            continue;
        if (e.running) {
            ++out.running_left;
            continue;
        }
        out.totals.add(e);
        out.keys.push_back(e.key);
    }
    return out;
}

} // namespace olv
