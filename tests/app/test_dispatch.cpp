// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/item_dialog.h"

#include <QContextMenuEvent>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>
#include <csignal>

using namespace olv;
using namespace olv::testing;

namespace {

// Tree positions of one_of_each.
constexpr int kClient = 1;
constexpr int kProject = 2;
constexpr int kObjective = 3;
constexpr int kTask = 4;

void click(AppFixture& f, int position) {
    QTreeWidget& tree = f.tree();
    QTreeWidgetItem* item = f.ws().tree_items.at(position);
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

// Right-click as a mouse does it; the pop-up menu that opens is closed unused.
void right_click(AppFixture& f, int position) {
    QTreeWidget& tree = f.tree();
    const QPoint point = tree.visualItemRect(f.ws().tree_items.at(position)).center();
    QTimer::singleShot(0, &f.context, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, point);
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, tree.viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(tree.viewport(), &request);
}

// What a mouse sends: press, release, press, double click, release.
void double_click(QTreeWidget& tree, QPoint point) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, point);
}

void type_notes(AppFixture& f, const QString& text) {
    QTextEdit* notes = f.ws().notes;
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes, text);
}

void command(AppFixture& f, int id) {
    dispatch_event(*f.app, menu_event(id, id::MainWindow));
}

std::int32_t entry_seconds(AppFixture& f) {
    const auto& entries = f.app->store().lists.entries;
    return entries.empty() ? -1 : entries.front().Time;
}

// Answers every save-file dialog with a name and remembers how it was asked.
class FileDialogPrompter final : public Prompter {
public:
    QString answer;
    QStringList asked; // title, folder, name, filter
    QStringList messages;

    void message(QWidget*, const QString&, const QString& text) override { messages << text; }
    bool confirm(QWidget*, const QString&, const QString& text) override {
        messages << text;
        return true;
    }
    QString save_file_name(QWidget*, const QString& title, const QString& folder,
                           const QString& name, const QString& filter) override {
        asked = {title, folder, name, filter};
        return answer;
    }
    bool choose_printer(QWidget*, QPrinter&) override { return false; }
};

} // namespace

class DispatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void start(Prompter* prompter = nullptr) {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start(prompter));
        f->tree().expandAll();
    }

private slots:
    void cleanup() { f.reset(); }

    void notes_are_stored_into_the_item_they_were_shown_for() {
        start();
        click(*f, kProject);
        right_click(*f, kObjective); // shows B while A was selected
        QCOMPARE(f->tree().currentItem(), f->ws().tree_items.at(kObjective));
        type_notes(*f, QStringLiteral("Ship it by Friday's end"));
        click(*f, kClient);

        const auto& lists = f->app->store().lists;
        QCOMPARE(lists.objectives.at(0).ob_notes, std::string("Ship it by Friday's end"));
        QVERIFY(lists.objectives.at(0).modified);
        QCOMPARE(lists.projects.at(0).project_note, std::string());

        command(*f, id::FileSave);
        QCOMPARE(DatabaseProbe(f->default_db()).rows("SELECT ob_notes FROM objectives"),
                 QStringList{QStringLiteral("Ship it by Friday's end")});
    }

    void a_double_click_on_a_task_toggles_its_timer() {
        start();
        QTreeWidget& tree = f->tree();
        const QPoint task = tree.visualItemRect(f->ws().tree_items.at(kTask)).center();
        double_click(tree, task);
        QCOMPARE(f->app->store().lists.tasks.at(0).running, 1);
        QCOMPARE(f->app->store().lists.entries.size(), std::size_t(1));
        f->clock.advance_seconds(2);
        f->app->jobs().poll();
        double_click(tree, task);
        QCOMPARE(f->app->store().lists.tasks.at(0).running, 0);
        f->clock.advance_seconds(2);
        f->app->jobs().poll();
        QCOMPARE(entry_seconds(*f), 2);
        // Not a task: nothing starts.
        const QPoint objective = tree.visualItemRect(f->ws().tree_items.at(kObjective)).center();
        double_click(tree, objective);
        QCOMPARE(f->app->store().lists.entries.size(), std::size_t(1));
        QVERIFY(f->messages().isEmpty());
    }

    void save_writes_every_change_and_the_position_and_goes_on() {
        start();
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(7);
        f->app->jobs().poll();
        type_notes(*f, QStringLiteral("Call Bob"));
        click(*f, kObjective);
        command(*f, id::FileSave);

        DatabaseProbe probe(f->default_db());
        QCOMPARE(probe.rows("SELECT time FROM task_detail"), QStringList{QStringLiteral("7")});
        QCOMPARE(probe.rows("SELECT task_notes FROM task"),
                 QStringList{QStringLiteral("Call Bob")});
        QCOMPARE(probe.rows("SELECT user_View FROM users"), QStringList{QStringLiteral("3")});
        QVERIFY(!f->app->has_finished());
        QVERIFY(f->window().isVisible());
        // The timer goes on counting after Save.
        f->clock.advance_seconds(2);
        f->app->jobs().poll();
        QCOMPARE(entry_seconds(*f), 9);
    }

    void notes_typed_last_reach_the_file_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("File > Save") << "save";
        QTest::newRow("File > Exit") << "exit";
        QTest::newRow("closing the main window") << "close";
        QTest::newRow("File > New") << "new";
    }
    void notes_typed_last_reach_the_file() {
        QFETCH(QString, way);
        start();
        click(*f, kTask);
        type_notes(*f, QStringLiteral("Ask about the logo's colours"));
        // No other item is chosen before the file is written.
        if (way == QLatin1String("save")) {
            command(*f, id::FileSave);
        } else if (way == QLatin1String("exit")) {
            f->window().menu_item(id::FileExit)->trigger();
        } else if (way == QLatin1String("close")) {
            f->window().close();
        } else {
            f->prompter.file_name = f->path(QStringLiteral("next.db"));
            command(*f, id::FileNew);
            QCOMPARE(f->app->database_path(), f->path(QStringLiteral("next.db")));
        }
        QCOMPARE(DatabaseProbe(f->default_db()).rows("SELECT task_notes FROM task"),
                 QStringList{QStringLiteral("Ask about the logo's colours")});
        QVERIFY(f->messages().isEmpty());
    }

    void redrawing_the_list_keeps_the_notes_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("notes_box_after");
        QTest::newRow("To-Do List button") << "todo"
                                           << "";
        QTest::newRow("File > Print") << "print"
                                      << "Kick-off Monday 9am";
        QTest::newRow("Preferences OK") << "preferences"
                                        << "Kick-off Monday 9am";
    }
    void redrawing_the_list_keeps_the_notes() {
        QFETCH(QString, action);
        QFETCH(QString, notes_box_after);
        start();
        click(*f, kProject);
        type_notes(*f, QStringLiteral("Kick-off Monday"));
        click(*f, kClient);
        click(*f, kProject);
        type_notes(*f, QStringLiteral(" 9am"));

        if (action == QLatin1String("todo")) {
            auto* button = f->window().findChild<QToolButton*>(QString::number(id::ButtonToDoList));
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(f->ws().state.to_do_list_shown);
        } else if (action == QLatin1String("print")) {
            f->prompter.printer_output = f->path(QStringLiteral("report.pdf"));
            command(*f, id::FilePrint);
            QVERIFY(QFile::exists(f->prompter.printer_output));
        } else {
            command(*f, id::FilePreferences);
            dispatch_event(*f->app, control_event(id::PreferencesOk, id::PreferencesWindow));
        }
        QCOMPARE(f->ws().notes->toPlainText(), notes_box_after);

        // Choosing another item stores the notes box into the item it shows, if any.
        click(*f, kClient);
        const auto& projects = f->app->store().lists.projects;
        QCOMPARE(projects.at(0).project_note, std::string("Kick-off Monday 9am"));
        click(*f, kProject);
        QCOMPARE(f->ws().notes->toPlainText(), QStringLiteral("Kick-off Monday 9am"));
    }

    void every_way_out_writes_everything_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("closing the main window") << "close";
        QTest::newRow("File > Exit") << "exit";
        QTest::newRow("close request event") << "close event";
        QTest::newRow("SIGTERM") << "SIGTERM";
        QTest::newRow("SIGINT") << "SIGINT";
        QTest::newRow("SIGHUP") << "SIGHUP";
    }
    void every_way_out_writes_everything() {
        QFETCH(QString, way);
        start();
        int finished_with = -1;
        connect(f->app.get(), &Application::finished, &f->context,
                [&](int code) { finished_with = code; });
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(12);
        f->app->jobs().poll();
        type_notes(*f, QStringLiteral("Half done"));
        click(*f, kObjective);

        if (way == QLatin1String("close")) {
            f->window().close();
        } else if (way == QLatin1String("exit")) {
            f->window().menu_item(id::FileExit)->trigger();
        } else if (way == QLatin1String("close event")) {
            f->ws().post_event(Event{EventType::Close, 0, id::MainWindow, EventKind::Other, {}});
        } else {
            const int number = way == QLatin1String("SIGTERM")  ? SIGTERM
                               : way == QLatin1String("SIGINT") ? SIGINT
                                                                : SIGHUP;
            ::raise(number);
            for (int i = 0; i < 10 && !f->app->has_finished(); ++i)
                QCoreApplication::processEvents();
        }

        QVERIFY(f->app->has_finished());
        QCOMPARE(f->app->exit_code(), 0);
        QCOMPARE(finished_with, 0);
        QVERIFY(!f->window().isVisible());
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        DatabaseProbe probe(f->default_db());
        QCOMPARE(probe.rows("SELECT time FROM task_detail"), QStringList{QStringLiteral("12")});
        QCOMPARE(probe.rows("SELECT task_notes FROM task"),
                 QStringList{QStringLiteral("Half done")});
        QCOMPARE(probe.rows("SELECT user_View FROM users"), QStringList{QStringLiteral("3")});
        // Nothing runs any more.
        f->clock.advance_seconds(30);
        f->app->jobs().poll();
        QCOMPARE(entry_seconds(*f), 12);
    }

    void new_database_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::newRow("no extension") << "work"
                                      << "work.db";
        QTest::newRow("upper-case extension") << "work.DB"
                                              << "work.DB.db";
        QTest::newRow("extension typed") << "work.db"
                                         << "work.db";
        QTest::newRow("other extension") << "work.sqlite"
                                         << "work.sqlite.db";
    }
    void new_database() {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        FileDialogPrompter prompter;
        start(&prompter);
        prompter.answer = f->path(typed);
        const QString created = f->path(file);

        // A change the periodic flush has not written yet.
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(5);
        f->app->jobs().poll();

        command(*f, id::FileNew);
        QCOMPARE(prompter.asked,
                 (QStringList{"Olvessa.Project New Database", f->dir.path() + QLatin1Char('/'),
                              "*.db", "Database (*.db)"}));
        QVERIFY(QFile::exists(created));
        QCOMPARE(f->app->database_path(), created);
        QCOMPARE(f->setting(QStringLiteral("Default Database")), created);
        QCOMPARE(DatabaseProbe(f->default_db()).rows("SELECT time FROM task_detail"),
                 QStringList{QStringLiteral("5")});
        QCOMPARE(DatabaseProbe(created).rows("SELECT key, userID, user_View FROM users"),
                 QStringList{QStringLiteral("1|Ada|0")});
        QCOMPARE(f->tree().topLevelItemCount(), 1);
        QCOMPARE(f->tree().topLevelItem(0)->childCount(), 0);
        QCOMPARE(f->tree().currentItem(), f->tree().topLevelItem(0));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(created)));
        QVERIFY(prompter.messages.isEmpty());

        // The next start opens the new file.
        f->app->close_main_window();
        QVERIFY(f->start());
        QCOMPARE(f->app->database_path(), created);
    }

    void a_new_without_a_usable_name_changes_nothing_data() {
        QTest::addColumn<QString>("answer"); // relative to the test folder; empty: cancelled
        QTest::newRow("cancelled") << "";
        QTest::newRow("folder that does not exist") << "no-such-folder/work";
    }
    void a_new_without_a_usable_name_changes_nothing() {
        QFETCH(QString, answer);
        FileDialogPrompter prompter;
        start(&prompter);
        prompter.answer = answer.isEmpty() ? QString() : f->path(answer);
        command(*f, id::FileNew);
        QCOMPARE(prompter.asked.size(), 4);
        QCOMPARE(f->app->database_path(), f->default_db());
        QCOMPARE(f->setting(QStringLiteral("Default Database")), f->default_db());
        QCOMPARE(f->tree().topLevelItem(0)->childCount(), 1);
        QCOMPARE(QDir(f->dir.path()).entryList({"*.db"}), QStringList{});
        QCOMPARE(QDir(f->data_folder()).entryList({"*.db"}), QStringList{"default.db"});
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        QVERIFY(prompter.messages.isEmpty());

        // The open file goes on taking the changes.
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(3);
        f->app->jobs().poll();
        command(*f, id::FileSave);
        QCOMPARE(DatabaseProbe(f->default_db()).rows("SELECT time FROM task_detail"),
                 QStringList{QStringLiteral("3")});
        QVERIFY(prompter.messages.isEmpty());
    }

    void new_refuses_a_file_another_window_holds() {
        start();
        const QString other = f->path(QStringLiteral("theirs.db"));
        f->make_database(other, "Bea");
        QLockFile theirs(DatabaseLock::lock_file_name(other));
        QVERIFY(theirs.tryLock(0));
        f->prompter.file_name = other;
        command(*f, id::FileNew);
        QCOMPARE(f->messages(), QStringList{QStringLiteral(
                                    "This database is open in another Olvessa.project window")});
        QCOMPARE(f->app->database_path(), f->default_db());
        QVERIFY(!f->app->has_finished());
        QCOMPARE(DatabaseProbe(other).rows("SELECT userID FROM users"), QStringList{"Bea"});
    }

    void the_user_guide_opens_manual_pdf_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("in the working folder") << true;
        QTest::newRow("missing: nothing happens") << false;
    }
    void the_user_guide_opens_manual_pdf() {
        QFETCH(bool, present);
        start();
        if (present) {
            QFile manual(f->path(QStringLiteral("manual.pdf")));
            QVERIFY(manual.open(QIODevice::WriteOnly));
            manual.write("%PDF-1.4\n");
        }
        // A launcher that writes down the file it was given.
        const QString asked = f->path(QStringLiteral("asked"));
        const QString launcher = f->path(QStringLiteral("launcher"));
        QFile script(launcher);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(asked).toUtf8());
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        f->app->set_guide_launcher(launcher);
        command(*f, id::HelpUserGuide);
        const auto given = [&asked] {
            QFile file(asked);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        if (present)
            QTRY_COMPARE(given(), f->path(QStringLiteral("manual.pdf")));
        else if (QFile::exists(QCoreApplication::applicationDirPath() +
                               QStringLiteral("/manual.pdf")))
            QTRY_COMPARE(given(),
                         QCoreApplication::applicationDirPath() + QStringLiteral("/manual.pdf"));
        else
            QVERIFY(given().isEmpty());
        QVERIFY(f->messages().isEmpty());
    }

    void the_jobs_run_while_a_message_box_waits() {
        QtPrompter real;
        start(&real);
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(3);
        f->app->jobs().poll();
        QCOMPARE(entry_seconds(*f), 3);

        QString box_text;
        int seconds_while_open = -1;
        QString clock_before;
        QString clock_while_open;
        QStringList written_while_open;
        QTimer::singleShot(0, &f->context, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            box_text = box->text();
            clock_before = f->window().statusBar()->currentMessage();
            // The user takes 25 s to answer; the timers fire meanwhile.
            for (int i = 0; i < 25; ++i) {
                f->clock.advance_seconds(1);
                f->app->jobs().poll();
            }
            seconds_while_open = entry_seconds(*f);
            clock_while_open = f->window().statusBar()->currentMessage();
            written_while_open =
                DatabaseProbe(f->default_db()).rows("SELECT time FROM task_detail");
            box->button(QMessageBox::Ok)->click();
        });
        command(*f, id::TaskComplete); // refused while the task runs
        QCOMPARE(box_text, QStringLiteral("Please stop the task first"));
        QCOMPARE(seconds_while_open, 28);
        QVERIFY(clock_while_open != clock_before);
        // The flush came due 20 s after start, while the box waited: the seconds are in the
        // file, not only in memory.
        QCOMPARE(written_while_open, QStringList{QStringLiteral("20")});
        QCOMPARE(entry_seconds(*f), 28);
    }

    void a_flush_failing_again_while_its_box_waits_adds_no_box() {
        QtPrompter real;
        start(&real);
        QCOMPARE(DatabaseProbe(f->default_db())
                     .db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON task_detail "
                                 "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                 0);
        click(*f, kTask);
        command(*f, id::TaskStart);

        QStringList boxes;
        int seconds_while_open = -1;
        QTimer::singleShot(0, &f->context, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            boxes << box->text();
            // Two more flushes come due and fail while the first box waits.
            QTimer::singleShot(0, &f->context, [&] {
                if (auto* second = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    second && second != box) {
                    boxes << second->text();
                    second->button(QMessageBox::Ok)->click();
                }
            });
            for (int i = 0; i < 40; ++i) {
                f->clock.advance_seconds(1);
                f->app->jobs().poll();
            }
            QCoreApplication::processEvents();
            seconds_while_open = entry_seconds(*f);
            box->button(QMessageBox::Ok)->click();
        });
        f->clock.advance_seconds(20);
        f->app->jobs().poll();
        QCOMPARE(boxes, QStringList{QStringLiteral("Could not write to Database")});
        QCOMPARE(seconds_while_open, 60);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void a_box_after_an_insert_waits_with_the_new_item_shown() {
        QtPrompter real;
        start(&real);
        QCOMPARE(DatabaseProbe(f->default_db())
                     .db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON task_detail "
                                 "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                 0);
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(1);
        f->app->jobs().poll();

        click(*f, 0);
        dispatch_event(*f->app, control_event(id::ButtonNewItem, id::MainWindow));
        item_dialog(f->ws(), id::ClientDialog)->title_field()->setText(QStringLiteral("Beta"));

        QString box_text;
        QStringList clients_while_open;
        int seconds_while_open = -1;
        QTimer::singleShot(0, &f->context, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            box_text = box->text();
            QTreeWidgetItem* user = f->tree().topLevelItem(0);
            for (int i = 0; i < user->childCount(); ++i)
                clients_while_open << user->child(i)->text(0);
            // The timers fire while the box waits; the task runs on after the reload.
            for (int i = 0; i < 3; ++i) {
                f->clock.advance_seconds(1);
                f->app->jobs().poll();
            }
            seconds_while_open = entry_seconds(*f);
            box->button(QMessageBox::Ok)->click();
        });
        // The insert flushes first; the entry's update is refused.
        dispatch_event(*f->app, control_event(id::ClientOk, id::ClientDialog));
        QCOMPARE(box_text, QStringLiteral("Could not write to Database"));
        QCOMPARE(clients_while_open, (QStringList{QStringLiteral("Acme"), QStringLiteral("Beta")}));
        QCOMPARE(seconds_while_open, 4);
    }

    void a_termination_request_waits_for_an_open_message_box() {
        QtPrompter real;
        start(&real);
        click(*f, kTask);
        command(*f, id::TaskStart);
        f->clock.advance_seconds(4);
        f->app->jobs().poll();

        bool box_left_open = false;
        QTimer::singleShot(0, &f->context, [&] {
            if (!QApplication::activeModalWidget())
                return;
            ::raise(SIGTERM);
            for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i)
                QCoreApplication::processEvents();
            if (QWidget* box = QApplication::activeModalWidget()) {
                box_left_open = true;
                box->close();
            }
            QVERIFY(!f->app->has_finished()); // not inside the handler
        });
        command(*f, id::TaskComplete);
        QVERIFY(!box_left_open);
        QVERIFY(f->app->has_finished());
        QCOMPARE(f->app->exit_code(), 0);
        QCOMPARE(DatabaseProbe(f->default_db()).rows("SELECT time FROM task_detail"),
                 QStringList{QStringLiteral("4")});
    }

    void close_requests_of_the_small_windows() {
        start();
        click(*f, 0);
        dispatch_event(*f->app, control_event(id::ButtonNewItem, id::MainWindow));
        QVERIFY(f->ws().client_dialog);
        QVERIFY(f->ws().client_dialog->isVisible());
        f->ws().post_event(Event{EventType::Close, 0, id::ClientDialog, EventKind::Other, {}});
        QVERIFY(!f->ws().client_dialog || !f->ws().client_dialog->isVisible());

        command(*f, id::HelpAbout);
        QVERIFY(f->ws().about_window);
        f->ws().post_event(Event{EventType::Close, 0, id::AboutWindow, EventKind::Other, {}});
        QVERIFY(f->ws().about_window && f->ws().about_window->isVisible());
        dispatch_event(*f->app, control_event(id::AboutOk, id::AboutWindow));
        QVERIFY(!f->ws().about_window || !f->ws().about_window->isVisible());
        QVERIFY(!f->app->has_finished());
    }
};

OLV_TEST_CLASS(DispatchTest)

#include "test_dispatch.moc"
