// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/server_database.h"

#include "app/application.h"
#include "store/operations.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace olv {

QString database_window_title(const QString& location) {
    const std::string text = location.toStdString();
    const QString name = is_server_location(text)
                             ? QString::fromStdString(server_display_name(text))
                             : QFileInfo(location).fileName();
    return name.isEmpty() ? QStringLiteral("Olvessa.project")
                          : name + QStringLiteral(" \u2013 Olvessa.project");
}

QString ask_server_password(QWidget* parent, const QString& location) {
    const ServerLocation parts = parse_server_location(location.toStdString());
    bool ok = false;
    const QString password = QInputDialog::getText(
        parent, QStringLiteral("Password"),
        QStringLiteral("Password of %1 for %2:")
            .arg(QString::fromStdString(parts.user.empty() ? std::string("you") : parts.user),
                 QString::fromStdString(server_display_name(location.toStdString()))),
        QLineEdit::Password, QString(), &ok);
    return ok ? password : QString();
}

bool ask_open_read_only(QWidget* parent, const QString& holder_text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Olvessa.project"), holder_text,
                    QMessageBox::NoButton, parent);
    QPushButton* read_only =
        box.addButton(QStringLiteral("Open Read-Only"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == read_only;
}

bool connect_server_database(Application& app, const QString& location, bool& cancelled) {
    cancelled = false;
    Store& store = app.store();
    const std::string uri = location.toStdString();
    const std::string user = app.workspace().user_name ? app.workspace().user_name() : "";
    store.db.set_server_password(std::string());
    // A database without the six tables gets them (and the users row) in one transaction.
    while (!create_database(store, uri, user)) {
        if (store.db.needs_password()) {
            const QString password = ask_server_password(app.main_window(), location);
            if (!password.isEmpty()) {
                store.db.set_server_password(password.toStdString());
                continue;
            }
            cancelled = true;
            return false;
        }
        const ServerLocation parts = parse_server_location(uri);
        const QString host = QString::fromStdString(
            parts.host.empty() ? std::string("the local server") : parts.host);
        app.prompter().message(app.main_window(), QStringLiteral("Error"),
                               QStringLiteral("Could not open Database on %1\n%2")
                                   .arg(host, QString::fromStdString(store.db.last_error())));
        store.db.close_current_database();
        return false;
    }
    if (store.db.take_server_lock())
        return true;
    const QString holder = QString::fromStdString(store.db.lock_holder_text());
    if (!ask_open_read_only(app.main_window(), holder)) {
        store.db.close_current_database();
        cancelled = true;
        return false;
    }
    store.db.set_read_only();
    return true;
}

} // namespace olv
