// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Which database file is in use: opening one, and File > New.
#include <QString>

namespace olv {

class Application;
struct Store;

// Makes the file the current database: locks it, loads every record, builds the tree, shows the
// remembered item and, once the records loaded, remembers it as "Default Database". A missing or
// empty file gets the schema and the users row first; a file that cannot be read is reported and
// left untouched. When another window holds the file the program ends without touching it.
// A server URI connects to the server (server_database.h), trying `password` first.
void open_database_file(Application& app, const QString& path, const QString& password = {});

// File > New: asks for a file name (".db" appended unless it ends in exactly ".db"; a name in a
// folder that does not exist counts as cancelled), flushes the old file, creates the new one and
// opens it. A database on a server named instead gets the six tables in one transaction when it
// holds none of them; one that holds any is refused and the old database stays open.
void new_database(Application& app);

// Closes database 1, unloads the engine and loads it again as "sqlite.dll".
void restart_engine(Store& store);

// The text of the message shown when another window holds a database.
QString database_in_use_text();

} // namespace olv
