// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_files.h"

#include "app/application.h"
#include "app/daily_backup.h"
#include "app/data_folder.h"
#include "app/period_report_window.h"
#include "app/server_database.h"
#include "app/settings_store.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/progress.h"
#include "views/tree.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace olv {

namespace {

const QString kError = QStringLiteral("Error");

// False (after saying so) when another window holds the file.
bool lock_database(Application& app, const QString& path) {
    if (app.lock().take(path) != DatabaseLock::Outcome::HeldElsewhere)
        return true;
    app.prompter().message(app.main_window(), kError, database_in_use_text());
    return false;
}

// Loads the records of the open database, builds the tree and shows the remembered item. A file
// that cannot be read is closed and said so once the tree is empty. True when the records loaded.
bool show_database_records(Application& app, const QString& path) {
    Store& store = app.store();
    Workspace& ws = app.workspace();
    // A large file takes a while to read: the load shows its progress, and a cancel leaves
    // the file closed and untouched, as one that could not be read but without the box.
    Progress progress(app.main_window(), QStringLiteral("Opening %1…").arg(path), 1000);
    const LoadStatus status =
        load_all_records(store, [&progress](std::int64_t read, std::int64_t total) {
            return progress.advance(total > 0 ? read * 1000 / total : 0);
        });
    const bool readable = status == LoadStatus::Loaded;
    bool users_row_written = true;
    if (!readable) {
        // Closed at once so that no flush can ever write into it.
        store.db.close_current_database();
        store.lists.clear_tables();
        store.structure_changed();
    } else {
        index_time_entries_by_task(store);
    }
    if (readable && store.lists.users.empty()) {
        // Everything hangs below the users row: without it nothing would show.
        users_row_written =
            add_users_row(store, ws.user_name ? ws.user_name() : std::string()) == 0;
    }
    rebuild_tree(ws, -1);
    if (!store.lists.users.empty()) {
        const std::int32_t view = store.lists.users.front().user_View;
        select_tree_position(ws, view);
        show_item_details(ws, view);
        ws.state.previous_selection = view;
    }
    refresh_status_icons(ws);
    refresh_status_icons(ws);
    if (status == LoadStatus::Unreadable)
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not read Database\n") + path);
    if (!users_row_written)
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database"));
    return readable;
}

} // namespace

QString database_in_use_text() {
    return QStringLiteral("This database is open in another Olvessa.project window");
}

void restart_engine(Store& store) {
    store.db.close_database(1);
    store.db.unload_engine();
    store.db.load_engine("sqlite.dll");
}

void open_database_file(Application& app, const QString& path) {
    Store& store = app.store();
    Workspace& ws = app.workspace();
    // The marks of the Period Report were made in the file open until now: undoing them here
    // would change another file's entries that happen to share their keys.
    if (PeriodReportWindow* report = app.period_report())
        report->end_undo();
    const auto refresh_twice = [&ws] {
        refresh_status_icons(ws);
        refresh_status_icons(ws);
    };
    if (!store.db.engine_loaded()) {
        refresh_twice();
        return;
    }
    if (is_server_location(path.toStdString())) {
        // A server keeps its own lock between machines; no file is ever made for it.
        const QString shown = QString::fromStdString(location_without_password(path.toStdString()));
        bool cancelled = false;
        const bool opened = connect_server_database(app, path, cancelled);
        if (cancelled && !app.main_window()->isVisible()) {
            app.abandon();
            return;
        }
        app.set_database_path(shown);
        if (opened) {
            show_database_records(app, shown);
            QString why;
            const WallTime today = ws.clock.wall_now();
            if (!store.lists.users.empty() &&
                !make_daily_server_backup(store.lists, shown, backups_folder(), today, &why))
                app.note_backup_failure(today, why);
        } else {
            store.lists.clear_tables();
            store.structure_changed();
            rebuild_tree(ws, -1);
            refresh_twice();
        }
        app.database_opened();
        // Remembered without any password, and only once it opened.
        if (opened)
            set_setting(app.settings_key(), QStringLiteral("Default Database"), shown.toStdString(),
                        SettingType::Text, app.prompter(), app.main_window());
        return;
    }
    if (!lock_database(app, path)) {
        app.abandon();
        return;
    }

    // A file the engine would create empty, or an empty one, is a new database.
    const QFileInfo file(path);
    if (!file.exists() || (file.isFile() && file.size() == 0)) {
        create_database(store, path.toStdString(), ws.user_name ? ws.user_name() : std::string());
        restart_engine(store);
    }

    void* handle = store.db.open_database(path.toStdString());
    app.set_database_path(path);
    bool opened = false;
    if (handle)
        opened = show_database_records(app, path);
    else
        refresh_twice();
    // Only a file whose records loaded is opened again at the next start. Written once the
    // lists and the tree hold the new file: a failure box waits at a point where the jobs may
    // run.
    app.database_opened();
    if (opened)
        set_setting(app.settings_key(), QStringLiteral("Default Database"), path.toStdString(),
                    SettingType::Text, app.prompter(), app.main_window());
}

void new_database(Application& app) {
    Workspace& ws = app.workspace();
    QString name = app.prompter().save_file_name(
        app.main_window(), QStringLiteral("Olvessa.Project New Database"), app.start_directory(),
        QStringLiteral("*.db"), QStringLiteral("Database (*.db)"));
    // The dialog lets a typed folder through that does not exist; no file can be made there.
    if (name.isEmpty() || !QFileInfo(name).absoluteDir().exists())
        return;
    if (!name.endsWith(QStringLiteral(".db"), Qt::CaseSensitive))
        name += QStringLiteral(".db");

    if (app.read_only())
        app.settle_read_only_changes(QStringLiteral("Discard Changes"));
    // What the periodic flush has not written yet, and the notes typed for the item on show,
    // belong to the old file.
    store_notes(ws, ws.state.previous_selection);
    flush_records(ws);
    if (!lock_database(app, name))
        return;
    create_database(app.store(), name.toStdString(), ws.user_name ? ws.user_name() : std::string());
    restart_engine(app.store());
    open_database_file(app, name);
}

} // namespace olv
