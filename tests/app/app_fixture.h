// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// One program run per test: a temporary working folder that is also the start directory, its
// own settings file and data folder (XDG_DATA_HOME), a manual clock and a scripted prompter (or
// the real message boxes).
#include "app/application.h"
#include "app/dispatch.h"
#include "app/main_window.h"
#include "common/clock.h"
#include "scripted_prompter.h"
#include "store/operations.h"
#include "views/ids.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>

namespace olv::testing {

// The visible top-level window carrying the id, or nullptr.
inline QWidget* top_level_window(int id) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == QString::number(id))
            return w;
    }
    return nullptr;
}

// A second connection on a database file, to read what really reached it.
struct DatabaseProbe {
    AccessLayer db;
    explicit DatabaseProbe(const QString& path) {
        db.load_engine();
        db.open_database(path.toStdString());
    }
    // Every row of a query, cells joined by "|".
    QStringList rows(const std::string& statement) {
        QStringList result;
        if (db.query_table(statement) != 0)
            return {QStringLiteral("<failed>")};
        const int count = db.row_count();
        for (int r = 1; r <= count; ++r) {
            QStringList cells;
            for (int c = 0; c < db.column_count(); ++c)
                cells << QString::fromStdString(db.cell_text(r, c));
            result << cells.join(QLatin1Char('|'));
        }
        return result;
    }
};

struct AppFixture {
    QTemporaryDir dir;
    QString previous_folder = QDir::currentPath();
    ManualClock clock;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
    QObject context; // owns the pending answers of this run
    bool unexpected_prompt = false;
    bool prompt_expected = false;

    QByteArray previous_data_home = qgetenv("XDG_DATA_HOME");

    AppFixture() {
        QDir::setCurrent(dir.path());
        qputenv("OLVESSA_SETTINGS", settings_path().toUtf8());
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toUtf8());
    }
    ~AppFixture() {
        app.reset();
        QDir::setCurrent(previous_folder);
        qunsetenv("OLVESSA_SETTINGS");
        if (previous_data_home.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", previous_data_home);
    }

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString settings_path() const { return path(QStringLiteral("settings.conf")); }
    // The program's data folder and the "default.db" it holds.
    QString data_folder() const { return path(QStringLiteral("data/Olvessa")); }
    QString backups_folder() const { return data_folder() + QStringLiteral("/backups"); }
    QString default_db() const { return data_folder() + QStringLiteral("/default.db"); }

    void write_settings(const QString& user, const QString& database) {
        QSettings settings(settings_path(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("UserName"), user);
        settings.setValue(QStringLiteral("Default Database"), database);
        settings.sync();
    }
    QString setting(const QString& name) const {
        QSettings settings(settings_path(), QSettings::IniFormat);
        return settings.value(name).toString();
    }

    // A database file with its users row, filled by `fill` through a store of its own.
    void make_database(const QString& file, const std::string& user,
                       const std::function<void(Store&)>& fill = {}) {
        Store store;
        store.db.load_engine();
        create_database(store, file.toStdString(), user);
        if (fill)
            fill(store);
        store.db.unload_engine();
    }

    // A remembered database that is already there: no first-run prompt.
    void prepare(const std::function<void(Store&)>& fill = {}) {
        QDir().mkpath(data_folder());
        make_database(default_db(), "Ada", fill);
        write_settings(QStringLiteral("Ada"), default_db());
    }

    // Answers the "Enter Username" prompt of the next start by typing into field 198 and
    // pressing a key; `seen` tells whether the prompt was there.
    void answer_prompt(const QString& typed, Qt::Key key, bool* seen = nullptr) {
        prompt_expected = true;
        QTimer::singleShot(0, &context, [typed, key, seen] {
            QWidget* box = top_level_window(id::InputBox);
            if (seen)
                *seen = box != nullptr;
            if (!box)
                return;
            auto* field = box->findChild<QLineEdit*>(QString::number(id::InputField));
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, key);
        });
    }

    bool start(Prompter* with = nullptr) {
        app = std::make_unique<Application>(clock, with ? *with : prompter);
        if (!prompt_expected) {
            // A prompt nobody expected must not hang the test: dismiss it and tell.
            QTimer::singleShot(0, &context, [this] {
                if (QWidget* box = top_level_window(id::InputBox)) {
                    unexpected_prompt = true;
                    box->close();
                }
            });
        }
        prompt_expected = false;
        return app->start();
    }

    Workspace& ws() { return app->workspace(); }
    MainWindow& window() { return *app->main_window(); }
    QTreeWidget& tree() { return *app->main_window()->tree(); }
    QStringList messages() const { return prompter.texts(); }
};

// A client with one project, objective and task: keys 100, 200, 300, 400.
inline void one_of_each(Store& store) {
    const DateValue day = make_date(2026, 12, 1, 0, 0, 0);
    const DateValue end = make_date(2027, 6, 30, 0, 0, 0);
    store.db.execute(insert_client_sql(100, "Acme", 50));
    store.db.execute(insert_project_sql(200, "Website", 100, day, end, 60));
    store.db.execute(insert_objective_sql(300, "Launch", 200, day, end));
    store.db.execute(insert_task_sql(400, false, "Design", 300, day, end, false));
}

} // namespace olv::testing
