// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The detail list and the notes box for the selected item, and the flush of the views.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/timer.h"

#include <QHeaderView>
#include <QStyle>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// The width a cell's text takes in the list, with the delegate's margins and the grid line.
int text_width(const QTreeWidget* list, const QString& text) {
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    return list->fontMetrics().horizontalAdvance(text) + 2 * margin;
}

// Every shown head and figure of the list fits its column; `name_column` (or -1) may be cut.
void expect_figures_fit(const QTreeWidget* list, int name_column) {
    const QHeaderView* header = list->header();
    const int head_margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < list->columnCount(); ++c) {
        if (list->columnWidth(c) == 0)
            continue;
        const QString head = list->headerItem()->text(c);
        QVERIFY2(header->fontMetrics().horizontalAdvance(head) + 2 * head_margin <=
                     list->columnWidth(c),
                 qPrintable(head));
        if (c == name_column)
            continue;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            const QString text = list->topLevelItem(r)->text(c);
            QVERIFY2(
                text_width(list, text) <= list->columnWidth(c),
                qPrintable(
                    QStringLiteral("%1 in a column of %2").arg(text).arg(list->columnWidth(c))));
        }
    }
}

QList<int> column_widths(const QTreeWidget* list) {
    QList<int> widths;
    for (int c = 0; c < list->columnCount(); ++c)
        widths << list->columnWidth(c);
    return widths;
}

} // namespace

class DetailsTest : public QObject {
    Q_OBJECT

private slots:
    // Columns widen for their heads and their widest figures, with the currency as the user set
    // it. Names take the room the window has left; a longer one is cut with "…" and shows
    // whole in its tool tip.
    void figures_fit_their_columns_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("currency");
        const QString long_name =
            QStringLiteral("Consolidated Intercontinental Widget Manufacturing Holdings Ltd");
        QTest::newRow("ordinary") << "Acme" << 5400 << "£";
        QTest::newRow("long names") << long_name << 5400 << "£";
        QTest::newRow("over a thousand hours") << "Acme" << 3'700'000 << "£";
        QTest::newRow("a currency of letters") << "Acme" << 5400 << "EUR ";
        QTest::newRow("a currency written out") << "Acme" << 5400 << "Swiss francs ";
        QTest::newRow("everything at once") << long_name << 2'000'000'000 << "CHF ";
    }
    void figures_fit_their_columns() {
        QFETCH(QString, name);
        QFETCH(int, seconds);
        QFETCH(QString, currency);
        ViewsFixture f;
        f.main_window.resize(1200, 600);
        const std::string n = name.toStdString();
        const Key client = f.add_client(n);
        const Key task = f.add_task(f.add_objective(f.add_project(client, n, 9'999.99), n), "T");
        f.add_entry(task, make_date(2026, 12, 1, 0, 0, 0), seconds, true);
        f.add_entry(task, make_date(2026, 12, 2, 0, 0, 0), seconds / 7, false);
        f.store->currency = currency.toStdString();

        f.select(0);
        expect_figures_fit(f.list, 1);
        // In a wide window the name column takes what room is left, at least its usual width.
        const int name_width = f.list->columnWidth(1);
        QVERIFY(name_width >= 174);
        const bool cut = text_width(f.list, name) > name_width;
        QCOMPARE(cut, name.size() > 20);
        if (cut)
            QCOMPARE(f.list->textElideMode(), Qt::ElideRight);
        f.select(name.toStdString().c_str());
        expect_figures_fit(f.list, 1);
        f.select("T");
        expect_figures_fit(f.list, -1);
    }

    // A running timer that makes a time longer widens its column instead of cutting it.
    void a_growing_time_widens_its_column() {
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key task = f.add_task(f.add_objective(f.add_project(client, "P", 30), "O"), "T");
        f.add_entry(task, f.today(), 86'399, false);
        f.select("T");
        toggle_timer(*f.ws, f.position_of("T"));
        f.store->lists.entries.front().Time = 999'999'998;
        timer_tick(*f.ws);
        QCOMPARE(f.list->topLevelItem(0)->text(1), QStringLiteral("11574/01:46:39"));
        expect_figures_fit(f.list, -1);
    }

    void an_empty_database_shows_a_zero_total() {
        ViewsFixture f;
        QCOMPARE(f.ws->tree_items.size(), std::size_t(1));
        f.select(0);
        QCOMPARE(f.headers(), (QStringList{"", "Client", "Total Time", "Time Billed",
                                           "Total Earned", "Total Billed"}));
        // The usual widths, or more where a head needs it.
        const QList<int> usual{0, 174, 65, 65, 75, 70};
        const QList<int> widths = column_widths(f.list);
        for (int c = 0; c < usual.size(); ++c)
            QVERIFY(usual[c] == 0 ? widths[c] == 0 : widths[c] >= usual[c]);
        QCOMPARE(f.rows(), (QStringList{"|||||", "|Total|00:00:00|00:00:00|£0.00|£0.00"}));
        QVERIFY(!f.ws->state.time_entries_shown);
    }

    void a_task_lists_its_entries_oldest_first() {
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 30);
        const Key objective = f.add_objective(project, "O");
        const Key task = f.add_task(objective, "T");
        const Key other = f.add_task(objective, "U");
        f.add_entry(task, make_date(2026, 12, 8, 0, 0, 0), 90061, true);
        f.add_entry(other, make_date(2026, 12, 7, 0, 0, 0), 60, false);
        f.add_entry(task, make_date(2026, 12, 2, 0, 0, 0), 3600, false);
        f.ws->state.to_do_list_shown = true;

        f.select("T");
        QVERIFY(f.ws->state.time_entries_shown);
        QVERIFY(!f.ws->state.to_do_list_shown);
        QCOMPARE(f.headers(), (QStringList{"Date", "Time", "Billed", "Rate", "Total", "Other"}));
        QCOMPARE(column_widths(f.list).last(), 0);
        QCOMPARE(f.rows(), (QStringList{"02/12/2026|01:00:00|No|£30.00|£30.00|",
                                        "08/12/2026|1/01:01:01|Yes|£30.00|£750.51|"}));
        QCOMPARE(f.entries_of("T").at(0).list_row, 0);
        QCOMPARE(f.entries_of("T").at(1).list_row, 1);

        f.select("U");
        QCOMPARE(f.entries_of("U").at(0).list_row, 0);
        f.select("T");
        QCOMPARE(f.entries_of("T").at(1).list_row, 1);
        QCOMPARE(f.list->topLevelItem(0)->textAlignment(1), int(Qt::AlignCenter));

        // The user's date format shows at once.
        f.store->date_mask = "%MM/%DD/%YY";
        show_item_details(*f.ws, f.position_of("T"));
        QCOMPARE(f.cell(0, 0), QStringLiteral("12/02/26"));
    }

    void a_position_without_a_record_leaves_the_list_empty() {
        ViewsFixture f;
        f.select(0);
        show_item_details(*f.ws, 42);
        QCOMPARE(f.list->topLevelItemCount(), 0);
        QCOMPARE(f.headers().at(1), QStringLiteral("Client"));
    }

    void notes_go_into_the_item_they_were_shown_for() {
        ViewsFixture f;
        const Key client = f.add_client("C");
        const Key project = f.add_project(client, "P", 30);
        f.add_objective(project, "O");
        // Apostrophes stay as typed, and nothing is cut however long the notes are.
        const QString typed =
            QStringLiteral("Don't forget: 'phase 2'\n") + QString(40000, QLatin1Char('x'));

        f.select("P");
        QCOMPARE(f.notes->toPlainText(), QString());
        f.notes->setPlainText(typed);
        f.select("O");
        QCOMPARE(f.notes->toPlainText(), QString());
        QCOMPARE(QString::fromStdString(f.store->lists.projects.at(0).project_note), typed);
        QVERIFY(f.store->lists.projects.at(0).modified);

        // Text typed while a client is shown has nowhere to go.
        f.select("C");
        f.notes->setPlainText(QStringLiteral("lost"));
        f.select("P");
        QCOMPARE(f.notes->toPlainText(), typed);

        f.restart();
        QCOMPARE(QString::fromStdString(f.store->lists.projects.at(0).project_note), typed);
        f.select("P");
        QCOMPARE(f.notes->toPlainText(), typed);
    }

    void a_failed_flush_shows_one_box_per_record() {
        ViewsFixture f;
        f.add_client("A");
        f.add_client("B");
        QCOMPARE(f.store->db.execute("DROP TABLE clients"), 0);
        for (ClientRecord& c : f.store->lists.clients)
            c.modified = true;
        flush_records(*f.ws);
        QCOMPARE(f.prompter.shown.size(), 2);
        for (const auto& shown : f.prompter.shown) {
            QCOMPARE(shown.title, QStringLiteral("Error"));
            QCOMPARE(shown.text, QStringLiteral("Could not write to Database"));
        }
        for (const ClientRecord& c : f.store->lists.clients)
            QVERIFY(c.modified);
        QVERIFY(!f.store->db.in_transaction());
    }
};

OLV_TEST_CLASS(DetailsTest)
#include "test_details.moc"
