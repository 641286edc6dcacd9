// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// A freelancer's day on the real main window: the first start, clients and their work created
// through the dialogs, timed on the tree, corrected in the detail list, completed, printed,
// pruned, and found again after the next start.
#include "app_fixture.h"
#include "test_registry.h"
#include "views/images.h"
#include "views/item_dialog.h"
#include "views/list_editing.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

using namespace olv;
using namespace olv::testing;

namespace {

// Drives the real main window of an AppFixture as a user does, by labels of tree items.
struct Desk {
    AppFixture& f;

    QTreeWidget& tree() { return f.tree(); }
    QTreeWidget& list() { return *f.ws().list; }

    std::int32_t position_of(const QString& label) {
        const auto& items = f.ws().tree_items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i]->text(0) == label)
                return static_cast<std::int32_t>(i);
        return -1;
    }
    QTreeWidgetItem* item(const QString& label) {
        const std::int32_t position = position_of(label);
        return position < 0 ? nullptr : f.ws().tree_items.at(static_cast<std::size_t>(position));
    }
    QPoint centre_of(const QString& label) {
        QTreeWidgetItem* it = item(label);
        if (!it)
            return {};
        tree().scrollToItem(it);
        return tree().visualItemRect(it).center();
    }

    // A left click on an item that is not the current one (a click on the current item would
    // start editing its label).
    void click(const QString& label) {
        QTreeWidgetItem* it = item(label);
        QVERIFY2(it, qPrintable(label));
        QVERIFY2(it != tree().currentItem(), qPrintable(label));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, centre_of(label));
        QCOMPARE(tree().currentItem(), it);
    }
    // What a mouse sends: press, release, press, double click, release.
    void double_click(const QString& label) {
        QVERIFY2(item(label), qPrintable(label));
        const QPoint point = centre_of(label);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(tree().viewport(), Qt::LeftButton, {}, point);
    }
    // Right-click on the item and choose the entry `id` of the pop-up menu that opens.
    void choose_from_popup(const QString& label, int id) {
        QVERIFY2(item(label), qPrintable(label));
        const QPoint point = centre_of(label);
        bool chosen = false;
        QTimer::singleShot(0, &f.context, [&chosen, id] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            for (QAction* action : popup->findChildren<QAction*>(QString::number(id))) {
                action->trigger();
                chosen = true;
            }
            popup->close();
        });
        QTest::mouseClick(tree().viewport(), Qt::RightButton, {}, point);
        QContextMenuEvent request(QContextMenuEvent::Mouse, point,
                                  tree().viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(tree().viewport(), &request);
        QVERIFY2(chosen, qPrintable(QStringLiteral("%1 in the menu of %2").arg(id).arg(label)));
    }

    void press_tool_button(int id) {
        auto* button = f.window().findChild<QToolButton*>(QString::number(id));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    ItemDialog* dialog(int window) { return qobject_cast<ItemDialog*>(top_level_window(window)); }
    static void type_into(QWidget* dialog, int id, const QString& text) {
        auto* field = dialog->findChild<QLineEdit*>(QString::number(id));
        QVERIFY(field);
        field->selectAll();
        QTest::keyClicks(field, text);
        QCOMPARE(field->text(), text);
    }
    static void press(QWidget* dialog, int id) {
        auto* button = dialog->findChild<QPushButton*>(QString::number(id));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // New Item on the selected item: the title, the rate (left as offered when empty) and the
    // period typed, OK pressed; the new client, project or objective is selected.
    void create(int window, const QString& title, const QString& rate = {}, QDate start = QDate(),
                QDate end = QDate()) {
        QVERIFY(tree().currentItem());
        const QString parent = tree().currentItem()->text(0);
        press_tool_button(id::ButtonNewItem);
        ItemDialog* d = dialog(window);
        QVERIFY2(d, qPrintable(QString::number(window)));
        type_into(d, d->title_field()->objectName().toInt(), title);
        if (!rate.isEmpty())
            type_into(d, d->rate_field()->objectName().toInt(), rate);
        if (start.isValid())
            d->start_picker()->setDate(start);
        if (end.isValid())
            d->end_picker()->setDate(end);
        // Typing takes a while: no two records are made in the same second, so no two keys
        // coincide and the new item is the one selected.
        wait(15);
        const int ok = window == id::ClientDialog      ? id::ClientOk
                       : window == id::ProjectDialog   ? id::ProjectOk
                       : window == id::ObjectiveDialog ? id::ObjectiveOk
                                                       : id::TaskOk;
        press(d, ok);
        QVERIFY(!dialog(window));
        // A new task leaves its objective selected.
        QVERIFY(tree().currentItem());
        QCOMPARE(tree().currentItem()->text(0), window == id::TaskDialog ? parent : title);
    }

    // Time passes; the timers fire once it has.
    void wait(int seconds) {
        f.clock.advance_seconds(seconds);
        f.app->jobs().poll();
    }

    // The Time cell of a row edited in place: double-click, type, Enter.
    void edit_time(int row, const QString& typed) {
        QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, cell_centre(row, 1));
        QLineEdit* editor = cell_editing(f.ws()).editor;
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!cell_editing(f.ws()).editor);
    }
    void toggle_billed(int row) {
        QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, cell_centre(row, 2));
    }
    QPoint cell_centre(int row, int column) {
        return list().visualRect(list().model()->index(row, column)).center();
    }

    // Rows of the detail list, cells joined by "|".
    QStringList rows() {
        QStringList result;
        for (int r = 0; r < list().topLevelItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list().columnCount(); ++c)
                cells << list().topLevelItem(r)->text(c);
            result << cells.join(QLatin1Char('|'));
        }
        return result;
    }
    QStringList rows_of(const QString& label) {
        click(label);
        return rows();
    }

    // The program image the item's icon shows; -1 for none of the tree's images.
    int icon(const QString& label) {
        const QTreeWidgetItem* it = item(label);
        if (!it)
            return -1;
        const QImage shown =
            it->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int image : {image::Client, image::Task, image::Objective, image::User, image::Project,
                          image::Accepted, image::Complete, image::Overdue}) {
            if (program_icon(image).pixmap(16, 16).toImage().convertToFormat(
                    QImage::Format_ARGB32) == shown)
                return image;
        }
        return -1;
    }
    QList<int> icons(const QStringList& labels) {
        QList<int> result;
        for (const QString& label : labels)
            result << icon(label);
        return result;
    }

    const ProjectRecord* project(const std::string& title) {
        for (const ProjectRecord& p : f.app->store().lists.projects)
            if (p.project_title == title)
                return &p;
        return nullptr;
    }
    const TaskRecord* task(const std::string& title) {
        for (const TaskRecord& t : f.app->store().lists.tasks)
            if (t.task_title == title)
                return &t;
        return nullptr;
    }
    // Seconds and billed flag of every entry of the task, "seconds/billed".
    QStringList entries_of(const std::string& title) {
        QStringList result;
        const TaskRecord* t = task(title);
        if (!t)
            return {QStringLiteral("<no task>")};
        for (const TimeEntry& e : f.app->store().lists.entries)
            if (e.Task_Key == t->key)
                result << QStringLiteral("%1/%2").arg(e.Time).arg(e.billed);
        return result;
    }

    // Every item of the tree with its icon, notes and detail list, one click after the other
    // from the top; running marks left out, since a new start runs nothing.
    QStringList walk() {
        QStringList seen;
        for (std::size_t p = 0; p < f.ws().tree_items.size(); ++p) {
            QString label = f.ws().tree_items[p]->text(0);
            const int image = icon(label);
            if (tree().currentItem() != f.ws().tree_items[p])
                click(label);
            label.remove(QStringLiteral(" (Running)"));
            seen << QStringLiteral("%1 [%2] %3")
                        .arg(label)
                        .arg(image)
                        .arg(f.ws().notes->toPlainText());
            for (const QString& row : rows())
                seen << QStringLiteral("    ") + row;
        }
        return seen;
    }
};

// The lines of a PDF as pdftotext lays them out, runs of blanks made one, empty lines dropped.
QStringList pdf_lines(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed>")};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        const QString simple = line.simplified().remove(QLatin1Char('\f'));
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines;
}

} // namespace

class DayOfWorkTest : public QObject {
    Q_OBJECT

private slots:
    void a_day_of_work_on_the_main_window() {
        // Thursday 10 December 2026, 09:00:00: the first start asks for the user's name.
        AppFixture f;
        Desk desk{f};
        bool asked = false;
        f.answer_prompt(QStringLiteral("Robin"), Qt::Key_Return, &asked);
        QVERIFY(f.start());
        QVERIFY(asked);
        QCOMPARE(f.tree().currentItem(), desk.item(QStringLiteral("Robin")));

        // 1. Two clients and their work, through the New Item button and the dialogs.
        desk.create(id::ClientDialog, QStringLiteral("O'Neil & Sons"), QStringLiteral("37.5"));
        desk.press_tool_button(id::ButtonNewItem);
        ItemDialog* project = desk.dialog(id::ProjectDialog);
        QVERIFY(project);
        QCOMPARE(project->rate_field()->text(), QStringLiteral("37.50"));
        Desk::press(project, id::ProjectCancel);
        // Website has its own rate; Shop takes the client's, as offered.
        desk.create(id::ProjectDialog, QStringLiteral("Website"), QStringLiteral("40"),
                    QDate(2026, 12, 1), QDate(2026, 12, 31));
        desk.create(id::ObjectiveDialog, QStringLiteral("Design"), {}, {}, QDate(2026, 12, 31));
        desk.create(id::TaskDialog, QStringLiteral("Mockups"));
        desk.create(id::TaskDialog, QStringLiteral("Logo"));
        desk.click(QStringLiteral("O'Neil & Sons"));
        desk.create(id::ProjectDialog, QStringLiteral("Shop"));
        desk.create(id::ObjectiveDialog, QStringLiteral("Launch"));
        desk.create(id::TaskDialog, QStringLiteral("Payments"));
        desk.click(QStringLiteral("Robin"));
        desk.create(id::ClientDialog, QStringLiteral("Birch Ltd"), QStringLiteral("20"));
        desk.create(id::ProjectDialog, QStringLiteral("Hosting"));
        desk.create(id::ObjectiveDialog, QStringLiteral("Run"));
        desk.create(id::TaskDialog, QStringLiteral("Support"));
        if (QTest::currentTestFailed())
            return;

        // Clients by name, projects by start date, tasks by end date and title.
        const QStringList tree_order{"Robin",         "Birch Ltd", "Hosting", "Run",  "Support",
                                     "O'Neil & Sons", "Website",   "Design",  "Logo", "Mockups",
                                     "Shop",          "Launch",    "Payments"};
        for (int p = 0; p < tree_order.size(); ++p)
            QCOMPARE(desk.position_of(tree_order[p]), p);
        QCOMPARE(f.app->store().lists.projects.size(), std::size_t(3));
        QCOMPARE(desk.project("Website")->project_rate, 40.0);
        QCOMPARE(desk.project("Shop")->project_rate, 37.5);
        QCOMPARE(desk.project("Hosting")->project_rate, 20.0);

        // 2. Mockups: 100 s, a 50 s pause, 20 s more the same day: one entry of 120 s.
        desk.double_click(QStringLiteral("Mockups"));
        QVERIFY(desk.item(QStringLiteral("Mockups (Running)")));
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|00:00:00|No|£40.00|£0.00|"});
        desk.wait(100);
        // 100 / 3600 h x 40 = 1.11
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|00:01:40|No|£40.00|£1.11|"});
        desk.double_click(QStringLiteral("Mockups (Running)"));
        QVERIFY(desk.item(QStringLiteral("Mockups")));
        desk.wait(50);
        desk.double_click(QStringLiteral("Mockups"));
        desk.wait(20);
        desk.double_click(QStringLiteral("Mockups (Running)"));
        QCOMPARE(desk.entries_of("Mockups"), QStringList{"120/0"});
        // 120 / 3600 h x 40 = 1.33
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|00:02:00|No|£40.00|£1.33|"});

        // 3. The Time cell corrected in place, then the entry billed.
        desk.edit_time(0, QStringLiteral("01:30:00"));
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|01:30:00|No|£40.00|£60.00|"});
        desk.toggle_billed(0);
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|01:30:00|Yes|£40.00|£60.00|"});
        QCOMPARE(desk.entries_of("Mockups"), QStringList{"5400/1"});

        // Half an hour on the logo, twenty minutes on the shop's payments, an hour of support
        // typed as 1:00 and billed.
        desk.double_click(QStringLiteral("Logo"));
        desk.wait(1800);
        desk.double_click(QStringLiteral("Logo (Running)"));
        desk.double_click(QStringLiteral("Payments"));
        desk.wait(1200);
        desk.double_click(QStringLiteral("Payments (Running)"));
        desk.double_click(QStringLiteral("Support"));
        desk.wait(5);
        desk.double_click(QStringLiteral("Support (Running)"));
        desk.edit_time(0, QStringLiteral("1:00"));
        desk.toggle_billed(0);
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|01:00:00|Yes|£20.00|£20.00|"});
        if (QTest::currentTestFailed())
            return;

        // 4. Every figure up the tree. Logo 1800 s and Mockups 5400 s billed at 40; Payments
        // 1200 s at 37.50 (12.50); Support 3600 s billed at 20.
        QCOMPARE(desk.rows_of(QStringLiteral("Design")),
                 (QStringList{"|Logo|00:30:00|00:00:00|£20.00|£0.00",
                              "|Mockups|01:30:00|01:30:00|£60.00|£60.00", "|||||",
                              "|Total|02:00:00|01:30:00|£80.00|£60.00"}));
        QCOMPARE(desk.list().headerItem()->text(1), QStringLiteral("Task"));
        QCOMPARE(desk.rows_of(QStringLiteral("Website")),
                 (QStringList{"|Design|02:00:00|01:30:00|£80.00|£60.00", "|||||",
                              "|Total|02:00:00|01:30:00|£80.00|£60.00"}));
        QCOMPARE(desk.rows_of(QStringLiteral("Launch")),
                 (QStringList{"|Payments|00:20:00|00:00:00|£12.50|£0.00", "|||||",
                              "|Total|00:20:00|00:00:00|£12.50|£0.00"}));
        // Each project at its own rate: 80.00 + 12.50.
        QCOMPARE(desk.rows_of(QStringLiteral("O'Neil & Sons")),
                 (QStringList{"?|Website|02:00:00|01:30:00|£80.00|£60.00",
                              "?|Shop|00:20:00|00:00:00|£12.50|£0.00", "|||||",
                              "|Total|02:20:00|01:30:00|£92.50|£60.00"}));
        QCOMPARE(desk.rows_of(QStringLiteral("Birch Ltd")),
                 (QStringList{"?|Hosting|01:00:00|01:00:00|£20.00|£20.00", "|||||",
                              "|Total|01:00:00|01:00:00|£20.00|£20.00"}));
        // 3600 + 8400 s = 03:20:00; 3600 + 5400 s billed = 02:30:00.
        const QStringList user_view{"-|Birch Ltd|01:00:00|01:00:00|£20.00|£20.00",
                                    "-|O'Neil & Sons|02:20:00|01:30:00|£92.50|£60.00", "|||||",
                                    "|Total|03:20:00|02:30:00|£112.50|£80.00"};
        QCOMPARE(desk.rows_of(QStringLiteral("Robin")), user_view);
        QCOMPARE(desk.list().headerItem()->text(1), QStringLiteral("Client"));

        // 5. Mockups completed and accepted from its pop-up menu: its icon follows at once, the
        // objective stays open while Logo is.
        const QStringList watched{"Mockups", "Logo", "Design", "Website"};
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Task, image::Task, image::Objective, image::Project}));
        desk.choose_from_popup(QStringLiteral("Mockups"), id::TaskComplete);
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Complete, image::Task, image::Objective, image::Project}));
        desk.choose_from_popup(QStringLiteral("Mockups"), id::TaskAccepted);
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Accepted, image::Task, image::Objective, image::Project}));
        QCOMPARE(desk.task("Mockups")->task_complete, 1);
        QCOMPARE(desk.task("Mockups")->task_checked, 1);

        // Logo accepted in its Task dialog: ticking Accepted ticks Completed. The icons wait
        // for the status refresh, and the project reads its objective's flag one refresh later.
        desk.click(QStringLiteral("Logo"));
        desk.press_tool_button(id::ButtonEditItem);
        ItemDialog* logo = desk.dialog(id::TaskDialog);
        QVERIFY(logo);
        QTest::mouseClick(logo->accepted_box(), Qt::LeftButton);
        QVERIFY(logo->accepted_box()->isChecked());
        QVERIFY(logo->completed_box()->isChecked());
        Desk::press(logo, id::TaskOk);
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Accepted, image::Task, image::Objective, image::Project}));
        desk.wait(2);
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Accepted, image::Accepted, image::Accepted, image::Project}));
        QCOMPARE(desk.project("Website")->complete, 0);
        desk.wait(2);
        QCOMPARE(desk.icons(watched),
                 (QList<int>{image::Accepted, image::Accepted, image::Accepted, image::Accepted}));
        QCOMPARE(desk.project("Website")->complete, 1);
        QCOMPARE(desk.icons({"Shop", "Launch", "Payments"}),
                 (QList<int>{image::Project, image::Objective, image::Task}));
        if (QTest::currentTestFailed())
            return;

        // 6. File > Print with the user selected: the user report on paper.
        desk.click(QStringLiteral("Robin"));
        f.prompter.printer_output = f.path(QStringLiteral("robin.pdf"));
        f.window().menu_item(id::FilePrint)->trigger();
        QCOMPARE(pdf_lines(f.prompter.printer_output),
                 (QStringList{"Report for User: Robin", "Printed on 10/12/2026",
                              "Client Total Time Time Billed Total Earned Total Billed",
                              "Birch Ltd 01:00:00 01:00:00 £20.00 £20.00",
                              "O'Neil & Sons 02:20:00 01:30:00 £92.50 £60.00",
                              "TOTALS 03:20:00 02:30:00 £112.50 £80.00", "Page 1 of 1"}));
        QCOMPARE(desk.rows(), user_view);

        // The to-do list: only what is still open. Website, Design, Logo and Mockups are done;
        // the rest is due today.
        desk.press_tool_button(id::ButtonToDoList);
        QVERIFY(f.ws().state.to_do_list_shown);
        QCOMPARE(desk.rows(),
                 (QStringList{"|Birch Ltd||||", "|    - Hosting|Due On : 10/12/2026|||",
                              "|        - Run|Due On : 10/12/2026|||",
                              "|            - Support|Due On : 10/12/2026|||", "|||||",
                              "|O'Neil & Sons||||", "|    - Shop|Due On : 10/12/2026|||",
                              "|        - Launch|Due On : 10/12/2026|||",
                              "|            - Payments|Due On : 10/12/2026|||", "|||||"}));
        if (QTest::currentTestFailed())
            return;

        // 7. Payments runs on (same day: the same entry) while Birch Ltd goes with its project,
        // objective, task and entry. Payments moves from position 12 to 8 and keeps counting.
        desk.double_click(QStringLiteral("Payments"));
        desk.wait(600);
        desk.click(QStringLiteral("Birch Ltd"));
        desk.press_tool_button(id::ButtonDeleteItem);
        QCOMPARE(f.messages(), QStringList{"Please Confirm Deletion"});
        QCOMPARE(desk.position_of(QStringLiteral("Birch Ltd")), -1);
        QCOMPARE(desk.position_of(QStringLiteral("Payments (Running)")), 8);
        QCOMPARE(desk.task("Payments")->tree_pos, 8);
        QCOMPARE(desk.task("Payments")->running, 1);
        QVERIFY(!desk.task("Support"));
        desk.click(QStringLiteral("Payments (Running)"));
        desk.wait(360);
        // 1200 + 600 + 360 s = 00:36:00; 0.6 h x 37.50 = 22.50
        QCOMPARE(desk.rows(), QStringList{"10/12/2026|00:36:00|No|£37.50|£22.50|"});
        QCOMPARE(desk.entries_of("Payments"), QStringList{"2160/0"});
        {
            DatabaseProbe probe(f.default_db());
            QCOMPARE(probe.rows("SELECT client_name FROM clients"), QStringList{"O'Neil & Sons"});
            QCOMPARE(probe.rows("SELECT count(*) FROM project UNION ALL SELECT count(*) FROM "
                                "objectives UNION ALL SELECT count(*) FROM task UNION ALL "
                                "SELECT count(*) FROM task_detail"),
                     (QStringList{"2", "2", "3", "3"}));
        }
        QCOMPARE(desk.rows_of(QStringLiteral("O'Neil & Sons")),
                 (QStringList{"?|Website|02:00:00|01:30:00|£80.00|£60.00",
                              "?|Shop|00:36:00|00:00:00|£22.50|£0.00", "|||||",
                              "|Total|02:36:00|01:30:00|£102.50|£60.00"}));
        if (QTest::currentTestFailed())
            return;

        // 8. A note for the launch, a last look at everything, then closed with Payments still
        // running and Launch selected, and started again.
        desk.click(QStringLiteral("Launch"));
        f.ws().notes->setFocus();
        QTest::keyClicks(f.ws().notes, QStringLiteral("Go live after Monday's review"));
        const QStringList as_left = desk.walk();
        QVERIFY(as_left.contains(QStringLiteral("Launch [2] Go live after Monday's review")));
        desk.click(QStringLiteral("Launch"));
        f.window().close();
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        f.app.reset();

        QVERIFY(f.start());
        QVERIFY(!f.unexpected_prompt);
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(f.tree().currentItem(), desk.item(QStringLiteral("Launch")));
        QCOMPARE(f.ws().notes->toPlainText(), QStringLiteral("Go live after Monday's review"));
        QCOMPARE(desk.rows(), (QStringList{"|Payments|00:36:00|00:00:00|£22.50|£0.00", "|||||",
                                           "|Total|00:36:00|00:00:00|£22.50|£0.00"}));
        QVERIFY(desk.item(QStringLiteral("Payments")));
        QCOMPARE(desk.task("Payments")->running, 0);
        QCOMPARE(desk.entries_of("Mockups"), QStringList{"5400/1"});
        QCOMPARE(desk.entries_of("Logo"), QStringList{"1800/0"});
        QCOMPARE(desk.entries_of("Payments"), QStringList{"2160/0"});
        QCOMPARE(desk.task("Logo")->task_complete, 1);
        QCOMPARE(desk.task("Logo")->task_checked, 1);
        QCOMPARE(desk.walk(), as_left);
        QCOMPARE(desk.rows_of(QStringLiteral("Robin")),
                 (QStringList{"-|O'Neil & Sons|02:36:00|01:30:00|£102.50|£60.00", "|||||",
                              "|Total|02:36:00|01:30:00|£102.50|£60.00"}));
        // Nothing runs after a new start.
        desk.wait(30);
        QCOMPARE(desk.entries_of("Payments"), QStringList{"2160/0"});
        QCOMPARE(f.messages(), QStringList{"Please Confirm Deletion"});
    }
};

OLV_TEST_CLASS(DayOfWorkTest)

#include "test_day_of_work.moc"
