// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A database on a PostgreSQL server as the current database: the password prompt, the lock
// between machines with its read-only choice, and how the window names what is open.
#include <QString>

class QWidget;

namespace olv {

class AccessLayer;
class Application;

// "work @ db.example – Olvessa.project" for a server, "default.db – Olvessa.project" for a file.
QString database_window_title(const QString& location);

// Asks for the server's password (masked, never remembered); empty when cancelled.
QString ask_server_password(QWidget* parent, const QString& location);
// Tells who holds the lock and offers Cancel or "Open Read-Only"; true for read-only.
bool ask_open_read_only(QWidget* parent, const QString& holder_text);

// Connects the store to the server database (asking for a password when the server wants
// one nothing supplied; `password` is tried first), makes the six tables in an empty database,
// and takes the lock (or opens it read-only, when the user so chooses). A database holding only
// some tables of those names is refused and left untouched. False when nothing was opened: the
// reason was shown, or the user cancelled (`cancelled`); the store then has no database open.
bool connect_server_database(Application& app, const QString& location, bool& cancelled,
                             const QString& password = {});

// Connects `target` to the server database that New or Save As writes to, asking for a
// password when the server wants one (`password` gets it). False (the reason shown, or the
// prompt cancelled) when it cannot be reached.
bool connect_target_server(Application& app, const QString& location, AccessLayer& target,
                           QString& password);

// The box of a server that cannot be reached: "Could not open Database on <host>" and the
// reason.
void say_server_unreachable(Application& app, const QString& location, const std::string& why);

} // namespace olv
