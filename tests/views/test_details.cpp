// The detail list and the notes box for the selected item, and the flush of the views.
#include "test_registry.h"
#include "view_helpers.h"

#include <QHeaderView>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

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
    void an_empty_database_shows_a_zero_total() {
        ViewsFixture f;
        QCOMPARE(f.ws->tree_items.size(), std::size_t(1));
        f.select(0);
        QCOMPARE(f.headers(), (QStringList{"", "Client", "Total Time", "Time Billed",
                                           "Total Earned", "Total Billed"}));
        QCOMPARE(column_widths(f.list), (QList<int>{0, 174, 65, 65, 75, 70}));
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
        QCOMPARE(column_widths(f.list), (QList<int>{124, 90, 60, 80, 95, 0}));
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
