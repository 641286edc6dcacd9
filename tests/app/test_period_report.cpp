#include "app/period_report_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

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

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList rows_of(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(i)->text(c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

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
        QCOMPARE(w->entries_list()->topLevelItemCount(), 2);

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
        QCOMPARE(w->entries_list()->topLevelItemCount(), 0);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodMarkBilled));
        // The main window's list shows the client's figures with the new billed time.
        QVERIFY2(rows_of(f.window().list()).first().contains(QStringLiteral("|01:45:00|")),
                 qPrintable(rows_of(f.window().list()).join('\n')));

        PeriodApp::click(w, id::PeriodUndoMark);
        QCOMPARE(f.stored_billed(),
                 QStringList({"500|0", "501|0", "502|1", "503|0", "504|0", "505|0"}));
        QCOMPARE(w->entries_list()->topLevelItemCount(), 2);
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
        from->setDate(QDate(2026, 12, 5));
        QCOMPARE(to->date(), QDate(2026, 12, 5));
        QCOMPARE(w->entries_list()->topLevelItemCount(), 0);
        QVERIFY(!PeriodApp::enabled(w, id::PeriodMarkBilled));

        // Any other period shows its days in the pickers, which then take no input.
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::LastWeek));
        QVERIFY(!from->isEnabled());
        QCOMPARE(from->date(), QDate(2026, 11, 30));
        QCOMPARE(to->date(), QDate(2026, 12, 6));
        QCOMPARE(w->entries_list()->topLevelItemCount(), 2);
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
};

OLV_TEST_CLASS(PeriodReportTest)
#include "test_period_report.moc"
