#pragma once
// The Period Report window (140): what to invoice for the item selected in the tree over a
// chosen period, printed, exported as CSV, and marked billed with an undo.
#include "reports/period.h"
#include "views/workspace.h"

#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace olv {

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

    // Buttons raise control events of window 140 through this; the shell dispatches them.
    std::function<void(const Event&)> post_event;
    // The path of the open database, which an export never writes over.
    std::function<QString()> open_database;
    // The settings file that keeps the window's size and the last export folder; none: nothing
    // is kept.
    QString settings_key;

    // Fills the rows and the entries again from the lists; closes the window when its item is
    // gone.
    void refresh();
    // After a tick: refreshes when a timer counts into the period and scope of the window.
    void time_recorded();

    void print_report();
    // Asks where to save the entries as CSV, suggesting "<scope>-<first day>-<last day>.csv" in
    // the folder of the last export, and says in the main window's status bar how many went.
    void export_csv();
    // The suggested file name of export_csv().
    QString export_file_name() const;
    void mark_billed();
    void undo_mark();

    const PeriodReport& report() const { return report_; }
    Period period() const;
    bool can_undo() const { return !last_marked_.empty(); }

    QTreeWidget* rows_list() const { return rows_; }
    QTreeWidget* entries_list() const { return entries_; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The scope's current list index; nothing when the record is gone.
    std::optional<PeriodScope> scope() const;
    // The scope's name: the user's, client's, project's, objective's or task's.
    QString scope_name() const;
    void show_period_days();
    void fill_rows();
    void fill_entries();
    void redraw_main_views();

    Workspace& ws_;
    RecordKind scope_kind_;
    Key scope_key_ = 0;
    PeriodReport report_;
    std::vector<Key> last_marked_;

    QLabel* heading_ = nullptr;
    QComboBox* choice_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QCheckBox* unbilled_only_ = nullptr;
    QTreeWidget* rows_ = nullptr;
    QTreeWidget* entries_ = nullptr;
    QPushButton* mark_ = nullptr;
    QPushButton* undo_ = nullptr;
};

// Qt's date format of a date mask ("%dd/%mm/%yyyy" gives "dd/MM/yyyy").
QString qt_date_format(const std::string& mask);

} // namespace olv
