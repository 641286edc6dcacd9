// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/details.h"

#include "reports/figures.h"
#include "reports/format.h"
#include "store/operations.h"
#include "views/cut_text_tips.h"
#include "views/detail_list_delegate.h"
#include "views/error_message.h"
#include "views/tree.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTextEdit>
#include <QTreeWidget>
#include <algorithm>
#include <array>

namespace olv {

namespace {

constexpr int kColumns = 6;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;

struct Column {
    QString title;
    int width;
    Qt::Alignment alignment;
};
using Columns = std::array<Column, kColumns>;

void set_columns(QTreeWidget* list, const Columns& columns) {
    QTreeWidgetItem* header = list->headerItem();
    for (int i = 0; i < kColumns; ++i) {
        const Column& c = columns[static_cast<std::size_t>(i)];
        header->setText(i, c.title);
        header->setTextAlignment(i, c.alignment);
        list->setColumnWidth(i, c.width);
    }
}

// Room a cell's text needs beside it: the delegate's margin on either side and the grid line.
int cell_padding(const QTreeWidget* list) {
    return 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 2;
}

// The width the head of a column needs to show whole.
int head_width(const QTreeWidget* list, int column) {
    const QHeaderView* header = list->header();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const QString text = list->headerItem()->text(column);
    return std::max(header->sectionSizeHint(column),
                    QFontMetrics(header->font()).horizontalAdvance(text) + 2 * margin + 2);
}

constexpr const char* kNameColumn = "olvNameColumn";
constexpr const char* kNameWidth = "olvNameWidth";

// The name column takes what room the other columns leave, up to the width it would like,
// and never less than its head.
void fit_name_column(QTreeWidget* list) {
    const int label =
        list->property(kNameColumn).isValid() ? list->property(kNameColumn).toInt() : -1;
    if (label < 0 || label >= list->columnCount())
        return;
    int others = 0;
    for (int c = 0; c < list->columnCount(); ++c)
        others += c == label ? 0 : list->columnWidth(c);
    const int room = list->viewport()->width() - others;
    const int wanted = list->property(kNameWidth).toInt();
    const int width = std::max(head_width(list, label), std::min(wanted, room));
    if (width != list->columnWidth(label))
        list->setColumnWidth(label, width);
}

// Fits the name column again whenever the list changes size.
class NameColumnFit final : public QObject {
public:
    explicit NameColumnFit(QTreeWidget* list) : QObject(list), list_(list) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == list_->viewport())
            fit_name_column(list_);
        return false;
    }

private:
    QTreeWidget* list_;
};

// Columns take the width of their head and their widest value, and never less than their
// usual width: figures are never cut. The name column (`label`, -1 for none) gets what room
// the window has left up to its widest name, so the figures show without scrolling; in a
// narrow window it gives up its usual width down to that of its head. A longer name is cut
// with "…" and shows whole in its tool tip.
void fit_columns(QTreeWidget* list, const Columns& columns, const QList<QTreeWidgetItem*>& rows,
                 int label) {
    const QFontMetrics metrics(list->font());
    const int padding = cell_padding(list);
    std::array<int, kColumns> widths{};
    for (int c = 0; c < kColumns; ++c) {
        const int usual = columns[static_cast<std::size_t>(c)].width;
        if (usual == 0)
            continue;
        int widest = head_width(list, c);
        for (const QTreeWidgetItem* row : rows)
            widest = std::max(widest, metrics.horizontalAdvance(row->text(c)) + padding);
        widths[static_cast<std::size_t>(c)] = std::max(usual, widest);
    }
    for (int c = 0; c < kColumns; ++c)
        list->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    // Kept for the list's resizes: the window may be laid out after the list was filled.
    list->setProperty(kNameColumn, label);
    list->setProperty(kNameWidth, label >= 0 ? widths[static_cast<std::size_t>(label)] : 0);
    fit_name_column(list);
}

QTreeWidgetItem* make_row(const QStringList& cells, const Columns& columns) {
    auto* item = new QTreeWidgetItem(cells);
    for (int i = 0; i < kColumns; ++i)
        item->setTextAlignment(i, columns[static_cast<std::size_t>(i)].alignment);
    return item;
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QStringList figure_cells(const Store& store, const QString& hidden, const QString& label,
                         const Figures& f) {
    return {hidden,
            label,
            text(format_duration(f.total_seconds)),
            text(format_duration(f.billed_seconds)),
            text(format_cents(store.currency, f.earned_cents)),
            text(format_cents(store.currency, f.billed_cents))};
}

void show_report(Workspace& ws, const Report& report, const QString& hidden) {
    const Columns columns{{{QString(), 0, kCentre},
                           {text(report.first_column), 174, kLeft},
                           {QStringLiteral("Total Time"), 65, kCentre},
                           {QStringLiteral("Time Billed"), 65, kCentre},
                           {QStringLiteral("Total Earned"), 75, kCentre},
                           {QStringLiteral("Total Billed"), 70, kCentre}}};
    set_columns(ws.list, columns);

    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(report.rows.size()) + 2);
    for (const ReportRow& row : report.rows)
        rows.append(
            make_row(figure_cells(ws.store, hidden, text(row.label), row.figures), columns));
    rows.append(make_row(QStringList(kColumns, QString()), columns));
    rows.append(make_row(figure_cells(ws.store, QString(), QStringLiteral("Total"), report.totals),
                         columns));
    ws.list->addTopLevelItems(rows);
    fit_columns(ws.list, columns, rows, 1);
}

void show_time_entries(Workspace& ws, std::size_t task_index) {
    const Columns columns{{{QStringLiteral("Date"), 124, kCentre},
                           {QStringLiteral("Time"), 90, kCentre},
                           {QStringLiteral("Billed"), 60, kCentre},
                           {QStringLiteral("Rate"), 80, kCentre},
                           {QStringLiteral("Total"), 95, kCentre},
                           {QStringLiteral("Other"), 0, kCentre}}};
    set_columns(ws.list, columns);
    ws.state.time_entries_shown = true;

    Store& store = ws.store;
    const TaskRecord& task = store.lists.tasks[task_index];
    const QString rate = text(format_money(store.currency, task.task_rate));
    const std::int64_t rate_in_cents = rate_cents(task.task_rate);
    QList<QTreeWidgetItem*> rows;
    std::int32_t row = 0;
    for (std::size_t e : store.children().entries_of_task(task_index)) {
        TimeEntry& entry = store.lists.entries[e];
        entry.list_row = row++;
        rows.append(make_row(
            {text(format_date(store.date_mask, entry.date)), text(format_duration(entry.Time)),
             entry.billed ? QStringLiteral("Yes") : QStringLiteral("No"), rate,
             text(format_cents(store.currency, amount_cents(entry.Time, rate_in_cents))),
             QString()},
            columns));
    }
    ws.list->addTopLevelItems(rows);
    fit_columns(ws.list, columns, rows, -1);
}

void show_notes(Workspace& ws, const std::string& notes) {
    if (ws.notes)
        ws.notes->setPlainText(text(notes));
}

} // namespace

void widen_to_fit(QTreeWidget* list, const QTreeWidgetItem* row, int column) {
    const int needed =
        QFontMetrics(list->font()).horizontalAdvance(row->text(column)) + cell_padding(list);
    if (list->columnWidth(column) > 0 && needed > list->columnWidth(column))
        list->setColumnWidth(column, needed);
}

void setup_detail_list(QTreeWidget* list) {
    list->setColumnCount(kColumns);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(false);
    list->header()->setMinimumSectionSize(0);
    list->header()->setSectionsMovable(false);
    list->setItemDelegate(new DetailListDelegate(list));
    install_cut_text_tips(list);
    list->viewport()->installEventFilter(new NameColumnFit(list));
    set_columns(list, {{{QStringLiteral("Date"), 80, kLeft},
                        {QStringLiteral("Time"), 60, kLeft},
                        {QStringLiteral("Billed"), 40, kLeft},
                        {QStringLiteral("Rate"), 50, kLeft},
                        {QStringLiteral("Total"), 60, kLeft},
                        {QStringLiteral("temp"), 0, kLeft}}});
}

void show_item_details(Workspace& ws, std::int32_t position) {
    ws.list->clear();
    ws.state.time_entries_shown = false;
    ws.state.to_do_list_shown = false;

    Store& store = ws.store;
    const RecordRef ref = record_at_position(ws, position);
    switch (ref.kind) {
    case RecordKind::User:
        show_report(ws, user_report(store, ref.index), QStringLiteral("-"));
        show_notes(ws, {});
        break;
    case RecordKind::Client:
        show_report(ws, client_report(store, ref.index), QStringLiteral("?"));
        show_notes(ws, {});
        break;
    case RecordKind::Project:
        show_report(ws, project_report(store, ref.index), QString());
        show_notes(ws, store.lists.projects[ref.index].project_note);
        break;
    case RecordKind::Objective:
        show_report(ws, objective_report(store, ref.index), QString());
        show_notes(ws, store.lists.objectives[ref.index].ob_notes);
        break;
    case RecordKind::Task:
        show_time_entries(ws, ref.index);
        show_notes(ws, store.lists.tasks[ref.index].Task_Notes);
        break;
    case RecordKind::None:
        break;
    }
}

void store_notes(Workspace& ws, std::int32_t position) {
    if (!ws.notes)
        return;
    RecordLists& lists = ws.store.lists;
    const RecordRef ref = record_at_position(ws, position);
    std::string* notes = nullptr;
    bool* modified = nullptr;
    switch (ref.kind) {
    case RecordKind::Project:
        notes = &lists.projects[ref.index].project_note;
        modified = &lists.projects[ref.index].modified;
        break;
    case RecordKind::Objective:
        notes = &lists.objectives[ref.index].ob_notes;
        modified = &lists.objectives[ref.index].modified;
        break;
    case RecordKind::Task:
        notes = &lists.tasks[ref.index].Task_Notes;
        modified = &lists.tasks[ref.index].modified;
        break;
    default:
        return;
    }
    *notes = ws.notes->toPlainText().toStdString();
    *modified = true;
}

void show_item_keeping_notes(Workspace& ws, std::int32_t position) {
    store_notes(ws, ws.state.previous_selection);
    show_item_details(ws, position);
    ws.state.previous_selection = position;
}

void flush_records(Workspace& ws) {
    const FlushResult result = flush(ws.store);
    if (!result.database_unavailable) {
        show_flush_failures(ws, result.failed_records);
        return;
    }
    // The database itself is out of reach: one box with the reason, the changes kept for the
    // next flush (or, when another machine took the database, for Save As to a file).
    if (ws.flush_failure_open)
        return;
    if (result.taken_elsewhere && ws.database_taken) {
        ws.flush_failure_open = true;
        ws.database_taken(QString::fromStdString(result.reason));
        ws.flush_failure_open = false;
        return;
    }
    ws.flush_failure_open = true;
    QString text =
        QStringLiteral("Could not write to Database\n") + QString::fromStdString(result.reason);
    if (result.taken_elsewhere)
        text += QStringLiteral("\nNothing was written. Keep your changes in a file with "
                               "File > Save As.");
    show_error(ws, text);
    ws.flush_failure_open = false;
}

void show_flush_failures(Workspace& ws, int failed_records) {
    if (failed_records == 0 || ws.flush_failure_open)
        return;
    ws.flush_failure_open = true;
    for (int i = 0; i < failed_records; ++i)
        show_error(ws, QStringLiteral("Could not write to Database"));
    ws.flush_failure_open = false;
}

} // namespace olv
