// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/server_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace olv {

namespace {

// The advisory lock's key: advisory locks are per database already, so one constant serves.
constexpr long long kLockKey = 0x4F4C5653; // "OLVS"

constexpr std::string_view kApplicationPrefix = "Olvessa.project@";

// Counts the requests to stop waiting; a wait gives up when it changes under it.
std::atomic<unsigned> interrupts{0};
static_assert(std::atomic<unsigned>::is_always_lock_free, "reached from a signal handler");

// How often a wait without a deadline looks whether it was asked to stop.
constexpr int kWaitSliceMs = 200;

std::string machine_name() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name)
        return "unknown";
    return name;
}

std::string connection_error(const PGconn* conn, bool silent) {
    if (silent)
        return "the server did not answer in time";
    std::string text = conn ? PQerrorMessage(conn) : "out of memory";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool starts_with_word(std::string_view statement, std::string_view word) {
    const auto start = statement.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || statement.size() - start < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(statement[start + i])) != word[i])
            return false;
    const std::size_t after = start + word.size();
    return after == statement.size() || !std::isalnum(static_cast<unsigned char>(statement[after]));
}

// COPY's text format: backslash escapes, \N for NULL. Unescapes in place; returns the length.
std::size_t unescape(char* text, std::size_t length) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == length) {
            text[out++] = c;
            continue;
        }
        c = text[++i];
        switch (c) {
        case 'b':
            text[out++] = '\b';
            break;
        case 'f':
            text[out++] = '\f';
            break;
        case 'n':
            text[out++] = '\n';
            break;
        case 'r':
            text[out++] = '\r';
            break;
        case 't':
            text[out++] = '\t';
            break;
        case 'v':
            text[out++] = '\v';
            break;
        case 'x': {
            int value = 0, digits = 0;
            while (digits < 2 && i + 1 < length &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                const char h = text[++i];
                value = value * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                          ? h - '0'
                                          : (std::tolower(h) - 'a' + 10));
                ++digits;
            }
            text[out++] = digits ? static_cast<char>(value) : 'x';
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                int value = c - '0';
                for (int digits = 1;
                     digits < 3 && i + 1 < length && text[i + 1] >= '0' && text[i + 1] <= '7';
                     ++digits)
                    value = value * 8 + (text[++i] - '0');
                text[out++] = static_cast<char>(value);
            } else {
                text[out++] = c;
            }
        }
    }
    return out;
}

// Drives a connection attempt begun with PQconnectStartParams or PQresetStart to its end, so
// that a server that takes the connection but never answers is given up after the timeout, or
// at once when the program is asked to end (`gave_up` then set).
bool drive_connection(PGconn* conn, bool reset, int timeout_seconds, unsigned asked,
                      bool& gave_up) {
    gave_up = false;
    if (!conn || PQstatus(conn) == CONNECTION_BAD)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (status != PGRES_POLLING_OK && status != PGRES_POLLING_FAILED) {
        const int socket = PQsocket(conn);
        if (socket < 0)
            return false;
        pollfd waiting{socket,
                       static_cast<short>(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int ready = poll(&waiting, 1, kWaitSliceMs);
        if (interrupts.load() != asked || std::chrono::steady_clock::now() >= deadline) {
            gave_up = true;
            return false;
        }
        if (ready > 0)
            status = reset ? PQresetPoll(conn) : PQconnectPoll(conn);
    }
    return PQstatus(conn) == CONNECTION_OK;
}

} // namespace

void interrupt_server_waits() {
    interrupts.fetch_add(1);
}

void ServerResultDeleter::operator()(pg_result* result) const {
    PQclear(result);
}

ServerConnection::~ServerConnection() {
    close();
}

void ServerConnection::close() {
    if (line_) {
        PQfreemem(line_);
        line_ = nullptr;
    }
    if (conn_)
        PQfinish(conn_);
    conn_ = nullptr;
    locked_ = false;
    copying_ = false;
}

ServerConnection::Opened ServerConnection::open(const std::string& uri, const std::string& password,
                                                int timeout_seconds) {
    close();
    connect_timeout_seconds_ = timeout_seconds;
    const std::string application = std::string(kApplicationPrefix) + machine_name();
    const std::string timeout = std::to_string(timeout_seconds);
    // The URI comes first and is expanded; what follows overrides it.
    const char* keywords[] = {"dbname",          "application_name", "connect_timeout",
                              "client_encoding", "password",         nullptr};
    const char* values[] = {uri.c_str(), application.c_str(), timeout.c_str(),
                            "UTF8",      password.c_str(),    nullptr};
    if (password.empty())
        keywords[4] = values[4] = nullptr;
    const unsigned asked = interrupts.load();
    conn_ = PQconnectStartParams(keywords, values, 1);
    if (drive_connection(conn_, false, timeout_seconds, asked, silent_)) {
        // The server's notices ("terminating connection ...") are not for the terminal: what
        // matters comes back as a statement's result.
        PQsetNoticeProcessor(
            conn_, [](void*, const char*) {}, nullptr);
        return Opened::Yes;
    }
    return conn_ && PQconnectionNeedsPassword(conn_) && password.empty() ? Opened::NeedsPassword
                                                                         : Opened::Failed;
}

bool ServerConnection::reconnect() {
    if (!conn_)
        return false;
    if (line_) {
        PQfreemem(line_);
        line_ = nullptr;
    }
    copying_ = false;
    locked_ = false;
    silent_ = false;
    const unsigned asked = interrupts.load();
    if (!PQresetStart(conn_))
        return false;
    return drive_connection(conn_, true, connect_timeout_seconds_, asked, silent_);
}

bool ServerConnection::connected() const {
    return conn_ && !silent_ && PQstatus(conn_) == CONNECTION_OK;
}

std::string ServerConnection::connection_message() const {
    return connection_error(conn_, silent_);
}

void ServerConnection::set_answer_timeout(int milliseconds) {
    answer_timeout_ms_ = milliseconds;
}

ServerResult ServerConnection::run(const std::string& text) {
    if (silent_)
        return nullptr;
    // Sent and awaited by hand, so that a server that does not answer is given up on in time,
    // and a request to end is not held up by one that never answers.
    const unsigned asked = interrupts.load();
    if (!PQsendQuery(conn_, text.c_str()))
        return nullptr;
    const bool limited = answer_timeout_ms_ > 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(answer_timeout_ms_);
    while (PQisBusy(conn_)) {
        int wait_ms = kWaitSliceMs;
        if (limited) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait_ms = static_cast<int>(std::min<long long>(left.count(), kWaitSliceMs));
        }
        pollfd waiting{PQsocket(conn_), POLLIN, 0};
        const int ready = wait_ms > 0 ? poll(&waiting, 1, wait_ms) : 0;
        if (interrupts.load() != asked ||
            (limited && ready == 0 && std::chrono::steady_clock::now() >= deadline)) {
            silent_ = true;
            return nullptr;
        }
        if (ready <= 0)
            continue; // a slice passed, or a signal came: look again
        if (!PQconsumeInput(conn_))
            return nullptr;
    }
    // The last result is the one that says how the statement ended.
    ServerResult last;
    while (ServerResult next{PQgetResult(conn_)}) {
        const auto status = PQresultStatus(next.get());
        last = std::move(next);
        if (status == PGRES_COPY_OUT || status == PGRES_COPY_IN)
            break;
    }
    return last;
}

int ServerConnection::code_of(const pg_result* result) const {
    if (!conn_ || silent_ || PQstatus(conn_) != CONNECTION_OK)
        return server_code::kLost;
    // No result at all: the statement never reached the server.
    if (!result)
        return server_code::kLost;
    switch (PQresultStatus(result)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_COPY_OUT:
    case PGRES_SINGLE_TUPLE:
        return server_code::kOk;
    default:
        break;
    }
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string_view sqlstate = state ? state : "";
    if (sqlstate == "55P03" || sqlstate == "40001" || sqlstate == "40P01")
        return server_code::kBusy;
    if (sqlstate == "25006")
        return server_code::kReadOnly;
    // Class 08 (connection exception) and 57P (operator intervention: the server shutting
    // down or the session terminated) mean the connection is gone or going.
    // A failure without an SQLSTATE is libpq's own: the connection broke before libpq noticed
    // its state ("server closed the connection unexpectedly").
    if (sqlstate.empty() || sqlstate.starts_with("08") || sqlstate.starts_with("57P"))
        return server_code::kLost;
    return server_code::kError;
}

int ServerConnection::execute(std::string_view statement, std::string& error) {
    error.clear();
    if (!conn_) {
        error = "not connected";
        return server_code::kLost;
    }
    if (statement.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = "DBLayer: empty statement";
        return 21; // the file engine's "misuse"
    }
    const bool commit = starts_with_word(statement, "COMMIT") || starts_with_word(statement, "END");
    if (commit && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
        error = "cannot commit - no transaction is active";
        return server_code::kError;
    }
    ServerResult result = run(std::string(statement));
    const int code = code_of(result.get());
    if (code != server_code::kOk) {
        const char* message = result ? PQresultErrorMessage(result.get()) : nullptr;
        error = message && *message ? message : connection_error(conn_, silent_);
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
        // The server keeps a failed transaction open but refuses everything in it until a
        // rollback: end it now, so that callers see it over as with the file engine.
        if (code != server_code::kLost && PQtransactionStatus(conn_) == PQTRANS_INERROR)
            ServerResult(PQexec(conn_, "ROLLBACK"));
        return code;
    }
    // COMMIT of a transaction the server had already failed answers ROLLBACK.
    if (commit && std::strcmp(PQcmdStatus(result.get()), "ROLLBACK") == 0) {
        error = "the transaction was rolled back";
        return server_code::kError;
    }
    return code;
}

ServerResult ServerConnection::query(std::string_view statement, int& code, std::string& error) {
    error.clear();
    if (!conn_) {
        code = server_code::kLost;
        error = "not connected";
        return nullptr;
    }
    ServerResult result = run(std::string(statement));
    code = code_of(result.get());
    if (code != server_code::kOk) {
        const char* message = result ? PQresultErrorMessage(result.get()) : nullptr;
        error = message && *message ? message : connection_error(conn_, silent_);
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
        if (code != server_code::kLost && PQtransactionStatus(conn_) == PQTRANS_INERROR)
            ServerResult(PQexec(conn_, "ROLLBACK"));
        return nullptr;
    }
    return result;
}

bool ServerConnection::in_transaction() const {
    if (!conn_)
        return false;
    const auto status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

bool ServerConnection::try_lock(std::string& error) {
    int code = 0;
    ServerResult result =
        query("SELECT pg_try_advisory_lock(" + std::to_string(kLockKey) + ")", code, error);
    locked_ = result && PQntuples(result.get()) == 1 &&
              std::strcmp(PQgetvalue(result.get(), 0, 0), "t") == 0;
    return locked_;
}

ServerConnection::Holder ServerConnection::lock_holder() {
    Holder holder;
    int code = 0;
    std::string error;
    // Advisory locks on one bigint key show its low half as objid.
    ServerResult result = query(
        "SELECT a.application_name, extract(epoch FROM a.backend_start)::bigint "
        "FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
        "WHERE l.locktype = 'advisory' AND l.granted AND l.objid = " +
            std::to_string(kLockKey) +
            " AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
            "AND l.pid <> pg_backend_pid() LIMIT 1",
        code, error);
    if (!result || PQntuples(result.get()) != 1)
        return holder;
    std::string_view name = PQgetvalue(result.get(), 0, 0);
    if (name.starts_with(kApplicationPrefix))
        name.remove_prefix(kApplicationPrefix.size());
    holder.machine = std::string(name);
    holder.since = std::strtoll(PQgetvalue(result.get(), 0, 1), nullptr, 10);
    return holder;
}

bool ServerConnection::start_rows(std::string_view query, int& code, std::string& error) {
    error.clear();
    if (!conn_) {
        code = server_code::kLost;
        error = "not connected";
        return false;
    }
    ServerResult result = run("COPY (" + std::string(query) + ") TO STDOUT");
    code = code_of(result.get());
    if (code != server_code::kOk || PQresultStatus(result.get()) != PGRES_COPY_OUT) {
        const char* message = result ? PQresultErrorMessage(result.get()) : nullptr;
        error = message && *message ? message : connection_error(conn_, silent_);
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
        if (code == server_code::kOk)
            code = server_code::kError;
        if (code != server_code::kLost && PQtransactionStatus(conn_) == PQTRANS_INERROR)
            ServerResult(PQexec(conn_, "ROLLBACK"));
        return false;
    }
    copying_ = true;
    copy_asked_ = interrupts.load();
    return true;
}

bool ServerConnection::next_row(std::vector<std::string_view>& cells, std::vector<bool>& nulls,
                                int& code, std::string& error) {
    if (line_) {
        PQfreemem(line_);
        line_ = nullptr;
    }
    if (!copying_)
        return false;
    // Read without blocking, so that a server that stops answering in the middle of the rows
    // does not hold up a request to end.
    int length = PQgetCopyData(conn_, &line_, 1);
    while (length == 0) {
        pollfd waiting{PQsocket(conn_), POLLIN, 0};
        const int ready = poll(&waiting, 1, kWaitSliceMs);
        if (interrupts.load() != copy_asked_) {
            silent_ = true;
            copying_ = false;
            code = server_code::kLost;
            error = connection_error(conn_, silent_);
            return false;
        }
        if (ready > 0 && !PQconsumeInput(conn_)) {
            length = -2;
            break;
        }
        length = PQgetCopyData(conn_, &line_, 1);
    }
    if (length > 0) {
        cells.clear();
        nulls.clear();
        std::size_t size = static_cast<std::size_t>(length);
        if (size && line_[size - 1] == '\n')
            --size;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= size; ++i) {
            if (i < size && line_[i] != '\t')
                continue;
            char* field = line_ + start;
            const std::size_t field_length = i - start;
            if (field_length == 2 && field[0] == '\\' && field[1] == 'N') {
                cells.emplace_back();
                nulls.push_back(true);
            } else {
                cells.emplace_back(field, unescape(field, field_length));
                nulls.push_back(false);
            }
            start = i + 1;
        }
        return true;
    }
    copying_ = false;
    // -1: the copy is done and its final result says how it ended; -2: a failure.
    ServerResult result(PQgetResult(conn_));
    code = length == -1 ? code_of(result.get()) : server_code::kLost;
    if (code == server_code::kOk && PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        code = server_code::kError;
    if (code != server_code::kOk) {
        const char* message = result ? PQresultErrorMessage(result.get()) : nullptr;
        error = message && *message ? message : connection_error(conn_, silent_);
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
    }
    while (ServerResult more{PQgetResult(conn_)}) {
    }
    if (code != server_code::kLost && PQtransactionStatus(conn_) == PQTRANS_INERROR)
        ServerResult(PQexec(conn_, "ROLLBACK"));
    return false;
}

} // namespace olv
