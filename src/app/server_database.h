// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A database on a PostgreSQL server as the current database: the password prompt, the lock
// between machines with its read-only choice, and how the window names what is open.
#include <QString>

class QWidget;

namespace olv {

class Application;

// "work @ db.example – Olvessa.project" for a server, "default.db – Olvessa.project" for a file.
QString database_window_title(const QString& location);

// Asks for the server's password (masked, never remembered); empty when cancelled.
QString ask_server_password(QWidget* parent, const QString& location);
// Tells who holds the lock and offers Cancel or "Open Read-Only"; true for read-only.
bool ask_open_read_only(QWidget* parent, const QString& holder_text);

// Connects the store to the server database (asking for a password when the server wants
// one nothing supplied), makes the six tables in an empty database, and takes the lock
// (or opens it read-only, when the user so chooses). False when nothing was opened: the
// reason was shown, or the user cancelled (`cancelled`).
bool connect_server_database(Application& app, const QString& location, bool& cancelled);

} // namespace olv
