// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/text.h"
#include "store/operations.h"
#include "store/stored_fields.h"

#include <cmath>
#include <sqlite3.h>

namespace olv {

namespace {

using Rows = AccessLayer::Rows;

// Each cell is read with the accessor of its storage class. Whatever is not a plain number of
// its column's kind goes through the engine's text form, so that every value converts as the
// text would: "  42x" is 42, 1e20 in a number column is 1, NULL is 0 or "".
std::int32_t read_number(const Rows& rows, int column) {
    switch (rows.type(column)) {
    case Rows::Type::Integer:
        // A number too large for 32 bits keeps its low 32 bits.
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(rows.integer(column)));
    case Rows::Type::Null:
        return 0;
    default:
        return to_int32(rows.text(column));
    }
}

// An entry's time keeps all 64 bits; other cells convert as its text would.
std::int64_t read_seconds(const Rows& rows, int column) {
    switch (rows.type(column)) {
    case Rows::Type::Integer:
        return rows.integer(column);
    case Rows::Type::Null:
        return 0;
    default:
        return to_int64(rows.text(column));
    }
}

double read_real(const Rows& rows, int column) {
    switch (rows.type(column)) {
    case Rows::Type::Integer:
    case Rows::Type::Real: {
        // An infinite or NaN rate could never be written back: it reads as 0, as its text does.
        const double value = rows.real(column);
        return std::isfinite(value) ? value : 0.0;
    }
    case Rows::Type::Null:
        return 0;
    default:
        return to_real(rows.text(column));
    }
}

template <typename Record> void read_record(const Rows& rows, Record& record) {
    const auto& fields = StoredFields<Record>::fields;
    for (int c = 0; c < static_cast<int>(fields.size()) && c < rows.column_count(); ++c) {
        const StoredField<Record>& f = fields[static_cast<std::size_t>(c)];
        switch (f.type) {
        case FieldType::Number:
            record.*f.number = read_number(rows, c);
            break;
        case FieldType::Seconds:
            record.*f.seconds = read_seconds(rows, c);
            break;
        case FieldType::Flag:
            record.*f.flag = static_cast<std::uint8_t>(read_number(rows, c));
            break;
        case FieldType::Real:
            record.*f.real = read_real(rows, c);
            break;
        case FieldType::Text:
            record.*f.text = text_from_database(rows.text(c));
            break;
        }
    }
}

// Engine codes that say the file itself cannot be read, as opposed to a missing table.
bool file_unreadable(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ERROR:
        return false;
    default:
        return true;
    }
}

// Counts the tables read and notes an unreadable file; reports the rows read to the caller's
// callback every so many rows.
struct LoadProgress {
    int tables_read = 0;
    bool unreadable = false;
    bool cancelled = false;
    const LoadProgressCallback* report = nullptr;
    std::int64_t rows_read = 0;
    std::int64_t total_rows = 0;
    static constexpr std::int64_t kRowsPerReport = 16384;

    // False once the caller asked to stop.
    bool row_read() {
        if (++rows_read % kRowsPerReport == 0 && report && *report &&
            !(*report)(rows_read, total_rows))
            cancelled = true;
        return !cancelled;
    }

    void finished(int rc) {
        if (rc == 0)
            ++tables_read;
        else if (rc == AccessLayer::kNoDatabase || file_unreadable(rc))
            unreadable = true;
    }
};

// A table that fails part way loads nothing, as a query that fails gives no rows.
template <typename Record>
void load_list(AccessLayer& db, LoadProgress& progress, std::vector<Record>& list,
               const std::string& select = StoredFields<Record>::select) {
    if (progress.unreadable || progress.cancelled)
        return;
    Rows rows = db.step_rows(load_select(db.engine_kind(), select));
    while (rows.next()) {
        read_record(rows, list.emplace_back());
        if (!progress.row_read())
            return;
    }
    progress.finished(rows.result());
    if (rows.result() != 0)
        list.clear();
}

// Rows of the six tables, for a load that reports its progress: a count is quick beside the
// load itself.
std::int64_t count_rows(AccessLayer& db) {
    std::int64_t total = 0;
    for (const char* table : {"users", "clients", "project", "objectives", "task", "task_detail"}) {
        Rows rows = db.step_rows(std::string("SELECT count(*) FROM ") + table);
        if (rows.next())
            total += rows.integer(0);
        while (rows.next()) {
        }
    }
    return total;
}

template <typename Record> std::optional<Store::Placed> load_one(Store& store, Key key) {
    Rows rows = store.db.step_rows(std::string("SELECT * FROM ") + StoredFields<Record>::table +
                                   " WHERE key = " + std::to_string(key));
    if (!rows.next())
        return std::nullopt;
    Record record;
    read_record(rows, record);
    while (rows.next()) {
    }
    return store.insert_record(std::move(record));
}

} // namespace

std::optional<Store::Placed> load_one_record(Store& store, RecordKind kind, Key key) {
    switch (kind) {
    case RecordKind::Client:
        return load_one<ClientRecord>(store, key);
    case RecordKind::Project:
        return load_one<ProjectRecord>(store, key);
    case RecordKind::Objective:
        return load_one<ObjectiveRecord>(store, key);
    case RecordKind::Task:
        return load_one<TaskRecord>(store, key);
    case RecordKind::User:
    case RecordKind::None:
        break;
    }
    return std::nullopt;
}

LoadStatus load_all_records(Store& store, const LoadProgressCallback& report) {
    return load_records(store, EntryFilter{}, report);
}

LoadStatus load_records(Store& store, const EntryFilter& filter,
                        const LoadProgressCallback& report) {
    RecordLists& lists = store.lists;
    lists.clear_tables();
    AccessLayer& db = store.db;
    LoadProgress progress;
    if (report) {
        progress.report = &report;
        progress.total_rows = count_rows(db);
    }

    load_list(db, progress, lists.users);
    load_list(db, progress, lists.clients);
    load_list(db, progress, lists.projects);
    load_list(db, progress, lists.objectives);
    load_list(db, progress, lists.tasks);
    std::string conditions;
    const auto add = [&conditions](const std::string& condition) {
        conditions += conditions.empty() ? " WHERE " : " AND ";
        conditions += condition;
    };
    if (filter.first_date)
        add("date >= " + std::to_string(*filter.first_date));
    if (filter.last_date)
        add("date <= " + std::to_string(*filter.last_date));
    if (filter.unbilled_only)
        add("billed = 0");
    if (conditions.empty() && !filter.any_order)
        load_list(db, progress, lists.entries);
    else
        load_list(db, progress, lists.entries,
                  "SELECT * FROM Task_Detail" + conditions +
                      (filter.any_order ? "" : " ORDER BY date ASC"));

    store.structure_changed();
    if (progress.cancelled) {
        lists.clear_tables();
        return LoadStatus::Cancelled;
    }
    if (progress.unreadable || progress.tables_read == 0) {
        // Nothing half-read is shown: the lists stay empty and the display settings as they were.
        lists.clear_tables();
        return LoadStatus::Unreadable;
    }
    // The display settings follow the last users row.
    if (!lists.users.empty()) {
        store.currency = lists.users.back().user_Currency;
        store.date_mask = lists.users.back().user_DateFormat;
    }
    return LoadStatus::Loaded;
}

} // namespace olv
