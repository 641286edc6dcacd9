// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// A freelancer's day from the first client to the reload of the file, through the real dialogs,
// the timer, the in-place editing and the detail list.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// New Item on the selected item, the fields typed, OK clicked.
void create_with_dialog(ViewsFixture& f, int window, int title_field, const QString& title,
                        const QString& rate = {}) {
    new_item(*f.ws, current_position(*f.ws));
    ItemDialog* dialog = f.dialog(window);
    QVERIFY(dialog);
    type_into(dialog, title_field, title);
    if (!rate.isEmpty())
        type_into(dialog, dialog->rate_field()->objectName().toInt(), rate);
    const int ok = window == id::ClientDialog      ? id::ClientOk
                   : window == id::ProjectDialog   ? id::ProjectOk
                   : window == id::ObjectiveDialog ? id::ObjectiveOk
                                                   : id::TaskOk;
    click_button(dialog, ok);
    QVERIFY(!f.dialog(window));
}

} // namespace

class DayOfWorkTest : public QObject {
    Q_OBJECT

private slots:
    void a_day_of_work_from_first_client_to_reload() {
        ViewsFixture f;
        Workspace& ws = *f.ws;

        // The client, with an apostrophe in its name.
        f.select(0);
        create_with_dialog(f, id::ClientDialog, id::ClientName, QStringLiteral("O'Neil & Sons"),
                           QStringLiteral("35"));
        QCOMPARE(current_record(ws).kind, RecordKind::Client);
        QCOMPARE(tree_item_at(ws, current_position(ws))->text(0), QStringLiteral("O'Neil & Sons"));
        QCOMPARE(f.store->lists.clients.at(0).client_rate, 35.0);

        // The project dialog offers the client's rate; the project gets its own.
        new_item(ws, current_position(ws));
        ItemDialog* project_dialog = f.dialog(id::ProjectDialog);
        QVERIFY(project_dialog);
        QCOMPARE(project_dialog->rate_field()->text(), QStringLiteral("35.00"));
        type_into(project_dialog, id::ProjectTitle, QStringLiteral("Website"));
        type_into(project_dialog, id::ProjectRate, QStringLiteral("40"));
        project_dialog->start_picker()->setDate(QDate(2026, 12, 1));
        project_dialog->end_picker()->setDate(QDate(2026, 12, 31));
        click_button(project_dialog, id::ProjectOk);
        QCOMPARE(current_record(ws).kind, RecordKind::Project);
        const ProjectRecord& project = f.store->lists.projects.at(0);
        QCOMPARE(project.project_rate, 40.0);
        QCOMPARE(project.project_date, make_date(2026, 12, 1, 0, 0, 0));
        QCOMPARE(project.project_end, make_date(2026, 12, 31, 0, 0, 0));

        create_with_dialog(f, id::ObjectiveDialog, id::ObjectiveTitle, QStringLiteral("Design"));
        const std::int32_t design = current_position(ws);
        QCOMPARE(current_record(ws).kind, RecordKind::Objective);
        create_with_dialog(f, id::TaskDialog, id::TaskTitle, QStringLiteral("Mockups"));
        // A new task leaves its objective selected and open.
        QCOMPARE(current_position(ws), design);
        QVERIFY(tree_item_at(ws, design)->isExpanded());
        create_with_dialog(f, id::TaskDialog, id::TaskTitle, QStringLiteral("Logo"));
        QCOMPARE(current_position(ws), design);

        // A second client after the first in name order, for the delete at the end.
        f.select(0);
        create_with_dialog(f, id::ClientDialog, id::ClientName, QStringLiteral("Zeta Ltd"));
        create_with_dialog(f, id::ProjectDialog, id::ProjectTitle, QStringLiteral("Hosting"),
                           QStringLiteral("20"));
        create_with_dialog(f, id::ObjectiveDialog, id::ObjectiveTitle, QStringLiteral("Run"));
        create_with_dialog(f, id::TaskDialog, id::TaskTitle, QStringLiteral("Support"));
        QVERIFY(f.messages().isEmpty());

        // Start, count, stop, and start again the same day: one entry holds both runs.
        f.select("Mockups");
        toggle_timer(ws, current_position(ws));
        QVERIFY(f.item("Mockups (Running)"));
        QCOMPARE(f.rows().size(), 1);
        f.tick(100);
        QCOMPARE(f.cell(0, 1), QStringLiteral("00:01:40"));
        QCOMPARE(f.cell(0, 4), money(100 / 3600.0 * 40));
        toggle_timer(ws, current_position(ws));
        QVERIFY(f.item("Mockups"));
        f.tick(50);
        toggle_timer(ws, current_position(ws));
        f.tick(20);
        toggle_timer(ws, current_position(ws));
        QCOMPARE(f.entries_of("Mockups").size(), std::size_t(1));
        QCOMPARE(f.entries_of("Mockups").at(0).Time, 120);
        QCOMPARE(f.entries_of("Mockups").at(0).date, make_date(2026, 12, 10, 0, 0, 0));
        QCOMPARE(f.rows(), QStringList{QStringLiteral("10/12/2026|00:02:00|No|£40.00|£1.33|")});

        // The Time cell edited in place, then the entry billed.
        double_click_cell(f.list, 0, 1);
        QLineEdit* editor = cell_editing(ws).editor;
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("01:30:00"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!cell_editing(ws).editor);
        double_click_cell(f.list, 0, 2);
        QCOMPARE(f.rows(), QStringList{QStringLiteral("10/12/2026|01:30:00|Yes|£40.00|£60.00|")});
        QCOMPARE(f.entries_of("Mockups").at(0).Time, 5400);
        QCOMPARE(f.entries_of("Mockups").at(0).billed, 1);

        // Half an hour on the logo, an hour of support.
        f.select("Logo");
        toggle_timer(ws, current_position(ws));
        f.tick(1800);
        toggle_timer(ws, current_position(ws));
        f.select("Support");
        toggle_timer(ws, current_position(ws));
        f.tick(5);
        toggle_timer(ws, current_position(ws));
        double_click_cell(f.list, 0, 1);
        editor = cell_editing(ws).editor;
        QVERIFY(editor);
        editor->setText(QStringLiteral("1:00"));
        QTest::keyClick(editor, Qt::Key_Enter);
        double_click_cell(f.list, 0, 2);
        QCOMPARE(f.rows(), QStringList{QStringLiteral("10/12/2026|01:00:00|Yes|£20.00|£20.00|")});

        // Every figure up the tree: Mockups 5400 s billed and Logo 1800 s at 40, Support 3600 s
        // billed at 20.
        f.select("Design");
        QCOMPARE(f.headers(), (QStringList{"", "Task", "Total Time", "Time Billed", "Total Earned",
                                           "Total Billed"}));
        // Tasks due the same day come by title.
        QCOMPARE(f.rows(), (QStringList{"|Logo|00:30:00|00:00:00|£20.00|£0.00",
                                        "|Mockups|01:30:00|01:30:00|£60.00|£60.00", "|||||",
                                        "|Total|02:00:00|01:30:00|£80.00|£60.00"}));
        f.select("Website");
        QCOMPARE(f.rows(), (QStringList{"|Design|02:00:00|01:30:00|£80.00|£60.00", "|||||",
                                        "|Total|02:00:00|01:30:00|£80.00|£60.00"}));
        f.select("O'Neil & Sons");
        QCOMPARE(f.rows(), (QStringList{"?|Website|02:00:00|01:30:00|£80.00|£60.00", "|||||",
                                        "|Total|02:00:00|01:30:00|£80.00|£60.00"}));
        f.select(0);
        QCOMPARE(f.headers().at(1), QStringLiteral("Client"));
        QCOMPARE(f.rows(), (QStringList{"-|O'Neil & Sons|02:00:00|01:30:00|£80.00|£60.00",
                                        "-|Zeta Ltd|01:00:00|01:00:00|£20.00|£20.00", "|||||",
                                        "|Total|03:00:00|02:30:00|£100.00|£80.00"}));

        // Complete and accept both tasks: the objective follows at once, the project once the
        // objective's new flag has been read by the next pass.
        const std::int32_t mockups = f.position_of("Mockups");
        const std::int32_t logo = f.position_of("Logo");
        const std::int32_t website = f.position_of("Website");
        toggle_complete(ws, mockups);
        QCOMPARE(shown_image(tree_item_at(ws, mockups)), image::Complete);
        QCOMPARE(shown_image(tree_item_at(ws, design)), image::Objective);
        toggle_accepted(ws, mockups);
        toggle_complete(ws, logo);
        QCOMPARE(shown_image(tree_item_at(ws, design)), image::Complete);
        toggle_accepted(ws, logo);
        QCOMPARE(shown_image(tree_item_at(ws, mockups)), image::Accepted);
        QCOMPARE(shown_image(tree_item_at(ws, logo)), image::Accepted);
        QCOMPARE(shown_image(tree_item_at(ws, design)), image::Accepted);
        QCOMPARE(shown_image(tree_item_at(ws, website)), image::Accepted);
        QCOMPARE(f.store->lists.projects.at(0).complete, 1);
        QVERIFY(f.messages().isEmpty());

        // Everything as left after a new start.
        f.restart();
        QCOMPARE(f.store->lists.clients.at(0).client_name, std::string("O'Neil & Sons"));
        QCOMPARE(f.entries_of("Mockups").at(0).Time, 5400);
        QCOMPARE(f.entries_of("Mockups").at(0).billed, 1);
        QCOMPARE(f.task("Logo").task_checked, 1);
        QCOMPARE(f.task("Logo").task_complete, 1);
        f.select("Design");
        QCOMPARE(f.rows().last(), QStringLiteral("|Total|02:00:00|01:30:00|£80.00|£60.00"));

        // Delete the first client while a task of the second one runs.
        f.select("Support");
        toggle_timer(ws, current_position(ws));
        const std::int32_t support_before = f.position_of("Support (Running)");
        f.select("O'Neil & Sons");
        delete_item(ws);
        QCOMPARE(f.messages(), QStringList{QStringLiteral("Please Confirm Deletion")});
        QVERIFY(f.store->lists.projects.size() == 1 && f.store->lists.tasks.size() == 1);
        // Today's Support entry is billed: the timer counts into a new unbilled one beside it.
        QCOMPARE(f.store->lists.entries.size(), std::size_t(2));
        const std::int32_t support_after = f.position_of("Support (Running)");
        QVERIFY(support_after >= 0 && support_after < support_before);
        QCOMPARE(f.task("Support").tree_pos, support_after);
        QVERIFY(f.task("Support").running);
        f.tick(10);
        QCOMPARE(f.entries_of("Support").at(0).Time, 3600);
        QCOMPARE(f.entries_of("Support").at(1).Time, 10);
        QCOMPARE(f.store->db.query_table("SELECT key FROM task_detail"), 0);
        QCOMPARE(f.store->db.row_count(), 2);

        f.restart();
        QCOMPARE(f.store->lists.clients.size(), std::size_t(1));
        QCOMPARE(f.store->lists.clients.at(0).client_name, std::string("Zeta Ltd"));
        QCOMPARE(f.entries_of("Support").at(0).Time, 3600);
        QCOMPARE(f.entries_of("Support").at(1).Time, 10);
        QVERIFY(!f.task("Support").running);
        f.select(0);
        QCOMPARE(f.rows(), (QStringList{"-|Zeta Ltd|01:00:10|01:00:00|£20.06|£20.00", "|||||",
                                        "|Total|01:00:10|01:00:00|£20.06|£20.00"}));
    }
};

OLV_TEST_CLASS(DayOfWorkTest)
#include "test_day_of_work.moc"
