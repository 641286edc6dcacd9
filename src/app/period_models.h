// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The two lists of the Period Report window as models over a period listing: the rows per child
// of the item with their total, and the entries. A cell is formatted when the view asks for it,
// so only the rows on screen cost anything.
#include "reports/period_listing.h"

#include <QAbstractTableModel>
#include <QFont>
#include <vector>

namespace olv {

class PeriodRowsModel final : public QAbstractTableModel {
public:
    PeriodRowsModel(const Store& store, const PeriodListing& listing, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Around a new listing taking the place of the old one.
    void begin_reset() { beginResetModel(); }
    void end_reset() { endResetModel(); }
    // Only the figures changed.
    void figures_changed();
    // The widest text of a column, head included, as the view's font draws it.
    int widest(int column, const QFontMetrics& metrics) const;

private:
    QString cell(int row, int column) const;
    const Store& store_;
    const PeriodListing& listing_;
};

class PeriodEntriesModel final : public QAbstractTableModel {
public:
    enum Column { Date, Client, Project, Objective, Task, Time, Billed, Rate, Amount, Columns };

    PeriodEntriesModel(const Store& store, const PeriodListing& listing, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void begin_reset() { beginResetModel(); }
    void end_reset() { endResetModel(); }
    // These positions of the listing show other figures.
    void rows_changed(const std::vector<std::size_t>& positions);
    void all_rows_changed();
    // The widest text a cell of the column can hold, head included: from the names the lists
    // hold and the largest figures of the listing, never from a walk over the entries.
    int widest(int column, const QFontMetrics& metrics) const;

private:
    QString cell(std::size_t row, int column) const;
    const Store& store_;
    const PeriodListing& listing_;
};

} // namespace olv
