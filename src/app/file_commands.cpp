// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/file_commands.h"

#include "app/application.h"
#include "app/database_files.h"
#include "app/dispatch.h"
#include "app/server_database.h"
#include "app/settings_store.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/progress.h"
#include "views/tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace olv {

namespace {

const QString kError = QStringLiteral("Error");
const QString kFilter = QStringLiteral("Database (*.db)");

bool same_file(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}

QString folder_of(const QString& database) {
    const QString folder = QFileInfo(database).absolutePath();
    return QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void say_unreadable(Application& app, const QString& path) {
    app.prompter().message(app.main_window(), kError,
                           QStringLiteral("Could not read Database\n") + path);
}

// Takes the lock of the file the program moves to; says so when another window holds it.
bool lock_target(Application& app, const QString& path) {
    if (app.lock().take(path) != DatabaseLock::Outcome::HeldElsewhere)
        return true;
    app.prompter().message(app.main_window(), kError, database_in_use_text());
    return false;
}

// Save As of a database that cannot be written: the file as it is, then the changes it could not
// take go into the copy, which becomes the open database. The lists and the running clocks go on
// as they are.
void save_read_only_as(Application& app, const QString& path, const QString& old_path) {
    Store& store = app.store();
    Workspace& ws = app.workspace();
    if (!store.db.has_current_database()) {
        say_unreadable(app, old_path);
        return;
    }
    if (!lock_target(app, path))
        return;
    const bool replacing = QFileInfo::exists(path);
    const auto failed = [&] {
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database\n") + path);
    };
    if (!AccessLayer::succeeded(store.db.copy_current_database(path.toStdString()))) {
        if (!replacing)
            QFile::remove(path);
        app.lock().take(old_path);
        failed();
        return;
    }
    if (!store.db.open_database(path.toStdString())) {
        // The old file stays open in its place (opening closes it only on success).
        app.lock().take(old_path);
        failed();
        return;
    }
    app.set_database_path(path);
    app.database_opened();
    store_notes(ws, ws.state.previous_selection);
    save_sequence(app);
    if (!app.read_only() && !has_unsaved_records(store))
        set_setting(app.settings_key(), QStringLiteral("Default Database"), path.toStdString(),
                    SettingType::Text, app.prompter(), app.main_window());
}

// Opens the database at the location in place of the open one (which has written what it
// held). One that cannot be opened (damage that shows only while loading, a server out of reach,
// a cancelled prompt) has been named in a message and left untouched; the program goes back to
// the one it came from, with its clocks running again.
void move_to_database(Application& app, const QString& location, const QString& password = {}) {
    const QString old_path = app.database_path();
    RecordLists& lists = app.store().lists;
    remember_running_tasks(app.workspace());
    const std::vector<std::int32_t> running = std::move(lists.restart);
    lists.restart.clear();
    open_database_file(app, location, password);
    if (app.store().db.has_current_database() || !app.store().db.engine_loaded())
        return;
    if (!is_server_location(old_path.toStdString()) && !lock_target(app, old_path))
        return;
    lists.restart = running;
    open_database_file(app, old_path);
}

} // namespace

bool database_readable(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile())
        return false;
    if (file.size() == 0)
        return true;
    // The table list alone: loading every record here would double the time of every open.
    AccessLayer probe;
    if (!probe.load_engine() || !probe.open_database(path.toStdString()))
        return false;
    const int rc = probe.query_table(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND lower(name) IN "
        "('users', 'clients', 'project', 'objectives', 'task', 'task_detail')");
    const bool readable = rc == 0 && probe.row_count() == 1 && probe.cell_text(1, 0) != "0";
    probe.close_current_database();
    return readable;
}

// Writes every record in memory into a new file at the path (replacing one there only once
// the copy is whole).
bool copy_records_to_file(const Store& store, const QString& path) {
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    std::string why;
    {
        AccessLayer copy;
        if (!copy.load_engine("sqlite") || !copy.open_database(partial.toStdString()) ||
            write_all_records(store.lists, copy, why) != CopyOutcome::Copied) {
            copy.unload_engine();
            QFile::remove(partial);
            return false;
        }
    }
    QFile::remove(path);
    return QFile::rename(partial, path);
}

void clear_modified_flags(Store& store) {
    RecordLists& l = store.lists;
    const auto clear = [](auto& list) {
        for (auto& r : list)
            r.modified = false;
    };
    clear(l.users);
    clear(l.clients);
    clear(l.projects);
    clear(l.objectives);
    clear(l.tasks);
    clear(l.entries);
}

bool has_unsaved_records(const Store& store) {
    const RecordLists& l = store.lists;
    const auto modified = [](const auto& list) {
        return std::any_of(list.begin(), list.end(), [](const auto& r) { return r.modified; });
    };
    return modified(l.users) || modified(l.clients) || modified(l.projects) ||
           modified(l.objectives) || modified(l.tasks) || modified(l.entries);
}

namespace {

// Save As to a server: every record in memory goes there in one transaction (what a read-only
// or unreachable database could not take included), and the program goes on there.
void save_database_on_server(Application& app, const QString& location) {
    Store& store = app.store();
    const QString shown = QString::fromStdString(location_without_password(location.toStdString()));
    if (shown.toStdString() == location_without_password(app.database_path().toStdString())) {
        save_sequence(app);
        return;
    }
    if (!store.db.has_current_database()) {
        // The open file could not be read: there is nothing to copy.
        say_unreadable(app, app.database_path());
        return;
    }
    if (!app.read_only())
        save_sequence(app);
    QString password;
    AccessLayer target;
    if (!connect_target_server(app, location, target, password))
        return;
    std::string why;
    switch (write_all_records(store.lists, target, why)) {
    case CopyOutcome::Copied:
        break;
    case CopyOutcome::TargetHoldsTables:
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database\n%1\nIt holds "
                                              "Olvessa.project tables already; it was left as it "
                                              "is.")
                                   .arg(shown));
        return;
    default:
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database\n%1\n%2")
                                   .arg(shown, QString::fromStdString(why)));
        return;
    }
    target.close_current_database();
    // The records are the server's now: nothing is left to write to the old database.
    clear_modified_flags(store);
    move_to_database(app, location, password);
}

} // namespace

void open_database(Application& app) {
    if (app.read_only())
        app.settle_read_only_changes(QStringLiteral("Discard Changes"));
    const QString name = app.prompter().open_file_name(
        app.main_window(), QStringLiteral("Olvessa.Project Open Database"),
        folder_of(app.database_path()), kFilter);
    if (name.isEmpty())
        return;
    const QString path = QFileInfo(name).absoluteFilePath();
    if (same_file(path, app.database_path()))
        return;
    if (!database_readable(path)) {
        say_unreadable(app, path);
        return;
    }
    // The open file keeps its notes, its place in the tree and every counted second.
    save_sequence(app);
    if (has_unsaved_records(app.store()))
        return;
    if (!lock_target(app, path))
        return;
    move_to_database(app, path);
}

void open_server_database(Application& app) {
    if (app.read_only())
        app.settle_read_only_changes(QStringLiteral("Discard Changes"));
    const QString location = app.prompter().server_location(
        app.main_window(), QStringLiteral("Olvessa.Project Open Server Database"));
    if (location.isEmpty())
        return;
    if (location_without_password(location.toStdString()) == app.database_path().toStdString())
        return;
    save_sequence(app);
    if (has_unsaved_records(app.store()))
        return;
    move_to_database(app, location);
}

void save_database_as(Application& app) {
    const QString title = QStringLiteral("Olvessa.Project Save Database As");
    QString name = app.prompter().database_save_name(
        app.main_window(), title, folder_of(app.database_path()), QStringLiteral("*.db"), kFilter);
    if (is_server_location(name.toStdString())) {
        save_database_on_server(app, name);
        return;
    }
    if (name.isEmpty() || !QFileInfo(name).absoluteDir().exists())
        return;
    if (!name.endsWith(QStringLiteral(".db"), Qt::CaseSensitive))
        name += QStringLiteral(".db");
    const QString path = QFileInfo(name).absoluteFilePath();
    const QString old_path = app.database_path();
    if (same_file(path, old_path)) {
        save_sequence(app);
        return;
    }
    if (QFileInfo(path).isDir()) {
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database\n") + path);
        return;
    }
    if (QFileInfo::exists(path) &&
        !app.prompter().confirm(
            app.main_window(), title,
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
        return;

    Store& store = app.store();
    // Changes a server could not take (its connection lost, another machine holding it, or
    // opened read-only) are what Save As to a file rescues: the copy is written from the
    // records in memory.
    const bool from_server = store.db.engine_kind() == EngineKind::PostgreSQL;
    if (app.read_only() && !from_server) {
        save_read_only_as(app, path, old_path);
        return;
    }
    if (!app.read_only())
        save_sequence(app);
    if (has_unsaved_records(store) && !from_server)
        return;
    if (!store.db.has_current_database()) {
        // The open file could not be read: there is nothing to copy.
        say_unreadable(app, old_path);
        return;
    }
    if (!lock_target(app, path))
        return;
    const bool replacing = QFileInfo::exists(path);
    if (from_server) {
        if (!copy_records_to_file(store, path)) {
            app.prompter().message(app.main_window(), kError,
                                   QStringLiteral("Could not write to Database\n") + path);
            return;
        }
        remember_running_tasks(app.workspace());
        // The records are the file's now: nothing is left to write to the server.
        clear_modified_flags(store);
        open_database_file(app, path);
        return;
    }
    // A large file takes a while: the copy shows its progress and can be cancelled, which
    // leaves the target as it was (no new file, or the old one untouched).
    Progress progress(app.main_window(), QStringLiteral("Saving the database as %1…").arg(path),
                      1000);
    const int rc = store.db.copy_current_database(
        path.toStdString(), [&progress](std::int64_t done, std::int64_t total) {
            return progress.advance(total > 0 ? done * 1000 / total : 0);
        });
    if (!AccessLayer::succeeded(rc)) {
        if (!replacing)
            QFile::remove(path);
        app.lock().take(old_path);
        if (rc != AccessLayer::kCancelled)
            app.prompter().message(app.main_window(), kError,
                                   QStringLiteral("Could not write to Database\n") + path);
        return;
    }
    // The copy holds the same records under the same keys: the running clocks go on there.
    remember_running_tasks(app.workspace());
    open_database_file(app, path);
}

} // namespace olv
