// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The running program: the store, the workspace of the views, the main window, the settings,
// the periodic jobs, the start directory and the database lock. main() builds one with the
// system clock and the real message boxes; tests build their own with a manual clock and a
// scripted prompter.
#include "app/database_lock.h"
#include "app/dispatch.h"
#include "app/guarded_prompter.h"
#include "app/jobs.h"
#include "app/main_window.h"
#include "app/period_report_window.h"
#include "app/preferences_window.h"
#include "store/store.h"
#include "views/workspace.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

namespace olv {

class AwayWatch;
class RunningDisplay;
class TerminationWatcher;

class Application final : public QObject {
    Q_OBJECT
public:
    Application(const Clock& clock, Prompter& prompter, QObject* parent = nullptr);
    ~Application() override;

    // Start-up up to the shown main window. False when the program ended during it (the
    // database engine could not be loaded, its database is open in another window, or the
    // system asked it to stop during the first-run prompt); finished() then tells the exit code.
    bool start();

    // Hands an event to the dispatcher; close requests go to the close handling of the window.
    void handle_event(const Event& event);
    // Closing the main window, File > Exit, a termination request or the end of the session:
    // remember the tree position, flush, close the database, end with exit code 0.
    void close_main_window();
    // Ends without touching the database (used when another window holds it).
    void abandon();
    // A termination request from the system (a signal, the end of the session). The program
    // ends soon, with exit code 0 and one last flush holding every second counted until now,
    // whatever window is open: open modal windows are answered with Cancel or No, no new one
    // opens, and the close sequence runs as soon as the handler that opened them has returned.
    // Failures of that flush go to standard error.
    void request_termination();
    // True once a termination request arrived or the program is ending: no modal window opens.
    bool closing() const { return termination_requested_ || ending_; }

    bool has_finished() const { return finished_; }
    int exit_code() const { return exit_code_; }

    Store& store() { return store_; }
    Workspace& workspace() { return workspace_; }
    Jobs& jobs() { return jobs_; }
    Prompter& prompter() { return guarded_prompter_; }
    MainWindow* main_window() const { return main_window_.get(); }
    DatabaseLock& lock() { return lock_; }
    // The open Period Report window, or nullptr.
    PeriodReportWindow* period_report() const { return period_report_; }
    void set_period_report(PeriodReportWindow* window) { period_report_ = window; }

    // The working directory at start-up, ending in "/".
    const QString& start_directory() const { return start_directory_; }
    // The settings file (the settings key).
    const QString& settings_key() const { return settings_key_; }
    const QString& database_path() const { return database_path_; }
    // Also names the database in the window's title.
    void set_database_path(const QString& path);
    // "default.db" in the user's data folder.
    QString default_database_path() const;
    // The program that shows the user guide's PDF file: "xdg-open".
    const QString& guide_launcher() const { return guide_launcher_; }
    void set_guide_launcher(const QString& program) { guide_launcher_ = program; }
    // True while the open database cannot be written (the store says so when it opens): the
    // title ends with "(read-only)" and the changes stay in the lists.
    bool read_only() const { return read_only_; }
    // Takes the state of the database just opened: read-only or not, and the title saying so.
    void database_opened();
    // Changes a read-only database cannot hold: a box offers Save As to a file of the user's, or
    // to go on without them (the button says so). Returns once they are saved or discarded.
    void settle_read_only_changes(const QString& discard_button);
    // A daily backup that failed: one note in the status bar and the log, once a day.
    void note_backup_failure(const WallTime& today, const QString& why);
    // The database named on the command line, opened at start in place of the remembered one.
    void set_database_argument(const QString& path) { database_argument_ = path; }

    // Idle time and sleep; the tray icon and the running tasks in the status bar.
    AwayWatch& away() { return *away_; }
    RunningDisplay* running_display() const { return running_display_; }
    // The tray and idle settings ("KeepInTray", "IdleMinutes" in the settings file).
    ShellPreferences shell_preferences() const;
    void apply_shell_preferences(const ShellPreferences& shell);
    // Brings the main window back from the tray or from under other windows.
    void show_main_window();

signals:
    void finished(int exit_code);

private:
    bool load_database_engine();
    bool create_default_database();
    void close_and_end(FlushFailures failures);
    void choose_database_argument();
    void back_up_before_first_write();
    void say_read_only_once();
    // Another machine took the server database while its connection was lost: read-only from
    // now on, and Save As to a file offered for the changes held.
    void database_taken_elsewhere(const QString& reason);
    void end(int code);
    void close_modal_windows();
    // At rest while no clock is on show (the window minimised) and no task is timed.
    void update_rest();
    void read_shell_settings();
    void attach_running_display();

    Store store_;
    Jobs jobs_;
    bool termination_requested_ = false;
    GuardedPrompter guarded_prompter_;
    Workspace workspace_;
    DatabaseLock lock_;
    QString start_directory_;
    QString settings_key_;
    QString database_path_;
    QString database_argument_;
    QString guide_launcher_ = QStringLiteral("xdg-open");
    std::unique_ptr<MainWindow> main_window_;
    QPointer<PeriodReportWindow> period_report_;
    TerminationWatcher* termination_ = nullptr;
    AwayWatch* away_ = nullptr;
    RunningDisplay* running_display_ = nullptr;
    bool keep_in_tray_ = false;
    bool ending_ = false;
    bool read_only_ = false;
    bool read_only_told_ = false;
    bool finished_ = false;
    bool termination_pending_ = false;
    int exit_code_ = 0;
};

} // namespace olv
