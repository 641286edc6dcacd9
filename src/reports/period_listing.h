// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A period report held as positions in the entries list, not as copies of the entries: ten
// years of work are a million entries, and a window shows a few dozen of them at a time. Each
// entry's figures are worked out when asked for. The figures follow running timers and billed
// marks without the report being computed again.
#include "reports/period.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace olv {

// The parents of the records by list index and each project's rate in cents, as they were when
// the listing was computed.
struct PeriodLineage {
    std::vector<std::size_t> task_objective;
    std::vector<std::size_t> objective_project;
    std::vector<std::size_t> project_client;
    std::vector<std::int64_t> project_rates;
};

// An entry whose timer was counting when last looked at: what it added to the figures then.
struct CountedEntry {
    std::size_t position = 0; // in PeriodListing::positions
    std::int64_t seconds = 0;
    std::int64_t cents = 0;
};

struct PeriodListing {
    std::string heading;
    std::string first_column;
    std::vector<PeriodRow> rows;
    PeriodTotals totals;
    // Entries-list indices in the order of the report.
    std::vector<std::uint32_t> positions;

    PeriodScope scope;
    Period period;
    bool unbilled_only = false;
    PeriodLineage lineage;
    std::vector<std::size_t> row_of;     // the row of each child of the scope, by list index
    std::uint64_t structure_version = 0; // of the lists it was computed from
    std::vector<CountedEntry> running;
    // A sum over the entries of their keys, billed flags and (but for running ones) times: a
    // change made elsewhere shows as a different sum.
    std::uint64_t fingerprint = 0;
    // The largest figures of an entry, for the widths of the columns.
    std::int64_t widest_seconds = 0;
    std::int64_t widest_rate_cents = 0;
    std::int64_t widest_amount_cents = 0;
};

// Computes what period_report computes, in the same order, without copying the entries.
PeriodListing period_listing(const Store& store, PeriodScope scope, const Period& period,
                             bool unbilled_only);

// The same in two parts, for a listing worked out on another thread. The plan is quick and reads
// the store: heading, rows, lineage and the rank of each task in the tree's order.
struct ListingPlan {
    PeriodListing listing;
    std::vector<std::uint32_t> rank;
};
ListingPlan plan_listing(const Store& store, PeriodScope scope, const Period& period,
                         bool unbilled_only);
// The long part reads only the entries and the task of each entry by list index (the store's
// children().task_of_each_entry()), which may be copies. Once `stop` is set it gives up early,
// leaving a listing that must not be shown.
void fill_listing(ListingPlan& plan, std::span<const TimeEntry> entries,
                  std::span<const std::size_t> owners, const std::atomic<bool>* stop = nullptr);

// How many entries fall in the period, whatever their item: an upper bound of a listing's size,
// found with one pass over the dates, to tell a quick listing from a long one beforehand.
std::size_t entries_in_period(const Store& store, const Period& period, bool unbilled_only);

// The figures of the listing's entry at `i`, as period_report gives them.
PeriodEntry listing_entry(const Store& store, const PeriodListing& listing, std::size_t i);

// The entries whose timer is counting, by list index; a walk over the running tasks only.
std::vector<std::size_t> running_entries(const Store& store);

// After a tick: adds what the running entries counted since the last look to their rows and the
// totals. Returns the positions whose figures changed; false when an entry that belongs in the
// listing is missing from it (a timer started a new entry), so it has to be computed again.
bool follow_running(const Store& store, PeriodListing& listing,
                    const std::vector<std::size_t>& running, std::vector<std::size_t>& changed);

// The listing still shows the lists as they are: same records, same times and marks, same rates.
bool listing_current(const Store& store, const PeriodListing& listing);

// Sums the rows and totals again from the entries, after their billed marks changed. With
// "unbilled only", the entries now billed leave the listing first.
void retotal_listing(const Store& store, PeriodListing& listing);

// The entries of the listing still unbilled, with their totals and keys; running ones stay out.
UnbilledEntries unbilled_listing_entries(const Store& store, const PeriodListing& listing);

} // namespace olv
