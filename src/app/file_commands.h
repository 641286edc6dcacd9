// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// File > Open and File > Save As: moving to an existing database, and going on in a copy of the
// open one. Both write what is pending into the old file first and leave everything as it was
// when they cannot finish.
#include <QString>

namespace olv {

class Application;
struct Store;

// True when the file is a database holding this program's tables, or is empty (an empty file
// becomes a new database). Reads only the table list, through a connection of its own; damage
// further inside shows when the records are loaded.
bool database_readable(const QString& path);

// True while a record waits for a flush that could write it.
bool has_unsaved_records(const Store& store);

// File > Open: asks for an existing "*.db" file and opens it as start-up would, after the open
// file got its pending changes. A file that cannot be read or that another window holds is
// refused with a message and the open file stays (is opened again when the damage showed only
// while loading).
void open_database(Application& app);

// File > Open Server Database: asks for a server database (host, port, database, user) and
// opens it as the command line does, after the open database got its pending changes. When it
// cannot be opened (unreachable, a wrong password, cancelled at the lock) the database open
// before comes back, with its clocks running again.
void open_server_database(Application& app);

// File > Save As: asks for a file name (".db" appended as File > New does), writes the open
// database there with the engine's online backup after a flush, and goes on in the copy; running
// timers keep running. A failed flush or copy leaves the program in the old file. A database on
// a server named instead gets every record in memory in one transaction (refused when it holds
// any of the tables already) and the program goes on there.
void save_database_as(Application& app);

} // namespace olv
