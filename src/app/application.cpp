// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/application.h"

#include "app/away_watch.h"
#include "app/daily_backup.h"
#include "app/data_folder.h"
#include "app/database_files.h"
#include "app/dispatch.h"
#include "app/file_commands.h"
#include "app/input_box.h"
#include "app/period_report_window.h"
#include "app/running_display.h"
#include "app/server_database.h"
#include "app/settings_store.h"
#include "app/termination.h"
#include "app/window_memory.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/list_editing.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>

namespace olv {

Application::Application(const Clock& clock, Prompter& prompter, QObject* parent)
    : QObject(parent), jobs_(clock), guarded_prompter_(prompter, jobs_, termination_requested_),
      workspace_(store_, clock, guarded_prompter_) {
    workspace_.post_event = [this](const Event& event) { handle_event(event); };
    workspace_.user_name = [this] {
        return get_setting(settings_key_, QStringLiteral("UserName"));
    };
    workspace_.set_user_name = [this](const std::string& name) {
        set_setting(settings_key_, QStringLiteral("UserName"), name, SettingType::Text,
                    guarded_prompter_);
    };
    workspace_.database_taken = [this](const QString& reason) { database_taken_elsewhere(reason); };
    away_ = new AwayWatch(workspace_, jobs_, this);
    away_->closing = [this] { return closing(); };
    away_->write_now = [this] { flush_records(workspace_); };
    jobs_.on_idle = [this] {
        if (termination_pending_ && !ending_ && !jobs_.in_handler()) {
            termination_pending_ = false;
            close_and_end(FlushFailures::ToStandardError);
        }
        if (ending_)
            return;
        away_->timers_may_have_changed();
        if (running_display_)
            running_display_->refresh();
        update_rest();
    };
    jobs_.flush_pending = [this] { return flush_pending(store_); };
    jobs_.ms_to_day_change = [this] { return olv::ms_to_day_change(workspace_); };
}

void Application::update_rest() {
    // Minimised, or kept in the tray with the window hidden.
    jobs_.set_resting(!ending_ && main_window_ &&
                      (main_window_->isMinimized() || !main_window_->isVisible()) &&
                      !any_timer_running(workspace_));
}

Application::~Application() {
    jobs_.stop();
    jobs_.on_idle = nullptr;
    delete running_display_;
    running_display_ = nullptr;
    delete away_;
    away_ = nullptr;
    delete termination_;
    // The windows go before the store and the workspace they show.
    main_window_.reset();
    workspace_.main_window = nullptr;
    workspace_.tree = nullptr;
    workspace_.list = nullptr;
    workspace_.notes = nullptr;
    workspace_.status_bar = nullptr;
}

void Application::set_database_path(const QString& path) {
    database_path_ = path;
    if (main_window_)
        main_window_->setWindowTitle(database_window_title(path));
}

QString Application::default_database_path() const {
    return data_folder() + QStringLiteral("/default.db");
}

bool Application::create_default_database() {
    const QString path = default_database_path();
    if (lock_.take(path) == DatabaseLock::Outcome::HeldElsewhere) {
        guarded_prompter_.message(nullptr, QStringLiteral("Error"), database_in_use_text());
        abandon();
        return false;
    }
    ensure_folder(data_folder());
    create_database(store_, path.toStdString(), workspace_.user_name());
    restart_engine(store_);
    return true;
}

bool Application::load_database_engine() {
    if (store_.db.load_engine("sqlite"))
        return true;
    // Nothing could be read or saved: say so before anything is created, and end.
    QString text = QStringLiteral("Could not load the database engine\n") +
                   QString::fromStdString(AccessLayer::engine_file("sqlite"));
    QString reason = QString::fromStdString(store_.db.last_error());
    reason.remove(QRegularExpression(QStringLiteral("^DBLayer: ")));
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    guarded_prompter_.message(nullptr, QStringLiteral("Error"), text);
    end(1);
    return false;
}

bool Application::start() {
    Jobs::Busy busy(jobs_);
    // A request that arrives during start-up is answered once it is over, or at once when a
    // window waits.
    termination_ = new TerminationWatcher(this);
    connect(termination_, &TerminationWatcher::termination_requested, this,
            [this] { request_termination(); });
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { request_termination(); });
    }
    if (!load_database_engine())
        return false;

    start_directory_ = QDir::currentPath();
    if (!start_directory_.endsWith(QLatin1Char('/')))
        start_directory_ += QLatin1Char('/');
    settings_key_ = settings_file();

    // First run: the user's name, then a new database in the start directory.
    if (!settings_key_exists(settings_key_)) {
        const QString name = input_box(QStringLiteral("Enter Username"), QString());
        // Asked to stop while the prompt waited: nothing is made, so the next start asks again.
        if (termination_requested_) {
            end(0);
            return false;
        }
        create_settings_key(settings_key_);
        set_setting(settings_key_, QStringLiteral("UserName"), name.toStdString(),
                    SettingType::Text, guarded_prompter_);
        set_setting(settings_key_, QStringLiteral("Default Database"),
                    default_database_path().toStdString(), SettingType::Text, guarded_prompter_);
        if (!create_default_database())
            return false;
    }

    database_path_ =
        QString::fromStdString(get_setting(settings_key_, QStringLiteral("Default Database")));
    choose_database_argument();

    // The remembered file is gone (or none is remembered): a new "default.db" takes its place.
    // A server is asked when the window opens it.
    if (QFile probe(database_path_);
        !is_server_location(database_path_.toStdString()) &&
        (database_path_.isEmpty() || !probe.open(QIODevice::ReadOnly))) {
        database_path_ = default_database_path();
        set_setting(settings_key_, QStringLiteral("Default Database"), database_path_.toStdString(),
                    SettingType::Text, guarded_prompter_);
        if (!create_default_database())
            return false;
    }

    main_window_ = build_main_window(workspace_);
    restore_main_window(settings_key_, *main_window_);
    main_window_->on_command = [this](const Event& event) { handle_event(event); };
    main_window_->on_view_event = [this](const Event& event) {
        // Selection changes made by the program itself (tree rebuilds, the right-click
        // selection of the tree sequence) are not user events.
        if (!jobs_.in_handler())
            handle_event(event);
    };
    main_window_->on_close = [this] {
        // Kept in the tray: the window only hides, the timers go on.
        if (keep_in_tray_ && running_display_ && running_display_->tray_exists() && !closing()) {
            main_window_->hide();
            return false;
        }
        close_main_window();
        return true;
    };
    main_window_->on_window_state = [this] {
        update_rest();
        // Back from the task bar: the clock shows the time at once, not at the next second.
        if (!main_window_->isMinimized())
            show_status_clock(workspace_);
    };
    read_shell_settings();
    attach_running_display();

    // Entries changed by hand show at once in an open Period Report.
    workspace_.entries_changed = [this] {
        if (period_report_)
            period_report_->refresh();
    };

    jobs_.start(
        [this] {
            // Seconds the process stood stopped are not worked: they are left out like a sleep.
            if (away_->tick_is_stopped_time())
                return;
            timer_tick(workspace_, jobs_.tick_seconds_behind());
            if (period_report_)
                period_report_->time_recorded();
            away_->after_tick();
        },
        [this] {
            if (read_only_)
                say_read_only_once();
            else
                flush_records(workspace_);
        },
        [this] { refresh_status_icons(workspace_); });

    back_up_before_first_write();
    open_database_file(*this, database_path_);
    if (finished_)
        return false;

    restore_expanded_items(settings_key_, workspace_, database_path_);
    install_list_editing(workspace_);

    main_window_->hide();
    main_window_->showNormal();
    return true;
}

void Application::read_shell_settings() {
    keep_in_tray_ = get_setting(settings_key_, QStringLiteral("KeepInTray")) == "1";
    const QString minutes =
        QString::fromStdString(get_setting(settings_key_, QStringLiteral("IdleMinutes")));
    bool ok = false;
    const int value = minutes.toInt(&ok);
    away_->set_idle_minutes(ok && value >= 0 ? value : AwayWatch::kDefaultIdleMinutes);
}

ShellPreferences Application::shell_preferences() const {
    ShellPreferences shell;
    shell.keep_in_tray = keep_in_tray_;
    shell.idle_minutes = away_->idle_minutes();
    shell.idle_available = away_->idle_available();
    shell.idle_note = away_->idle_note();
    return shell;
}

void Application::apply_shell_preferences(const ShellPreferences& shell) {
    keep_in_tray_ = shell.keep_in_tray;
    set_setting(settings_key_, QStringLiteral("KeepInTray"), shell.keep_in_tray ? "1" : "0",
                SettingType::Number, guarded_prompter_, main_window_.get());
    if (shell.idle_available) {
        away_->set_idle_minutes(shell.idle_minutes);
        set_setting(settings_key_, QStringLiteral("IdleMinutes"),
                    std::to_string(away_->idle_minutes()), SettingType::Number, guarded_prompter_,
                    main_window_.get());
    }
}

void Application::attach_running_display() {
    running_display_ = new RunningDisplay(workspace_, this);
    running_display_->toggle_task = [this](Key key) {
        if (ending_)
            return;
        Jobs::Busy busy(jobs_);
        for (const TaskRecord& task : store_.lists.tasks)
            if (task.key == key) {
                toggle_timer(workspace_, task.tree_pos);
                break;
            }
    };
    running_display_->stop_all = [this] {
        handle_event(control_event(id::ButtonStopTimers, id::MainWindow));
    };
    running_display_->show_window = [this] { show_main_window(); };
    running_display_->exit_program = [this] {
        handle_event(menu_event(id::FileExit, id::MainWindow));
    };
    running_display_->attach(main_window_.get());
}

void Application::show_main_window() {
    if (!main_window_ || ending_)
        return;
    if (main_window_->isMinimized() || !main_window_->isVisible())
        main_window_->showNormal();
    main_window_->raise();
    main_window_->activateWindow();
}

void Application::choose_database_argument() {
    if (database_argument_.isEmpty())
        return;
    if (is_server_location(database_argument_.toStdString())) {
        database_path_ = database_argument_;
        return;
    }
    const QString path = QFileInfo(database_argument_).absoluteFilePath();
    if (database_readable(path)) {
        database_path_ = path;
        return;
    }
    // The remembered database opens instead; the file named stays untouched.
    guarded_prompter_.message(nullptr, QStringLiteral("Error"),
                              QStringLiteral("Could not read Database\n") + path);
}

void Application::back_up_before_first_write() {
    // Only the window that holds the database copies it; another one is about to end.
    if (is_server_location(database_path_.toStdString()))
        return; // backed up once the server database is open and locked
    if (!store_.db.engine_loaded() ||
        lock_.take(database_path_) == DatabaseLock::Outcome::HeldElsewhere)
        return;
    const QString folder = backups_folder();
    remove_backup_leftovers(database_path_, folder);
    const WallTime today = workspace_.clock.wall_now();
    QString why;
    if (!make_daily_backup(store_.db, database_path_, folder, today, &why))
        note_backup_failure(today, why);
}

void Application::note_backup_failure(const WallTime& today, const QString& why) {
    // Said once a day for each database: a folder that stays unwritable is no news at every
    // start.
    const QString noted = QStringLiteral("%1-%2-%3 %4")
                              .arg(today.year, 4, 10, QLatin1Char('0'))
                              .arg(today.month, 2, 10, QLatin1Char('0'))
                              .arg(today.day, 2, 10, QLatin1Char('0'))
                              .arg(database_path_hash(database_path_));
    const QString key = QStringLiteral("Backup Failure Noted");
    if (QString::fromStdString(get_setting(settings_key_, key)) == noted)
        return;
    set_setting(settings_key_, key, noted.toStdString(), SettingType::Text, guarded_prompter_);
    std::fprintf(stderr, "olvessa: no backup of %s today: %s\n", qPrintable(database_path_),
                 qPrintable(why));
    if (main_window_)
        main_window_->show_note(QStringLiteral("No backup of %1 today: %2")
                                    .arg(QFileInfo(database_path_).fileName(), why));
}

void Application::handle_event(const Event& event) {
    if (ending_)
        return;
    if (event.type != EventType::Close) {
        dispatch_event(*this, event);
        say_read_only_once();
        return;
    }
    Jobs::Busy busy(jobs_);
    switch (event.window) {
    case id::MainWindow:
        close_main_window();
        break;
    case id::ClientDialog:
    case id::ProjectDialog:
    case id::ObjectiveDialog:
    case id::TaskDialog:
    case id::PreferencesWindow:
        close_window(workspace_, event.window);
        break;
    default: // the About window closes only through its OK button
        break;
    }
}

void Application::close_main_window() {
    close_and_end(FlushFailures::Shown);
}

void Application::close_and_end(FlushFailures failures) {
    if (ending_)
        return;
    Jobs::Busy busy(jobs_);
    // Every whole second that passed counts, also when the timer has not fired yet.
    jobs_.catch_up_ticks();
    // Asked to end: a server that does not answer must not hold the program beyond its two
    // seconds, so the last flush waits a moment only and does not connect again.
    if (failures == FlushFailures::ToStandardError)
        store_.db.set_server_patience(1200, false);
    if (main_window_)
        keep_main_window(settings_key_, *main_window_, workspace_, database_path_);
    if (period_report_)
        keep_period_report_size(settings_key_, period_report_->size());
    if (read_only_ && failures == FlushFailures::Shown)
        settle_read_only_changes(QStringLiteral("Exit and Discard Changes"));
    save_sequence(*this, failures);
    store_.db.close_current_database();
    end(0);
}

void Application::database_opened() {
    read_only_ = store_.db.has_current_database() && store_.db.current_read_only();
    read_only_told_ = false;
    if (main_window_)
        main_window_->setWindowTitle(database_window_title(database_path_) +
                                     (read_only_ ? QStringLiteral(" (read-only)") : QString()));
}

void Application::say_read_only_once() {
    if (!read_only_ || read_only_told_ || ending_ || !has_unsaved_records(store_))
        return;
    read_only_told_ = true;
    guarded_prompter_.message(
        main_window_.get(), QStringLiteral("Read-only Database"),
        QStringLiteral("%1 is read-only: changes cannot be written to it.\nThey are kept until "
                       "you exit. To keep them, use File > Save As to save them in another file.")
            .arg(QDir::toNativeSeparators(database_path_)));
}

void Application::database_taken_elsewhere(const QString& reason) {
    if (read_only_ || ending_)
        return;
    store_.db.set_read_only();
    database_opened();
    // The box below says it all: the one of the first edit is not shown after it.
    read_only_told_ = true;
    const int choice = guarded_prompter_.choose(
        main_window_.get(), QStringLiteral("Could not write to Database"),
        QStringLiteral("Could not write to Database\n%1\nNothing was written. Your changes are "
                       "kept: save them as a database file of your own.")
            .arg(reason),
        {QStringLiteral("Save As…"), QStringLiteral("Not Now")}, 0, 1);
    if (choice == 0)
        save_database_as(*this);
}

void Application::settle_read_only_changes(const QString& discard_button) {
    store_notes(workspace_, workspace_.state.previous_selection);
    // This box says it all: the one of the first edit is not shown on top of it.
    read_only_told_ = true;
    while (read_only_ && !ending_ && has_unsaved_records(store_)) {
        const int choice = guarded_prompter_.choose(
            main_window_.get(), QStringLiteral("Read-only Database"),
            QStringLiteral("%1 is read-only: your changes have not been written to it.\nSave them "
                           "as another database file, or discard them.")
                .arg(QDir::toNativeSeparators(database_path_)),
            {QStringLiteral("Save As…"), discard_button}, 0, 0);
        if (choice == 0) {
            save_database_as(*this);
            continue;
        }
        break;
    }
    if (!read_only_)
        return;
    // Discarded: the lists keep what is shown, but nothing counts as waiting to be written.
    const auto discard = [](auto& list) {
        for (auto& record : list)
            record.modified = false;
    };
    RecordLists& lists = store_.lists;
    discard(lists.users);
    discard(lists.clients);
    discard(lists.projects);
    discard(lists.objectives);
    discard(lists.tasks);
    discard(lists.entries);
}

void Application::abandon() {
    if (ending_)
        return;
    end(0);
}

void Application::end(int code) {
    ending_ = true;
    termination_pending_ = false;
    jobs_.stop();
    lock_.release();
    if (main_window_)
        main_window_->hide();
    finished_ = true;
    exit_code_ = code;
    emit finished(code);
}

void Application::request_termination() {
    if (ending_)
        return;
    termination_requested_ = true;
    if (!jobs_.in_handler()) {
        close_and_end(FlushFailures::ToStandardError);
        return;
    }
    // A handler or a job waits for a modal window: close it (its Cancel or No), and the close
    // sequence runs as soon as it has returned.
    termination_pending_ = true;
    close_modal_windows();
}

void Application::close_modal_windows() {
    if (!termination_pending_ || ending_)
        return;
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    // Boxes opened inside boxes close together, innermost first.
    for (int i = 0; i < 8; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    // Until the handler has returned, check again: it may be between two windows.
    QTimer::singleShot(50, this, [this] { close_modal_windows(); });
}

} // namespace olv
