// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/period_report_window.h"

#include "app/period_models.h"
#include "app/window_memory.h"
#include "common/user_file.h"
#include "print/page.h"
#include "print/period_page.h"
#include "print/print_job.h"
#include "reports/csv_export.h"
#include "reports/format.h"
#include "store/billed_marks.h"
#include "views/cut_text_tips.h"
#include "views/date_field_width.h"
#include "views/details.h"
#include "views/error_message.h"
#include "views/ids.h"
#include "views/progress.h"
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
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <malloc.h>
#include <new>
#include <span>
#include <sys/mman.h>
#include <tuple>

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

QTableView* make_list(QWidget* parent, int id, QAbstractItemModel* model) {
    // A table view lays out only the rows on screen, however many the model holds.
    auto* list = new QTableView(parent);
    set_id(list, id);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setCornerButtonEnabled(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setTextElideMode(Qt::ElideRight);
    list->setModel(model);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    install_cut_text_tips(list);
    return list;
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

// Gives the pages the freed listing held back to the system, so that the memory a closed window
// or a replaced long listing took does not stay with the process.
void give_back_memory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

// A block of memory of its own for a large copy, mapped and unmapped whole: given back to the
// system the moment it is freed, on whichever thread, and made ready page by page at once.
template <typename T> class MappedArray {
public:
    MappedArray() = default;
    explicit MappedArray(std::size_t n) : size_(n) {
        if (n == 0)
            return;
        void* at = mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (at == MAP_FAILED)
            throw std::bad_alloc();
        data_ = static_cast<T*>(at);
    }
    ~MappedArray() { release(); }
    MappedArray(const MappedArray&) = delete;
    MappedArray& operator=(const MappedArray&) = delete;
    MappedArray& operator=(MappedArray&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        other.release();
        return *this;
    }
    T* data() { return data_; }
    std::span<const T> view() const { return {data_, size_}; }
    std::size_t size() const { return size_; }

private:
    void release() {
        if (data_)
            munmap(data_, size_ * sizeof(T));
        data_ = nullptr;
        size_ = 0;
    }
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

// A listing worked out on a thread of its own, from a copy of the entries taken when it was asked
// for: the window's lists keep changing under a running timer. The thread first makes room for
// the copy, which is slow where fresh memory is (it is touched page by page); the window's thread
// then only copies into it.
struct PeriodReportWindow::ListingJob {
    enum class Step { MakingRoom, Computing };
    Step step = Step::MakingRoom;
    std::atomic<bool> stop{false};
    MappedArray<TimeEntry> entries;
    MappedArray<std::size_t> owners;
    std::uint64_t structure_version = 0;
    ListingPlan plan;
};

std::size_t PeriodReportWindow::background_from = 200000;

std::pair<RecordKind, Key> period_scope_of(const Store& store, RecordRef record) {
    const RecordLists& lists = store.lists;
    switch (record.kind) {
    case RecordKind::Client:
        return {record.kind, lists.clients[record.index].key};
    case RecordKind::Project:
        return {record.kind, lists.projects[record.index].key};
    case RecordKind::Objective:
        return {record.kind, lists.objectives[record.index].key};
    case RecordKind::Task:
        return {record.kind, lists.tasks[record.index].key};
    case RecordKind::User:
    case RecordKind::None:
        break;
    }
    return {RecordKind::User, 0};
}

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
    : QWidget(owner, Qt::Window), ws_(ws) {
    std::tie(scope_kind_, scope_key_) = period_scope_of(ws.store, scope);
    set_id(this, id::PeriodReportWindow);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);

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

    rows_model_ = new PeriodRowsModel(ws.store, listing_, this);
    entries_model_ = new PeriodEntriesModel(ws.store, listing_, this);
    rows_ = make_list(this, id::PeriodRows, rows_model_);
    entries_ = make_list(this, id::PeriodEntries, entries_model_);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("PeriodNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->hide();

    const auto button = [this](int id, const QString& label) {
        auto* b = new QPushButton(label, this);
        set_id(b, id);
        connect(b, &QPushButton::clicked, this, [this, id] {
            if (post_event)
                post_event(control_event(id, id::PeriodReportWindow, EventKind::LeftClick));
        });
        return b;
    };
    print_ = button(id::PeriodPrint, QStringLiteral("Print"));
    csv_ = button(id::PeriodExportCsv, QStringLiteral("Export CSV…"));
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
    period_line->addSpacing(12);
    busy_ = new QLabel(QStringLiteral("Working out the figures…"), this);
    busy_->setObjectName(QStringLiteral("PeriodBusy"));
    busy_->hide();
    period_line->addWidget(busy_);
    period_line->addStretch(1);

    auto* lists_split = new QSplitter(Qt::Vertical, this);
    lists_split->addWidget(rows_);
    lists_split->addWidget(entries_);
    lists_split->setChildrenCollapsible(false);
    lists_split->setStretchFactor(1, 1);
    lists_split->setSizes({150, 330});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print_);
    buttons->addWidget(csv_);
    buttons->addStretch(1);
    buttons->addWidget(mark_);
    buttons->addWidget(undo_);
    buttons->addSpacing(12);
    buttons->addWidget(close_button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(period_line);
    layout->addWidget(note_);
    layout->addWidget(lists_split, 1);
    layout->addLayout(buttons);
    resize(860, 560);

    choice_->setCurrentIndex(static_cast<int>(PeriodBoxItem::ThisMonth));
    show_period_days();
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] {
        show_period_days();
        refresh();
    });
    // Each date is the user's own: a day typed digit by digit passes through other days, and
    // moving the other date to follow them would lose what was set there.
    connect(from_, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(to_, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(unbilled_only_, &QCheckBox::toggled, this, [this] { refresh(); });
    refresh();
}

PeriodReportWindow::~PeriodReportWindow() {
    if (job_) {
        job_->stop = true;
        if (worker_) {
            worker_->wait();
            delete worker_.data();
        }
        job_.reset();
    }
    // The lists outlive this part of the window while it closes: they must not ask the models
    // about a listing that is gone.
    rows_->setModel(nullptr);
    entries_->setModel(nullptr);
    // The lists and what they hold go first, so that the memory given back below includes
    // theirs; the rest of the window is small.
    delete rows_;
    delete entries_;
    delete rows_model_;
    delete entries_model_;
    listing_ = {};
    marks_ = {};
    give_back_memory();
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
        cancel_listing();
        rows_model_->begin_reset();
        entries_model_->begin_reset();
        listing_ = {};
        rows_model_->end_reset();
        entries_model_->end_reset();
        close();
        return;
    }
    const Period p = period();
    const bool unbilled = unbilled_only_->isChecked();
    const bool upside_down = !p.all_time && p.last_day < p.first_day;
    note_->setText(upside_down ? QStringLiteral("The last day comes before the first: "
                                                "the period holds no days.")
                               : QString());
    note_->setVisible(upside_down);
    cancel_listing();
    if (entries_in_period(ws_.store, p, unbilled) >= background_from) {
        start_listing(*s, p, unbilled);
        return;
    }
    install_listing(period_listing(ws_.store, *s, p, unbilled));
}

void PeriodReportWindow::install_listing(PeriodListing fresh) {
    // The models show the old listing until the new one takes its place in one reset.
    rows_model_->begin_reset();
    entries_model_->begin_reset();
    listing_ = std::move(fresh);
    rows_model_->end_reset();
    entries_model_->end_reset();
    set_busy(false);
    show_listing();
    fit_columns();
}

void PeriodReportWindow::start_listing(PeriodScope scope, const Period& period,
                                       bool unbilled_only) {
    drop_stale_listing();
    auto job = std::make_shared<ListingJob>();
    // The names and the tree are read here; the thread reads only copies of the entries.
    job->plan = plan_listing(ws_.store, scope, period, unbilled_only);
    job->structure_version = ws_.store.structure_version();
    const std::size_t n = ws_.store.lists.entries.size();
    job_ = job;
    set_busy(true);
    run_worker([job, n] {
        job->entries = MappedArray<TimeEntry>(n);
        job->owners = MappedArray<std::size_t>(n);
    });
}

void PeriodReportWindow::run_worker(std::function<void()> work) {
    QThread* worker = QThread::create(std::move(work));
    connect(worker, &QThread::finished, this, [this, job = job_] { worker_finished(job); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker_ = worker;
    worker->start();
}

void PeriodReportWindow::cancel_listing() {
    if (!job_)
        return;
    // The thread ends at its next look at the request and deletes itself; what it made is
    // dropped on arrival.
    job_->stop = true;
    job_.reset();
    worker_ = nullptr;
}

void PeriodReportWindow::worker_finished(std::shared_ptr<ListingJob> job) {
    if (job != job_)
        return;
    worker_ = nullptr;
    if (job->structure_version != ws_.store.structure_version()) {
        // Records came or went meanwhile: the plan names other records, the positions other
        // entries.
        job_.reset();
        refresh();
        return;
    }
    if (job->step == ListingJob::Step::MakingRoom) {
        const auto& entries = ws_.store.lists.entries;
        const auto& owners = ws_.store.children().task_of_each_entry();
        if (job->entries.size() != entries.size() || job->owners.size() != owners.size()) {
            job->entries = MappedArray<TimeEntry>(entries.size());
            job->owners = MappedArray<std::size_t>(owners.size());
        }
        std::copy(entries.begin(), entries.end(), job->entries.data());
        std::copy(owners.begin(), owners.end(), job->owners.data());
        job->step = ListingJob::Step::Computing;
        run_worker([job] {
            fill_listing(job->plan, job->entries.view(), job->owners.view(), &job->stop);
            job->entries = {};
            job->owners = {};
        });
        return;
    }
    job_.reset();
    PeriodListing fresh = std::move(job->plan.listing);
    job->plan = {};
    install_listing(std::move(fresh));
    // The seconds the timers counted since the entries were copied.
    time_recorded();
    give_back_memory();
}

void PeriodReportWindow::wait_for_listing() {
    while (job_) {
        if (worker_)
            worker_->wait();
        worker_finished(job_);
    }
}

void PeriodReportWindow::drop_stale_listing() {
    if (listing_.first_column.empty() ||
        listing_.structure_version == ws_.store.structure_version())
        return;
    rows_model_->begin_reset();
    entries_model_->begin_reset();
    listing_ = {};
    rows_model_->end_reset();
    entries_model_->end_reset();
}

void PeriodReportWindow::set_busy(bool busy) {
    // The figures of the last listing stay in sight, greyed, until the new ones arrive.
    busy_->setVisible(busy);
    for (QWidget* w : std::initializer_list<QWidget*>{rows_, entries_, print_, csv_})
        w->setEnabled(!busy);
    if (busy) {
        mark_->setEnabled(false);
        undo_->setEnabled(false);
    }
}

void PeriodReportWindow::show_listing() {
    heading_->setText(text(listing_.heading));
    setWindowTitle(kTitle + QStringLiteral(" - ") + text(listing_.heading));
    const auto& entries = ws_.store.lists.entries;
    mark_->setEnabled(
        std::any_of(listing_.positions.begin(), listing_.positions.end(), [&](std::uint32_t i) {
            return entries[i].billed == 0 && entries[i].timing == 0;
        }));
    undo_->setEnabled(can_undo());
}

void PeriodReportWindow::fit_columns() {
    const auto fit = [this](QTableView* view, int columns, auto widest, int text_columns_end) {
        const QStyle* style = view->style();
        const int cell_margin =
            2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 8;
        const int head_margin =
            2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view->horizontalHeader()) + 8;
        const QFontMetrics cells(view->font());
        const QFontMetrics heads(view->horizontalHeader()->font());
        // Names longer than this are cut with "…" and shown whole in their tool tips; figures
        // are never cut.
        const int longest_name = std::max(160, cells.averageCharWidth() * 36);
        for (int c = 0; c < columns; ++c) {
            const QString head =
                view->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            int width = widest(c, cells) + cell_margin;
            if (c < text_columns_end)
                width = std::min(width, longest_name);
            width = std::max(width, heads.horizontalAdvance(head) + head_margin);
            view->setColumnWidth(c, width);
        }
    };
    fit(
        rows_, rows_model_->columnCount(),
        [this](int c, const QFontMetrics& m) { return rows_model_->widest(c, m); }, 1);
    fit(
        entries_, PeriodEntriesModel::Columns,
        [this](int c, const QFontMetrics& m) { return entries_model_->widest(c, m); },
        PeriodEntriesModel::Time);
}

void PeriodReportWindow::bring_up_to_date() {
    // A listing on its way is as fresh as can be.
    if (job_)
        return;
    if (!scope()) {
        refresh();
        return;
    }
    time_recorded();
    if (!listing_current(ws_.store, listing_))
        refresh();
}

void PeriodReportWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Coming back from the main window, where entries may have been edited or deleted: only a
    // change found there computes the report again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        bring_up_to_date();
}

void PeriodReportWindow::closeEvent(QCloseEvent* event) {
    if (!settings_key.isEmpty())
        keep_period_report_size(settings_key, size());
    QWidget::closeEvent(event);
}

void PeriodReportWindow::time_recorded() {
    // The listing on its way catches up with the timers when it arrives.
    if (job_) {
        drop_stale_listing();
        return;
    }
    if (listing_.first_column.empty())
        return;
    const std::int64_t seconds = listing_.widest_seconds;
    const std::int64_t cents = listing_.widest_amount_cents;
    std::vector<std::size_t> changed;
    if (!follow_running(ws_.store, listing_, running_entries(ws_.store), changed)) {
        refresh();
        return;
    }
    if (changed.empty())
        return;
    entries_model_->rows_changed(changed);
    rows_model_->figures_changed();
    if (listing_.widest_seconds != seconds || listing_.widest_amount_cents != cents)
        fit_columns();
}

void PeriodReportWindow::print_report() {
    wait_for_listing();
    bring_up_to_date();
    const std::optional<PeriodScope> s = scope();
    if (!s)
        return;
    const PeriodReport report =
        period_report(ws_.store, *s, listing_.period, listing_.unbilled_only);
    // The job, and the title of a PDF made of it, is named after the report's heading.
    const QString heading = QString::fromStdString(report.heading);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(heading);
    printer.setCopyCount(1);
    if (!ws_.prompter.choose_printer(this, printer))
        return;
    printer.setDocName(heading);
    printer.setCreator(QStringLiteral("Olvessa.project"));
    const std::string printed_on = format_date(ws_.store.date_mask, current_date(ws_.clock));
    print_pages(this, ws_.prompter, printer, [this, &printed_on, &report](Page& page) {
        print_period_report(page, ws_.store, printed_on, report);
    });
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
    if (p.all_time && !listing_.positions.empty()) {
        const auto& entries = ws_.store.lists.entries;
        DateValue earliest = entries[listing_.positions.front()].date;
        for (std::uint32_t position : listing_.positions)
            earliest = std::min(earliest, entries[position].date);
        first = qdate_of(earliest);
    }
    const QString iso = QStringLiteral("yyyy-MM-dd");
    return QStringLiteral("%1-%2-%3.csv").arg(scope, first.toString(iso), last.toString(iso));
}

void PeriodReportWindow::export_csv() {
    wait_for_listing();
    bring_up_to_date();
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
    const std::size_t count = listing_.positions.size();
    Progress progress(this, QStringLiteral("Exporting %1 entries…").arg(count),
                      static_cast<qint64>(count));
    const UserFileResult written = write_user_file(
        QFile::encodeName(name).toStdString(), databases, csv_file_rows(ws_.store, listing_),
        [&progress](std::size_t done, std::size_t) {
            return progress.advance(static_cast<qint64>(done));
        });
    if (written.status == UserFileStatus::Cancelled)
        return;
    if (written.status != UserFileStatus::Written) {
        show_error(ws_, QString::fromLocal8Bit(written.message));
        return;
    }
    const QFileInfo file(name);
    if (!settings_key.isEmpty())
        keep_export_folder(settings_key, file.absolutePath());
    const auto n = static_cast<qlonglong>(listing_.positions.size());
    if (ws_.status_bar)
        ws_.status_bar->showMessage(
            QStringLiteral("Exported %1 %2 to %3")
                .arg(QLocale(QLocale::English).toString(n),
                     n == 1 ? QStringLiteral("entry") : QStringLiteral("entries"),
                     QDir::toNativeSeparators(file.absoluteFilePath())));
}

bool PeriodReportWindow::write_marks(const std::vector<Key>& keys, bool billed) {
    // The notes typed so far go into the flush that comes first.
    store_notes(ws_, ws_.state.previous_selection);
    constexpr std::size_t kLongMark = 10000;
    MarkOutcome outcome;
    if (keys.size() > kLongMark) {
        Progress progress(this,
                          billed
                              ? QStringLiteral("Marking %1 entries as billed…").arg(keys.size())
                              : QStringLiteral("Undoing the marks of %1 entries…").arg(keys.size()),
                          static_cast<qint64>(keys.size()));
        outcome =
            set_entries_billed(ws_.store, keys, billed, [&progress](std::size_t done, std::size_t) {
                return progress.advance(static_cast<qint64>(done));
            });
    } else {
        outcome = set_entries_billed(ws_.store, keys, billed, {});
    }
    if (outcome == MarkOutcome::Failed)
        show_error(ws_, QStringLiteral("Could not write to Database"));
    return outcome == MarkOutcome::Written;
}

void PeriodReportWindow::mark_billed() {
    wait_for_listing();
    bring_up_to_date();
    UnbilledEntries unbilled = unbilled_listing_entries(ws_.store, listing_);
    if (unbilled.keys.empty())
        return;
    if (!ws_.prompter.confirm(this, QStringLiteral("Mark as Billed"),
                              mark_question(ws_.store, unbilled)))
        return;
    if (!write_marks(unbilled.keys, true))
        return;
    marks_.push_back(std::move(unbilled.keys));
    marks_changed(true);
}

void PeriodReportWindow::undo_mark() {
    wait_for_listing();
    if (marks_.empty())
        return;
    if (!write_marks(marks_.back(), false))
        return;
    marks_.pop_back();
    marks_changed(false);
}

void PeriodReportWindow::end_undo() {
    marks_.clear();
    marks_.shrink_to_fit();
    undo_->setEnabled(false);
}

void PeriodReportWindow::marks_changed(bool marked) {
    redraw_main_views();
    // Unmarked entries come back into an "Unbilled only" report at their places: that takes a
    // computation. Otherwise the rows keep their places, or marked ones leave, and only the
    // figures are summed again.
    if (listing_.unbilled_only && !marked) {
        refresh();
        return;
    }
    if (listing_.unbilled_only) {
        entries_model_->begin_reset();
        retotal_listing(ws_.store, listing_);
        entries_model_->end_reset();
    } else {
        retotal_listing(ws_.store, listing_);
        entries_model_->all_rows_changed();
    }
    rows_model_->figures_changed();
    show_listing();
}

void PeriodReportWindow::redraw_main_views() {
    if (!ws_.state.to_do_list_shown && ws_.list)
        show_item_keeping_notes(ws_, current_position(ws_));
    if (ws_.tree)
        refresh_status_icons(ws_);
}

} // namespace olv
