// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The dialog that names a database on a PostgreSQL server: host, port, database and user. It
// has no password field: the server asks for one when it wants it, and none is ever kept.
#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace olv {

class ServerDialog final : public QDialog {
    Q_OBJECT
public:
    ServerDialog(QWidget* parent, const QString& title);

    // The fields as a connection URI ("postgresql://user@host:port/db"; a host starting with
    // "/" is a socket folder and goes in "?host="), empty while no database is named.
    QString location() const;

    QLineEdit* host_field() const { return host_; }
    QLineEdit* port_field() const { return port_; }
    QLineEdit* database_field() const { return database_; }
    QLineEdit* user_field() const { return user_; }
    QPushButton* ok_button() const { return ok_; }

private:
    QLineEdit* host_;
    QLineEdit* port_;
    QLineEdit* database_;
    QLineEdit* user_;
    QPushButton* ok_;
};

// Shows the dialog; the URI, or empty when cancelled.
QString ask_server_location(QWidget* parent, const QString& title);

} // namespace olv
