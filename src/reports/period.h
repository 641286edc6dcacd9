// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Figures of a billing period: the time entries whose day lies in a range of days beneath one
// record of the tree, each with its amount rounded to the cent, and their sums per child of that
// record. Every money figure is a sum of rounded entry amounts, so an invoice adds up to the cent.
#include "reports/money.h"
#include "store/store.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

enum class PeriodChoice {
    Today,
    ThisWeek,
    LastWeek,
    ThisMonth,
    LastMonth,
    ThisYear,
    LastYear,
    AllTime,
};

// Days since 1970-01-01 of a date value (the day it falls on), and the date value of a day's
// 00:00:00.
std::int64_t day_number(DateValue date);
DateValue day_start(std::int64_t day);

// A range of whole days, both ends included.
struct Period {
    std::int64_t first_day = 0;
    std::int64_t last_day = 0;
    bool all_time = false;

    bool contains(DateValue date) const {
        if (all_time)
            return true;
        const std::int64_t day = day_number(date);
        return day >= first_day && day <= last_day;
    }
};

// The period around the day that `today` falls on. Weeks start on Monday.
Period period_for(PeriodChoice choice, DateValue today);
Period days_between(DateValue first, DateValue last);
Period all_time();

// "01/11/2026 to 30/11/2026" in the mask, or "all time".
std::string period_text(const Period& period, std::string_view date_mask);

// The record a period report covers: the user (everything), a client, a project, an objective or
// a task, by list index.
struct PeriodScope {
    RecordKind kind = RecordKind::User;
    std::size_t index = 0;
};

struct PeriodEntry {
    std::size_t entry = 0; // index in the entries list
    std::size_t client = 0;
    std::size_t project = 0;
    std::size_t objective = 0;
    std::size_t task = 0;
    Key key = 0;
    DateValue date = 0;
    std::int64_t seconds = 0;
    bool billed = false;
    bool running = false; // its task's timer is counting into it
    std::int64_t rate_cents = 0;
    std::int64_t amount_cents = 0;
};

// The entries of the period beneath the scope, in order of day, then the tree's order of client,
// project, objective and task, then key. Entries whose chain of parents is broken count nowhere.
std::vector<PeriodEntry> period_entries(const Store& store, PeriodScope scope, const Period& period,
                                        bool unbilled_only);

struct PeriodTotals {
    std::int64_t entries = 0;
    std::int64_t seconds = 0;
    std::int64_t billed_seconds = 0;
    std::int64_t earned_cents = 0;
    std::int64_t billed_cents = 0;

    std::int64_t unbilled_seconds() const { return seconds - billed_seconds; }
    std::int64_t unbilled_cents() const { return earned_cents - billed_cents; }
    void add(const PeriodEntry& entry);
};

struct PeriodRow {
    std::string label;
    PeriodTotals totals;
};

struct PeriodReport {
    std::string heading;      // "Report for Client: Acme Ltd, 01/11/2026 to 30/11/2026"
    std::string first_column; // "Client", "Project", "Objective", "Task"
    std::vector<PeriodRow> rows;
    PeriodTotals totals;
    std::vector<PeriodEntry> entries;
};

// The heading, the name of the first column and an empty row per child of the scope in tree order
// (the task itself for a task); returns those children by list index. Nothing for no scope.
std::vector<std::size_t> report_frame(const Store& store, PeriodScope scope, const Period& period,
                                      std::string& heading, std::string& first_column,
                                      std::vector<PeriodRow>& rows);

// One row per child of the scope in tree order (the task itself for a task), with the totals of
// its entries in the period, then the totals and the entries themselves.
PeriodReport period_report(const Store& store, PeriodScope scope, const Period& period,
                           bool unbilled_only);

// The entries still unbilled among these, with their totals and keys. An entry whose timer is
// running is left out, since the seconds it goes on counting were never invoiced.
struct UnbilledEntries {
    PeriodTotals totals;
    std::vector<Key> keys;
    std::int64_t running_left = 0;
};
UnbilledEntries unbilled_entries(const std::vector<PeriodEntry>& entries);

} // namespace olv
