// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"
#include "app/file_commands.h"
#include "app_fixture.h"
#include "file_bytes.h"
#include "progress_cancel.h"
#include "test_registry.h"
#include "views/progress.h"
#include "views/tree.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLockFile>
#include <QProgressDialog>
#include <QTimer>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

constexpr int kTask = 4; // tree position of the task of one_of_each
const QString kInUse = QStringLiteral("This database is open in another Olvessa.project window");

void command(AppFixture& f, int id) {
    dispatch_event(*f.app, menu_event(id, id::MainWindow));
}

// Starts the task's timer and lets it count.
void run_timer(AppFixture& f, int seconds) {
    select_tree_position(f.ws(), kTask);
    command(f, id::TaskStart);
    f.clock.advance_seconds(seconds);
    f.app->jobs().poll();
}

void advance(AppFixture& f, int seconds) {
    f.clock.advance_seconds(seconds);
    f.app->jobs().poll();
}

QString user_item(AppFixture& f) {
    return f.tree().topLevelItemCount() ? f.tree().topLevelItem(0)->text(0) : QString();
}

QStringList task_seconds(const QString& file) {
    return DatabaseProbe(file).rows("SELECT time FROM task_detail");
}

// What blocks a file: another window of this program (its lock file) or another program
// holding the engine's own write lock.
struct Blocker {
    std::unique_ptr<QLockFile> window;
    std::unique_ptr<DatabaseProbe> program;

    Blocker(const QString& kind, const QString& file) {
        if (kind == QLatin1String("window")) {
            window = std::make_unique<QLockFile>(DatabaseLock::lock_file_name(file));
            window->tryLock(0);
        } else if (kind == QLatin1String("program")) {
            program = std::make_unique<DatabaseProbe>(file);
            program->db.execute("BEGIN EXCLUSIVE");
        }
    }
};

// "Bea"'s database with one client.
void make_theirs(AppFixture& f, const QString& file) {
    f.make_database(file, "Bea",
                    [](Store& store) { store.db.execute(insert_client_sql(500, "Zeta", 70)); });
}

// A database whose table list reads well but whose later pages, the time entries', are garbage.
void make_damaged(AppFixture& f, const QString& file) {
    f.make_database(file, "Bea", [](Store& store) {
        store.db.execute("BEGIN");
        for (int i = 0; i < 2000; ++i)
            store.db.execute(insert_time_entry_sql(1000 + i, 400, 86400 * (i + 1)));
        store.db.execute("COMMIT");
    });
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    const qint64 size = damaged.size();
    QVERIFY(size > 16 * 1024);
    damaged.seek(size / 2);
    damaged.write(QByteArray(static_cast<int>(size - size / 2), '\x5a'));
}

} // namespace

class OpenFileTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void start() {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start());
    }

private slots:
    void cleanup() { f.reset(); }

    void open_moves_to_the_chosen_file_after_saving_the_old_one() {
        start();
        const QString theirs = f->path(QStringLiteral("theirs.db"));
        make_theirs(*f, theirs);
        run_timer(*f, 3);
        f->prompter.open_name = theirs;
        command(*f, id::FileOpen);

        QVERIFY(f->messages().isEmpty());
        // Every counted second reached the old file before the switch.
        QCOMPARE(task_seconds(f->default_db()), QStringList{"3"});
        QCOMPARE(f->app->database_path(), theirs);
        QCOMPARE(f->setting(QStringLiteral("Default Database")), theirs);
        QCOMPARE(user_item(*f), QStringLiteral("Bea"));
        QCOMPARE(f->tree().topLevelItem(0)->child(0)->text(0), QStringLiteral("Zeta"));
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(theirs)));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f->default_db())));

        // The old file's clock stopped with the switch; the next start opens the new file.
        advance(*f, 30);
        QCOMPARE(task_seconds(f->default_db()), QStringList{"3"});
        f->app->close_main_window();
        QVERIFY(f->start());
        QCOMPARE(f->app->database_path(), theirs);
        QCOMPARE(user_item(*f), QStringLiteral("Bea"));
    }

    // Cancel in the progress window of a large file's load: the program goes back to its own
    // file, clock and all, and the large one stays untouched and unremembered.
    void a_cancelled_open_goes_back_to_the_old_file() {
        start();
        const QString theirs = f->path(QStringLiteral("theirs.db"));
        f->make_database(theirs, "Bea", [](Store& store) {
            store.db.execute(insert_client_sql(500, "Zeta", 70));
            // Many rows in few statements: a load reports its progress every so many rows.
            for (int first = 0; first < 20000; first += 500) {
                std::string rows = "INSERT INTO task_detail VALUES";
                for (int i = first; i < first + 500; ++i)
                    rows += (i > first ? ",(" : "(") + std::to_string(1000 + i) + ",400,60," +
                            std::to_string(86400 * (i + 1)) + ",0)";
                store.db.execute(rows);
            }
        });
        const QByteArray before = contents(theirs);
        run_timer(*f, 3);
        f->prompter.open_name = theirs;
        ProgressCancel cancel;
        command(*f, id::FileOpen);

        QVERIFY(cancel.seen());
        QVERIFY(f->messages().isEmpty());
        QCOMPARE(f->app->database_path(), f->default_db());
        QCOMPARE(f->setting(QStringLiteral("Default Database")), f->default_db());
        QCOMPARE(user_item(*f), QStringLiteral("Ada"));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(theirs)));
        QCOMPARE(contents(theirs), before);
        // The old file's clock runs again.
        advance(*f, 2);
        command(*f, id::FileSave);
        QCOMPARE(task_seconds(f->default_db()), QStringList{"5"});
    }

    void an_empty_file_opens_as_a_new_database() {
        start();
        const QString empty = f->path(QStringLiteral("empty.db"));
        write_file(empty, {});
        f->prompter.open_name = empty;
        command(*f, id::FileOpen);
        QVERIFY(f->messages().isEmpty());
        QCOMPARE(f->app->database_path(), empty);
        QCOMPARE(DatabaseProbe(empty).rows("SELECT userID, user_View FROM users"),
                 QStringList{"Ada|0"});
    }

    void a_file_that_cannot_be_opened_is_refused_data() {
        QTest::addColumn<QString>("answer");   // file name in the test folder; empty: cancelled
        QTest::addColumn<QByteArray>("bytes"); // its contents; "<db>": Bea's database
        QTest::addColumn<QString>("blocker");  // "window", "program" or ""
        QTest::addColumn<QString>("message");  // "<unreadable>": "Could not read Database" + path
        QTest::newRow("cancelled") << "" << QByteArray() << ""
                                   << "";
        QTest::newRow("the open file itself") << "<current>" << QByteArray() << ""
                                              << "";
        QTest::newRow("not a database")
            << "notes.db" << QByteArray("Dear diary,\n").repeated(100) << ""
            << "<unreadable>";
        QTest::newRow("a database of another program") << "other.db" << QByteArray("<other>") << ""
                                                       << "<unreadable>";
        QTest::newRow("damaged inside") << "theirs.db" << QByteArray("<damaged>") << ""
                                        << "<unreadable>";
        QTest::newRow("open in another window")
            << "theirs.db" << QByteArray("<db>") << "window" << kInUse;
        QTest::newRow("locked by another program") << "theirs.db" << QByteArray("<db>") << "program"
                                                   << "<unreadable>";
    }
    void a_file_that_cannot_be_opened_is_refused() {
        QFETCH(QString, answer);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, blocker);
        QFETCH(QString, message);
        start();
        QString chosen;
        if (answer == QLatin1String("<current>")) {
            chosen = f->default_db();
        } else if (!answer.isEmpty()) {
            chosen = f->path(answer);
            if (bytes == "<db>") {
                make_theirs(*f, chosen);
            } else if (bytes == "<damaged>") {
                make_damaged(*f, chosen);
            } else if (bytes == "<other>") {
                DatabaseProbe other(chosen);
                QCOMPARE(other.db.execute("CREATE TABLE songs(title TEXT)"), 0);
            } else {
                write_file(chosen, bytes);
            }
        }
        const QByteArray before = chosen.isEmpty() ? QByteArray() : contents(chosen);
        run_timer(*f, 2);
        Blocker blocking(blocker, chosen);
        f->prompter.open_name = chosen;
        command(*f, id::FileOpen);

        if (message == QLatin1String("<unreadable>"))
            message = QStringLiteral("Could not read Database\n") + chosen;
        QCOMPARE(f->messages(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(f->app->database_path(), f->default_db());
        QCOMPARE(f->setting(QStringLiteral("Default Database")), f->default_db());
        QCOMPARE(user_item(*f), QStringLiteral("Ada"));
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        if (!chosen.isEmpty() && chosen != f->default_db())
            QCOMPARE(contents(chosen), before);

        // The open file goes on counting into its own file.
        advance(*f, 3);
        command(*f, id::FileSave);
        QCOMPARE(task_seconds(f->default_db()), QStringList{"5"});
    }
};

class SaveAsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void start() {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start());
    }

private slots:
    void cleanup() { f.reset(); }

    void save_as_goes_on_in_the_copy_with_the_clock_running_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::newRow("with .db") << "copy.db"
                                  << "copy.db";
        QTest::newRow(".db appended") << "copy"
                                      << "copy.db";
        QTest::newRow(".DB gets .db too") << "copy.DB"
                                          << "copy.DB.db";
    }
    void save_as_goes_on_in_the_copy_with_the_clock_running() {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        start();
        const QString copy = f->path(file);
        run_timer(*f, 4);
        f->prompter.file_name = f->path(typed);
        command(*f, id::FileSaveAs);

        QVERIFY(f->messages().isEmpty());
        QCOMPARE(f->app->database_path(), copy);
        QCOMPARE(f->setting(QStringLiteral("Default Database")), copy);
        QCOMPARE(task_seconds(copy), QStringList{"4"});
        QCOMPARE(task_seconds(f->default_db()), QStringList{"4"});
        QCOMPARE(DatabaseProbe(copy).rows("SELECT client_name FROM clients"), QStringList{"Acme"});
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(copy)));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        // The view stays where it was.
        QCOMPARE(current_position(f->ws()), kTask);

        // The clock keeps running, into the copy only.
        advance(*f, 5);
        command(*f, id::FileSave);
        QCOMPARE(task_seconds(copy), QStringList{"9"});
        QCOMPARE(task_seconds(f->default_db()), QStringList{"4"});
    }

    void replacing_an_existing_file_is_asked_first_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void replacing_an_existing_file_is_asked_first() {
        QFETCH(bool, replace);
        start();
        const QString theirs = f->path(QStringLiteral("theirs.db"));
        make_theirs(*f, theirs);
        f->prompter.confirm_answer = replace;
        f->prompter.file_name = theirs;
        command(*f, id::FileSaveAs);

        QCOMPARE(f->messages(),
                 QStringList{theirs + " already exists.\nDo you want to replace it?"});
        QCOMPARE(f->app->database_path(), replace ? theirs : f->default_db());
        QCOMPARE(DatabaseProbe(theirs).rows("SELECT userID FROM users"),
                 QStringList{replace ? "Ada" : "Bea"});
        QCOMPARE(DatabaseProbe(theirs).rows("SELECT client_name FROM clients"),
                 QStringList{replace ? "Acme" : "Zeta"});
    }

    void a_copy_that_cannot_be_made_leaves_the_old_file_open_data() {
        QTest::addColumn<QString>("answer");  // relative to the test folder; empty: cancelled
        QTest::addColumn<QString>("blocker"); // "window", "program" or ""
        QTest::addColumn<QString>("message"); // "<unwritable>": "Could not write to Database"
        QTest::newRow("cancelled") << ""
                                   << ""
                                   << "";
        QTest::newRow("folder that does not exist") << "no-such-folder/copy.db"
                                                    << ""
                                                    << "";
        QTest::newRow("open in another window") << "theirs.db"
                                                << "window" << kInUse;
        QTest::newRow("locked by another program") << "theirs.db"
                                                   << "program"
                                                   << "<unwritable>";
        QTest::newRow("a folder by that name") << "folder.db"
                                               << ""
                                               << "<unwritable>";
    }
    void a_copy_that_cannot_be_made_leaves_the_old_file_open() {
        QFETCH(QString, answer);
        QFETCH(QString, blocker);
        QFETCH(QString, message);
        start();
        const QString target = answer.isEmpty() ? QString() : f->path(answer);
        if (answer == QLatin1String("theirs.db"))
            make_theirs(*f, target);
        if (answer == QLatin1String("folder.db"))
            QVERIFY(QDir().mkpath(target));
        run_timer(*f, 2);
        Blocker blocking(blocker, target);
        const QByteArray before = contents(target);
        f->prompter.file_name = target;
        command(*f, id::FileSaveAs);

        QStringList expected;
        if (QFileInfo(target).isFile())
            expected << target + " already exists.\nDo you want to replace it?";
        if (message == QLatin1String("<unwritable>"))
            expected << QStringLiteral("Could not write to Database\n") + target;
        else if (!message.isEmpty())
            expected << message;
        QCOMPARE(f->messages(), expected);
        QCOMPARE(f->app->database_path(), f->default_db());
        QCOMPARE(f->setting(QStringLiteral("Default Database")), f->default_db());
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        blocking.program.reset();
        if (!target.isEmpty())
            QCOMPARE(contents(target), before);

        advance(*f, 3);
        command(*f, id::FileSave);
        QCOMPARE(task_seconds(f->default_db()), QStringList{"5"});
    }

    // Cancel in the progress window of a large copy: no new file, an existing one as it was,
    // and the program goes on in its own file.
    void a_cancelled_copy_leaves_the_target_as_it_was_data() {
        QTest::addColumn<bool>("existing");
        QTest::newRow("a new file") << false;
        QTest::newRow("a file replaced") << true;
    }
    void a_cancelled_copy_leaves_the_target_as_it_was() {
        QFETCH(bool, existing);
        f = std::make_unique<AppFixture>();
        f->prepare([](Store& store) {
            one_of_each(store);
            store.db.execute("BEGIN");
            for (int i = 0; i < 20000; ++i)
                store.db.execute(insert_time_entry_sql(1000 + i, 400, 86400 * (i + 1)));
            store.db.execute("COMMIT");
        });
        QVERIFY(f->start());
        const QString target = f->path(QStringLiteral("copy.db"));
        if (existing)
            make_theirs(*f, target);
        const QByteArray before = contents(target);
        f->prompter.file_name = target;
        ProgressCancel cancel;
        command(*f, id::FileSaveAs);

        QVERIFY(cancel.seen());
        QCOMPARE(f->messages(),
                 existing ? QStringList{target + " already exists.\nDo you want to replace it?"}
                          : QStringList());
        QCOMPARE(contents(target), before);
        QCOMPARE(f->app->database_path(), f->default_db());
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f->default_db())));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(target)));
    }

    // A flush the database refuses keeps the changes in memory: the program stays with them
    // instead of moving to a copy that lacks them.
    void a_failed_flush_stops_the_save_as() {
        start();
        run_timer(*f, 2);
        DatabaseProbe other(f->default_db());
        QCOMPARE(other.db.execute("BEGIN EXCLUSIVE"), 0);
        f->prompter.file_name = f->path(QStringLiteral("copy.db"));
        command(*f, id::FileSaveAs);
        QVERIFY(f->messages().contains(QStringLiteral("Could not write to Database")));
        QCOMPARE(f->app->database_path(), f->default_db());
        QVERIFY(!QFile::exists(f->path(QStringLiteral("copy.db"))));
        QVERIFY(has_unsaved_records(f->app->store()));

        QCOMPARE(other.db.execute("COMMIT"), 0);
        command(*f, id::FileSave);
        QCOMPARE(task_seconds(f->default_db()), QStringList{"2"});
    }
};

class FileArgumentTest : public QObject {
    Q_OBJECT

private slots:
    void the_named_file_is_opened_and_remembered() {
        AppFixture f;
        f.prepare(one_of_each);
        const QString theirs = f.path(QStringLiteral("theirs.db"));
        make_theirs(f, theirs);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        // A relative name counts from the folder the program was started in.
        f.app->set_database_argument(QStringLiteral("theirs.db"));
        QVERIFY(f.app->start());
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(f.app->database_path(), theirs);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), theirs);
        QCOMPARE(user_item(f), QStringLiteral("Bea"));
    }

    void a_file_that_cannot_be_read_is_named_and_left_alone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a database") << QByteArray("Dear diary,\n").repeated(100);
        QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n").repeated(64);
    }
    void a_file_that_cannot_be_read_is_named_and_left_alone() {
        QFETCH(QByteArray, bytes);
        AppFixture f;
        f.prepare(one_of_each);
        const QString notes = f.path(QStringLiteral("notes.db"));
        write_file(notes, bytes);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(notes);
        QVERIFY(f.app->start());
        QCOMPARE(f.messages(), QStringList{QStringLiteral("Could not read Database\n") + notes});
        // The remembered database opens instead.
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        QCOMPARE(user_item(f), QStringLiteral("Ada"));
        QCOMPARE(contents(notes), bytes);
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(notes)));
    }

    // Another program's database reads as a database but holds none of our records: it is
    // named, and the next start opens the remembered file again, not it.
    void another_programs_database_is_never_remembered() {
        AppFixture f;
        f.prepare(one_of_each);
        const QString foreign = f.path(QStringLiteral("foreign.db"));
        {
            DatabaseProbe other(foreign);
            QCOMPARE(other.db.execute("CREATE TABLE users(email TEXT, joined REAL)"), 0);
            QCOMPARE(other.db.execute("INSERT INTO users VALUES('bea@example.org', 1.5)"), 0);
        }
        const QByteArray bytes = contents(foreign);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(foreign);
        f.app->start();
        QCOMPARE(f.messages(), QStringList{QStringLiteral("Could not read Database\n") + foreign});
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        f.app->close_main_window();
        QCOMPARE(contents(foreign), bytes);

        f.prompter.shown.clear();
        QVERIFY(f.start());
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(user_item(f), QStringLiteral("Ada"));

        // Neither is it remembered when File > Open chose it.
        f.prompter.open_name = foreign;
        command(f, id::FileOpen);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
    }

    void a_file_open_in_another_window_ends_the_program_untouched() {
        AppFixture f;
        f.prepare(one_of_each);
        const QString theirs = f.path(QStringLiteral("theirs.db"));
        make_theirs(f, theirs);
        QLockFile other(DatabaseLock::lock_file_name(theirs));
        QVERIFY(other.tryLock(0));
        const QByteArray before = contents(theirs);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(theirs);
        QVERIFY(!f.app->start());
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        QCOMPARE(f.messages(), QStringList{kInUse});
        QCOMPARE(contents(theirs), before);
        // Neither is the remembered database touched, nor is the choice remembered.
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        QVERIFY(QDir(f.backups_folder()).entryList(QDir::Files).isEmpty());
    }
};

// The real file dialogs, answered the way a user does: the dialog shows, a name is chosen, OK.
class RealFileDialogTest : public QObject {
    Q_OBJECT

    struct Seen {
        QFileDialog::AcceptMode accept_mode = QFileDialog::AcceptSave;
        QFileDialog::FileMode file_mode = QFileDialog::AnyFile;
        QStringList filters;
        QString folder;
        bool shown = false;
    };

    // Waits for the next file dialog, notes how it was set up, chooses `file` in it and presses
    // OK once the dialog shows that choice (it may still be filling its list meanwhile).
    static void answer_next_dialog(QObject* context, const QString& file, Seen* seen) {
        auto* poll = new QTimer(context);
        QObject::connect(poll, &QTimer::timeout, context, [poll, file, seen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (!seen->shown) {
                seen->shown = true;
                seen->accept_mode = dialog->acceptMode();
                seen->file_mode = dialog->fileMode();
                seen->filters = dialog->nameFilters();
                seen->folder = dialog->directory().absolutePath();
            }
            if (dialog->selectedFiles().value(0) != file) {
                // Typed into the name field, as a user does: the dialog leaves a field that has
                // the focus alone when a file is selected through its interface.
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(file);
                else
                    dialog->selectFile(file);
                return;
            }
            poll->stop();
            poll->deleteLater();
            static_cast<QDialog*>(dialog)->accept(); // its OK button
        });
        poll->start(10);
    }

private slots:
    void open_and_save_as_through_the_real_dialogs() {
        AppFixture f;
        f.prepare(one_of_each);
        QtPrompter real;
        QVERIFY(f.start(&real));
        const QString theirs = f.path(QStringLiteral("theirs.db"));
        make_theirs(f, theirs);

        Seen open;
        answer_next_dialog(&f.context, theirs, &open);
        command(f, id::FileOpen);
        QVERIFY(open.shown);
        QCOMPARE(open.accept_mode, QFileDialog::AcceptOpen);
        QCOMPARE(open.file_mode, QFileDialog::ExistingFile);
        QCOMPARE(open.filters, QStringList{"Database (*.db)"});
        QCOMPARE(open.folder, f.data_folder());
        QCOMPARE(f.app->database_path(), theirs);

        Seen save;
        const QString copy = f.path(QStringLiteral("copy"));
        answer_next_dialog(&f.context, copy, &save);
        command(f, id::FileSaveAs);
        QVERIFY(save.shown);
        QCOMPARE(save.accept_mode, QFileDialog::AcceptSave);
        QCOMPARE(save.filters, QStringList{"Database (*.db)"});
        QCOMPARE(save.folder, f.dir.path());
        QCOMPARE(f.app->database_path(), copy + ".db");
        QCOMPARE(DatabaseProbe(copy + ".db").rows("SELECT client_name FROM clients"),
                 QStringList{"Zeta"});
    }
};

// One program per file, whatever path it was reached by.
class OneLockPerFileTest : public QObject {
    Q_OBJECT

private slots:
    void every_path_to_the_file_meets_the_same_lock_data() {
        QTest::addColumn<QString>("other_path");
        QTest::newRow("a symlink") << "link.db";
        QTest::newRow("a hard link") << "hard.db";
        QTest::newRow("through a symlinked folder") << "linked-folder/work.db";
        QTest::newRow("with dots") << "sub/../work.db";
    }
    void every_path_to_the_file_meets_the_same_lock() {
        QFETCH(QString, other_path);
        QTemporaryDir dir;
        const QString work = dir.filePath(QStringLiteral("work.db"));
        write_file(work, "");
        QVERIFY(QFile::link(work, dir.filePath(QStringLiteral("link.db"))));
        QCOMPARE(::link(QFile::encodeName(work).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("hard.db"))).constData()),
                 0);
        QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("linked-folder"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));

        DatabaseLock first;
        QCOMPARE(first.take(work), DatabaseLock::Outcome::Taken);
        DatabaseLock second;
        QCOMPARE(second.take(dir.filePath(other_path)), DatabaseLock::Outcome::HeldElsewhere);
        first.release();
        QCOMPARE(second.take(dir.filePath(other_path)), DatabaseLock::Outcome::Taken);
        QCOMPARE(first.take(work), DatabaseLock::Outcome::HeldElsewhere);
    }

    // A second program on the same file through a symlink ends without touching it, so no
    // second clock can count into the same entries.
    void a_second_program_through_a_symlink_ends_untouched() {
        AppFixture f;
        const QString work = f.path(QStringLiteral("work.db"));
        f.make_database(work, "Ada", one_of_each);
        f.write_settings(QStringLiteral("Ada"), work);
        QVERIFY(f.start());
        run_timer(f, 5);
        const QString link = f.path(QStringLiteral("link.db"));
        QVERIFY(QFile::link(work, link));
        const QByteArray before = contents(work);

        ScriptedPrompter second_prompter;
        Application second(f.clock, second_prompter);
        second.set_database_argument(link);
        QVERIFY(!second.start());
        QCOMPARE(second.exit_code(), 0);
        QCOMPARE(second_prompter.texts(), QStringList{kInUse});
        QCOMPARE(contents(work), before);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), work);
        // The first one goes on with its file and its clock.
        advance(f, 3);
        f.app->close_main_window();
        QCOMPARE(task_seconds(work), QStringList{"8"});
    }
};

OLV_TEST_CLASS(OpenFileTest)
OLV_TEST_CLASS(SaveAsTest)
OLV_TEST_CLASS(FileArgumentTest)
OLV_TEST_CLASS(RealFileDialogTest)
OLV_TEST_CLASS(OneLockPerFileTest)
#include "test_files.moc"
