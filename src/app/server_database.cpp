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

void say_server_unreachable(Application& app, const QString& location, const std::string& why) {
    const ServerLocation parts = parse_server_location(location.toStdString());
    const QString host =
        QString::fromStdString(parts.host.empty() ? std::string("the local server") : parts.host);
    app.prompter().message(
        app.main_window(), QStringLiteral("Error"),
        QStringLiteral("Could not open Database on %1\n%2").arg(host, QString::fromStdString(why)));
}

bool connect_target_server(Application& app, const QString& location, AccessLayer& target,
                           QString& password) {
    const std::string uri = location.toStdString();
    target.set_server_password(password.toStdString());
    while (!target.open_database(uri)) {
        if (!target.needs_password()) {
            say_server_unreachable(app, location, target.last_error());
            return false;
        }
        password = ask_server_password(app.main_window(), location);
        if (password.isEmpty())
            return false;
        target.set_server_password(password.toStdString());
    }
    return true;
}

bool connect_server_database(Application& app, const QString& location, bool& cancelled,
                             const QString& password) {
    cancelled = false;
    Store& store = app.store();
    const std::string uri = location.toStdString();
    const std::string user = app.workspace().user_name ? app.workspace().user_name() : "";
    store.db.set_server_password(password.toStdString());
    // A database without the six tables gets them (and the users row) in one transaction.
    while (!create_database(store, uri, user)) {
        if (store.db.needs_password()) {
            const QString typed = ask_server_password(app.main_window(), location);
            if (!typed.isEmpty()) {
                store.db.set_server_password(typed.toStdString());
                continue;
            }
            cancelled = true;
            store.db.close_current_database();
            return false;
        }
        say_server_unreachable(app, location, store.db.last_error());
        store.db.close_current_database();
        return false;
    }
    // Tables of these names that are not all of this program's belong to something else.
    if (existing_tables(store.db).size() != schema_statements(EngineKind::PostgreSQL).size()) {
        store.db.close_current_database();
        app.prompter().message(
            app.main_window(), QStringLiteral("Error"),
            QStringLiteral("Could not read Database\n%1\nIt holds other tables of the names this "
                           "program uses; it was left as it is.")
                .arg(QString::fromStdString(location_without_password(uri))));
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
