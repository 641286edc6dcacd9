#include "app/file_commands.h"

#include "app/application.h"
#include "app/database_files.h"
#include "app/dispatch.h"
#include "app/settings_store.h"
#include "store/operations.h"
#include "views/details.h"
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

bool has_unsaved_records(const Store& store) {
    const RecordLists& l = store.lists;
    const auto modified = [](const auto& list) {
        return std::any_of(list.begin(), list.end(), [](const auto& r) { return r.modified; });
    };
    return modified(l.users) || modified(l.clients) || modified(l.projects) ||
           modified(l.objectives) || modified(l.tasks) || modified(l.entries);
}

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
    const QString old_path = app.database_path();
    RecordLists& lists = app.store().lists;
    remember_running_tasks(app.workspace());
    const std::vector<std::int32_t> running = std::move(lists.restart);
    lists.restart.clear();
    open_database_file(app, path);
    // Damage deep inside the file shows only once its records are read: that file has been
    // named in a message and closed untouched; the program goes back to the one it came from,
    // with its clocks running again.
    if (!app.store().db.has_current_database() && app.store().db.engine_loaded() &&
        lock_target(app, old_path)) {
        lists.restart = running;
        open_database_file(app, old_path);
    }
}

void save_database_as(Application& app) {
    const QString title = QStringLiteral("Olvessa.Project Save Database As");
    QString name = app.prompter().save_file_name(
        app.main_window(), title, folder_of(app.database_path()), QStringLiteral("*.db"), kFilter);
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
    if (app.read_only()) {
        save_read_only_as(app, path, old_path);
        return;
    }
    save_sequence(app);
    if (has_unsaved_records(store))
        return;
    if (!store.db.has_current_database()) {
        // The open file could not be read: there is nothing to copy.
        say_unreadable(app, old_path);
        return;
    }
    if (!lock_target(app, path))
        return;
    const bool replacing = QFileInfo::exists(path);
    if (!AccessLayer::succeeded(store.db.copy_current_database(path.toStdString()))) {
        if (!replacing)
            QFile::remove(path);
        app.lock().take(old_path);
        app.prompter().message(app.main_window(), kError,
                               QStringLiteral("Could not write to Database\n") + path);
        return;
    }
    // The copy holds the same records under the same keys: the running clocks go on there.
    remember_running_tasks(app.workspace());
    open_database_file(app, path);
}

} // namespace olv
