// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/dialect.h"

#include <cctype>
#include <string>

namespace olv {

namespace {

constexpr std::string_view kSchemes[] = {"postgresql://", "postgres://"};

std::string_view scheme_of(std::string_view location) {
    for (std::string_view scheme : kSchemes) {
        if (location.size() < scheme.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < scheme.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(location[i])) == scheme[i];
        if (same)
            return location.substr(0, scheme.size());
    }
    return {};
}

std::string decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string encode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The URI split at its structural characters, each part still escaped.
struct UriParts {
    std::string_view scheme, userinfo, hostspec, database, query;
    bool has_userinfo = false;
};

UriParts split(std::string_view uri) {
    UriParts parts;
    parts.scheme = scheme_of(uri);
    std::string_view rest = uri.substr(parts.scheme.size());
    if (const auto q = rest.find('?'); q != std::string_view::npos) {
        parts.query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    if (const auto slash = rest.find('/'); slash != std::string_view::npos) {
        parts.database = rest.substr(slash + 1);
        rest = rest.substr(0, slash);
    }
    if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
        parts.userinfo = rest.substr(0, at);
        parts.has_userinfo = true;
        rest = rest.substr(at + 1);
    }
    parts.hostspec = rest;
    return parts;
}

// Calls fn(key, value) for each "key=value" of the query, still escaped.
template <typename Fn> void each_parameter(std::string_view query, Fn fn) {
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        fn(pair.substr(0, eq),
           eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1), pair);
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
}

} // namespace

bool is_server_location(std::string_view location) {
    return !scheme_of(location).empty();
}

EngineKind engine_of_location(std::string_view location) {
    return is_server_location(location) ? EngineKind::PostgreSQL : EngineKind::SQLite;
}

ServerLocation parse_server_location(std::string_view uri) {
    ServerLocation location;
    const UriParts parts = split(uri);
    if (parts.has_userinfo) {
        const auto colon = parts.userinfo.find(':');
        location.user = decode(parts.userinfo.substr(0, colon));
        if (colon != std::string_view::npos)
            location.password = decode(parts.userinfo.substr(colon + 1));
    }
    std::string_view host = parts.hostspec;
    // "host:port", "[v6]:port"; several hosts stay together.
    if (host.find(',') == std::string_view::npos) {
        const auto bracket = host.rfind(']');
        const auto colon = host.rfind(':');
        if (colon != std::string_view::npos &&
            (bracket == std::string_view::npos || colon > bracket)) {
            location.port = decode(host.substr(colon + 1));
            host = host.substr(0, colon);
        }
    }
    location.host = decode(host);
    location.database = decode(parts.database);
    each_parameter(parts.query,
                   [&](std::string_view key, std::string_view value, std::string_view) {
                       const std::string name = decode(key);
                       if (name == "host" || name == "hostaddr")
                           location.host = decode(value);
                       else if (name == "port")
                           location.port = decode(value);
                       else if (name == "user")
                           location.user = decode(value);
                       else if (name == "dbname")
                           location.database = decode(value);
                       else if (name == "password")
                           location.password = decode(value);
                   });
    return location;
}

std::string location_without_password(std::string_view location) {
    if (!is_server_location(location))
        return std::string(location);
    const UriParts parts = split(location);
    std::string out(parts.scheme);
    if (parts.has_userinfo) {
        out += parts.userinfo.substr(0, parts.userinfo.find(':'));
        out += '@';
    }
    out += parts.hostspec;
    if (!parts.database.empty() ||
        location.find('/', parts.scheme.size()) != std::string_view::npos)
        out += '/';
    out += parts.database;
    std::string query;
    each_parameter(parts.query, [&](std::string_view key, std::string_view, std::string_view pair) {
        if (decode(key) == "password" || pair.empty())
            return;
        query += query.empty() ? "" : "&";
        query += pair;
    });
    if (!query.empty())
        out += "?" + query;
    return out;
}

std::string server_uri(const ServerLocation& parts) {
    std::string uri = "postgresql://";
    if (!parts.user.empty()) {
        uri += encode(parts.user);
        if (!parts.password.empty())
            uri += ":" + encode(parts.password);
        uri += "@";
    }
    // A socket folder cannot stand in the host part: it goes as a parameter.
    const bool socket_folder = !parts.host.empty() && parts.host.front() == '/';
    if (!socket_folder)
        uri +=
            parts.host.find(':') != std::string::npos ? "[" + parts.host + "]" : encode(parts.host);
    if (!parts.port.empty() && !socket_folder)
        uri += ":" + encode(parts.port);
    uri += "/" + encode(parts.database);
    std::string query;
    if (socket_folder) {
        query += "host=" + encode(parts.host);
        if (!parts.port.empty())
            query += "&port=" + encode(parts.port);
    }
    if (!query.empty())
        uri += "?" + query;
    return uri;
}

std::string server_display_name(std::string_view uri) {
    const ServerLocation location = parse_server_location(uri);
    const std::string host =
        location.host.empty() || location.host.front() == '/' ? "localhost" : location.host;
    const std::string database = location.database.empty() ? location.user : location.database;
    return database + " @ " + host;
}

const std::array<const char*, 6>& schema_statements(EngineKind engine) {
    static constexpr std::array<const char*, 6> kFile{
        "create table users(key integer primary key, userID text, user_View integer, "
        "user_Currency text, user_DateFormat text);",
        "create table clients(key integer primary key, client_name text, client_rate float);",
        "create table project(key integer primary key, project_title text, client_key integer, "
        "project_date integer, "
        "project_end integer, project_note text, project_rate float);",
        "create table objectives(key integer primary key, ob_complete boolean, ob_title text, "
        "Project_key integer, "
        "ob_date integer, ob_end integer, ob_notes text);",
        "create table task(key integer primary key, task_complete boolean, task_title text, "
        "Obj_key integer, "
        "Task_Date integer, Task_End integer, Task_Notes text, Task_Billed boolean, "
        "task_checked boolean);",
        "create table Task_Detail(key integer primary key, Task_Key integer, Time integer, "
        "date integer, billed boolean);",
    };
    // Keys and date values are bigint, rates double precision, flags integer (the statements
    // write 0 and 1), texts text.
    static constexpr std::array<const char*, 6> kServer{
        "create table users(key bigint primary key, userID text, user_View integer, "
        "user_Currency text, user_DateFormat text);",
        "create table clients(key bigint primary key, client_name text, "
        "client_rate double precision);",
        "create table project(key bigint primary key, project_title text, client_key bigint, "
        "project_date bigint, project_end bigint, project_note text, "
        "project_rate double precision);",
        "create table objectives(key bigint primary key, ob_complete integer, ob_title text, "
        "Project_key bigint, ob_date bigint, ob_end bigint, ob_notes text);",
        "create table task(key bigint primary key, task_complete integer, task_title text, "
        "Obj_key bigint, Task_Date bigint, Task_End bigint, Task_Notes text, "
        "Task_Billed integer, task_checked integer);",
        "create table Task_Detail(key bigint primary key, Task_Key bigint, Time bigint, "
        "date bigint, billed integer);",
    };
    return engine == EngineKind::PostgreSQL ? kServer : kFile;
}

std::string existing_tables_sql(EngineKind engine) {
    constexpr const char* kNames =
        "('users','clients','project','objectives','task','task_detail')";
    if (engine == EngineKind::PostgreSQL)
        return std::string("SELECT lower(table_name) FROM information_schema.tables WHERE "
                           "table_schema = current_schema() AND lower(table_name) IN ") +
               kNames;
    return std::string("SELECT lower(name) FROM sqlite_master WHERE type = 'table' AND "
                       "lower(name) IN ") +
           kNames;
}

std::string index_exists_sql(EngineKind engine, std::string_view index) {
    if (engine == EngineKind::PostgreSQL)
        return "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema() AND "
               "indexname = lower('" +
               std::string(index) + "')";
    return "SELECT name FROM sqlite_master WHERE type = 'index' AND name = '" + std::string(index) +
           "'";
}

std::string load_select(EngineKind engine, std::string_view select) {
    std::string out(select);
    if (engine != EngineKind::PostgreSQL)
        return out;
    std::string lower = out;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // The text columns the loads order by.
    for (std::string_view column : {"userid asc", "client_name asc", "task_title asc"}) {
        const auto at = lower.find(column);
        if (at == std::string::npos)
            continue;
        const auto end = at + column.size() - 4;
        out.insert(end, " COLLATE \"C\"");
        lower.insert(end, " COLLATE \"C\"");
    }
    return out;
}

const char* read_only_sql(EngineKind engine) {
    return engine == EngineKind::PostgreSQL ? "SET default_transaction_read_only = on"
                                            : "PRAGMA query_only = 1";
}

} // namespace olv
