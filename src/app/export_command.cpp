// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/export_command.h"

#include "app/settings_store.h"
#include "common/civil.h"
#include "common/user_file.h"
#include "reports/csv_export.h"
#include "reports/period.h"
#include "reports/period_listing.h"
#include "store/operations.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>

namespace olv {

namespace {

struct ExportRequest {
    std::string file;
    std::optional<std::int64_t> from_day;
    std::optional<std::int64_t> to_day;
    std::optional<std::string> client;
    bool unbilled = false;
    bool progress = false;
    std::string database;
};

// Days since 1970-01-01 of a YYYY-MM-DD text naming a real day.
std::optional<std::int64_t> parse_day(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    if (month < 1 || month > 12 || day < 1)
        return std::nullopt;
    const std::int64_t days = days_from_civil(year, month, day);
    const CivilDay back = civil_from_days(days);
    if (back.year != year || back.month != month || back.day != day)
        return std::nullopt;
    // Date values are 32-bit seconds.
    const std::int64_t seconds = days * kSecondsPerDay;
    if (seconds < std::numeric_limits<DateValue>::min() ||
        seconds > std::numeric_limits<DateValue>::max())
        return std::nullopt;
    return days;
}

// The request, or the reason the arguments make none.
std::optional<ExportRequest> parse_request(const std::vector<std::string>& args,
                                           std::string& problem) {
    ExportRequest request;
    bool have_file = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                problem = arg + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--unbilled" || arg == "--progress") {
            (arg == "--unbilled" ? request.unbilled : request.progress) = true;
            continue;
        }
        if (arg != "--export-csv" && arg != "--from" && arg != "--to" && arg != "--client" &&
            arg != "--database") {
            problem = "unknown argument: " + arg;
            return std::nullopt;
        }
        const std::optional<std::string> v = value();
        if (!v)
            return std::nullopt;
        if (arg == "--export-csv") {
            request.file = *v;
            have_file = !v->empty();
        } else if (arg == "--from" || arg == "--to") {
            const std::optional<std::int64_t> day = parse_day(*v);
            if (!day) {
                problem = arg + " is not a day in the form YYYY-MM-DD: " + *v;
                return std::nullopt;
            }
            (arg == "--from" ? request.from_day : request.to_day) = day;
        } else if (arg == "--client") {
            request.client = *v;
        } else {
            request.database = *v;
        }
    }
    if (!have_file) {
        problem = "--export-csv needs a file name";
        return std::nullopt;
    }
    if (request.from_day && request.to_day && *request.from_day > *request.to_day) {
        problem = "--from is after --to";
        return std::nullopt;
    }
    return request;
}

Period period_of(const ExportRequest& request) {
    if (!request.from_day && !request.to_day)
        return all_time();
    Period period;
    period.first_day = request.from_day.value_or(std::numeric_limits<std::int64_t>::min());
    period.last_day = request.to_day.value_or(std::numeric_limits<std::int64_t>::max());
    return period;
}

// Opens the file for reading only; false (with the reason) when it holds no readable records.
bool read_database(Store& store, const std::string& path, const EntryFilter& filter,
                   std::string& problem) {
    std::error_code ec;
    const bool server = is_server_location(path);
    const std::string shown = location_without_password(path);
    // The engine would create a missing file; this command never creates anything.
    if (!server && !std::filesystem::is_regular_file(path, ec)) {
        problem = "Could not read Database " + path + ": no such file";
        return false;
    }
    if (!server && !store.db.load_engine("sqlite")) {
        problem = "Could not load the database engine: " + store.db.last_error();
        return false;
    }
    if (!store.db.open_database(path)) {
        problem = "Could not read Database " + shown + ": " + store.db.last_error();
        return false;
    }
    // Nothing this command runs may write to the database.
    store.db.set_read_only();
    if (load_records(store, filter) != LoadStatus::Loaded) {
        problem = "Could not read Database " + shown;
        return false;
    }
    return true;
}

} // namespace

bool is_export_command(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), "--export-csv") != arguments.end();
}

int run_export_command(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& err) {
    std::string problem;
    const std::optional<ExportRequest> request = parse_request(arguments, problem);
    if (!request) {
        err << "olvessa: " << problem << "\n" << kExportCsvUsage;
        return export_exit::BadArguments;
    }

    std::string database = request->database;
    if (database.empty())
        database = get_setting(settings_file(), QStringLiteral("Default Database"));
    if (database.empty()) {
        err << "olvessa: no database was opened before; name one with --database\n";
        return export_exit::Unreadable;
    }

    // Only the entries of the period are read: a month out of ten years is a small part.
    const Period period = period_of(*request);
    EntryFilter filter;
    filter.unbilled_only = request->unbilled;
    if (request->from_day)
        filter.first_date = *request->from_day * kSecondsPerDay;
    if (request->to_day)
        filter.last_date = *request->to_day * kSecondsPerDay + kSecondsPerDay - 1;
    // The listing puts the entries in the report's order whatever order they come in.
    filter.any_order = true;
    Store store;
    if (!read_database(store, database, filter, problem)) {
        err << "olvessa: " << problem << "\n";
        return export_exit::Unreadable;
    }

    PeriodListing listing = period_listing(store, PeriodScope{}, period, request->unbilled);
    if (request->client) {
        const auto& clients = store.lists.clients;
        const bool known = std::any_of(clients.begin(), clients.end(), [&](const ClientRecord& c) {
            return c.client_name == *request->client;
        });
        if (!known) {
            err << "olvessa: there is no client named \"" << *request->client << "\" in "
                << location_without_password(database) << "\n"
                << kExportCsvUsage;
            return export_exit::BadArguments;
        }
        // Clients that share the name are all exported.
        std::vector<std::uint32_t> kept;
        for (std::size_t i = 0; i < listing.positions.size(); ++i)
            if (clients[listing_entry(store, listing, i).client].client_name == *request->client)
                kept.push_back(listing.positions[i]);
        listing.positions = std::move(kept);
    }
    const FileRows rows = csv_file_rows(store, listing);

    if (request->file == "-") {
        rows.head(out);
        rows.write(out, 0, rows.count);
        out.flush();
        if (!out) {
            err << "olvessa: could not write to standard output\n";
            return export_exit::Unreadable;
        }
        return export_exit::Ok;
    }
    // Neither the database read nor the one the program opens by default may be written over.
    const std::vector<std::string> databases = {
        database, get_setting(settings_file(), QStringLiteral("Default Database"))};
    // Asked for, the progress goes to the messages as a percentage, a line at each step.
    int shown_percent = -1;
    const FileProgress progress = [&](std::size_t done, std::size_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent / 10 != shown_percent / 10 || (percent == 100 && shown_percent != 100)) {
            err << "olvessa: exported " << done << " of " << total << " entries (" << percent
                << "%)\n";
            shown_percent = percent;
        }
        return true;
    };
    const UserFileResult written = write_user_file(request->file, databases, rows,
                                                   request->progress ? progress : FileProgress());
    if (written.status != UserFileStatus::Written) {
        err << "olvessa: " << written.message << "\n";
        return export_exit::Unreadable;
    }
    return export_exit::Ok;
}

} // namespace olv
