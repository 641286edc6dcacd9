#pragma once
// The running program: the store, the workspace of the views, the main window, the settings,
// the periodic jobs, the start directory and the database lock. main() builds one with the
// system clock and the real message boxes; tests build their own with a manual clock and a
// scripted prompter.
#include "app/database_lock.h"
#include "app/guarded_prompter.h"
#include "app/jobs.h"
#include "app/main_window.h"
#include "store/store.h"
#include "views/workspace.h"

#include <QObject>
#include <QString>
#include <memory>

namespace olv {

class TerminationWatcher;

class Application final : public QObject {
    Q_OBJECT
public:
    Application(const Clock& clock, Prompter& prompter, QObject* parent = nullptr);
    ~Application() override;

    // Start-up up to the shown main window. False when the program ended during it (its
    // database is open in another window); finished() then tells the exit code.
    bool start();

    // Hands an event to the dispatcher; close requests go to the close handling of the window.
    void handle_event(const Event& event);
    // Closing the main window, File > Exit, a termination request or the end of the session:
    // remember the tree position, flush, close the database, end with exit code 0.
    void close_main_window();
    // Ends without touching the database (used when another window holds it).
    void abandon();
    // A termination request from the system; waits for a running handler to finish.
    void request_termination();

    bool has_finished() const { return finished_; }
    int exit_code() const { return exit_code_; }

    Store& store() { return store_; }
    Workspace& workspace() { return workspace_; }
    Jobs& jobs() { return jobs_; }
    Prompter& prompter() { return guarded_prompter_; }
    MainWindow* main_window() const { return main_window_.get(); }
    DatabaseLock& lock() { return lock_; }

    // The working directory at start-up, ending in "/".
    const QString& start_directory() const { return start_directory_; }
    // The settings file (the settings key).
    const QString& settings_key() const { return settings_key_; }
    const QString& database_path() const { return database_path_; }
    void set_database_path(const QString& path) { database_path_ = path; }
    // "default.db" in the user's data folder.
    QString default_database_path() const;
    // The database named on the command line, opened at start in place of the remembered one.
    void set_database_argument(const QString& path) { database_argument_ = path; }

signals:
    void finished(int exit_code);

private:
    bool create_default_database();
    void choose_database_argument();
    void back_up_before_first_write();
    void end(int code);
    void close_modal_windows();

    Store store_;
    Jobs jobs_;
    GuardedPrompter guarded_prompter_;
    Workspace workspace_;
    DatabaseLock lock_;
    QString start_directory_;
    QString settings_key_;
    QString database_path_;
    QString database_argument_;
    std::unique_ptr<MainWindow> main_window_;
    TerminationWatcher* termination_ = nullptr;
    bool ending_ = false;
    bool finished_ = false;
    bool termination_pending_ = false;
    int exit_code_ = 0;
};

} // namespace olv
