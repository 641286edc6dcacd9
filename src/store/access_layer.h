// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The SQL engine is the system's SQLite 3 library, loaded at run time by name and reached
// through entry points looked up by name. Databases and query results live in numbered slots;
// the program uses number 0 for both. A result is copied at once into a grid owned here:
// grid row 0 holds the column names, rows 1..row_count() the data. Failures are recorded as
// the last error text.
//
// A location that is a PostgreSQL connection URI opens a database on a server instead
// (server_connection.h); every call below then works the same, with the same result codes.
#include "store/dialect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

class AccessLayer {
public:
    // Returned by execute without a database and by queries without a database slot: neither
    // 0 (success) nor 1 (the engine's general SQL error).
    static constexpr int kNoDatabase = -1;
    // A copy stopped by its progress callback.
    static constexpr int kCancelled = -2;

    AccessLayer();
    ~AccessLayer();
    AccessLayer(const AccessLayer&) = delete;
    AccessLayer& operator=(const AccessLayer&) = delete;

    // "sqlite" and "sqlite.dll" both mean the system's libsqlite3.so.0; OLVESSA_SQLITE_LIBRARY
    // names another file. Returns the library handle or nullptr.
    void* load_engine(const std::string& name = "sqlite");
    // The library file that load_engine(name) loads.
    static std::string engine_file(const std::string& name = "sqlite");
    void* engine_loaded() const;
    void unload_engine();

    // Engine database handle or nullptr. A server URI connects to the server (no engine
    // library needed); a password in it is used, never kept in any text this layer gives out.
    void* open_database(const std::string& file_name);
    void* open_numbered_database(std::int32_t number, const std::string& file_name);
    int close_database(std::int32_t number);
    int close_current_database();
    bool has_current_database() const;
    // The engine's handle of the current database, or nullptr.
    void* current_handle() const;

    int query_table(std::string_view statement);
    int query_numbered_table(std::int32_t result_number, std::string_view statement);
    int row_count();
    int table_row_count(std::int32_t result_number);
    // Copy of a cell of the current result ("" on any failure, with the last error recorded).
    std::string cell_text(std::int32_t row, std::int32_t column);
    // The same without copying and without recording errors: nullptr for NULL or out of range.
    // Valid until the current result is replaced.
    const char* cell(std::int32_t row, std::int32_t column) const;
    int column_count() const;
    // Frees the current result now rather than at the next query; row_count() is then 0.
    void release_current_result();

    // Engine result code (0 success), or kNoDatabase. An empty statement fails (SQLITE_MISUSE).
    int execute(std::string_view statement);
    // True for a result that means success; an extended result code counts by its low byte.
    static bool succeeded(int result);
    // True for the result of a statement that found the database locked by another connection
    // and waited out the busy timeout: every further write would wait and fail the same way.
    static bool locked_elsewhere(int result);
    int execute_on(std::int32_t number, std::string_view statement);
    // True while a transaction is open on the current database (the engine is not in
    // autocommit mode).
    bool in_transaction() const;
    // True when the current database cannot be written: the engine opened it read-only (a
    // read-only file or mount), or its folder takes no new file (the engine's journal).
    bool current_read_only() const;

    // Copies the database file `source` into `target` (created when missing, replaced when
    // there) with the engine's online backup; the source is opened read-only. Engine result
    // code, kNoDatabase without an engine.
    int copy_database(const std::string& source, const std::string& target);
    // The same from the current database, as far as it has been written. With `progress` the
    // copy goes a slice at a time and reports the pages copied of all; when the callback answers
    // false it stops with kCancelled and the target is as it was before.
    using CopyProgress = std::function<bool(std::int64_t done, std::int64_t total)>;
    int copy_current_database(const std::string& target, const CopyProgress& progress = {});

    const std::string& last_error() const;

    // --- Servers ------------------------------------------------------------------------------
    // The engine of the current database (SQLite when none is open).
    EngineKind engine_kind() const;
    // The password a server asks for that nothing else supplies, for the next connection
    // (kept in memory only, for reconnecting). True after an open failed for want of one.
    void set_server_password(const std::string& password);
    bool needs_password() const;
    // A result that says the connection to the server is gone (the file engine's I/O error).
    static bool connection_lost(int result);
    // Takes the server's advisory lock for this program (a file needs none: true). False when
    // another program holds it; lock_holder_text() then names it ("This database is open on
    // laptop.local since 09:12").
    bool take_server_lock();
    std::string lock_holder_text();
    // True after a reconnect found the lock taken by another program: nothing more is written.
    bool lock_lost() const;
    // From now on the current database refuses every write.
    int set_read_only();
    // A statement the server leaves unanswered this long fails as a lost connection, and a
    // lost connection is not connected again (0 and true: the normal patience).
    void set_server_patience(int answer_timeout_ms, bool reconnect);
    // The location of the current database as it may be shown or remembered (no password).
    const std::string& current_location() const;
    // -----------------------------------------------------------------------------------------

    // --- Typed reading: the rows of a query stepped straight from the engine, each cell read
    // with the accessor of its type, without the text grid. ----------------------------------
    class Rows {
    public:
        // The engine's storage classes.
        enum class Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

        Rows(Rows&& other) noexcept;
        Rows& operator=(Rows&&) = delete;
        Rows(const Rows&) = delete;
        ~Rows();

        // Steps to the next row: false at the end or on a failure (see result).
        bool next();
        // 0 once every row was read; otherwise the engine's code (or kNoDatabase).
        int result() const { return result_; }
        int column_count() const { return columns_; }

        Type type(int column) const;
        std::int64_t integer(int column) const;
        double real(int column) const;
        // The engine's text form of the cell ("" for NULL), valid until the next step.
        std::string_view text(int column) const;

    private:
        friend class AccessLayer;
        Rows(const void* engine, void* statement, int result);
        Rows(void* server, int result, std::string* error);
        const void* engine_;
        void* statement_;
        int result_;
        int columns_ = 0;
        // Rows of a server: the cells of the current line.
        void* server_ = nullptr;
        std::string* error_ = nullptr;
        std::vector<std::string_view> cells_;
        std::vector<bool> nulls_;
    };
    // Prepares the first statement of the text on the current database. The rows must be read
    // before the next call that changes the connection.
    Rows step_rows(std::string_view statement);
    // -----------------------------------------------------------------------------------------

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace olv
