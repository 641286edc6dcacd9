// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A direct connection to the engine for the benchmarks' own data, which is written faster
// through prepared statements than the program would write it.
#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace olv::bench {

class Connection {
public:
    explicit Connection(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
            fail("open");
    }
    ~Connection() { sqlite3_close(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }
    // The first column of the first row of a query.
    std::int64_t single_integer(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
            fail(sql);
        const bool found = sqlite3_step(stmt) == SQLITE_ROW;
        const std::int64_t value = found ? sqlite3_column_int64(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        if (!found)
            fail(sql);
        return value;
    }
    sqlite3* get() const { return db_; }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(what + ": " + sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_ = nullptr;
};

// One prepared INSERT, bound column by column and run once per row.
class Insert {
public:
    Insert(Connection& connection, const char* sql) : connection_(connection) {
        if (sqlite3_prepare_v2(connection.get(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
            connection.fail(sql);
    }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& integer(std::int64_t value) {
        sqlite3_bind_int64(stmt_, ++column_, value);
        return *this;
    }
    Insert& real(double value) {
        sqlite3_bind_double(stmt_, ++column_, value);
        return *this;
    }
    Insert& text(const std::string& value) {
        sqlite3_bind_text(stmt_, ++column_, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    void run() {
        if (sqlite3_step(stmt_) != SQLITE_DONE)
            connection_.fail("insert");
        sqlite3_reset(stmt_);
        column_ = 0;
    }

private:
    Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    int column_ = 0;
};

} // namespace olv::bench
