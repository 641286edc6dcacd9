// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The Period Report window (140): what to invoice for the item selected in the tree over a
// chosen period, printed, exported as CSV, and marked billed with an undo.
#include "reports/period_listing.h"
#include "views/workspace.h"

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class QThread;

namespace olv {

class PeriodEntriesModel;
class PeriodRowsModel;

// The choices of the period box, in its order; Custom takes the two date pickers.
enum class PeriodBoxItem {
    Today,
    ThisWeek,
    LastWeek,
    ThisMonth,
    LastMonth,
    ThisYear,
    LastYear,
    AllTime,
    Custom,
};

class PeriodReportWindow final : public QWidget {
public:
    // A non-modal window owned by `owner` for the record (the user when there is none).
    PeriodReportWindow(Workspace& ws, RecordRef scope, QWidget* owner);
    ~PeriodReportWindow() override;

    // Buttons raise control events of window 140 through this; the shell dispatches them.
    std::function<void(const Event&)> post_event;
    // The path of the open database, which an export never writes over.
    std::function<QString()> open_database;
    // The settings file that keeps the window's size and the last export folder; none: nothing
    // is kept.
    QString settings_key;

    // Computes the report again from the lists; closes the window when its item is gone. A long
    // listing is worked out off the window's thread from a copy of the lists, while the window
    // shows the figures it had greyed; a later request takes the place of one still running.
    void refresh();
    // Whether a listing is being worked out off the window's thread.
    bool computing() const { return job_ != nullptr; }
    // Waits for the listing being worked out and shows it.
    void wait_for_listing();
    // Periods holding at least this many entries are worked out off the window's thread.
    static std::size_t background_from;
    // After a tick: the running entries and the totals take the seconds counted; the report is
    // computed again only when a timer began an entry the report lacks.
    void time_recorded();

    void print_report();
    // Asks where to save the entries as CSV, suggesting "<scope>-<first day>-<last day>.csv" in
    // the folder of the last export, and says in the main window's status bar how many went.
    void export_csv();
    // The suggested file name of export_csv().
    QString export_file_name() const;
    void mark_billed();
    void undo_mark();

    const PeriodListing& listing() const { return listing_; }
    Period period() const;
    bool can_undo() const { return !marks_.empty(); }
    // The marks made so far can no longer be undone: another database is open now.
    void end_undo();
    // The record the window reports on.
    RecordKind scope_kind() const { return scope_kind_; }
    Key scope_key() const { return scope_key_; }

    QTableView* rows_list() const { return rows_; }
    QTableView* entries_list() const { return entries_; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The scope's current list index; nothing when the record is gone.
    std::optional<PeriodScope> scope() const;
    // The scope's name: the user's, client's, project's, objective's or task's.
    QString scope_name() const;
    void show_period_days();
    void show_listing();
    struct ListingJob;
    void start_listing(PeriodScope scope, const Period& period, bool unbilled_only);
    void run_worker(std::function<void()> work);
    void worker_finished(std::shared_ptr<ListingJob> job);
    void cancel_listing();
    void install_listing(PeriodListing fresh);
    // The greyed figures name entries by position: once records came or went, they are dropped.
    void drop_stale_listing();
    void set_busy(bool busy);
    void fit_columns();
    // The figures follow what changed in the lists since they were computed.
    void bring_up_to_date();
    // After billed marks changed: the rows they touched and the totals, once.
    void marks_changed(bool marked);
    bool write_marks(const std::vector<Key>& keys, bool billed);
    void redraw_main_views();

    Workspace& ws_;
    RecordKind scope_kind_ = RecordKind::User;
    Key scope_key_ = 0;
    PeriodListing listing_;
    // The keys of each Mark as Billed made in the window, the latest last.
    std::vector<std::vector<Key>> marks_;

    QLabel* heading_ = nullptr;
    QComboBox* choice_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QCheckBox* unbilled_only_ = nullptr;
    QLabel* note_ = nullptr;
    QTableView* rows_ = nullptr;
    QTableView* entries_ = nullptr;
    PeriodRowsModel* rows_model_ = nullptr;
    PeriodEntriesModel* entries_model_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* mark_ = nullptr;
    QPushButton* undo_ = nullptr;
    QLabel* busy_ = nullptr;
    std::shared_ptr<ListingJob> job_;
    QPointer<QThread> worker_;
};

// The kind and key of the record a window opened on `record` reports on (the user for none).
std::pair<RecordKind, Key> period_scope_of(const Store& store, RecordRef record);

// Qt's date format of a date mask ("%dd/%mm/%yyyy" gives "dd/MM/yyyy").
QString qt_date_format(const std::string& mask);

} // namespace olv
