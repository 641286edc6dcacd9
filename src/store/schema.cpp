// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/text.h"
#include "store/operations.h"

#include <string>
#include <vector>

namespace olv {

namespace {

constexpr const char* kDefaultCurrency = "\xC2\xA3";
constexpr const char* kDefaultDateMask = "%dd/%mm/%yyyy";

std::string insert_users_row_sql(const std::string& user_name) {
    return "INSERT INTO users VALUES(1,'" + escape_quotes(user_name) + "',0,'" + kDefaultCurrency +
           "','" + kDefaultDateMask + "')";
}

} // namespace

bool create_database(Store& store, const std::string& path, const std::string& user_name) {
    AccessLayer& db = store.db;
    if (!db.open_database(path))
        return false;
    if (db.engine_kind() == EngineKind::PostgreSQL) {
        // A server database is made whole in one transaction, or not at all; one that holds
        // any of the tables already is left as it is.
        if (!existing_tables(db).empty())
            return true;
        const bool made = AccessLayer::succeeded(db.execute("BEGIN")) && create_tables(db) &&
                          AccessLayer::succeeded(db.execute(insert_users_row_sql(user_name))) &&
                          AccessLayer::succeeded(db.execute("COMMIT"));
        if (!made && db.in_transaction())
            db.execute("ROLLBACK");
        return made;
    }
    // A table that already exists keeps its rows; the statements' results change nothing here.
    for (const char* statement : schema_statements(EngineKind::SQLite))
        db.execute(statement);
    db.execute(insert_users_row_sql(user_name));
    return true;
}

std::vector<std::string> existing_tables(AccessLayer& db) {
    std::vector<std::string> names;
    if (AccessLayer::succeeded(db.query_table(existing_tables_sql(db.engine_kind())))) {
        const int rows = db.row_count();
        for (int row = 1; row <= rows; ++row)
            names.push_back(db.cell_text(row, 0));
    }
    db.release_current_result();
    return names;
}

bool create_tables(AccessLayer& db) {
    for (const char* statement : schema_statements(db.engine_kind()))
        if (!AccessLayer::succeeded(db.execute(statement)))
            return false;
    return AccessLayer::succeeded(db.execute(std::string("CREATE INDEX IF NOT EXISTS ") +
                                             kTimeEntryTaskIndex + " ON Task_Detail(Task_Key)"));
}

int add_users_row(Store& store, const std::string& user_name) {
    const int rc = store.db.execute(insert_users_row_sql(user_name));
    UserRecord& user = store.lists.users.emplace_back();
    user.key = 1;
    user.userID = user_name;
    user.user_Currency = kDefaultCurrency;
    user.user_DateFormat = kDefaultDateMask;
    store.currency = user.user_Currency;
    store.date_mask = user.user_DateFormat;
    store.structure_changed();
    return rc;
}

bool index_time_entries_by_task(Store& store) {
    return AccessLayer::succeeded(store.db.execute(std::string("CREATE INDEX IF NOT EXISTS ") +
                                                   kTimeEntryTaskIndex +
                                                   " ON Task_Detail(Task_Key)"));
}

} // namespace olv
