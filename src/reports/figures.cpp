#include "reports/figures.h"

#include <utility>

namespace olv {

Figures& Figures::operator+=(const Figures& other) {
    total_seconds += other.total_seconds;
    billed_seconds += other.billed_seconds;
    earned_cents += other.earned_cents;
    billed_cents += other.billed_cents;
    return *this;
}

namespace {

// Each entry's amount is rounded before it is added, at the rate in cents of its task.
void add_entry(Figures& f, const TimeEntry& entry, std::int64_t rate) {
    const std::int64_t cents = amount_cents(entry.Time, rate);
    f.total_seconds += entry.Time;
    f.earned_cents += cents;
    if (entry.billed != 0) {
        f.billed_seconds += entry.Time;
        f.billed_cents += cents;
    }
}

// The rate in cents of each task a figure covers, by task list index; the others stay 0 and are
// never read.
using TaskRates = std::vector<std::int64_t>;

TaskRates no_rates(const Store& store) {
    return TaskRates(store.lists.tasks.size(), 0);
}

void rate_objective(const Store& store, TaskRates& rates, std::size_t objective,
                    std::int64_t rate) {
    for (const std::size_t t : store.children().tasks_of_objective(objective))
        rates[t] = rate;
}

// Every task of a project at the project's own rate.
void rate_project(const Store& store, TaskRates& rates, std::size_t project) {
    const std::int64_t rate = rate_cents(store.lists.projects[project].project_rate);
    for (const std::size_t o : store.children().objectives_of_project(project))
        rate_objective(store, rates, o, rate);
}

void rate_client(const Store& store, TaskRates& rates, std::size_t client) {
    for (const std::size_t p : store.children().projects_of_client(client))
        rate_project(store, rates, p);
}

// Time entries beneath a record, counted from the index without touching the entries.
std::size_t entries_beneath_objective(const ChildIndex& index, std::size_t objective) {
    std::size_t n = 0;
    for (const std::size_t t : index.tasks_of_objective(objective))
        n += index.entries_of_task(t).size();
    return n;
}

std::size_t entries_beneath_project(const ChildIndex& index, std::size_t project) {
    std::size_t n = 0;
    for (const std::size_t o : index.objectives_of_project(project))
        n += entries_beneath_objective(index, o);
    return n;
}

std::size_t entries_beneath_client(const ChildIndex& index, std::size_t client) {
    std::size_t n = 0;
    for (const std::size_t p : index.projects_of_client(client))
        n += entries_beneath_project(index, p);
    return n;
}

// The figures of tasks while one figure or report is made, each task at its rate. A few tasks
// read their own entries through the index. When the tasks beneath hold a good share of all
// entries, one pass over the entries list in list order is much cheaper than jumping from entry
// to entry across memory.
class TaskSums {
public:
    TaskSums(const Store& store, std::size_t entries_beneath, TaskRates rates)
        : entries_(store.lists.entries), index_(store.children()), rates_(std::move(rates)) {
        if (entries_beneath == 0 || entries_beneath * kScanShare < entries_.size())
            return;
        per_task_.resize(store.lists.tasks.size());
        const ChildIndex::Indices& owners = index_.task_of_each_entry();
        for (std::size_t e = 0; e < entries_.size(); ++e)
            if (owners[e] != ChildIndex::kNoParent)
                add_entry(per_task_[owners[e]], entries_[e], rates_[owners[e]]);
    }

    Figures task(std::size_t t) const {
        if (!per_task_.empty())
            return per_task_[t];
        Figures f;
        for (const std::size_t e : index_.entries_of_task(t))
            add_entry(f, entries_[e], rates_[t]);
        return f;
    }

    Figures objective(std::size_t o) const {
        Figures f;
        for (const std::size_t t : index_.tasks_of_objective(o))
            f += task(t);
        return f;
    }

    Figures project(std::size_t p) const {
        Figures f;
        for (const std::size_t o : index_.objectives_of_project(p))
            f += objective(o);
        return f;
    }

    Figures client(std::size_t c) const {
        Figures f;
        for (const std::size_t p : index_.projects_of_client(c))
            f += project(p);
        return f;
    }

private:
    // A pass over all entries pays off once the records beneath hold one entry in eight.
    static constexpr std::size_t kScanShare = 8;

    const std::vector<TimeEntry>& entries_;
    const ChildIndex& index_;
    TaskRates rates_;
    std::vector<Figures> per_task_;
};

Report make_report(ReportKind kind, std::string heading, std::string first_column) {
    Report report;
    report.kind = kind;
    report.heading = std::move(heading);
    report.first_column = std::move(first_column);
    return report;
}

void add_row(Report& report, const std::string& label, const Figures& figures) {
    report.rows.push_back(ReportRow{label, figures});
    report.totals += figures;
}

} // namespace

Figures task_figures(const Store& store, std::size_t task_index, double rate) {
    TaskRates rates = no_rates(store);
    rates[task_index] = rate_cents(rate);
    const TaskSums sums(store, store.children().entries_of_task(task_index).size(),
                        std::move(rates));
    return sums.task(task_index);
}

Figures objective_figures(const Store& store, std::size_t objective_index, double rate) {
    TaskRates rates = no_rates(store);
    rate_objective(store, rates, objective_index, rate_cents(rate));
    const TaskSums sums(store, entries_beneath_objective(store.children(), objective_index),
                        std::move(rates));
    return sums.objective(objective_index);
}

Figures project_figures(const Store& store, std::size_t project_index) {
    TaskRates rates = no_rates(store);
    rate_project(store, rates, project_index);
    const TaskSums sums(store, entries_beneath_project(store.children(), project_index),
                        std::move(rates));
    return sums.project(project_index);
}

Figures client_figures(const Store& store, std::size_t client_index) {
    TaskRates rates = no_rates(store);
    rate_client(store, rates, client_index);
    const TaskSums sums(store, entries_beneath_client(store.children(), client_index),
                        std::move(rates));
    return sums.client(client_index);
}

Report user_report(const Store& store, std::size_t user_index) {
    Report report = make_report(
        ReportKind::User, "Report for User: " + store.lists.users[user_index].userID, "Client");
    const ChildIndex& index = store.children();
    const auto& clients = store.lists.clients;
    std::size_t beneath = 0;
    TaskRates rates = no_rates(store);
    for (std::size_t c = 0; c < clients.size(); ++c) {
        beneath += entries_beneath_client(index, c);
        rate_client(store, rates, c);
    }
    const TaskSums sums(store, beneath, std::move(rates));
    for (std::size_t c = 0; c < clients.size(); ++c)
        add_row(report, clients[c].client_name, sums.client(c));
    return report;
}

Report client_report(const Store& store, std::size_t client_index) {
    Report report = make_report(
        ReportKind::Client, "Report for Client: " + store.lists.clients[client_index].client_name,
        "Project");
    TaskRates rates = no_rates(store);
    rate_client(store, rates, client_index);
    const TaskSums sums(store, entries_beneath_client(store.children(), client_index),
                        std::move(rates));
    for (const std::size_t p : store.children().projects_of_client(client_index))
        add_row(report, store.lists.projects[p].project_title, sums.project(p));
    return report;
}

Report project_report(const Store& store, std::size_t project_index) {
    const ProjectRecord& project = store.lists.projects[project_index];
    Report report = make_report(ReportKind::Project, "Report for Project: " + project.project_title,
                                "Objective");
    TaskRates rates = no_rates(store);
    rate_project(store, rates, project_index);
    const TaskSums sums(store, entries_beneath_project(store.children(), project_index),
                        std::move(rates));
    for (const std::size_t o : store.children().objectives_of_project(project_index))
        add_row(report, store.lists.objectives[o].ob_title, sums.objective(o));
    return report;
}

// Each task at its own task_rate (the copy of its project's rate the tree last took).
Report objective_report(const Store& store, std::size_t objective_index) {
    Report report = make_report(
        ReportKind::Objective,
        "Report for Objective: " + store.lists.objectives[objective_index].ob_title, "Task");
    const ChildIndex::Indices& tasks = store.children().tasks_of_objective(objective_index);
    TaskRates rates = no_rates(store);
    for (const std::size_t t : tasks)
        rates[t] = rate_cents(store.lists.tasks[t].task_rate);
    const TaskSums sums(store, entries_beneath_objective(store.children(), objective_index),
                        std::move(rates));
    for (const std::size_t t : tasks)
        add_row(report, store.lists.tasks[t].task_title, sums.task(t));
    return report;
}

} // namespace olv
