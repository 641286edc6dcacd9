// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/access_layer.h"
#include "store/server_connection.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace olv {

namespace {

// Entry points, typed after the engine's own declarations; nothing here links the engine.
// Queries step through prepared statements, copying each row straight into the grid.
struct Engine {
    decltype(&::sqlite3_open) open = nullptr;
    decltype(&::sqlite3_close) close = nullptr;
    decltype(&::sqlite3_exec) exec = nullptr;
    decltype(&::sqlite3_free) free = nullptr;
    decltype(&::sqlite3_prepare_v2) prepare = nullptr;
    decltype(&::sqlite3_step) step = nullptr;
    decltype(&::sqlite3_column_count) column_count = nullptr;
    decltype(&::sqlite3_column_name) column_name = nullptr;
    decltype(&::sqlite3_column_text) column_text = nullptr;
    decltype(&::sqlite3_column_bytes) column_bytes = nullptr;
    decltype(&::sqlite3_column_type) column_type = nullptr;
    decltype(&::sqlite3_finalize) finalize = nullptr;
    decltype(&::sqlite3_libversion) libversion = nullptr;
    decltype(&::sqlite3_interrupt) interrupt = nullptr;
    decltype(&::sqlite3_changes) changes = nullptr;
    decltype(&::sqlite3_errmsg) errmsg = nullptr;
    decltype(&::sqlite3_last_insert_rowid) last_insert_rowid = nullptr;
    decltype(&::sqlite3_get_autocommit) get_autocommit = nullptr;
    decltype(&::sqlite3_busy_timeout) busy_timeout = nullptr;
    decltype(&::sqlite3_db_readonly) db_readonly = nullptr;
    decltype(&::sqlite3_db_filename) db_filename = nullptr;
    // Typed reading.
    decltype(&::sqlite3_column_int64) column_int64 = nullptr;
    decltype(&::sqlite3_column_double) column_double = nullptr;
    // Opens without the connection's own mutex: every call comes from the window thread, and
    // a load reads millions of cells, each of which would take and release it.
    decltype(&::sqlite3_open_v2) open_v2 = nullptr;

    // Online backup (with open_v2 above): a whole database copied page by page under the
    // engine's own locks, so a copy is never half old and half new.
    decltype(&::sqlite3_errcode) errcode = nullptr;
    decltype(&::sqlite3_backup_init) backup_init = nullptr;
    decltype(&::sqlite3_backup_step) backup_step = nullptr;
    decltype(&::sqlite3_backup_finish) backup_finish = nullptr;
    decltype(&::sqlite3_sleep) backup_sleep = nullptr;
    // For a copy that reports its progress; without them a copy goes in one step.
    decltype(&::sqlite3_backup_remaining) backup_remaining = nullptr;
    decltype(&::sqlite3_backup_pagecount) backup_pagecount = nullptr;

    bool can_back_up() const {
        return open_v2 && errcode && backup_init && backup_step && backup_finish && backup_sleep;
    }

    bool can_step() const {
        return prepare && step && column_count && column_name && column_text && column_bytes &&
               column_type && finalize && column_int64 && column_double;
    }
};

template <typename Fn> bool resolve(void* library, const char* name, Fn& target) {
    target = reinterpret_cast<Fn>(dlsym(library, name));
    return target != nullptr;
}

constexpr int kBusyTimeoutMs = 2000;
constexpr std::uint32_t kNullCell = std::numeric_limits<std::uint32_t>::max();

// One result: every cell's offset into one text buffer, (rows + 1) x columns, row 0 holding
// the column names. Released as a whole.
struct Grid {
    int rows = 0;
    int columns = 0;
    std::vector<std::uint32_t> offsets;
    char* text = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;

    Grid() = default;
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;
    Grid(Grid&& other) noexcept { *this = std::move(other); }
    Grid& operator=(Grid&& other) noexcept {
        if (this != &other) {
            std::free(text);
            rows = other.rows;
            columns = other.columns;
            offsets = std::move(other.offsets);
            text = std::exchange(other.text, nullptr);
            size = std::exchange(other.size, 0);
            capacity = std::exchange(other.capacity, 0);
            other.rows = other.columns = 0;
        }
        return *this;
    }
    ~Grid() { std::free(text); }

    // False when the storage cannot grow.
    bool add_cell(const char* value, std::size_t length) {
        if (!value) {
            offsets.push_back(kNullCell);
            return true;
        }
        if (size + length + 1 > capacity) {
            std::size_t wanted = std::max<std::size_t>(capacity * 2, 4096);
            while (wanted < size + length + 1)
                wanted *= 2;
            if (wanted >= kNullCell)
                return false;
            char* grown = static_cast<char*>(std::realloc(text, wanted));
            if (!grown)
                return false;
            text = grown;
            capacity = wanted;
        }
        offsets.push_back(static_cast<std::uint32_t>(size));
        std::memcpy(text + size, value, length);
        text[size + length] = '\0';
        size += length + 1;
        return true;
    }

    const char* at(int row, int column) const {
        const std::uint32_t offset =
            offsets[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                    static_cast<std::size_t>(column)];
        return offset == kNullCell ? nullptr : text + offset;
    }
};

struct DatabaseSlot {
    std::int32_t number = 0;
    sqlite3* handle = nullptr;
    std::unique_ptr<ServerConnection> server; // instead of the handle, for a server
    std::string location;                     // without a password
    bool wants_lock = false;                  // held the server's lock: retaken on reconnect
    bool read_only = false;                   // opened read-only on purpose

    bool open() const { return handle || server; }
    const void* id() const { return handle ? static_cast<const void*>(handle) : server.get(); }
};

struct ResultSlot {
    std::int32_t number = 0;
    const void* database = nullptr;
    Grid grid;
};

constexpr int kServerConnectTimeoutSeconds = 10;

} // namespace

struct AccessLayer::State {
    void* library = nullptr; // set while an engine is loaded
    Engine engine;

    std::vector<DatabaseSlot> databases;
    std::int32_t current_number = 0;
    sqlite3* current_handle = nullptr;
    DatabaseSlot* current_slot() { return find_database(current_number); }
    const DatabaseSlot* current_slot() const {
        return const_cast<State*>(this)->find_database(current_number);
    }

    // Servers.
    std::string password;
    bool needs_password = false;
    bool lock_lost = false;
    bool transaction_open = false; // a server transaction was begun and not yet ended
    int answer_timeout_ms = 0;
    bool reconnect = true;
    std::string no_location;

    std::vector<ResultSlot> results;
    std::int32_t current_result_number = 0;
    const ResultSlot* current_result = nullptr;

    std::string last_error;

    DatabaseSlot* find_database(std::int32_t number) {
        for (auto& slot : databases)
            if (slot.open() && slot.number == number)
                return &slot;
        return nullptr;
    }

    std::vector<ResultSlot>::iterator find_result(std::int32_t number) {
        return std::find_if(results.begin(), results.end(),
                            [number](const ResultSlot& r) { return r.number == number; });
    }

    void engine_error(sqlite3* db) { last_error = engine.errmsg && db ? engine.errmsg(db) : ""; }

    int step_query(sqlite3* db, std::string_view statement, Grid& grid);
    int query(std::int32_t result_number, std::string_view statement);
    int run_exec(sqlite3* db, std::string_view statement);
    int back_up(sqlite3* source, const std::string& target,
                const AccessLayer::CopyProgress& progress = {});

    // A server connection that was lost is connected again, and the lock it held taken again,
    // before a statement that does not continue a transaction. False when that failed, with
    // the code to return.
    bool ensure_connected(DatabaseSlot& slot, bool begins, int& code);
    int server_execute(DatabaseSlot& slot, std::string_view statement);
    int server_query(DatabaseSlot& slot, std::string_view statement, Grid& grid);
};

namespace {

bool is_word(std::string_view statement, std::string_view word) {
    const auto start = statement.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || statement.size() - start < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(statement[start + i])) != word[i])
            return false;
    return true;
}

std::string clock_time(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

} // namespace

bool AccessLayer::State::ensure_connected(DatabaseSlot& slot, bool begins, int& code) {
    ServerConnection& server = *slot.server;
    if (server.connected())
        return true;
    if (transaction_open && !begins) {
        last_error = "the connection to the server was lost";
        code = server_code::kLost;
        return false;
    }
    transaction_open = false;
    if (!reconnect || !server.reconnect()) {
        last_error = "the connection to the server was lost: " + server.connection_message();
        code = server_code::kLost;
        return false;
    }
    if (slot.wants_lock && !server.try_lock(last_error)) {
        const ServerConnection::Holder holder = server.lock_holder();
        // Without the lock this connection must write nothing: it is dropped again.
        server.reconnect();
        lock_lost = true;
        last_error = holder.machine.empty() ? "This database is open on another machine"
                                            : "This database is open on " + holder.machine +
                                                  " since " + clock_time(holder.since);
        code = server_code::kBusy;
        return false;
    }
    return true;
}

int AccessLayer::State::server_execute(DatabaseSlot& slot, std::string_view statement) {
    last_error.clear();
    const bool begins = is_word(statement, "BEGIN");
    const bool ends =
        is_word(statement, "COMMIT") || is_word(statement, "ROLLBACK") || is_word(statement, "END");
    if (lock_lost) {
        last_error = "This database was taken over by another machine";
        return server_code::kBusy;
    }
    int code = 0;
    if (!ensure_connected(slot, begins, code)) {
        if (ends)
            transaction_open = false;
        return code;
    }
    code = slot.server->execute(statement, last_error);
    // A connection found gone at the start of a transaction is taken up again at once: the
    // transaction has not begun, so nothing of it is lost.
    if (begins && code == server_code::kLost && reconnect && !slot.server->went_silent()) {
        if (!ensure_connected(slot, true, code))
            return code;
        code = slot.server->execute(statement, last_error);
    }
    if (begins && code == server_code::kOk)
        transaction_open = true;
    if (ends || !slot.server->in_transaction())
        transaction_open = false;
    return code;
}

int AccessLayer::State::server_query(DatabaseSlot& slot, std::string_view statement, Grid& grid) {
    int code = 0;
    if (!ensure_connected(slot, false, code))
        return code;
    ServerResult result = slot.server->query(statement, code, last_error);
    if (!result)
        return code;
    const int rows = PQntuples(result.get());
    const int columns = PQnfields(result.get());
    if (rows == 0)
        return server_code::kOk;
    grid.columns = columns;
    for (int c = 0; c < columns; ++c) {
        const char* name = PQfname(result.get(), c);
        grid.add_cell(name ? name : "", name ? std::strlen(name) : 0);
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result.get(), r, c))
                grid.add_cell(nullptr, 0);
            else if (!grid.add_cell(PQgetvalue(result.get(), r, c),
                                    static_cast<std::size_t>(PQgetlength(result.get(), r, c)))) {
                last_error = "DBLayer: HeapAlloc call failed";
                return SQLITE_NOMEM;
            }
        }
        ++grid.rows;
    }
    return server_code::kOk;
}

int AccessLayer::State::step_query(sqlite3* db, std::string_view statement, Grid& grid) {
    const char* next = statement.data();
    const char* end = statement.data() + statement.size();
    while (next < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        int rc = engine.prepare(db, next, static_cast<int>(end - next), &stmt, &tail);
        if (rc != SQLITE_OK) {
            engine_error(db);
            return rc;
        }
        next = tail ? tail : end;
        if (!stmt)
            continue;
        const int columns = engine.column_count(stmt);
        while ((rc = engine.step(stmt)) == SQLITE_ROW) {
            if (grid.rows == 0) {
                grid.columns = columns;
                grid.offsets.reserve(static_cast<std::size_t>(columns) * 64);
                for (int c = 0; c < columns; ++c) {
                    const char* name = engine.column_name(stmt, c);
                    if (!grid.add_cell(name ? name : "", name ? std::strlen(name) : 0)) {
                        engine.finalize(stmt);
                        last_error = "DBLayer: HeapAlloc call failed";
                        return SQLITE_NOMEM;
                    }
                }
            } else if (columns != grid.columns) {
                engine.finalize(stmt);
                last_error = "DBLayer: the statements return different columns";
                return SQLITE_ERROR;
            }
            for (int c = 0; c < columns; ++c) {
                // The text comes first: only a missing text needs the type to tell NULL apart.
                const auto* value = reinterpret_cast<const char*>(engine.column_text(stmt, c));
                bool stored = true;
                if (value)
                    stored = grid.add_cell(value,
                                           static_cast<std::size_t>(engine.column_bytes(stmt, c)));
                else
                    stored =
                        grid.add_cell(engine.column_type(stmt, c) == SQLITE_NULL ? nullptr : "", 0);
                if (!stored) {
                    engine.finalize(stmt);
                    last_error = "DBLayer: HeapAlloc call failed";
                    return SQLITE_NOMEM;
                }
            }
            ++grid.rows;
        }
        if (rc != SQLITE_DONE) {
            engine_error(db);
            engine.finalize(stmt);
            return rc;
        }
        engine.finalize(stmt);
    }
    return SQLITE_OK;
}

int AccessLayer::State::query(std::int32_t result_number, std::string_view statement) {
    DatabaseSlot* database = find_database(current_number);
    if (!database) {
        last_error = "DBLayer: Handle not found";
        return kNoDatabase;
    }
    Grid grid;
    last_error.clear();
    const int rc = database->server ? server_query(*database, statement, grid)
                                    : step_query(database->handle, statement, grid);
    current_number = database->number;
    current_handle = database->handle;
    if (rc != SQLITE_OK) {
        current_result = nullptr;
        current_result_number = result_number;
        return rc;
    }
    if (grid.rows == 0)
        grid = Grid{}; // a result without rows keeps no grid and counts no columns
    auto slot = find_result(result_number);
    if (slot == results.end()) {
        results.push_back(ResultSlot{});
        slot = results.end() - 1;
    }
    // A new slot may have moved the others: the current result is looked up again below.
    slot->number = result_number;
    slot->database = database->id();
    slot->grid = std::move(grid);
    current_result_number = result_number;
    current_result = &*slot;
    return SQLITE_OK;
}

int AccessLayer::State::run_exec(sqlite3* db, std::string_view statement) {
    last_error.clear();
    // An empty statement is one its builder refused: it must fail, not pass as a write.
    if (statement.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        last_error = "DBLayer: empty statement";
        return SQLITE_MISUSE;
    }
    const std::string text(statement);
    char* message = nullptr;
    const int rc = engine.exec(db, text.c_str(), nullptr, nullptr, &message);
    if (message) {
        last_error = message;
        engine.free(message);
    }
    return rc;
}

int AccessLayer::State::back_up(sqlite3* source, const std::string& target,
                                const AccessLayer::CopyProgress& progress) {
    last_error.clear();
    if (!engine.can_back_up()) {
        last_error = "DBLayer: the engine cannot copy a database";
        return SQLITE_ERROR;
    }
    sqlite3* copy = nullptr;
    int rc =
        engine.open_v2(target.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        engine_error(copy);
        if (copy)
            engine.close(copy);
        return rc;
    }
    sqlite3_backup* backup = engine.backup_init(copy, "main", source, "main");
    if (!backup) {
        rc = engine.errcode(copy);
        engine_error(copy);
        engine.close(copy);
        return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    }
    // Another program writing the source holds its lock for moments only.
    constexpr int kBusyRetries = 40;
    // A slice of pages between two reports: a few milliseconds of copying.
    const bool sliced = progress && engine.backup_remaining && engine.backup_pagecount;
    const int slice = sliced ? 32 : -1;
    bool cancelled = false;
    for (int attempt = 0;;) {
        rc = engine.backup_step(backup, slice);
        if (rc == SQLITE_OK && sliced) {
            const std::int64_t total = engine.backup_pagecount(backup);
            if (!progress(total - engine.backup_remaining(backup), total)) {
                cancelled = true;
                break;
            }
            continue;
        }
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || attempt++ == kBusyRetries)
            break;
        engine.backup_sleep(50);
    }
    // Finishing a copy before its end rolls back what it wrote into the target.
    const int finished = engine.backup_finish(backup);
    if (cancelled) {
        engine.close(copy);
        last_error = "DBLayer: the copy was cancelled";
        return AccessLayer::kCancelled;
    }
    if (rc == SQLITE_DONE)
        rc = finished;
    if (rc != SQLITE_OK) {
        // The step's own code says more than the one left on the copy's connection.
        last_error = engine.errmsg ? engine.errmsg(copy) : "";
        if (last_error.empty() || last_error == "not an error")
            last_error =
                "DBLayer: the database could not be copied (code " + std::to_string(rc) + ")";
    }
    engine.close(copy);
    return rc;
}

AccessLayer::AccessLayer() : state_(std::make_unique<State>()) {}

AccessLayer::~AccessLayer() {
    unload_engine();
}

std::string AccessLayer::engine_file(const std::string& name) {
    if (const char* chosen = std::getenv("OLVESSA_SQLITE_LIBRARY"); chosen && *chosen)
        return chosen;
    return name == "sqlite" || name == "sqlite.dll" ? "libsqlite3.so.0" : name;
}

void* AccessLayer::load_engine(const std::string& name) {
    State& s = *state_;
    if (s.library)
        return s.library;
    const std::string file = engine_file(name);
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        s.last_error = why ? why : "";
        return nullptr;
    }
    Engine e;
    bool required =
        resolve(library, "sqlite3_open", e.open) && resolve(library, "sqlite3_close", e.close) &&
        resolve(library, "sqlite3_exec", e.exec) && resolve(library, "sqlite3_free", e.free);
    resolve(library, "sqlite3_prepare_v2", e.prepare);
    resolve(library, "sqlite3_step", e.step);
    resolve(library, "sqlite3_column_count", e.column_count);
    resolve(library, "sqlite3_column_name", e.column_name);
    resolve(library, "sqlite3_column_text", e.column_text);
    resolve(library, "sqlite3_column_bytes", e.column_bytes);
    resolve(library, "sqlite3_column_type", e.column_type);
    resolve(library, "sqlite3_finalize", e.finalize);
    resolve(library, "sqlite3_column_int64", e.column_int64);
    resolve(library, "sqlite3_column_double", e.column_double);
    resolve(library, "sqlite3_open_v2", e.open_v2);
    required = required && e.can_step();
    if (!required) {
        s.last_error = "DBLayer: " + file + " is not a usable SQLite 3 library";
        dlclose(library);
        return nullptr;
    }
    resolve(library, "sqlite3_libversion", e.libversion);
    resolve(library, "sqlite3_interrupt", e.interrupt);
    resolve(library, "sqlite3_changes", e.changes);
    resolve(library, "sqlite3_errmsg", e.errmsg);
    resolve(library, "sqlite3_last_insert_rowid", e.last_insert_rowid);
    resolve(library, "sqlite3_get_autocommit", e.get_autocommit);
    resolve(library, "sqlite3_busy_timeout", e.busy_timeout);
    resolve(library, "sqlite3_db_readonly", e.db_readonly);
    resolve(library, "sqlite3_db_filename", e.db_filename);
    resolve(library, "sqlite3_errcode", e.errcode);
    resolve(library, "sqlite3_backup_init", e.backup_init);
    resolve(library, "sqlite3_backup_step", e.backup_step);
    resolve(library, "sqlite3_backup_finish", e.backup_finish);
    resolve(library, "sqlite3_sleep", e.backup_sleep);
    resolve(library, "sqlite3_backup_remaining", e.backup_remaining);
    resolve(library, "sqlite3_backup_pagecount", e.backup_pagecount);
    s.engine = e;
    s.library = library;
    return library;
}

void* AccessLayer::engine_loaded() const {
    return state_->library;
}

void AccessLayer::unload_engine() {
    State& s = *state_;
    if (!s.library)
        return;
    s.current_result = nullptr;
    s.results.clear();
    s.current_result_number = 0;
    for (auto& slot : s.databases)
        if (slot.handle)
            s.engine.close(slot.handle);
    s.databases.clear();
    s.transaction_open = false;
    s.current_number = 0;
    s.current_handle = nullptr;
    dlclose(s.library);
    s.library = nullptr;
    s.engine = Engine{};
}

void* AccessLayer::open_database(const std::string& file_name) {
    return open_numbered_database(state_->current_number, file_name);
}

void* AccessLayer::open_numbered_database(std::int32_t number, const std::string& file_name) {
    State& s = *state_;
    s.needs_password = false;
    if (is_server_location(file_name)) {
        s.last_error.clear();
        auto server = std::make_unique<ServerConnection>();
        const auto opened = server->open(file_name, s.password, kServerConnectTimeoutSeconds);
        if (opened != ServerConnection::Opened::Yes) {
            s.needs_password = opened == ServerConnection::Opened::NeedsPassword;
            s.last_error = server->connection_message();
            return nullptr;
        }
        if (s.answer_timeout_ms > 0)
            server->set_answer_timeout(s.answer_timeout_ms);
        if (s.find_database(number))
            close_database(number);
        auto free_slot = std::find_if(s.databases.begin(), s.databases.end(),
                                      [](const DatabaseSlot& d) { return !d.open(); });
        if (free_slot == s.databases.end()) {
            s.databases.push_back({});
            free_slot = s.databases.end() - 1;
        }
        free_slot->number = number;
        free_slot->handle = nullptr;
        free_slot->server = std::move(server);
        free_slot->location = location_without_password(file_name);
        free_slot->wants_lock = false;
        s.current_number = number;
        s.current_handle = nullptr;
        s.lock_lost = false;
        s.transaction_open = false;
        return free_slot->server->raw();
    }
    if (!s.library)
        return nullptr;
    s.last_error.clear();
    sqlite3* handle = nullptr;
    const int rc =
        s.engine.open_v2
            ? s.engine.open_v2(file_name.c_str(), &handle,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                               nullptr)
            : s.engine.open(file_name.c_str(), &handle);
    if (rc != SQLITE_OK || !handle) {
        s.engine_error(handle);
        if (handle)
            s.engine.close(handle);
        return nullptr;
    }
    // Another process holding a lock gets a moment to finish before a statement fails.
    if (s.engine.busy_timeout)
        s.engine.busy_timeout(handle, kBusyTimeoutMs);
    else
        s.run_exec(handle, "PRAGMA busy_timeout = 2000");
    if (s.find_database(number))
        close_database(number);
    auto free_slot = std::find_if(s.databases.begin(), s.databases.end(),
                                  [](const DatabaseSlot& d) { return !d.open(); });
    if (free_slot == s.databases.end()) {
        s.databases.push_back({});
        free_slot = s.databases.end() - 1;
    }
    free_slot->number = number;
    free_slot->handle = handle;
    free_slot->location = file_name;
    s.current_number = number;
    s.current_handle = handle;
    return handle;
}

int AccessLayer::close_database(std::int32_t number) {
    State& s = *state_;
    DatabaseSlot* slot = s.find_database(number);
    if (!slot) {
        s.last_error = "DBLayer: Handle not found";
        return 0;
    }
    sqlite3* handle = slot->handle;
    const void* id = slot->id();
    const bool was_current = number == s.current_number;
    const std::int32_t current_result_number = s.current_result_number;
    const bool had_current = s.current_result != nullptr;
    std::erase_if(s.results, [id](const ResultSlot& r) { return r.database == id; });
    // Erasing moves slots: point at the current result again, or at none when it went.
    s.current_result = nullptr;
    if (had_current) {
        auto current = s.find_result(current_result_number);
        if (current != s.results.end())
            s.current_result = &*current;
        else
            s.current_result_number = 0;
    }
    if (handle)
        s.engine.close(handle);
    slot->server.reset();
    if (was_current) {
        s.current_number = 0;
        s.current_handle = nullptr;
        s.transaction_open = false;
        s.lock_lost = false;
    }
    slot->number = 0;
    slot->handle = nullptr;
    slot->location.clear();
    slot->wants_lock = false;
    // The slot is taken again by the next database opened: that one is writable until it says
    // otherwise.
    slot->read_only = false;
    return 0;
}

int AccessLayer::close_current_database() {
    return close_database(state_->current_number);
}

bool AccessLayer::has_current_database() const {
    return state_->current_slot() != nullptr;
}

void* AccessLayer::current_handle() const {
    return state_->current_handle;
}

int AccessLayer::query_table(std::string_view statement) {
    return state_->query(state_->current_result_number, statement);
}

int AccessLayer::query_numbered_table(std::int32_t result_number, std::string_view statement) {
    return state_->query(result_number, statement);
}

int AccessLayer::row_count() {
    State& s = *state_;
    const int rows = s.current_result ? s.current_result->grid.rows : 0;
    if (rows == 0)
        s.last_error = "DBLayer: The table has no rows";
    return rows;
}

int AccessLayer::table_row_count(std::int32_t result_number) {
    State& s = *state_;
    auto slot = s.find_result(result_number);
    if (slot == s.results.end()) {
        s.last_error = "DBLayer: Handle not found";
        return kNoDatabase;
    }
    return slot->grid.rows;
}

std::string AccessLayer::cell_text(std::int32_t row, std::int32_t column) {
    State& s = *state_;
    const Grid* grid = s.current_result ? &s.current_result->grid : nullptr;
    const auto rows = static_cast<std::uint32_t>(grid ? grid->rows : 0);
    const auto columns = static_cast<std::uint32_t>(grid ? grid->columns : 0);
    if (static_cast<std::uint32_t>(row) > rows) {
        s.last_error = "DBLayer: row number too high";
        return {};
    }
    if (columns == 0)
        return {};
    if (static_cast<std::uint32_t>(column) >= columns) {
        s.last_error = "DBLayer: column number too high";
        return {};
    }
    const char* value = grid->at(row, column);
    if (!value) {
        s.last_error = "DBLayer: the cell is empty";
        return {};
    }
    return value;
}

const char* AccessLayer::cell(std::int32_t row, std::int32_t column) const {
    const ResultSlot* result = state_->current_result;
    if (!result || result->grid.columns == 0 || row < 0 || row > result->grid.rows || column < 0 ||
        column >= result->grid.columns)
        return nullptr;
    return result->grid.at(row, column);
}

int AccessLayer::column_count() const {
    return state_->current_result ? state_->current_result->grid.columns : 0;
}

void AccessLayer::release_current_result() {
    State& s = *state_;
    if (!s.current_result)
        return;
    const std::int32_t number = s.current_result->number;
    s.current_result = nullptr;
    std::erase_if(s.results, [number](const ResultSlot& r) { return r.number == number; });
}

int AccessLayer::execute(std::string_view statement) {
    State& s = *state_;
    DatabaseSlot* slot = s.current_slot();
    if (!slot) {
        s.last_error = "DBLayer: there's no current database handle";
        return kNoDatabase;
    }
    if (slot->server)
        return s.server_execute(*slot, statement);
    return s.run_exec(s.current_handle, statement);
}

bool AccessLayer::succeeded(int result) {
    return (result & 0xff) == SQLITE_OK;
}

bool AccessLayer::locked_elsewhere(int result) {
    const int primary = result & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

int AccessLayer::execute_on(std::int32_t number, std::string_view statement) {
    State& s = *state_;
    DatabaseSlot* slot = s.find_database(number);
    if (!slot) {
        s.last_error = "DBLayer: Handle not found";
        return kNoDatabase;
    }
    if (slot->server)
        return s.server_execute(*slot, statement);
    return s.run_exec(slot->handle, statement);
}

bool AccessLayer::in_transaction() const {
    const State& s = *state_;
    if (const DatabaseSlot* slot = s.current_slot(); slot && slot->server)
        return slot->server->in_transaction();
    if (!s.current_handle || !s.engine.get_autocommit)
        return false;
    return s.engine.get_autocommit(s.current_handle) == 0;
}

bool AccessLayer::current_read_only() const {
    const State& s = *state_;
    if (const DatabaseSlot* slot = s.current_slot(); slot && slot->read_only)
        return true;
    if (!s.current_handle)
        return false;
    // A read-only file or mount: the engine fell back to reading.
    if (s.engine.db_readonly && s.engine.db_readonly(s.current_handle, "main") == 1)
        return true;
    // A folder that takes no new file: the engine's journal, and with it every write, fails.
    const char* file =
        s.engine.db_filename ? s.engine.db_filename(s.current_handle, "main") : nullptr;
    if (!file || !*file)
        return false;
    std::string folder(file);
    const std::size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0;
}

int AccessLayer::copy_database(const std::string& source, const std::string& target) {
    State& s = *state_;
    if (!s.library) {
        s.last_error = "DBLayer: no engine loaded";
        return kNoDatabase;
    }
    if (!s.engine.can_back_up()) {
        s.last_error = "DBLayer: the engine cannot copy a database";
        return SQLITE_ERROR;
    }
    // Read-only: the copy never writes to its source, nor creates it when it is missing.
    sqlite3* from = nullptr;
    const int rc = s.engine.open_v2(source.c_str(), &from, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        s.engine_error(from);
        if (from)
            s.engine.close(from);
        return rc;
    }
    if (s.engine.busy_timeout)
        s.engine.busy_timeout(from, kBusyTimeoutMs);
    const int copied = s.back_up(from, target);
    s.engine.close(from);
    return copied;
}

int AccessLayer::copy_current_database(const std::string& target, const CopyProgress& progress) {
    State& s = *state_;
    if (!s.current_handle) {
        s.last_error = "DBLayer: there's no current database handle";
        return kNoDatabase;
    }
    return s.back_up(s.current_handle, target, progress);
}

const std::string& AccessLayer::last_error() const {
    return state_->last_error;
}

EngineKind AccessLayer::engine_kind() const {
    const DatabaseSlot* slot = state_->current_slot();
    return slot && slot->server ? EngineKind::PostgreSQL : EngineKind::SQLite;
}

void AccessLayer::set_server_password(const std::string& password) {
    state_->password = password;
}

bool AccessLayer::needs_password() const {
    return state_->needs_password;
}

bool AccessLayer::connection_lost(int result) {
    return result == server_code::kLost;
}

bool AccessLayer::take_server_lock() {
    State& s = *state_;
    DatabaseSlot* slot = s.current_slot();
    if (!slot || !slot->server)
        return slot != nullptr;
    if (!slot->server->try_lock(s.last_error))
        return false;
    slot->wants_lock = true;
    return true;
}

std::string AccessLayer::lock_holder_text() {
    State& s = *state_;
    DatabaseSlot* slot = s.current_slot();
    if (!slot || !slot->server)
        return {};
    const ServerConnection::Holder holder = slot->server->lock_holder();
    if (holder.machine.empty())
        return "This database is open on another machine";
    return "This database is open on " + holder.machine + " since " + clock_time(holder.since);
}

bool AccessLayer::lock_lost() const {
    return state_->lock_lost;
}

int AccessLayer::set_read_only() {
    // A server database another program took over refuses every write already; nothing needs
    // telling the server, which may not be reached.
    const int rc = state_->lock_lost ? 0 : execute(read_only_sql(engine_kind()));
    if (DatabaseSlot* slot = state_->current_slot(); slot && succeeded(rc))
        slot->read_only = true;
    return rc;
}

void AccessLayer::set_server_patience(int answer_timeout_ms, bool reconnect) {
    State& s = *state_;
    s.answer_timeout_ms = answer_timeout_ms;
    s.reconnect = reconnect;
    for (auto& slot : s.databases)
        if (slot.server)
            slot.server->set_answer_timeout(answer_timeout_ms);
}

const std::string& AccessLayer::current_location() const {
    const DatabaseSlot* slot = state_->current_slot();
    return slot ? slot->location : state_->no_location;
}

// --- Typed reading ----------------------------------------------------------------------------

namespace {

const Engine& engine_of(const void* engine) {
    return *static_cast<const Engine*>(engine);
}

sqlite3_stmt* statement_of(void* statement) {
    return static_cast<sqlite3_stmt*>(statement);
}

} // namespace

AccessLayer::Rows::Rows(const void* engine, void* statement, int result)
    : engine_(engine), statement_(statement), result_(result) {
    if (statement_)
        columns_ = engine_of(engine_).column_count(statement_of(statement_));
}

AccessLayer::Rows::Rows(void* server, int result, std::string* error)
    : engine_(nullptr), statement_(nullptr), result_(result), server_(server), error_(error) {}

AccessLayer::Rows::Rows(Rows&& other) noexcept
    : engine_(other.engine_), statement_(std::exchange(other.statement_, nullptr)),
      result_(other.result_), columns_(other.columns_),
      server_(std::exchange(other.server_, nullptr)), error_(other.error_),
      cells_(std::move(other.cells_)), nulls_(std::move(other.nulls_)) {}

AccessLayer::Rows::~Rows() {
    if (statement_)
        engine_of(engine_).finalize(statement_of(statement_));
    // The rest of a server's rows are read and dropped: the connection is free only after.
    while (server_ && next()) {
    }
}

bool AccessLayer::Rows::next() {
    if (server_) {
        auto* server = static_cast<ServerConnection*>(server_);
        int code = 0;
        std::string error;
        if (server->next_row(cells_, nulls_, code, error)) {
            columns_ = static_cast<int>(cells_.size());
            return true;
        }
        server_ = nullptr;
        result_ = code;
        if (code != 0 && error_)
            *error_ = error;
        return false;
    }
    if (!statement_)
        return false;
    const int rc = engine_of(engine_).step(statement_of(statement_));
    if (rc == SQLITE_ROW)
        return true;
    result_ = rc == SQLITE_DONE ? SQLITE_OK : rc;
    engine_of(engine_).finalize(statement_of(std::exchange(statement_, nullptr)));
    return false;
}

// A server's cells come as text: a whole integer reads as an integer, a whole number with a
// point or exponent as a real, as the file engine would have stored them.
AccessLayer::Rows::Type AccessLayer::Rows::type(int column) const {
    if (!engine_) {
        const auto c = static_cast<std::size_t>(column);
        if (nulls_[c])
            return Type::Null;
        const std::string_view cell = cells_[c];
        const char* end = cell.data() + cell.size();
        std::int64_t whole = 0;
        if (!cell.empty() && std::from_chars(cell.data(), end, whole).ptr == end)
            return Type::Integer;
        double value = 0;
        if (!cell.empty() && (std::isdigit(static_cast<unsigned char>(cell.back())) != 0) &&
            std::from_chars(cell.data(), end, value).ptr == end)
            return Type::Real;
        return Type::Text;
    }
    return static_cast<Type>(engine_of(engine_).column_type(statement_of(statement_), column));
}

std::int64_t AccessLayer::Rows::integer(int column) const {
    if (!engine_) {
        const std::string_view cell = cells_[static_cast<std::size_t>(column)];
        std::int64_t whole = 0;
        std::from_chars(cell.data(), cell.data() + cell.size(), whole);
        return whole;
    }
    return engine_of(engine_).column_int64(statement_of(statement_), column);
}

double AccessLayer::Rows::real(int column) const {
    if (!engine_) {
        const std::string_view cell = cells_[static_cast<std::size_t>(column)];
        double value = 0;
        if (std::from_chars(cell.data(), cell.data() + cell.size(), value).ec != std::errc{}) {
            std::int64_t whole = 0;
            std::from_chars(cell.data(), cell.data() + cell.size(), whole);
            value = static_cast<double>(whole);
        }
        return value;
    }
    return engine_of(engine_).column_double(statement_of(statement_), column);
}

std::string_view AccessLayer::Rows::text(int column) const {
    if (!engine_)
        return cells_[static_cast<std::size_t>(column)];
    const Engine& e = engine_of(engine_);
    const auto* value =
        reinterpret_cast<const char*>(e.column_text(statement_of(statement_), column));
    if (!value)
        return {};
    return {value, static_cast<std::size_t>(e.column_bytes(statement_of(statement_), column))};
}

AccessLayer::Rows AccessLayer::step_rows(std::string_view statement) {
    State& s = *state_;
    DatabaseSlot* database = s.find_database(s.current_number);
    if (!database) {
        s.last_error = "DBLayer: Handle not found";
        return Rows(&s.engine, nullptr, kNoDatabase);
    }
    s.last_error.clear();
    if (database->server) {
        int code = 0;
        if (!s.ensure_connected(*database, false, code) ||
            !database->server->start_rows(statement, code, s.last_error))
            return Rows(&s.engine, nullptr, code);
        return Rows(database->server.get(), 0, &s.last_error);
    }
    sqlite3_stmt* stmt = nullptr;
    const int rc = s.engine.prepare(database->handle, statement.data(),
                                    static_cast<int>(statement.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        s.engine_error(database->handle);
        if (stmt)
            s.engine.finalize(stmt);
        return Rows(&s.engine, nullptr, rc);
    }
    // Whitespace alone prepares no statement: no rows, no failure.
    return Rows(&s.engine, stmt, SQLITE_OK);
}

} // namespace olv
