// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The time entries of a period as CSV (RFC 4180) for a spreadsheet or an invoicing tool: UTF-8,
// CRLF line ends, a header row, one row per entry.
#include "common/user_file.h"
#include "reports/period.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

struct PeriodListing;

inline constexpr std::string_view kCsvHeader =
    "Date,Client,Project,Objective,Task,Time,Seconds,Billed,Rate,Amount\r\n";

// A name as a field: a leading "=", "+", "-" or "@" gets a "'" in front so a spreadsheet never
// runs it as a formula; a field holding a comma, a quote or a line break is quoted with its
// quotes doubled.
std::string csv_name_field(std::string_view name);
// H:MM:SS with as many hour digits as needed ("277:46:40").
std::string csv_time(std::int64_t seconds);
// Two decimals with a point, no currency sign ("1234.50", "-0.05").
std::string csv_cents(std::int64_t cents);

// The rows of the CSV made one entry at a time, for a writer that goes on in steps: the header
// first, then a row per entry added. The caller writes out the text and empties it as it goes.
class CsvRows {
public:
    static constexpr std::size_t kChunk = 1 << 16; // bytes worth one write

    explicit CsvRows(const Store& store);
    ~CsvRows();
    CsvRows(const CsvRows&) = delete;
    CsvRows& operator=(const CsvRows&) = delete;

    void add(const PeriodEntry& entry);
    std::string& text() { return text_; }

private:
    struct Names;
    const Store& store_;
    std::unique_ptr<Names> names_;
    std::string text_;
    std::string date_text_;
    std::int64_t last_day_ = 0;
    bool have_date_ = false;
};

void write_csv(std::ostream& out, const Store& store, const std::vector<PeriodEntry>& entries);
// The rows alone, without the header.
void write_csv_rows(std::ostream& out, const Store& store, std::span<const PeriodEntry> entries);
// The CSV as rows of a file the user names; the store and the entries must outlive it.
FileRows csv_file_rows(const Store& store, const std::vector<PeriodEntry>& entries);
// The same for a period listing; the store and the listing must outlive it.
FileRows csv_file_rows(const Store& store, const PeriodListing& listing);

} // namespace olv
