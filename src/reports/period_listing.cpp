// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "reports/period_listing.h"

#include <algorithm>
#include <tuple>

namespace olv {

namespace {

constexpr std::size_t kNone = ChildIndex::kNoParent;

PeriodLineage lineage_of(const Store& store) {
    const RecordLists& lists = store.lists;
    const ChildIndex& index = store.children();
    PeriodLineage l;
    l.task_objective.assign(lists.tasks.size(), kNone);
    l.objective_project.assign(lists.objectives.size(), kNone);
    l.project_client.assign(lists.projects.size(), kNone);
    for (std::size_t c = 0; c < lists.clients.size(); ++c)
        for (const std::size_t p : index.projects_of_client(c))
            l.project_client[p] = c;
    for (std::size_t p = 0; p < lists.projects.size(); ++p)
        for (const std::size_t o : index.objectives_of_project(p))
            l.objective_project[o] = p;
    for (std::size_t o = 0; o < lists.objectives.size(); ++o)
        for (const std::size_t t : index.tasks_of_objective(o))
            l.task_objective[t] = o;
    l.project_rates.resize(lists.projects.size());
    for (std::size_t p = 0; p < lists.projects.size(); ++p)
        l.project_rates[p] = rate_cents(lists.projects[p].project_rate);
    return l;
}

// The task's chain up to its client; false where a parent is missing.
struct Chain {
    std::size_t client = kNone, project = kNone, objective = kNone, task = kNone;
};
bool chain_of(const PeriodLineage& l, std::size_t task, Chain& c) {
    c.task = task;
    return task != kNone && task < l.task_objective.size() &&
           (c.objective = l.task_objective[task]) != kNone &&
           (c.project = l.objective_project[c.objective]) != kNone &&
           (c.client = l.project_client[c.project]) != kNone;
}

bool in_scope(const Chain& c, PeriodScope scope) {
    switch (scope.kind) {
    case RecordKind::User:
        return true;
    case RecordKind::Client:
        return c.client == scope.index;
    case RecordKind::Project:
        return c.project == scope.index;
    case RecordKind::Objective:
        return c.objective == scope.index;
    case RecordKind::Task:
        return c.task == scope.index;
    case RecordKind::None:
        break;
    }
    return false;
}

std::size_t row_record(const Chain& c, RecordKind scope) {
    switch (scope) {
    case RecordKind::User:
        return c.client;
    case RecordKind::Client:
        return c.project;
    case RecordKind::Project:
        return c.objective;
    case RecordKind::Objective:
    case RecordKind::Task:
    case RecordKind::None:
        break;
    }
    return c.task;
}

// The heading, the first column's name and the rows, one per child of the scope in tree order.
std::vector<std::size_t> frame(const Store& store, PeriodListing& out) {
    return report_frame(store, out.scope, out.period, out.heading, out.first_column, out.rows);
}

std::uint64_t mix(Key key, bool billed, std::int64_t seconds) {
    // Each entry's own hash, summed: the order of the sum does not matter, and a change of one
    // entry can be taken out and put in again.
    std::uint64_t h = static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<std::uint64_t>(seconds) << 1 | (billed ? 1u : 0u)) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    return h * 0xBF58476D1CE4E5B9ull;
}

// The entries and the task of each, by list index: the store's own, or a copy of them.
struct EntrySource {
    std::span<const TimeEntry> entries;
    std::span<const std::size_t> owners;
};

EntrySource source_of(const Store& store) {
    return {store.lists.entries, store.children().task_of_each_entry()};
}

PeriodEntry entry_of(const EntrySource& source, const PeriodListing& listing, std::size_t i) {
    PeriodEntry e;
    e.entry = listing.positions[i];
    const TimeEntry& entry = source.entries[e.entry];
    Chain c;
    chain_of(listing.lineage, source.owners[e.entry], c);
    e.client = c.client;
    e.project = c.project;
    e.objective = c.objective;
    e.task = c.task;
    e.key = entry.key;
    e.date = entry.date;
    e.seconds = entry.Time;
    e.billed = entry.billed != 0;
    e.running = entry.timing != 0;
    e.rate_cents = c.project < listing.lineage.project_rates.size()
                       ? listing.lineage.project_rates[c.project]
                       : 0;
    e.amount_cents = amount_cents(e.seconds, e.rate_cents);
    return e;
}

bool counted_running(const PeriodListing& listing, std::uint32_t entry) {
    for (const CountedEntry& c : listing.running)
        if (listing.positions[c.position] == entry)
            return true;
    return false;
}

std::uint64_t fingerprint_of(std::span<const TimeEntry> entries, const PeriodListing& listing) {
    std::vector<char> running(listing.positions.size(), 0);
    for (const CountedEntry& c : listing.running)
        running[c.position] = 1;
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < listing.positions.size(); ++i) {
        const TimeEntry& e = entries[listing.positions[i]];
        sum += mix(e.key, e.billed != 0, running[i] ? 0 : e.Time);
    }
    return sum;
}

// Entries between two looks at a stop request: a few milliseconds of work.
constexpr std::size_t kStopCheckEvery = 1 << 16;

bool stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

// The rows, totals, running entries, widest figures and fingerprint, from the positions.
void total_listing(const EntrySource& source, PeriodListing& listing,
                   const std::atomic<bool>* stop = nullptr) {
    for (PeriodRow& row : listing.rows)
        row.totals = {};
    listing.totals = {};
    listing.running.clear();
    listing.widest_seconds = listing.widest_rate_cents = listing.widest_amount_cents = 0;
    for (std::size_t i = 0; i < listing.positions.size(); ++i) {
        if (i % kStopCheckEvery == 0 && stopped(stop))
            return;
        const PeriodEntry e = entry_of(source, listing, i);
        const std::size_t child =
            row_record(Chain{e.client, e.project, e.objective, e.task}, listing.scope.kind);
        if (child < listing.row_of.size() && listing.row_of[child] != kNone)
            listing.rows[listing.row_of[child]].totals.add(e);
        listing.totals.add(e);
        if (e.running)
            listing.running.push_back({i, e.seconds, e.amount_cents});
        listing.widest_seconds = std::max<std::int64_t>(listing.widest_seconds, e.seconds);
        listing.widest_rate_cents = std::max(listing.widest_rate_cents, e.rate_cents);
        listing.widest_amount_cents = std::max(listing.widest_amount_cents, e.amount_cents);
    }
    listing.fingerprint = fingerprint_of(source.entries, listing);
}

PeriodTotals& row_totals(PeriodListing& listing, const PeriodEntry& e, PeriodTotals& none) {
    const std::size_t child =
        row_record(Chain{e.client, e.project, e.objective, e.task}, listing.scope.kind);
    if (child < listing.row_of.size() && listing.row_of[child] != kNone)
        return listing.rows[listing.row_of[child]].totals;
    return none;
}

} // namespace

ListingPlan plan_listing(const Store& store, PeriodScope scope, const Period& period,
                         bool unbilled_only) {
    ListingPlan plan;
    PeriodListing& out = plan.listing;
    out.scope = scope;
    out.period = period;
    out.unbilled_only = unbilled_only;
    out.structure_version = store.structure_version();
    if (scope.kind == RecordKind::None)
        return plan;
    const RecordLists& lists = store.lists;
    out.lineage = lineage_of(store);
    const std::vector<std::size_t> children = frame(store, out);
    std::size_t list_size = 0;
    for (const std::size_t c : children)
        list_size = std::max(list_size, c + 1);
    out.row_of.assign(list_size, kNone);
    for (std::size_t r = 0; r < children.size(); ++r)
        out.row_of[children[r]] = r;

    // Each task in scope gets its rank in the tree's order of client, project, objective and
    // task; a task out of scope or with a broken chain gets none.
    std::vector<std::tuple<std::size_t, std::size_t, std::size_t, std::size_t>> order;
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        Chain c;
        if (chain_of(out.lineage, t, c) && in_scope(c, scope))
            order.emplace_back(c.client, c.project, c.objective, t);
    }
    std::sort(order.begin(), order.end());
    plan.rank.assign(lists.tasks.size(), UINT32_MAX);
    for (std::size_t r = 0; r < order.size(); ++r)
        plan.rank[std::get<3>(order[r])] = static_cast<std::uint32_t>(r);
    return plan;
}

void fill_listing(ListingPlan& plan, std::span<const TimeEntry> entries,
                  std::span<const std::size_t> owners, const std::atomic<bool>* stop) {
    PeriodListing& out = plan.listing;
    if (out.scope.kind == RecordKind::None)
        return;
    const Period& period = out.period;
    const bool unbilled_only = out.unbilled_only;
    const std::vector<std::uint32_t>& rank = plan.rank;
    const auto rank_of = [&](std::uint32_t i) {
        const std::size_t t = owners[i];
        return t < rank.size() ? rank[t] : UINT32_MAX;
    };
    std::vector<std::uint32_t>& positions = out.positions;
    if (period.all_time && !unbilled_only)
        positions.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i % kStopCheckEvery == 0 && stopped(stop))
            return;
        const TimeEntry& entry = entries[i];
        if (!period.contains(entry.date) || (unbilled_only && entry.billed != 0))
            continue;
        if (rank_of(static_cast<std::uint32_t>(i)) == UINT32_MAX)
            continue;
        positions.push_back(static_cast<std::uint32_t>(i));
    }
    positions.shrink_to_fit();

    const auto day_of = [&](std::uint32_t i) { return day_number(entries[i].date); };
    const auto by_day = [&](std::uint32_t a, std::uint32_t b) { return day_of(a) < day_of(b); };
    const auto tree_order = [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t ra = rank_of(a), rb = rank_of(b);
        return ra != rb ? ra < rb : entries[a].key < entries[b].key;
    };
    // A load leaves the entries in date order: then only each day's entries need sorting.
    // Otherwise the day and the position go into one number each, which sort quickly and, as
    // the positions ascend, keep each day's entries in list order.
    if (!std::is_sorted(positions.begin(), positions.end(), by_day)) {
        std::vector<std::uint64_t> keyed(positions.size());
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const auto day = static_cast<std::uint32_t>(day_of(positions[i]) + 0x80000000ll);
            keyed[i] = static_cast<std::uint64_t>(day) << 32 | positions[i];
        }
        std::sort(keyed.begin(), keyed.end());
        for (std::size_t i = 0; i < positions.size(); ++i)
            positions[i] = static_cast<std::uint32_t>(keyed[i]);
    }
    if (stopped(stop))
        return;
    for (auto first = positions.begin(); first != positions.end();) {
        const std::int64_t day = day_of(*first);
        auto last = first;
        while (last != positions.end() && day_of(*last) == day)
            ++last;
        if (last - first > 1)
            std::sort(first, last, tree_order);
        first = last;
    }
    total_listing(EntrySource{entries, owners}, out, stop);
}

PeriodListing period_listing(const Store& store, PeriodScope scope, const Period& period,
                             bool unbilled_only) {
    ListingPlan plan = plan_listing(store, scope, period, unbilled_only);
    fill_listing(plan, store.lists.entries, store.children().task_of_each_entry());
    return std::move(plan.listing);
}

std::size_t entries_in_period(const Store& store, const Period& period, bool unbilled_only) {
    std::size_t n = 0;
    for (const TimeEntry& entry : store.lists.entries)
        n += period.contains(entry.date) && !(unbilled_only && entry.billed != 0);
    return n;
}

PeriodEntry listing_entry(const Store& store, const PeriodListing& listing, std::size_t i) {
    return entry_of(source_of(store), listing, i);
}

std::vector<std::size_t> running_entries(const Store& store) {
    std::vector<std::size_t> out;
    const RecordLists& lists = store.lists;
    const ChildIndex& children = store.children();
    for (std::size_t t = 0; t < lists.tasks.size(); ++t) {
        if (!lists.tasks[t].running)
            continue;
        for (const std::size_t e : children.entries_of_task(t))
            if (lists.entries[e].timing != 0)
                out.push_back(e);
    }
    return out;
}

bool follow_running(const Store& store, PeriodListing& listing,
                    const std::vector<std::size_t>& running, std::vector<std::size_t>& changed) {
    changed.clear();
    if (store.structure_version() != listing.structure_version)
        return false;
    const RecordLists& lists = store.lists;
    // A timer that counts into an entry the listing holds but did not count as running.
    for (const std::size_t e : running) {
        if (counted_running(listing, static_cast<std::uint32_t>(e)))
            continue;
        const TimeEntry& entry = lists.entries[e];
        Chain c;
        if (!listing.period.contains(entry.date) || (listing.unbilled_only && entry.billed) ||
            !chain_of(listing.lineage, store.children().task_of_each_entry()[e], c) ||
            !in_scope(c, listing.scope))
            continue;
        return false;
    }
    PeriodTotals none;
    for (CountedEntry& counted : listing.running) {
        const PeriodEntry e = listing_entry(store, listing, counted.position);
        if (e.seconds == counted.seconds && e.amount_cents == counted.cents)
            continue;
        const std::int64_t seconds = e.seconds - counted.seconds;
        const std::int64_t cents = e.amount_cents - counted.cents;
        for (PeriodTotals* t : {&row_totals(listing, e, none), &listing.totals}) {
            t->seconds += seconds;
            t->earned_cents += cents;
            if (e.billed) {
                t->billed_seconds += seconds;
                t->billed_cents += cents;
            }
        }
        counted.seconds = e.seconds;
        counted.cents = e.amount_cents;
        listing.widest_seconds = std::max<std::int64_t>(listing.widest_seconds, e.seconds);
        listing.widest_amount_cents = std::max(listing.widest_amount_cents, e.amount_cents);
        changed.push_back(counted.position);
    }
    return true;
}

bool listing_current(const Store& store, const PeriodListing& listing) {
    if (store.structure_version() != listing.structure_version)
        return false;
    const RecordLists& lists = store.lists;
    if (lists.projects.size() != listing.lineage.project_rates.size())
        return false;
    for (std::size_t p = 0; p < lists.projects.size(); ++p)
        if (rate_cents(lists.projects[p].project_rate) != listing.lineage.project_rates[p])
            return false;
    return fingerprint_of(lists.entries, listing) == listing.fingerprint;
}

void retotal_listing(const Store& store, PeriodListing& listing) {
    if (listing.unbilled_only)
        std::erase_if(listing.positions,
                      [&](std::uint32_t i) { return store.lists.entries[i].billed != 0; });
    total_listing(source_of(store), listing);
}

UnbilledEntries unbilled_listing_entries(const Store& store, const PeriodListing& listing) {
    UnbilledEntries out;
    for (std::size_t i = 0; i < listing.positions.size(); ++i) {
        const TimeEntry& entry = store.lists.entries[listing.positions[i]];
        if (entry.billed)
            continue;
        if (entry.timing) {
            ++out.running_left;
            continue;
        }
        out.totals.add(listing_entry(store, listing, i));
        out.keys.push_back(entry.key);
    }
    return out;
}

} // namespace olv
