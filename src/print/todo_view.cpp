// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/todo_view.h"

#include "print/page.h"
#include "reports/todo.h"

#include <QTextEdit>
#include <QTreeWidget>
#include <array>

namespace olv {

namespace {

constexpr int kColumns = 6;
constexpr double kLeft = Page::kLeft;
constexpr double kDueColumn = kLeft + 13.0;
constexpr double kHeadingSize = Page::kHeadingSize;
constexpr double kLineSize = Page::kLineSize;
constexpr double kLineStep = Page::kLineStep;
constexpr double kClientGap = 1.0;
// Space kept clear before the due column, so a long title never runs into its date.
constexpr double kDueGap = 0.25;

Qt::Alignment column_alignment(int column) {
    return (column == 1 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
}

void set_columns(QTreeWidget& list) {
    if (list.columnCount() < kColumns)
        list.setColumnCount(kColumns);
    const std::array<QString, kColumns> titles{
        QString(), QStringLiteral("Description"), QStringLiteral("Due Date"), QString(), QString(),
        QString()};
    const std::array<int, kColumns> widths{0, 284, 165, 0, 0, 0};
    QTreeWidgetItem* header = list.headerItem();
    for (int column = 0; column < kColumns; ++column) {
        header->setText(column, titles[column]);
        header->setTextAlignment(column, column_alignment(column));
        list.setColumnWidth(column, widths[column]);
    }
}

// A row given as cells from column 0 on; missing cells stay empty.
QTreeWidgetItem* add_row(QTreeWidget& list, const QStringList& cells) {
    auto* item = new QTreeWidgetItem(&list);
    for (int column = 0; column < kColumns; ++column) {
        if (column < cells.size())
            item->setText(column, cells[column]);
        item->setTextAlignment(column, column_alignment(column));
    }
    return item;
}

const char* indent_of(int level) {
    switch (level) {
    case 1:
        return "    - ";
    case 2:
        return "        - ";
    default:
        return "            - ";
    }
}

void print_heads(Page& page) {
    page.print_text(kLeft, page.y, "Description", kLineSize, text_style::BoldUnderline, kBlack);
    page.print_text(kDueColumn, page.y, "Due Date", kLineSize, text_style::BoldUnderline, kBlack);
    page.y += kLineStep;
}

void print_title(Page& page, const Workspace& ws, const std::string& date) {
    page.print_text(kLeft, Page::kTopLine, to_do_heading(ws).toStdString(), kHeadingSize,
                    text_style::Bold, kBlack);
    page.y = 4.0;
    page.print_text(kLeft, page.y, "Printed on " + date, kHeadingSize, text_style::Bold, kBlack);
    page.y = 6.0;
    print_heads(page);
}

} // namespace

QString to_do_heading(const Workspace& ws) {
    const std::string user = ws.user_name ? ws.user_name() : std::string();
    return QString::fromStdString("To Do List for : " + user);
}

void show_to_do_list(Workspace& ws) {
    ws.state.to_do_list_shown = true;
    // The list no longer shows time entries, so their cell editing must not act on these rows.
    ws.state.time_entries_shown = false;
    QTreeWidget& list = *ws.list;
    list.clear();
    set_columns(list);
    if (ws.notes)
        ws.notes->clear();

    const DateValue now = current_date(ws.clock);
    const std::string& mask = ws.store.date_mask;
    Page* page = ws.state.is_printing ? ws.page : nullptr;
    const auto heads = [page] { print_heads(*page); };
    if (page)
        print_title(*page, ws, format_date(mask, now));

    for (const ToDoClient& client : to_do_list(ws.store, now)) {
        const QString name = QString::fromStdString(client.name);
        QTreeWidgetItem* client_row = add_row(list, {QString(), name});
        if (page) {
            page->keep_line_on_page(kLineSize, heads);
            // A client's name runs up to the due column, no further.
            page->print_text(kLeft, page->y,
                             page->elide(client.name, page->page_x(kDueColumn - kDueGap - kLeft),
                                         kLineSize, text_style::Regular),
                             kLineSize, text_style::Regular, kBlack);
            page->y += kLineStep;
        }
        for (const ToDoItem& item : client.items) {
            const std::string date = format_date(mask, item.end);
            add_row(list,
                    {QString(),
                     QString::fromUtf8(indent_of(item.level)) + QString::fromStdString(item.title),
                     QString::fromStdString((item.overdue ? "OVERDUE : " : "Due On : ") + date)});
            if (!page)
                continue;
            page->keep_line_on_page(kLineSize, heads);
            const double x = kLeft + 0.5 * item.level;
            const int room = page->page_x(kDueColumn - kDueGap) - page->page_x(x);
            page->print_text(x, page->y,
                             page->elide("-" + item.title, room, kLineSize, text_style::Regular),
                             kLineSize, text_style::Regular, kBlack);
            if (item.overdue)
                page->print_text(kDueColumn, page->y, "OVERDUE : " + date, kLineSize,
                                 text_style::Regular, kRed);
            else
                page->print_text(kDueColumn, page->y,
                                 (item.level == 3 ? "Due on : " : "Due On : ") + date, kLineSize,
                                 text_style::Regular, kGreen);
            page->y += kLineStep;
        }
        if (client.listed) {
            add_row(list, {});
            if (page)
                page->y += kClientGap;
        } else {
            delete client_row;
        }
    }
}

} // namespace olv
