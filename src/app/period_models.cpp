// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/period_models.h"

#include "reports/format.h"

#include <QFontMetrics>
#include <algorithm>

namespace olv {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString money(const Store& store, std::int64_t cents) {
    return text(format_money(store.currency, static_cast<double>(cents) / 100.0));
}

const char* const kTotalHeads[] = {"Total Time", "Time Billed", "Total Earned", "Total Billed",
                                   "Unbilled"};
const char* const kEntryHeads[] = {"Date", "Client", "Project", "Objective", "Task",
                                   "Time", "Billed", "Rate",    "Amount"};

} // namespace

PeriodRowsModel::PeriodRowsModel(const Store& store, const PeriodListing& listing, QObject* parent)
    : QAbstractTableModel(parent), store_(store), listing_(listing) {}

int PeriodRowsModel::rowCount(const QModelIndex& parent) const {
    // The rows, then the total; nothing before the first computation.
    return parent.isValid() || listing_.first_column.empty()
               ? 0
               : static_cast<int>(listing_.rows.size()) + 1;
}

int PeriodRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 6;
}

QString PeriodRowsModel::cell(int row, int column) const {
    const bool total = row == static_cast<int>(listing_.rows.size());
    const PeriodTotals& t =
        total ? listing_.totals : listing_.rows[static_cast<std::size_t>(row)].totals;
    switch (column) {
    case 0:
        return total ? QStringLiteral("Total") : text(listing_.rows[row].label);
    case 1:
        return text(format_duration(t.seconds));
    case 2:
        return text(format_duration(t.billed_seconds));
    case 3:
        return money(store_, t.earned_cents);
    case 4:
        return money(store_, t.billed_cents);
    default:
        return money(store_, t.unbilled_cents());
    }
}

QVariant PeriodRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.row(), index.column());
    if (role == Qt::FontRole && index.row() == static_cast<int>(listing_.rows.size())) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

QVariant PeriodRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 5)
        return {};
    return section == 0 ? text(listing_.first_column)
                        : QString::fromLatin1(kTotalHeads[section - 1]);
}

void PeriodRowsModel::figures_changed() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

int PeriodRowsModel::widest(int column, const QFontMetrics& metrics) const {
    int widest =
        metrics.horizontalAdvance(headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    for (int row = 0; row < rowCount(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(cell(row, column)));
    return widest;
}

PeriodEntriesModel::PeriodEntriesModel(const Store& store, const PeriodListing& listing,
                                       QObject* parent)
    : QAbstractTableModel(parent), store_(store), listing_(listing) {}

int PeriodEntriesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(listing_.positions.size());
}

int PeriodEntriesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QString PeriodEntriesModel::cell(std::size_t row, int column) const {
    const PeriodEntry e = listing_entry(store_, listing_, row);
    const RecordLists& lists = store_.lists;
    switch (column) {
    case Date:
        return text(format_date(store_.date_mask, e.date));
    case Client:
        return text(lists.clients[e.client].client_name);
    case Project:
        return text(lists.projects[e.project].project_title);
    case Objective:
        return text(lists.objectives[e.objective].ob_title);
    case Task:
        return text(lists.tasks[e.task].task_title);
    case Time:
        return text(format_duration(e.seconds));
    case Billed:
        return e.billed ? QStringLiteral("Yes") : QStringLiteral("No");
    case Rate:
        return money(store_, e.rate_cents);
    default:
        return money(store_, e.amount_cents);
    }
}

QVariant PeriodEntriesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return cell(static_cast<std::size_t>(index.row()), index.column());
}

QVariant PeriodEntriesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= Columns)
        return {};
    return QString::fromLatin1(kEntryHeads[section]);
}

void PeriodEntriesModel::rows_changed(const std::vector<std::size_t>& positions) {
    for (const std::size_t p : positions)
        emit dataChanged(index(static_cast<int>(p), 0), index(static_cast<int>(p), Columns - 1));
}

void PeriodEntriesModel::all_rows_changed() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1));
}

int PeriodEntriesModel::widest(int column, const QFontMetrics& metrics) const {
    int widest = metrics.horizontalAdvance(QString::fromLatin1(kEntryHeads[column]));
    const auto fit = [&](const QString& s) {
        widest = std::max(widest, metrics.horizontalAdvance(s));
    };
    // Ten years hold tens of thousands of names: only the longest few are measured.
    const auto names = [&](const auto& list, auto name) {
        constexpr std::size_t kMeasured = 24;
        std::vector<const std::string*> longest;
        for (const auto& record : list)
            longest.push_back(&(record.*name));
        const auto longer = [](const std::string* a, const std::string* b) {
            return a->size() > b->size();
        };
        if (longest.size() > kMeasured) {
            std::nth_element(longest.begin(), longest.begin() + kMeasured, longest.end(), longer);
            longest.resize(kMeasured);
        }
        for (const std::string* s : longest)
            fit(text(*s));
    };
    const RecordLists& lists = store_.lists;
    switch (column) {
    case Date:
        // Every digit at its widest stands for any date the mask makes.
        for (const int digit : {0, 8, 9})
            fit(text(format_date(store_.date_mask, make_date(2000 + digit * 3, 10 + digit % 3,
                                                             20 + digit, 0, 0, 0))));
        break;
    case Client:
        names(lists.clients, &ClientRecord::client_name);
        break;
    case Project:
        names(lists.projects, &ProjectRecord::project_title);
        break;
    case Objective:
        names(lists.objectives, &ObjectiveRecord::ob_title);
        break;
    case Task:
        names(lists.tasks, &TaskRecord::task_title);
        break;
    case Time:
        fit(text(format_duration(listing_.widest_seconds)));
        break;
    case Billed:
        fit(QStringLiteral("Yes"));
        fit(QStringLiteral("No"));
        break;
    case Rate:
        fit(money(store_, listing_.widest_rate_cents));
        break;
    default:
        fit(money(store_, listing_.widest_amount_cents));
        break;
    }
    return widest;
}

} // namespace olv
