// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// One copy of a database per day, made at start before anything writes to it, in the backups
// folder as "<file stem>-<path hash>-YYYY-MM-DD.db": the hash (8 hex digits of the file's
// resolved path) keeps apart databases of the same name in different folders. The 14 newest
// copies of each database are kept.
#include "common/clock.h"

#include <QString>
#include <QStringList>

namespace olv {

class AccessLayer;
struct RecordLists;

constexpr int kBackupsKept = 14;

// 8 hex digits naming the database file wherever it is reached from (symlinks resolved).
QString database_path_hash(const QString& database);

// "<stem>-<hash>-YYYY-MM-DD.db" for the database on that day.
QString backup_file_name(const QString& database, const WallTime& day);

// The backups of the database in the folder, oldest first: its own, and those of the older
// form "<stem>-YYYY-MM-DD.db", which are kept until 14 newer copies of the database exist.
QStringList backups_of(const QString& database, const QString& folder);

// Removes what a copy of the database cut short (killed or failed) left in the folder: its
// ".part" and ".part-journal" files.
void remove_backup_leftovers(const QString& database, const QString& folder);

// Copies the database into the folder unless a copy of that day is there already, then removes
// all but the newest kBackupsKept copies of it; a copy changed after its day (opened and worked
// in) is no longer one of them and stays. A missing or empty database needs no copy.
// Returns false with the reason when the copy failed; nothing half-written is left behind.
bool make_daily_backup(AccessLayer& db, const QString& database, const QString& folder,
                       const WallTime& today, QString* error);

// The same for a database on a server ("<dbname>@<host>-YYYY-MM-DD.db"): a local SQLite file
// written from the records just loaded, so an offline copy is always at hand.
bool make_daily_server_backup(const RecordLists& lists, const QString& location,
                              const QString& folder, const WallTime& today, QString* error);

} // namespace olv
