// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A connection to a database on a PostgreSQL server through libpq, answering in the access
// layer's terms: statements give the same result codes as the file engine's (0 success, 1 an
// SQL error, 5 busy, 8 read-only, 10 the connection is gone), and rows are streamed with
// COPY ... TO STDOUT, one line at a time, never a whole result set at once.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace olv {

// The result codes a server statement maps onto.
namespace server_code {
inline constexpr int kOk = 0;
inline constexpr int kError = 1;
inline constexpr int kBusy = 5;
inline constexpr int kReadOnly = 8;
inline constexpr int kLost = 10;
} // namespace server_code

// Asked to end: a statement waiting for a server's answer at this moment gives up within a
// moment, as one the server did not answer in time (the connection counts as lost). Statements
// sent afterwards wait as usual. Safe to call from a signal handler.
void interrupt_server_waits();

struct ServerResultDeleter {
    void operator()(pg_result* result) const;
};
using ServerResult = std::unique_ptr<pg_result, ServerResultDeleter>;

class ServerConnection {
public:
    // How the connection attempt ended.
    enum class Opened { Yes, NeedsPassword, Failed };

    ServerConnection() = default;
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Connects to the URI (libpq's syntax: ~/.pgpass, PGPASSWORD and service files apply);
    // `password` supplies one nothing else does. The server sees the machine's name in
    // application_name. Gives up after `timeout_seconds`.
    Opened open(const std::string& uri, const std::string& password, int timeout_seconds);
    // Connects again with the same parameters after the connection was lost.
    bool reconnect();
    bool connected() const;
    // True after the server left a statement or a reconnection unanswered (rather than closing
    // the connection): trying again at once would only wait as long again.
    bool went_silent() const { return silent_; }
    // From now on a statement the server does not answer within this time fails as a lost
    // connection (0: wait as long as it takes).
    void set_answer_timeout(int milliseconds);
    // The message of the last failed connection attempt.
    std::string connection_message() const;

    // Runs a statement (one or more, without rows), mapping the outcome; `error` gets libpq's
    // or the server's message. COMMIT of a transaction that failed part way is itself a
    // failure, and a failed statement inside a transaction rolls the transaction back at once:
    // a failed transaction is over, as with the file engine, and nothing of it is kept.
    int execute(std::string_view statement, std::string& error);
    // Runs a query and hands back its whole result (for small ones only); nullptr on failure,
    // with the code in `code`.
    ServerResult query(std::string_view statement, int& code, std::string& error);
    bool in_transaction() const;

    // The session-level advisory lock that keeps a second program off the database; it ends
    // with the connection. False when another session holds it (or on failure).
    bool try_lock(std::string& error);
    bool holds_lock() const { return locked_; }
    // The program holding the lock: the machine it runs on and when its session began
    // (seconds since the epoch); empty machine when nothing says.
    struct Holder {
        std::string machine;
        std::int64_t since = 0;
    };
    Holder lock_holder();

    // --- Streamed rows of a query -----------------------------------------------------------
    // Starts COPY (query) TO STDOUT; false with a code when the query is refused.
    bool start_rows(std::string_view query, int& code, std::string& error);
    // The next row's cells (unescaped in place, valid until the next call); false at the end,
    // when `code` says how the copy ended.
    bool next_row(std::vector<std::string_view>& cells, std::vector<bool>& nulls, int& code,
                  std::string& error);
    // -----------------------------------------------------------------------------------------

    pg_conn* raw() const { return conn_; }

private:
    int code_of(const pg_result* result) const;
    ServerResult run(const std::string& text);
    void close();

    pg_conn* conn_ = nullptr;
    bool locked_ = false;
    char* line_ = nullptr; // the current copy line, owned by libpq's allocator
    bool copying_ = false;
    unsigned copy_asked_ = 0; // the requests to stop waiting when the rows began
    int answer_timeout_ms_ = 0;
    int connect_timeout_seconds_ = 10;
    bool silent_ = false; // the server left a statement unanswered: the connection is useless
};

} // namespace olv
