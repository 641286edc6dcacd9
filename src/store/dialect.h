// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Where the two engines differ, in one place: how a location names a server, the schema's
// types, the catalogue queries and the statement that makes a connection read-only. The layers
// above ask the store; only the store asks this.
#include <array>
#include <string>
#include <string_view>

namespace olv {

enum class EngineKind { SQLite, PostgreSQL };

// A database on a PostgreSQL server is named by a connection URI in libpq's syntax
// ("postgresql://[user[:password]@]host[:port]/dbname[?param=value&...]", also "postgres://");
// anything else is a file path.
bool is_server_location(std::string_view location);
EngineKind engine_of_location(std::string_view location);

// The parts of a server URI (percent-escapes decoded). A host given as a parameter ("?host=")
// counts; an empty host means libpq's default, the local Unix socket.
struct ServerLocation {
    std::string user;
    std::string password;
    std::string host;
    std::string port;
    std::string database;
};
ServerLocation parse_server_location(std::string_view uri);
// The URI with any password taken out (from the user part and from a "password=" parameter):
// what may be remembered or shown.
std::string location_without_password(std::string_view location);
// The URI for the parts (escaped as needed); empty fields are left out.
std::string server_uri(const ServerLocation& parts);
// "work @ db.example" for a server ("localhost" when no host is named); not for files.
std::string server_display_name(std::string_view uri);

// The six schema statements of a new database, for the engine.
const std::array<const char*, 6>& schema_statements(EngineKind engine);
// A query whose rows name those of the six tables that exist (lower case).
std::string existing_tables_sql(EngineKind engine);
// A query with a row when the named index exists.
std::string index_exists_sql(EngineKind engine, std::string_view index);
// A load's SELECT for the engine: a server orders texts by their bytes, as the file engine
// does, whatever the database's collation.
std::string load_select(EngineKind engine, std::string_view select);
// Makes the connection refuse every write from now on.
const char* read_only_sql(EngineKind engine);

} // namespace olv
