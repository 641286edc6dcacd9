#include "reports/figures.h"

#include <utility>

namespace olv {

Figures& Figures::operator+=(const Figures& other) {
    total_seconds += other.total_seconds;
    billed_seconds += other.billed_seconds;
    earned += other.earned;
    billed_amount += other.billed_amount;
    return *this;
}

double amount_for(std::int64_t seconds, double rate) {
    return static_cast<double>(seconds) / 3600.0 * rate;
}

namespace {

struct Seconds {
    std::int64_t total = 0;
    std::int64_t billed = 0;

    Seconds& operator+=(const Seconds& other) {
        total += other.total;
        billed += other.billed;
        return *this;
    }
    void add(const TimeEntry& entry) {
        total += entry.Time;
        if (entry.billed != 0)
            billed += entry.Time;
    }
};

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

// The seconds of tasks while one figure or report is made. A few tasks read their own entries
// through the index. When the tasks beneath hold a good share of all entries, one pass over the
// entries list in list order is much cheaper than jumping from entry to entry across memory.
class TaskSeconds {
public:
    TaskSeconds(const Store& store, std::size_t entries_beneath)
        : entries_(store.lists.entries), index_(store.children()) {
        if (entries_beneath == 0 || entries_beneath * kScanShare < entries_.size())
            return;
        per_task_.resize(store.lists.tasks.size());
        const ChildIndex::Indices& owners = index_.task_of_each_entry();
        for (std::size_t e = 0; e < entries_.size(); ++e)
            if (owners[e] != ChildIndex::kNoParent)
                per_task_[owners[e]].add(entries_[e]);
    }

    Seconds task(std::size_t t) const {
        if (!per_task_.empty())
            return per_task_[t];
        Seconds s;
        for (const std::size_t e : index_.entries_of_task(t))
            s.add(entries_[e]);
        return s;
    }

    Seconds objective(std::size_t o) const {
        Seconds s;
        for (const std::size_t t : index_.tasks_of_objective(o))
            s += task(t);
        return s;
    }

    Seconds project(std::size_t p) const {
        Seconds s;
        for (const std::size_t o : index_.objectives_of_project(p))
            s += objective(o);
        return s;
    }

private:
    // A pass over all entries pays off once the records beneath hold one entry in eight.
    static constexpr std::size_t kScanShare = 8;

    const std::vector<TimeEntry>& entries_;
    const ChildIndex& index_;
    std::vector<Seconds> per_task_;
};

Figures at_rate(const Seconds& s, double rate) {
    Figures f;
    f.total_seconds = s.total;
    f.billed_seconds = s.billed;
    f.earned = amount_for(s.total, rate);
    f.billed_amount = amount_for(s.billed, rate);
    return f;
}

Figures project_at_its_rate(const Store& store, const TaskSeconds& seconds, std::size_t project) {
    return at_rate(seconds.project(project), store.lists.projects[project].project_rate);
}

// Each project at its own rate: a client's amounts are the sums of its projects' amounts.
Figures client_by_projects(const Store& store, const TaskSeconds& seconds, std::size_t client) {
    Figures f;
    for (const std::size_t p : store.children().projects_of_client(client))
        f += project_at_its_rate(store, seconds, p);
    return f;
}

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
    const TaskSeconds seconds(store, store.children().entries_of_task(task_index).size());
    return at_rate(seconds.task(task_index), rate);
}

Figures objective_figures(const Store& store, std::size_t objective_index, double rate) {
    const TaskSeconds seconds(store, entries_beneath_objective(store.children(), objective_index));
    return at_rate(seconds.objective(objective_index), rate);
}

Figures project_figures(const Store& store, std::size_t project_index) {
    const TaskSeconds seconds(store, entries_beneath_project(store.children(), project_index));
    return project_at_its_rate(store, seconds, project_index);
}

Figures client_figures(const Store& store, std::size_t client_index) {
    const TaskSeconds seconds(store, entries_beneath_client(store.children(), client_index));
    return client_by_projects(store, seconds, client_index);
}

Report user_report(const Store& store, std::size_t user_index) {
    Report report = make_report(
        ReportKind::User, "Report for User: " + store.lists.users[user_index].userID, "Client");
    const ChildIndex& index = store.children();
    const auto& clients = store.lists.clients;
    std::size_t beneath = 0;
    for (std::size_t c = 0; c < clients.size(); ++c)
        beneath += entries_beneath_client(index, c);
    const TaskSeconds seconds(store, beneath);
    for (std::size_t c = 0; c < clients.size(); ++c)
        add_row(report, clients[c].client_name, client_by_projects(store, seconds, c));
    return report;
}

Report client_report(const Store& store, std::size_t client_index) {
    Report report = make_report(
        ReportKind::Client, "Report for Client: " + store.lists.clients[client_index].client_name,
        "Project");
    const TaskSeconds seconds(store, entries_beneath_client(store.children(), client_index));
    for (const std::size_t p : store.children().projects_of_client(client_index))
        add_row(report, store.lists.projects[p].project_title,
                project_at_its_rate(store, seconds, p));
    return report;
}

Report project_report(const Store& store, std::size_t project_index) {
    const ProjectRecord& project = store.lists.projects[project_index];
    Report report = make_report(ReportKind::Project, "Report for Project: " + project.project_title,
                                "Objective");
    const TaskSeconds seconds(store, entries_beneath_project(store.children(), project_index));
    for (const std::size_t o : store.children().objectives_of_project(project_index))
        add_row(report, store.lists.objectives[o].ob_title,
                at_rate(seconds.objective(o), project.project_rate));
    return report;
}

Report objective_report(const Store& store, std::size_t objective_index) {
    Report report = make_report(
        ReportKind::Objective,
        "Report for Objective: " + store.lists.objectives[objective_index].ob_title, "Task");
    const TaskSeconds seconds(store, entries_beneath_objective(store.children(), objective_index));
    for (const std::size_t t : store.children().tasks_of_objective(objective_index)) {
        const TaskRecord& task = store.lists.tasks[t];
        add_row(report, task.task_title, at_rate(seconds.task(t), task.task_rate));
    }
    return report;
}

} // namespace olv
