// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/dispatch.h"
#include "app/period_report_window.h"
#include "app_fixture.h"
#include "file_bytes.h"
#include "test_registry.h"
#include "views/progress.h"
#include "views/tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

using namespace olv;
using namespace olv::testing;

namespace {

// Acme Ltd (Website at 60.00 an hour, task Design) and Zeta (Other at 30.00, task Misc), with
// entries on both edges of November and outside it. Today is 2026-12-10.
void november(Store& store) {
    const DateValue start = make_date(2026, 1, 1, 0, 0, 0);
    const DateValue end = make_date(2027, 6, 30, 0, 0, 0);
    AccessLayer& sql = store.db;
    sql.execute(insert_client_sql(100, "Acme Ltd", 50));
    sql.execute(insert_client_sql(101, "Zeta", 50));
    sql.execute(insert_project_sql(200, "Website", 100, start, end, 60));
    sql.execute(insert_project_sql(201, "Other", 101, start, end, 30));
    sql.execute(insert_objective_sql(300, "Launch", 200, start, end));
    sql.execute(insert_objective_sql(301, "Odds", 201, start, end));
    sql.execute(insert_task_sql(400, false, "Design", 300, start, end, false));
    sql.execute(insert_task_sql(401, false, "Misc", 301, start, end, false));
    const auto entry = [&](Key key, Key task, int seconds, int month, int day, bool billed) {
        sql.execute("INSERT INTO task_detail VALUES(" + std::to_string(key) + "," +
                    std::to_string(task) + "," + std::to_string(seconds) + "," +
                    std::to_string(make_date(2026, month, day, 0, 0, 0)) + "," +
                    (billed ? "1" : "0") + ");");
    };
    entry(500, 400, 3600, 11, 1, false);  // 60.00
    entry(501, 400, 1800, 11, 30, false); // 30.00
    entry(502, 400, 900, 11, 15, true);   // 15.00
    entry(503, 400, 600, 10, 31, false);
    entry(504, 401, 3600, 11, 10, false);
    entry(505, 400, 60, 12, 1, false); // 1.00
}

QStringList rows_of(const QAbstractItemModel* model) {
    QStringList rows;
    for (int i = 0; i < model->rowCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(i, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList rows_of(const QTableView* list) {
    return rows_of(list->model());
}

QStringList rows_of(const QTreeWidget* list) {
    return rows_of(list->model());
}

int row_count(const QTableView* list) {
    return list->model()->rowCount();
}

// How long work runs before its progress window shows, for one test.
struct ShowProgressAfter {
    int kept = Progress::show_after_ms;
    explicit ShowProgressAfter(int ms) { Progress::show_after_ms = ms; }
    ~ShowProgressAfter() { Progress::show_after_ms = kept; }
};

struct PeriodApp : AppFixture {
    PeriodApp() {
        prepare(november);
        QVERIFY(start());
    }

    void select(RecordKind kind, Key key) {
        const RecordLists& lists = app->store().lists;
        std::int32_t position = -1;
        const auto find = [&](const auto& list) {
            for (const auto& r : list)
                if (r.key == key)
                    position = r.tree_pos;
        };
        if (kind == RecordKind::Client)
            find(lists.clients);
        else if (kind == RecordKind::Task)
            find(lists.tasks);
        select_tree_position(ws(), position);
    }

    PeriodReportWindow* open(PeriodBoxItem period) {
        app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = app->period_report();
        if (w)
            w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
                ->setCurrentIndex(static_cast<int>(period));
        return w;
    }

    static void click(PeriodReportWindow* w, int id) {
        auto* button = w->findChild<QPushButton*>(QString::number(id));
        QVERIFY(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static bool enabled(PeriodReportWindow* w, int id) {
        return w->findChild<QPushButton*>(QString::number(id))->isEnabled();
    }

    QStringList stored_billed() {
        DatabaseProbe probe(default_db());
        return probe.rows("SELECT key, billed FROM task_detail ORDER BY key");
    }
};

} // namespace

class PeriodReportTest : public QObject {
    Q_OBJECT

private slots:
    void menuItemBetweenFileAndHelp() {
        PeriodApp f;
        QStringList menus;
        for (QAction* a : f.window().menuBar()->actions())
            menus << a->text().remove(QLatin1Char('&'));
        QCOMPARE(menus, QStringList({"File", "Reports", "Help"}));
        QAction* item = f.window().menu_item(id::ReportsPeriodReport);
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("&Period Report…"));
        QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    }

    // A freelancer opens the window on a client, chooses last month, sees what to invoice,
    // exports it, marks it billed and undoes that.
    void invoiceLastMonth() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(),
                 QStringLiteral(
                     "Period Report - Report for Client: Acme Ltd, 01/11/2026 to 30/11/2026"));
        QCOMPARE(rows_of(w->rows_list()),
                 QStringList({"Website|01:45:00|00:15:00|£105.00|£15.00|£90.00",
                              "Total|01:45:00|00:15:00|£105.00|£15.00|£90.00"}));
        QCOMPARE(
            rows_of(w->entries_list()),
            QStringList({"01/11/2026|Acme Ltd|Website|Launch|Design|01:00:00|No|£60.00|£60.00",
                         "15/11/2026|Acme Ltd|Website|Launch|Design|00:15:00|Yes|£60.00|£15.00",
                         "30/11/2026|Acme Ltd|Website|Launch|Design|00:30:00|No|£60.00|£30.00"}));

        w->findChild<QCheckBox*>(QString::number(id::PeriodUnbilledOnly))->setChecked(true);
        QCOMPARE(rows_of(w->rows_list()).last(),
                 QStringLiteral("Total|01:30:00|00:00:00|£90.00|£0.00|£90.00"));
        QCOMPARE(row_count(w->entries_list()), 2);

        f.prompter.file_name = f.path(QStringLiteral("acme-november"));
        PeriodApp::click(w, id::PeriodExportCsv);
        QFile csv(f.path(QStringLiteral("acme-november.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(),
                 QByteArray(
                     "Date,Client,Project,Objective,Task,Time,Seconds,Billed,Rate,Amount\r\n"
                     "2026-11-01,Acme Ltd,Website,Launch,Design,1:00:00,3600,no,60.00,60.00\r\n"
                     "2026-11-30,Acme Ltd,Website,Launch,Design,0:30:00,1800,no,60.00,30.00\r\n"));

        f.prompter.confirm_answer = true;
        PeriodApp::click(w, id::PeriodMarkBilled);
        QCOMPARE(f.prompter.shown.last().title, QStringLiteral("Mark as Billed"));
        QCOMPARE(f.prompter.shown.last().text,
                 QStringLiteral("Mark 2 entries (1:30:00, £90.00) as billed?"));
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|1", "501|1", "502|1", "503|0", "504|0", "505|0"}));
        QCOMPARE(row_count(w->entries_list()), 0);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodMarkBilled));
        // The main window's list shows the client's figures with the new billed time.
        QVERIFY2(rows_of(f.window().list()).first().contains(QStringLiteral("|01:45:00|")),
                 qPrintable(rows_of(f.window().list()).join('\n')));

        PeriodApp::click(w, id::PeriodUndoMark);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|0", "501|0", "502|1", "503|0", "504|0", "505|0"}));
        QCOMPARE(row_count(w->entries_list()), 2);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodUndoMark));
        QVERIFY(rows_of(f.window().list()).first().contains(QStringLiteral("|00:15:00|")));
        QVERIFY(!f.messages().contains(QStringLiteral("Could not write to Database")));
    }

    // Custom days, both included; the last day never comes before the first.
    void customDays() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::Custom);
        auto* from = w->findChild<QDateEdit*>(QString::number(id::PeriodFrom));
        auto* to = w->findChild<QDateEdit*>(QString::number(id::PeriodTo));
        QVERIFY(from->isEnabled() && to->isEnabled());
        QCOMPARE(from->displayFormat(), QStringLiteral("dd/MM/yyyy"));
        from->setDate(QDate(2026, 11, 30));
        to->setDate(QDate(2026, 12, 1));
        QCOMPARE(
            rows_of(w->entries_list()),
            QStringList({"30/11/2026|Acme Ltd|Website|Launch|Design|00:30:00|No|£60.00|£30.00",
                         "01/12/2026|Acme Ltd|Website|Launch|Design|00:01:00|No|£60.00|£1.00"}));
        // A first day after the last one moves neither: the period is empty, and says so.
        auto* note = w->findChild<QLabel*>(QStringLiteral("PeriodNote"));
        from->setDate(QDate(2026, 12, 5));
        QCOMPARE(to->date(), QDate(2026, 12, 1));
        QCOMPARE(row_count(w->entries_list()), 0);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodMarkBilled));
        QVERIFY(note && !note->isHidden());
        QVERIFY(note->text().contains(QStringLiteral("before the first")));
        QCOMPARE(rows_of(w->rows_list()).last(),
                 QStringLiteral("Total|00:00:00|00:00:00|£0.00|£0.00|£0.00"));
        to->setDate(QDate(2026, 12, 31));
        QVERIFY(note->isHidden());
        from->setDate(QDate(2026, 12, 1));
        QCOMPARE(row_count(w->entries_list()), 1);

        // Any other period shows its days in the pickers, which then take no input.
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::LastWeek));
        QVERIFY(!from->isEnabled());
        QCOMPARE(from->date(), QDate(2026, 11, 30));
        QCOMPARE(to->date(), QDate(2026, 12, 6));
        QCOMPARE(row_count(w->entries_list()), 2);
    }

    void exportCancelledOrRefused() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.file_name.clear(); // the dialog is cancelled
        PeriodApp::click(w, id::PeriodExportCsv);
        QVERIFY(f.messages().isEmpty());

        const QString refused = f.path(QStringLiteral("no such folder/acme.csv"));
        f.prompter.file_name = refused;
        PeriodApp::click(w, id::PeriodExportCsv);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages().front().startsWith(QStringLiteral("Could not write ") + refused));
        QVERIFY(!QFile::exists(refused));
    }

    // Through the real save dialog, as a user does it: an existing file is replaced only after
    // the dialog asked; the open database is never written over, even when the user says yes.
    void exportAsksAndNeverWritesOverTheDatabase() {
        AppFixture f;
        f.prepare(november);
        QtPrompter real;
        QVERIFY(f.start(&real));
        select_tree_position(f.ws(), 0);
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = f.app->period_report();
        QVERIFY(w);
        // The dialog opens in the working folder, which here holds the open database.
        QDir::setCurrent(f.data_folder());
        const QString old_csv = f.data_folder() + QStringLiteral("/old.csv");
        {
            QFile old(old_csv);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("kept\n");
        }

        // Each step answers the window that is up: the dialog gets the name, a question gets
        // its answer, a message is read and closed.
        QStringList questions;
        QStringList said;
        const auto answer = [&](const QString& file, bool replace) {
            questions.clear();
            said.clear();
            auto* poll = new QTimer(&f.context);
            QObject::connect(poll, &QTimer::timeout, &f.context, [=, &questions, &said] {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    if (box->text().contains(QStringLiteral("already exists"))) {
                        questions << box->text();
                        box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                    } else {
                        said << box->text();
                        box->button(QMessageBox::Ok)->click();
                    }
                    return;
                }
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog)
                    return;
                if (!questions.isEmpty() && !replace) {
                    dialog->reject();
                    return;
                }
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (dialog->selectedFiles().value(0) != file) {
                    name->setText(file);
                    return;
                }
                // Its OK button, once this step has returned: the question it asks is the next
                // step's.
                QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
            });
            QObject::connect(w, &QObject::destroyed, poll, &QObject::deleteLater);
            poll->start(10);
            return poll;
        };

        const QByteArray database = contents(f.default_db());
        QTimer* poll = answer(f.default_db(), true);
        PeriodApp::click(w, id::PeriodExportCsv);
        poll->deleteLater();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.front().contains(QStringLiteral("would overwrite a database")),
                 qPrintable(said.front()));
        QCOMPARE(contents(f.default_db()), database);

        poll = answer(old_csv, false);
        PeriodApp::click(w, id::PeriodExportCsv);
        poll->deleteLater();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(contents(old_csv), QByteArray("kept\n"));

        poll = answer(old_csv, true);
        PeriodApp::click(w, id::PeriodExportCsv);
        poll->deleteLater();
        QCOMPARE(questions.size(), 1);
        QVERIFY(said.isEmpty());
        QVERIFY(contents(old_csv).startsWith("Date,Client,Project"));

        // The database is still one: the program writes to it and closes without a word.
        f.app->close_main_window();
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT count(*) FROM task_detail"),
                 QStringList{"6"});
    }

    void printsWhatItShows() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.printer_output = f.path(QStringLiteral("acme.pdf"));
        PeriodApp::click(w, id::PeriodPrint);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {f.prompter.printer_output, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains(
                     QStringLiteral("Report for Client: Acme Ltd, 01/11/2026 to 30/11/2026")),
                 qPrintable(printed));
        QVERIFY(printed.contains(QStringLiteral("£105.00")));
        QVERIFY(printed.contains(QStringLiteral("30/11/2026")));
    }

    void answeringNoChangesNothing() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.confirm_answer = false;
        PeriodApp::click(w, id::PeriodMarkBilled);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|0", "501|0", "502|1", "503|0", "504|0", "505|0"}));
        QVERIFY(!PeriodApp::enabled(w, id::PeriodUndoMark));
    }

    // Another program holds the file: nothing is written and nothing changes in memory.
    void lockedDatabaseLeavesTheMarks() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        const QStringList before = rows_of(w->entries_list());
        QCOMPARE(f.app->store().db.execute("PRAGMA busy_timeout = 0"), 0);
        DatabaseProbe other(f.default_db());
        QCOMPARE(other.db.execute("BEGIN EXCLUSIVE"), 0);

        PeriodApp::click(w, id::PeriodMarkBilled);
        QCOMPARE(f.prompter.shown.last().text, QStringLiteral("Could not write to Database"));
        QCOMPARE(rows_of(w->entries_list()), before);
        for (const TimeEntry& e : f.app->store().lists.entries)
            QCOMPARE(e.billed != 0, e.key == 502);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodUndoMark));
        other.db.execute("ROLLBACK");
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|0", "501|0", "502|1", "503|0", "504|0", "505|0"}));
    }

    // Time recorded while the window is open shows at once; the entry being timed is never
    // marked billed.
    void runningTimerCountsButStaysUnbilled() {
        PeriodApp f;
        f.select(RecordKind::Task, 400);
        f.app->handle_event(menu_event(id::TaskStart, id::MainWindow));
        PeriodReportWindow* w = f.open(PeriodBoxItem::ThisMonth);
        QCOMPARE(rows_of(w->rows_list()).last(),
                 QStringLiteral("Total|00:01:00|00:00:00|£1.00|£0.00|£1.00"));
        f.clock.advance_seconds(90);
        f.app->jobs().poll();
        QCOMPARE(rows_of(w->rows_list()).last(),
                 QStringLiteral("Total|00:02:30|00:00:00|£2.50|£0.00|£2.50"));

        f.prompter.confirm_answer = true;
        PeriodApp::click(w, id::PeriodMarkBilled);
        QCOMPARE(f.prompter.shown.last().text,
                 QStringLiteral("Mark 1 entry (0:01:00, £1.00) as billed?\n\n"
                                "The entry being timed stays unbilled."));
        // Its seconds so far were flushed with the marks.
        DatabaseProbe probe(f.default_db());
        QCOMPARE(probe.rows("SELECT time, billed FROM task_detail WHERE task_key = 400 AND "
                            "key > 505"),
                 QStringList({"90|0"}));
        QCOMPARE(probe.rows("SELECT billed FROM task_detail WHERE key = 505"), QStringList({"1"}));
    }

    // Typing the last day digit by digit passes through days before the first one; the first
    // day stays where the user put it.
    void typingTheLastDayKeepsTheFirst() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::Custom);
        auto* from = w->findChild<QDateEdit*>(QString::number(id::PeriodFrom));
        auto* to = w->findChild<QDateEdit*>(QString::number(id::PeriodTo));
        from->setDate(QDate(2026, 3, 20));
        to->setDate(QDate(2026, 3, 31));
        to->setFocus();
        to->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(to, QStringLiteral("05042026"));
        QCOMPARE(to->date(), QDate(2026, 4, 5));
        QCOMPARE(from->date(), QDate(2026, 3, 20));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("20/03/2026 to 05/04/2026")));
    }

    // Each Mark as Billed of the window is undone in turn, the latest first, whatever period
    // the window shows meanwhile.
    void twoMarksAreUndoneInReverseOrder() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.confirm_answer = true;
        PeriodApp::click(w, id::PeriodMarkBilled);
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::ThisMonth));
        PeriodApp::click(w, id::PeriodMarkBilled);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|1", "501|1", "502|1", "503|0", "504|0", "505|1"}));
        QCOMPARE(rows_of(w->entries_list()),
                 QStringList({"01/12/2026|Acme Ltd|Website|Launch|Design|00:01:00|Yes|£60.00|"
                              "£1.00"}));

        PeriodApp::click(w, id::PeriodUndoMark);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|1", "501|1", "502|1", "503|0", "504|0", "505|0"}));
        QCOMPARE(rows_of(w->rows_list()).last(),
                 QStringLiteral("Total|00:01:00|00:00:00|£1.00|£0.00|£1.00"));
        QVERIFY(PeriodApp::enabled(w, id::PeriodUndoMark));
        PeriodApp::click(w, id::PeriodUndoMark);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|0", "501|0", "502|1", "503|0", "504|0", "505|0"}));
        QVERIFY(!PeriodApp::enabled(w, id::PeriodUndoMark));
        for (const TimeEntry& e : f.app->store().lists.entries)
            QCOMPARE(e.billed != 0, e.key == 502);
    }

    // Another file opened since the marks: their keys mean other entries there, which an undo
    // must not touch; the first file keeps its marks.
    void fileOpenEndsTheUndo() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.confirm_answer = true;
        PeriodApp::click(w, id::PeriodMarkBilled);
        QVERIFY(PeriodApp::enabled(w, id::PeriodUndoMark));

        const QString other = f.path(QStringLiteral("other.db"));
        f.make_database(other, "Bea", [](Store& store) {
            november(store);
            store.db.execute("UPDATE task_detail SET billed = 1");
        });
        f.prompter.open_name = other;
        dispatch_event(*f.app, menu_event(id::FileOpen, id::MainWindow));
        QCOMPARE(f.app->database_path(), other);
        QVERIFY(!w->can_undo());
        QVERIFY(!PeriodApp::enabled(w, id::PeriodUndoMark));
        w->undo_mark();
        QCOMPARE(DatabaseProbe(other).rows("SELECT key, billed FROM task_detail ORDER BY key"),
                 QStringList({"500|1", "501|1", "502|1", "503|1", "504|1", "505|1"}));
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|1", "501|1", "502|1", "503|0", "504|0", "505|0"}));
    }

    // While a mark can be undone, the report on another item is opened only when the user
    // agrees; the same item again keeps the window and its undo.
    void anotherItemAsksFirstWhileUndoIsPossible() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        f.prompter.confirm_answer = true;
        PeriodApp::click(w, id::PeriodMarkBilled);
        const qsizetype asked = f.prompter.shown.size();

        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        QCOMPARE(f.app->period_report(), w);
        QCOMPARE(f.prompter.shown.size(), asked);

        f.select(RecordKind::Client, 101);
        f.prompter.confirm_answer = false;
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        QCOMPARE(f.prompter.shown.size(), asked + 1);
        QVERIFY(f.prompter.shown.last().text.contains(QStringLiteral("can no longer be undone")));
        QCOMPARE(f.app->period_report(), w);
        QVERIFY(w->can_undo());

        f.prompter.confirm_answer = true;
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        QVERIFY(f.app->period_report() != w);
        QVERIFY(f.app->period_report()->windowTitle().contains(QStringLiteral("Zeta")));
        QVERIFY(!f.app->period_report()->can_undo());
    }

    // A cancelled export leaves the file that was there, and nothing beside it.
    void cancelledExportLeavesTheOldFile() {
        PeriodApp f;
        f.select(RecordKind::Client, 100);
        PeriodReportWindow* w = f.open(PeriodBoxItem::LastMonth);
        const QString target = f.path(QStringLiteral("acme.csv"));
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the invoice of October\n");
        }
        const QStringList before = QDir(f.path(QString())).entryList(QDir::Files);
        f.prompter.file_name = target;
        // The progress window shows at once, so that its Cancel can be pressed.
        const ShowProgressAfter at_once(0);
        bool cancelled = false;
        QTimer::singleShot(0, w, [w, &cancelled] {
            if (auto* progress = w->findChild<QProgressDialog*>()) {
                progress->cancel();
                cancelled = true;
            }
        });
        PeriodApp::click(w, id::PeriodExportCsv);
        QVERIFY(cancelled);
        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the invoice of October\n"));
        QCOMPARE(QDir(f.path(QString())).entryList(QDir::Files), before);
        QVERIFY(f.messages().isEmpty());
    }
};

// 10,001 unbilled entries of one task: a mark long enough to show its progress.
static void many_entries(Store& store) {
    november(store);
    AccessLayer& sql = store.db;
    sql.execute("BEGIN");
    std::string insert = "INSERT INTO task_detail VALUES";
    for (int i = 0; i < 10001; ++i)
        insert += (i ? ",(" : "(") + std::to_string(10000 + i) + ",401,60," +
                  std::to_string(make_date(2020, 1, 1, 0, 0, 0) + i * 3600) + ",0)";
    sql.execute(insert);
    sql.execute("COMMIT");
}

// A client of a long name, a project at a large rate with over a thousand hours in one entry,
// and the currency written "EUR ".
static void wide_figures(Store& store) {
    november(store);
    AccessLayer& sql = store.db;
    sql.execute("UPDATE users SET user_Currency = 'EUR '");
    sql.execute("UPDATE clients SET client_name = 'Acme Worldwide Consolidated Holdings of "
                "Greater Manchester and the North West' WHERE key = 100");
    sql.execute("UPDATE project SET project_rate = 9999.99 WHERE key = 200");
    sql.execute("UPDATE task_detail SET time = 3700000 WHERE key = 500");
}

static QString tip_at(QWidget* area, QPoint point) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label"))
            w->hide();
    QHelpEvent help(QEvent::ToolTip, point, area->mapToGlobal(point));
    QCoreApplication::sendEvent(area, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

class PeriodReportLongWorkTest : public QObject {
    Q_OBJECT

private slots:
    // Every figure fits its column whole, with the currency as the user writes it; a name too
    // long for its column is cut with "…" and shows whole in its tool tip.
    void figuresFitTheirColumns() {
        AppFixture f;
        f.prepare(wide_figures);
        QVERIFY(f.start());
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = f.app->period_report();
        QVERIFY(w);
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::AllTime));
        QVERIFY(QTest::qWaitForWindowExposed(w));
        for (QTableView* view : {w->rows_list(), w->entries_list()}) {
            const QAbstractItemModel* model = view->model();
            const QFontMetrics cells(view->font());
            const QFontMetrics heads(view->horizontalHeader()->font());
            for (int c = 0; c < model->columnCount(); ++c) {
                const QString head = model->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(heads.horizontalAdvance(head) < view->columnWidth(c), qPrintable(head));
                const bool names = view == w->rows_list() ? c == 0 : (c >= 1 && c <= 4);
                for (int r = 0; r < model->rowCount(); ++r) {
                    const QString cell = model->index(r, c).data().toString();
                    if (!names)
                        QVERIFY2(cells.horizontalAdvance(cell) < view->columnWidth(c),
                                 qPrintable(cell));
                }
            }
        }
        QTableView* entries = w->entries_list();
        // The entry of 1,027 hours (42 days and 19 hours), second in day order.
        QCOMPARE(entries->model()->index(1, 5).data().toString(), QStringLiteral("42/19:46:40"));
        QVERIFY(entries->model()->index(1, 8).data().toString().startsWith(QStringLiteral("EUR ")));
        const QModelIndex client = entries->model()->index(1, 1);
        const QString name = client.data().toString();
        QVERIFY(QFontMetrics(entries->font()).horizontalAdvance(name) > entries->columnWidth(1));
        QCOMPARE(entries->textElideMode(), Qt::ElideRight);
        QCOMPARE(tip_at(entries->viewport(), entries->visualRect(client).center()), name);
    }

    // A cancelled Mark as Billed of many entries writes no mark, in the file or in the lists.
    void cancelledMarkLeavesEveryEntry() {
        AppFixture f;
        f.prepare(many_entries);
        QVERIFY(f.start());
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = f.app->period_report();
        QVERIFY(w);
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::AllTime));
        const QStringList rows = rows_of(w->rows_list());
        f.prompter.confirm_answer = true;
        // The progress window shows at once, so that its Cancel can be pressed.
        const ShowProgressAfter at_once(0);
        bool cancelled = false;
        QTimer::singleShot(0, w, [w, &cancelled] {
            if (auto* progress = w->findChild<QProgressDialog*>()) {
                progress->cancel();
                cancelled = true;
            }
        });
        w->mark_billed();
        QVERIFY(cancelled);
        QVERIFY(f.prompter.shown.last().text.startsWith(QStringLiteral("Mark 10006 entries")));
        QCOMPARE(DatabaseProbe(f.default_db())
                     .rows("SELECT COUNT(*) FROM task_detail WHERE "
                           "billed = 1"),
                 QStringList({"1"}));
        for (const TimeEntry& e : f.app->store().lists.entries)
            QCOMPARE(e.billed != 0, e.key == 502);
        QCOMPARE(rows_of(w->rows_list()), rows);
        QVERIFY(!w->can_undo());
        QVERIFY(!f.app->store().db.in_transaction());

        // Not cancelled, the same mark goes through.
        w->mark_billed();
        QCOMPARE(DatabaseProbe(f.default_db())
                     .rows("SELECT COUNT(*) FROM task_detail WHERE "
                           "billed = 0"),
                 QStringList({"0"}));
        QVERIFY(w->can_undo());
    }
};

OLV_TEST_CLASS(PeriodReportTest)
OLV_TEST_CLASS(PeriodReportLongWorkTest)
#include "test_period_report.moc"
