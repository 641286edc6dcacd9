#include "app/period_report_window.h"

#include "app/window_memory.h"
#include "common/user_file.h"
#include "print/page.h"
#include "print/period_page.h"
#include "reports/csv_export.h"
#include "reports/format.h"
#include "store/billed_marks.h"
#include "views/date_field_width.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/ids.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace olv {

namespace {

const QString kTitle = QStringLiteral("Period Report");

void set_id(QObject* object, int id) {
    object->setObjectName(QString::number(id));
    object->setProperty("olv_id", id);
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString money(const Store& store, std::int64_t cents) {
    return text(format_cents(store.currency, cents));
}

QDate qdate_of(DateValue d) {
    return QDate(date_year(d), date_month(d), date_day(d));
}

DateValue date_of(const QDate& d) {
    return make_date(d.year(), d.month(), d.day(), 0, 0, 0);
}

QTreeWidget* make_list(QWidget* parent, int id, const QStringList& heads) {
    auto* list = new QTreeWidget(parent);
    set_id(list, id);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHeaderLabels(heads);
    list->header()->setStretchLastSection(false);
    return list;
}

QStringList total_cells(const Store& store, const QString& label, const PeriodTotals& t) {
    return {label,
            text(format_duration(t.seconds)),
            text(format_duration(t.billed_seconds)),
            money(store, t.earned_cents),
            money(store, t.billed_cents),
            money(store, t.unbilled_cents())};
}

// "Mark 14 entries (12:30:00, £500.00) as billed?"
QString mark_question(const Store& store, const UnbilledEntries& unbilled) {
    const std::int64_t n = unbilled.totals.entries;
    QString question = QStringLiteral("Mark %1 %2 (%3, %4) as billed?")
                           .arg(n)
                           .arg(n == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
                           .arg(text(csv_time(unbilled.totals.seconds)))
                           .arg(money(store, unbilled.totals.earned_cents));
    if (unbilled.running_left == 1)
        question += QStringLiteral("\n\nThe entry being timed stays unbilled.");
    else if (unbilled.running_left > 1)
        question += QStringLiteral("\n\nThe %1 entries being timed stay unbilled.")
                        .arg(unbilled.running_left);
    return question;
}

} // namespace

QString qt_date_format(const std::string& mask) {
    QString format = text(mask);
    // Longest tokens first; the tokens are matched without regard to case, as in the masks.
    const std::pair<const char*, const char*> tokens[] = {
        {"%yyyy", "yyyy"}, {"%yy", "yy"}, {"%mm", "MM"}, {"%dd", "dd"},
        {"%hh", "HH"},     {"%ii", "mm"}, {"%ss", "ss"}};
    for (const auto& [token, qt] : tokens)
        format.replace(QString::fromLatin1(token), QString::fromLatin1(qt), Qt::CaseInsensitive);
    return format;
}

PeriodReportWindow::PeriodReportWindow(Workspace& ws, RecordRef scope, QWidget* owner)
    : QWidget(owner, Qt::Window), ws_(ws), scope_kind_(scope ? scope.kind : RecordKind::User) {
    set_id(this, id::PeriodReportWindow);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    const RecordLists& lists = ws.store.lists;
    switch (scope_kind_) {
    case RecordKind::Client:
        scope_key_ = lists.clients[scope.index].key;
        break;
    case RecordKind::Project:
        scope_key_ = lists.projects[scope.index].key;
        break;
    case RecordKind::Objective:
        scope_key_ = lists.objectives[scope.index].key;
        break;
    case RecordKind::Task:
        scope_key_ = lists.tasks[scope.index].key;
        break;
    case RecordKind::User:
    case RecordKind::None:
        scope_kind_ = RecordKind::User;
        break;
    }

    heading_ = new QLabel(this);
    heading_->setTextFormat(Qt::PlainText);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);

    choice_ = new QComboBox(this);
    set_id(choice_, id::PeriodChoiceBox);
    choice_->addItems({"Today", "This week", "Last week", "This month", "Last month", "This year",
                       "Last year", "All time", "Custom"});
    const QString format = qt_date_format(ws.store.date_mask);
    from_ = new QDateEdit(this);
    to_ = new QDateEdit(this);
    set_id(from_, id::PeriodFrom);
    set_id(to_, id::PeriodTo);
    for (QDateEdit* picker : {from_, to_}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(format);
        // Date values are 32-bit seconds from 1970.
        picker->setDateRange(QDate(1970, 1, 1), QDate(2038, 1, 18));
        fit_date_field(*picker);
    }
    unbilled_only_ = new QCheckBox(QStringLiteral("Unbilled only"), this);
    set_id(unbilled_only_, id::PeriodUnbilledOnly);

    rows_ = make_list(this, id::PeriodRows, {});
    entries_ = make_list(
        this, id::PeriodEntries,
        {"Date", "Client", "Project", "Objective", "Task", "Time", "Billed", "Rate", "Amount"});

    const auto button = [this](int id, const QString& label) {
        auto* b = new QPushButton(label, this);
        set_id(b, id);
        connect(b, &QPushButton::clicked, this, [this, id] {
            if (post_event)
                post_event(control_event(id, id::PeriodReportWindow, EventKind::LeftClick));
        });
        return b;
    };
    QPushButton* print = button(id::PeriodPrint, QStringLiteral("Print"));
    QPushButton* csv = button(id::PeriodExportCsv, QStringLiteral("Export CSV…"));
    mark_ = button(id::PeriodMarkBilled, QStringLiteral("Mark as Billed"));
    undo_ = button(id::PeriodUndoMark, QStringLiteral("Undo Mark as Billed"));
    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    set_id(close_button, id::PeriodClose);
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    auto* period_line = new QHBoxLayout;
    period_line->addWidget(new QLabel(QStringLiteral("Period:"), this));
    period_line->addWidget(choice_);
    period_line->addWidget(from_);
    period_line->addWidget(new QLabel(QStringLiteral("to"), this));
    period_line->addWidget(to_);
    period_line->addSpacing(12);
    period_line->addWidget(unbilled_only_);
    period_line->addStretch(1);

    auto* lists_split = new QSplitter(Qt::Vertical, this);
    lists_split->addWidget(rows_);
    lists_split->addWidget(entries_);
    lists_split->setChildrenCollapsible(false);
    lists_split->setStretchFactor(1, 1);
    lists_split->setSizes({150, 330});
    int column = 0;
    for (const int width : {80, 120, 110, 100, 110, 70, 50, 75, 85})
        entries_->setColumnWidth(column++, width);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(csv);
    buttons->addStretch(1);
    buttons->addWidget(mark_);
    buttons->addWidget(undo_);
    buttons->addSpacing(12);
    buttons->addWidget(close_button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(period_line);
    layout->addWidget(lists_split, 1);
    layout->addLayout(buttons);
    resize(860, 560);

    choice_->setCurrentIndex(static_cast<int>(PeriodBoxItem::ThisMonth));
    show_period_days();
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] {
        show_period_days();
        refresh();
    });
    connect(from_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        // The last day never comes before the first.
        if (to_->date() < d)
            to_->setDate(d);
        refresh();
    });
    connect(to_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (from_->date() > d)
            from_->setDate(d);
        refresh();
    });
    connect(unbilled_only_, &QCheckBox::toggled, this, [this] { refresh(); });
    refresh();
}

std::optional<PeriodScope> PeriodReportWindow::scope() const {
    const RecordLists& lists = ws_.store.lists;
    const auto find = [this](const auto& list) -> std::optional<PeriodScope> {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].key == scope_key_)
                return PeriodScope{scope_kind_, i};
        return std::nullopt;
    };
    switch (scope_kind_) {
    case RecordKind::Client:
        return find(lists.clients);
    case RecordKind::Project:
        return find(lists.projects);
    case RecordKind::Objective:
        return find(lists.objectives);
    case RecordKind::Task:
        return find(lists.tasks);
    case RecordKind::User:
    case RecordKind::None:
        break;
    }
    return PeriodScope{RecordKind::User, 0};
}

Period PeriodReportWindow::period() const {
    const auto item = static_cast<PeriodBoxItem>(choice_->currentIndex());
    if (item == PeriodBoxItem::Custom)
        return days_between(date_of(from_->date()), date_of(to_->date()));
    return period_for(static_cast<PeriodChoice>(item), current_date(ws_.clock));
}

void PeriodReportWindow::show_period_days() {
    const bool custom =
        static_cast<PeriodBoxItem>(choice_->currentIndex()) == PeriodBoxItem::Custom;
    from_->setEnabled(custom);
    to_->setEnabled(custom);
    if (custom)
        return;
    const Period p = period();
    const QSignalBlocker block_from(from_);
    const QSignalBlocker block_to(to_);
    if (p.all_time) {
        from_->setDate(from_->minimumDate());
        to_->setDate(qdate_of(current_date(ws_.clock)));
    } else {
        from_->setDate(qdate_of(day_start(p.first_day)));
        to_->setDate(qdate_of(day_start(p.last_day)));
    }
}

void PeriodReportWindow::refresh() {
    const std::optional<PeriodScope> s = scope();
    if (!s || (s->kind == RecordKind::User && ws_.store.lists.users.empty())) {
        // The item was deleted: nothing of it is left to report.
        report_ = {};
        close();
        return;
    }
    report_ = period_report(ws_.store, *s, period(), unbilled_only_->isChecked());
    heading_->setText(text(report_.heading));
    setWindowTitle(kTitle + QStringLiteral(" - ") + text(report_.heading));
    fill_rows();
    fill_entries();
    mark_->setEnabled(!unbilled_entries(report_.entries).keys.empty());
    undo_->setEnabled(can_undo());
}

void PeriodReportWindow::fill_rows() {
    const Store& store = ws_.store;
    rows_->clear();
    rows_->setHeaderLabels({text(report_.first_column), "Total Time", "Time Billed", "Total Earned",
                            "Total Billed", "Unbilled"});
    QList<QTreeWidgetItem*> items;
    for (const PeriodRow& row : report_.rows)
        items.append(new QTreeWidgetItem(total_cells(store, text(row.label), row.totals)));
    auto* total = new QTreeWidgetItem(total_cells(store, QStringLiteral("Total"), report_.totals));
    QFont bold = total->font(0);
    bold.setBold(true);
    for (int c = 0; c < total->columnCount(); ++c)
        total->setFont(c, bold);
    items.append(total);
    rows_->addTopLevelItems(items);
    rows_->setColumnWidth(0, 220);
    for (int c = 1; c < rows_->columnCount(); ++c)
        rows_->setColumnWidth(c, 100);
}

void PeriodReportWindow::fill_entries() {
    const Store& store = ws_.store;
    const RecordLists& lists = store.lists;
    entries_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(report_.entries.size()));
    for (const PeriodEntry& e : report_.entries) {
        items.append(new QTreeWidgetItem(
            {text(format_date(store.date_mask, e.date)), text(lists.clients[e.client].client_name),
             text(lists.projects[e.project].project_title),
             text(lists.objectives[e.objective].ob_title), text(lists.tasks[e.task].task_title),
             text(format_duration(e.seconds)),
             e.billed ? QStringLiteral("Yes") : QStringLiteral("No"), money(store, e.rate_cents),
             money(store, e.amount_cents)}));
    }
    entries_->addTopLevelItems(items);
}

void PeriodReportWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Coming back from the main window, where entries may have been edited or deleted.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
}

void PeriodReportWindow::closeEvent(QCloseEvent* event) {
    if (!settings_key.isEmpty())
        keep_period_report_size(settings_key, size());
    QWidget::closeEvent(event);
}

void PeriodReportWindow::time_recorded() {
    const Period p = period();
    const bool today_in_period = p.contains(current_date(ws_.clock));
    const auto& tasks = ws_.store.lists.tasks;
    const bool timing =
        std::any_of(tasks.begin(), tasks.end(), [](const TaskRecord& t) { return t.running != 0; });
    const bool shown_running = std::any_of(report_.entries.begin(), report_.entries.end(),
                                           [](const PeriodEntry& e) { return e.running; });
    // A report of years of work is far too long to build again every second; it follows the
    // timer when the window is brought back or the period changes.
    constexpr std::size_t kLiveEntries = 20000;
    if ((shown_running || (timing && today_in_period)) && report_.entries.size() <= kLiveEntries)
        refresh();
}

void PeriodReportWindow::print_report() {
    refresh();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Print Job"));
    printer.setCopyCount(1);
    if (!ws_.prompter.choose_printer(this, printer))
        return;
    printer.setDocName(QStringLiteral("Print Job"));
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    Page page(painter);
    print_period_report(page, ws_.store, format_date(ws_.store.date_mask, current_date(ws_.clock)),
                        report_);
    painter.end();
}

QString PeriodReportWindow::scope_name() const {
    const std::optional<PeriodScope> s = scope();
    const RecordLists& lists = ws_.store.lists;
    if (!s)
        return {};
    switch (s->kind) {
    case RecordKind::Client:
        return text(lists.clients[s->index].client_name);
    case RecordKind::Project:
        return text(lists.projects[s->index].project_title);
    case RecordKind::Objective:
        return text(lists.objectives[s->index].ob_title);
    case RecordKind::Task:
        return text(lists.tasks[s->index].task_title);
    case RecordKind::User:
    case RecordKind::None:
        break;
    }
    return lists.users.empty() ? QString() : text(lists.users.front().userID);
}

QString PeriodReportWindow::export_file_name() const {
    // Characters no file name may hold, or that file managers and shells trip over.
    QString scope = scope_name().simplified();
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    scope.replace(unsafe, QStringLiteral("_"));
    if (scope.isEmpty() || scope.startsWith(QLatin1Char('.')))
        scope.prepend(QStringLiteral("report"));
    const Period p = period();
    QDate first = from_->date();
    const QDate last = to_->date();
    // All time starts at the first day with work, not in 1970.
    if (p.all_time && !report_.entries.empty()) {
        DateValue earliest = report_.entries.front().date;
        for (const PeriodEntry& e : report_.entries)
            earliest = std::min(earliest, e.date);
        first = qdate_of(earliest);
    }
    const QString iso = QStringLiteral("yyyy-MM-dd");
    return QStringLiteral("%1-%2-%3.csv").arg(scope, first.toString(iso), last.toString(iso));
}

void PeriodReportWindow::export_csv() {
    refresh();
    QString folder = settings_key.isEmpty() ? QString() : kept_export_folder(settings_key);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::currentPath();
    QString name =
        ws_.prompter.export_file_name(this, QStringLiteral("Export CSV"), folder,
                                      export_file_name(), QStringLiteral("CSV files (*.csv)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty()) {
        name += QStringLiteral(".csv");
        // The dialog asked about the name as typed, not about this one.
        if (QFileInfo::exists(name) &&
            !ws_.prompter.confirm(this, QStringLiteral("Export CSV"),
                                  QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                      .arg(QDir::toNativeSeparators(name))))
            return;
    }
    std::vector<std::string> databases;
    if (open_database)
        databases.push_back(QFile::encodeName(open_database()).toStdString());
    const UserFileResult written = write_user_file(QFile::encodeName(name).toStdString(), databases,
                                                   csv_file_rows(ws_.store, report_.entries));
    if (written.status == UserFileStatus::Cancelled)
        return;
    if (written.status != UserFileStatus::Written) {
        show_error(ws_, QString::fromLocal8Bit(written.message));
        return;
    }
    const QFileInfo file(name);
    if (!settings_key.isEmpty())
        keep_export_folder(settings_key, file.absolutePath());
    const auto n = static_cast<qlonglong>(report_.entries.size());
    if (ws_.status_bar)
        ws_.status_bar->showMessage(
            QStringLiteral("Exported %1 %2 to %3")
                .arg(QLocale(QLocale::English).toString(n),
                     n == 1 ? QStringLiteral("entry") : QStringLiteral("entries"),
                     QDir::toNativeSeparators(file.absoluteFilePath())));
}

void PeriodReportWindow::mark_billed() {
    refresh();
    const UnbilledEntries unbilled = unbilled_entries(report_.entries);
    if (unbilled.keys.empty())
        return;
    if (!ws_.prompter.confirm(this, QStringLiteral("Mark as Billed"),
                              mark_question(ws_.store, unbilled)))
        return;
    // The notes typed so far go into the flush that comes first.
    store_notes(ws_, ws_.state.previous_selection);
    if (!set_entries_billed(ws_.store, unbilled.keys, true)) {
        show_error(ws_, QStringLiteral("Could not write to Database"));
        return;
    }
    last_marked_ = unbilled.keys;
    redraw_main_views();
    refresh();
}

void PeriodReportWindow::undo_mark() {
    if (last_marked_.empty())
        return;
    store_notes(ws_, ws_.state.previous_selection);
    if (!set_entries_billed(ws_.store, last_marked_, false)) {
        show_error(ws_, QStringLiteral("Could not write to Database"));
        return;
    }
    last_marked_.clear();
    redraw_main_views();
    refresh();
}

void PeriodReportWindow::redraw_main_views() {
    if (!ws_.state.to_do_list_shown && ws_.list)
        show_item_keeping_notes(ws_, current_position(ws_));
    if (ws_.tree)
        refresh_status_icons(ws_);
}

} // namespace olv
