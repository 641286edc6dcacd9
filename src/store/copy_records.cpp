// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/text.h"
#include "store/operations.h"
#include "store/stored_fields.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace olv {

namespace {

// Rows per INSERT: few statements for a million entries, each well inside both engines' limits.
constexpr std::size_t kRowsPerStatement = 400;

template <typename Record> void append_values(std::string& sql, const Record& record) {
    sql += '(';
    bool first = true;
    for (const StoredField<Record>& f : StoredFields<Record>::fields) {
        if (!first)
            sql += ',';
        first = false;
        switch (f.type) {
        case FieldType::Number:
            sql += std::to_string(record.*f.number);
            break;
        case FieldType::Seconds:
            sql += std::to_string(record.*f.seconds);
            break;
        case FieldType::Flag:
            sql += std::to_string(static_cast<int>(record.*f.flag));
            break;
        case FieldType::Real: {
            // The shortest text that reads back as the same double: a copy changes no rate.
            const double value = std::isfinite(record.*f.real) ? record.*f.real : 0.0;
            char text[32];
            const auto end = std::to_chars(text, text + sizeof text, value).ptr;
            sql.append(text, end);
            break;
        }
        case FieldType::Text:
            sql += '\'';
            sql += escape_quotes(record.*f.text);
            sql += '\'';
            break;
        }
    }
    sql += ')';
}

template <typename Record>
bool write_list(AccessLayer& db, const std::vector<Record>& list, std::string& error) {
    std::string sql;
    for (std::size_t start = 0; start < list.size(); start += kRowsPerStatement) {
        sql = std::string("INSERT INTO ") + StoredFields<Record>::table + " VALUES";
        const std::size_t end = std::min(list.size(), start + kRowsPerStatement);
        for (std::size_t i = start; i < end; ++i) {
            if (i != start)
                sql += ',';
            append_values(sql, list[i]);
        }
        if (!AccessLayer::succeeded(db.execute(sql))) {
            error = db.last_error();
            return false;
        }
    }
    return true;
}

} // namespace

CopyOutcome write_all_records(const RecordLists& lists, AccessLayer& target, std::string& error) {
    if (!existing_tables(target).empty()) {
        error = "The database holds Olvessa.project tables already";
        return CopyOutcome::TargetHoldsTables;
    }
    if (!AccessLayer::succeeded(target.execute("BEGIN"))) {
        error = target.last_error();
        return CopyOutcome::TargetFailed;
    }
    bool written = create_tables(target);
    if (!written)
        error = target.last_error();
    written = written && write_list(target, lists.users, error) &&
              write_list(target, lists.clients, error) &&
              write_list(target, lists.projects, error) &&
              write_list(target, lists.objectives, error) &&
              write_list(target, lists.tasks, error) && write_list(target, lists.entries, error);
    if (written && !AccessLayer::succeeded(target.execute("COMMIT"))) {
        error = target.last_error();
        written = false;
    }
    if (!written) {
        if (target.in_transaction())
            target.execute("ROLLBACK");
        return CopyOutcome::TargetFailed;
    }
    return CopyOutcome::Copied;
}

CopyOutcome copy_database_records(const std::string& from, const std::string& to,
                                  std::string& error) {
    Store source;
    if (!is_server_location(from) || !is_server_location(to)) {
        if (!source.db.load_engine("sqlite")) {
            error = "Could not load the database engine: " + source.db.last_error();
            return is_server_location(from) ? CopyOutcome::TargetFailed
                                            : CopyOutcome::SourceUnreadable;
        }
    }
    std::error_code ignored;
    if (!is_server_location(from) && !std::filesystem::is_regular_file(from, ignored)) {
        error = "There is no database file " + from;
        return CopyOutcome::SourceUnreadable;
    }
    if (!is_server_location(to) && std::filesystem::exists(to, ignored)) {
        error = "The file " + to + " exists already";
        return CopyOutcome::TargetExists;
    }
    if (!source.db.open_database(from)) {
        error = "Could not read Database " + location_without_password(from) + ": " +
                source.db.last_error();
        return CopyOutcome::SourceUnreadable;
    }
    // Nothing is ever written to the source.
    source.db.set_read_only();
    if (load_all_records(source) != LoadStatus::Loaded) {
        error = "Could not read Database " + location_without_password(from) +
                (source.db.last_error().empty() ? "" : ": " + source.db.last_error());
        return CopyOutcome::SourceUnreadable;
    }

    AccessLayer target;
    if (!is_server_location(to))
        target.load_engine("sqlite");
    if (!target.open_database(to)) {
        error =
            "Could not open Database " + location_without_password(to) + ": " + target.last_error();
        return CopyOutcome::TargetFailed;
    }
    const CopyOutcome outcome = write_all_records(source.lists, target, error);
    target.close_current_database();
    // A file made for a copy that failed is no database: it goes again.
    if (outcome != CopyOutcome::Copied && !is_server_location(to))
        std::filesystem::remove(to, ignored);
    return outcome;
}

} // namespace olv
