// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "reports/csv_export.h"

#include "common/civil.h"
#include "reports/period_listing.h"

#include <charconv>

namespace olv {

namespace {

void append_two_digits(std::string& out, std::int64_t value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void append_name(std::string& out, std::string_view name) {
    const bool formula =
        !name.empty() && (name[0] == '=' || name[0] == '+' || name[0] == '-' || name[0] == '@');
    const bool quoted = name.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted)
        out += '"';
    if (formula)
        out += '\'';
    for (const char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

void append_number(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void append_signed(std::string& out, std::int64_t value) {
    std::uint64_t size = static_cast<std::uint64_t>(value);
    if (value < 0) {
        out += '-';
        size = 0 - size;
    }
    append_number(out, size);
}

void append_date(std::string& out, DateValue date) {
    const int year = date_year(date);
    append_number(out, static_cast<std::uint64_t>(year < 0 ? 0 : year));
    out += '-';
    append_two_digits(out, date_month(date));
    out += '-';
    append_two_digits(out, date_day(date));
}

// The fields of the names of one list, made once each when first written.
class NameFields {
public:
    explicit NameFields(std::size_t count) : fields_(count), made_(count, false) {}
    template <typename Name> const std::string& get(std::size_t index, Name name) {
        if (!made_[index]) {
            append_name(fields_[index], name());
            made_[index] = true;
        }
        return fields_[index];
    }

private:
    std::vector<std::string> fields_;
    std::vector<bool> made_;
};

void append_time(std::string& out, std::int64_t seconds) {
    std::uint64_t size = static_cast<std::uint64_t>(seconds);
    if (seconds < 0) {
        out += '-';
        size = 0 - size;
    }
    append_number(out, size / 3600);
    out += ':';
    append_two_digits(out, static_cast<std::int64_t>(size / 60 % 60));
    out += ':';
    append_two_digits(out, static_cast<std::int64_t>(size % 60));
}

void append_cents(std::string& out, std::int64_t cents) {
    std::uint64_t size = static_cast<std::uint64_t>(cents);
    if (cents < 0) {
        out += '-';
        size = 0 - size;
    }
    append_number(out, size / 100);
    out += '.';
    append_two_digits(out, static_cast<std::int64_t>(size % 100));
}

} // namespace

std::string csv_name_field(std::string_view name) {
    std::string out;
    append_name(out, name);
    return out;
}

std::string csv_time(std::int64_t seconds) {
    std::string out;
    append_time(out, seconds);
    return out;
}

std::string csv_cents(std::int64_t cents) {
    std::string out;
    append_cents(out, cents);
    return out;
}

struct CsvRows::Names {
    NameFields clients, projects, objectives, tasks;
    explicit Names(const RecordLists& lists)
        : clients(lists.clients.size()), projects(lists.projects.size()),
          objectives(lists.objectives.size()), tasks(lists.tasks.size()) {}
};

CsvRows::CsvRows(const Store& store)
    : store_(store), names_(std::make_unique<Names>(store.lists)), text_(kCsvHeader) {}

CsvRows::~CsvRows() = default;

void CsvRows::add(const PeriodEntry& e) {
    const RecordLists& lists = store_.lists;
    std::string& buffer = text_;
    // Entries come day by day: one date text serves a run of them.
    const std::int64_t day = day_number(e.date);
    if (!have_date_ || day != last_day_) {
        date_text_.clear();
        append_date(date_text_, e.date);
        last_day_ = day;
        have_date_ = true;
    }
    buffer += date_text_;
    buffer += ',';
    buffer += names_->clients.get(e.client, [&] { return lists.clients[e.client].client_name; });
    buffer += ',';
    buffer +=
        names_->projects.get(e.project, [&] { return lists.projects[e.project].project_title; });
    buffer += ',';
    buffer +=
        names_->objectives.get(e.objective, [&] { return lists.objectives[e.objective].ob_title; });
    buffer += ',';
    buffer += names_->tasks.get(e.task, [&] { return lists.tasks[e.task].task_title; });
    buffer += ',';
    append_time(buffer, e.seconds);
    buffer += ',';
    append_signed(buffer, e.seconds);
    buffer += e.billed ? ",yes," : ",no,";
    append_cents(buffer, e.rate_cents);
    buffer += ',';
    append_cents(buffer, e.amount_cents);
    buffer += "\r\n";
}

namespace {

void write_rows(std::ostream& out, CsvRows& rows, std::span<const PeriodEntry> entries) {
    std::string& buffer = rows.text();
    buffer.reserve(CsvRows::kChunk + 1024);
    for (const PeriodEntry& e : entries) {
        rows.add(e);
        if (buffer.size() >= CsvRows::kChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
}

} // namespace

void write_csv(std::ostream& out, const Store& store, const std::vector<PeriodEntry>& entries) {
    CsvRows rows(store);
    write_rows(out, rows, entries);
}

void write_csv_rows(std::ostream& out, const Store& store, std::span<const PeriodEntry> entries) {
    CsvRows rows(store);
    rows.text().clear();
    write_rows(out, rows, entries);
}

FileRows csv_file_rows(const Store& store, const std::vector<PeriodEntry>& entries) {
    // One set of name fields serves every batch.
    auto csv = std::make_shared<CsvRows>(store);
    csv->text().clear();
    FileRows rows;
    rows.count = entries.size();
    rows.head = [](std::ostream& out) { out << kCsvHeader; };
    rows.write = [csv, &entries](std::ostream& out, std::size_t first, std::size_t last) {
        write_rows(out, *csv, std::span<const PeriodEntry>(entries).subspan(first, last - first));
    };
    return rows;
}

FileRows csv_file_rows(const Store& store, const PeriodListing& listing) {
    auto csv = std::make_shared<CsvRows>(store);
    csv->text().clear();
    FileRows rows;
    rows.count = listing.positions.size();
    rows.head = [](std::ostream& out) { out << kCsvHeader; };
    rows.write = [csv, &store, &listing](std::ostream& out, std::size_t first, std::size_t last) {
        std::string& buffer = csv->text();
        // The listing is in date order, the entries in the order they were read: each row's
        // entry and task are far from the last ones, so they are asked for a few rows ahead.
        const auto& entries = store.lists.entries;
        const auto& owners = store.children().task_of_each_entry();
        constexpr std::size_t kAhead = 32;
        for (std::size_t i = first; i < last; ++i) {
            if (i + kAhead < listing.positions.size()) {
                const std::uint32_t ahead = listing.positions[i + kAhead];
                __builtin_prefetch(&entries[ahead]);
                __builtin_prefetch(&owners[ahead]);
            }
            csv->add(listing_entry(store, listing, i));
            if (buffer.size() >= CsvRows::kChunk) {
                out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                buffer.clear();
            }
        }
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
    };
    return rows;
}

} // namespace olv
