// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"
#include "app_fixture.h"
#include "file_access.h"
#include "file_bytes.h"
#include "test_registry.h"

#include <QFile>
#include <QLockFile>

using namespace olv;
using namespace olv::testing;

namespace {

const QStringList kSixTables = {"Task_Detail", "clients", "objectives", "project", "task", "users"};

QStringList tables(const QString& file) {
    DatabaseProbe probe(file);
    return probe.rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
}

QStringList top_level_texts(QTreeWidget& tree) {
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts << tree.topLevelItem(i)->text(0);
    return texts;
}

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void first_start_asks_for_the_name_then_creates_default_db() {
        AppFixture f;
        bool prompted = false;
        bool window_before_prompt = true;
        QTimer::singleShot(0, &f.context, [&] {
            window_before_prompt = top_level_window(id::MainWindow) != nullptr;
        });
        f.answer_prompt(QStringLiteral("Ada O'Neil"), Qt::Key_Return, &prompted);
        QVERIFY(f.start());
        QVERIFY(prompted);
        QVERIFY(!window_before_prompt);

        QCOMPARE(f.setting(QStringLiteral("UserName")), QStringLiteral("Ada O'Neil"));
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(tables(f.default_db()), kSixTables);
        DatabaseProbe probe(f.default_db());
        QCOMPARE(probe.rows("SELECT * FROM users"),
                 QStringList{QStringLiteral("1|Ada O'Neil|0|£|%dd/%mm/%yyyy")});

        QVERIFY(f.window().isVisible());
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada O'Neil")});
        QCOMPARE(f.tree().currentItem(), f.tree().topLevelItem(0));
        QVERIFY(f.messages().isEmpty());

        // The second start asks nothing and opens the same file.
        f.app->close_main_window();
        QVERIFY(f.start());
        QVERIFY(!f.unexpected_prompt);
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada O'Neil")});
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT count(*) FROM users"),
                 QStringList{QStringLiteral("1")});
    }

    void settings_that_cannot_be_kept_ask_at_every_start() {
        AppFixture f;
        // The settings file would have to be made inside a plain file.
        write_file(f.path(QStringLiteral("plain")), "x");
        qputenv("OLVESSA_SETTINGS", f.path(QStringLiteral("plain/settings.conf")).toUtf8());
        for (int run = 0; run < 2; ++run) {
            bool prompted = false;
            f.prompter.shown.clear();
            f.answer_prompt(QStringLiteral("Ada"), Qt::Key_Return, &prompted);
            QVERIFY(f.start());
            QVERIFY(prompted);
            // UserName, Default Database, the replacement of the unreadable path, the open.
            QCOMPARE(f.prompter.shown.size(), 4);
            for (const auto& shown : f.prompter.shown) {
                QCOMPARE(shown.title, QStringLiteral("Fehler"));
                QCOMPARE(shown.text, QStringLiteral("Ein Fehler ist aufgetreten"));
            }
            QVERIFY(f.window().isVisible());
            QCOMPARE(f.app->database_path(), f.default_db());
            QCOMPARE(tables(f.default_db()), kSixTables);
            QCOMPARE(f.tree().topLevelItemCount(), 1);
            f.app->close_main_window();
        }
    }

    void escape_at_the_first_prompt_stores_an_empty_name() {
        AppFixture f;
        f.answer_prompt(QStringLiteral("Ada"), Qt::Key_Escape);
        QVERIFY(f.start());
        QCOMPARE(f.setting(QStringLiteral("UserName")), QString());
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT userID FROM users"),
                 QStringList{QString()});
    }

    void a_vanished_database_is_replaced_by_default_db_data() {
        QTest::addColumn<QString>("remembered");
        QTest::newRow("file deleted") << "gone.db";
        QTest::newRow("folder deleted") << "old-folder/work.db";
        QTest::newRow("nothing remembered") << "";
    }
    void a_vanished_database_is_replaced_by_default_db() {
        QFETCH(QString, remembered);
        AppFixture f;
        f.write_settings(QStringLiteral("Ada"),
                         remembered.isEmpty() ? QString() : f.path(remembered));
        QVERIFY(f.start());
        QVERIFY(!f.unexpected_prompt);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(tables(f.default_db()), kSixTables);
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada")});
        QVERIFY(f.messages().isEmpty());
        if (!remembered.isEmpty())
            QVERIFY(!QFile::exists(f.path(remembered)));
    }

    void the_remembered_item_is_selected_and_shown() {
        AppFixture f;
        f.prepare([](Store& store) {
            one_of_each(store);
            store.db.execute("UPDATE users SET user_View = 3 WHERE key = 1");
        });
        QVERIFY(f.start());
        QCOMPARE(f.tree().currentItem(), f.ws().tree_items.at(3));
        QCOMPARE(f.tree().currentItem()->text(0), QStringLiteral("Launch"));
        QCOMPARE(f.ws().state.previous_selection, 3);
        QVERIFY(f.window().statusBar()->currentMessage() == QStringLiteral("Ready..."));
    }

    void a_file_that_is_no_database_is_reported_and_never_written_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: a database with other tables only
        QTest::newRow("text file") << QByteArray("These are my notes, not a database.\n");
        QTest::newRow("database of another program") << QByteArray();
    }
    void a_file_that_is_no_database_is_reported_and_never_written() {
        QFETCH(QByteArray, bytes);
        AppFixture f;
        const QString file = f.path(QStringLiteral("other.db"));
        if (bytes.isEmpty()) {
            DatabaseProbe other(file);
            QCOMPARE(other.db.execute("create table photos(name text)"), 0);
        } else {
            write_file(file, bytes);
        }
        const QByteArray before = contents(file);
        f.write_settings(QStringLiteral("Ada"), file);

        QVERIFY(f.start());
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.prompter.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(f.prompter.shown[0].text, QStringLiteral("Could not read Database\n") + file);
        QCOMPARE(f.tree().topLevelItemCount(), 0);
        QVERIFY(f.app->store().lists.users.empty());

        // Neither the periodic flush nor the close sequence writes into it.
        f.clock.advance_seconds(25);
        f.app->jobs().poll();
        dispatch_event(*f.app, menu_event(id::FileSave, id::MainWindow));
        f.app->close_main_window();
        QCOMPARE(contents(file), before);
        QCOMPARE(f.prompter.shown.size(), 1);
    }

    void file_new_still_works_after_an_unreadable_file() {
        AppFixture f;
        const QString file = f.path(QStringLiteral("other.db"));
        write_file(file, "not a database");
        f.write_settings(QStringLiteral("Ada"), file);
        QVERIFY(f.start());
        f.prompter.file_name = f.path(QStringLiteral("fresh"));
        dispatch_event(*f.app, menu_event(id::FileNew, id::MainWindow));
        QCOMPARE(f.app->database_path(), f.path(QStringLiteral("fresh.db")));
        QCOMPARE(tables(f.path(QStringLiteral("fresh.db"))), kSixTables);
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada")});
        QCOMPARE(contents(file), QByteArray("not a database"));
    }

    void an_empty_file_becomes_a_new_database() {
        AppFixture f;
        const QString file = f.path(QStringLiteral("empty.db"));
        write_file(file, QByteArray());
        f.write_settings(QStringLiteral("Ada"), file);
        QVERIFY(f.start());
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(tables(file), kSixTables);
        QCOMPARE(DatabaseProbe(file).rows("SELECT key, userID FROM users"),
                 QStringList{QStringLiteral("1|Ada")});
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada")});
    }

    void a_second_program_on_the_same_file_leaves_it_alone() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
        const QByteArray before = contents(f.default_db());
        const QByteArray settings_before = contents(f.settings_path());

        ScriptedPrompter second_prompter;
        Application second(f.clock, second_prompter);
        QVERIFY(!second.start());
        QVERIFY(second.has_finished());
        QCOMPARE(second.exit_code(), 0);
        QCOMPARE(
            second_prompter.texts(),
            QStringList{QStringLiteral("This database is open in another Olvessa.project window")});
        QVERIFY(!second.main_window() || !second.main_window()->isVisible());
        QCOMPARE(contents(f.default_db()), before);
        QCOMPARE(contents(f.settings_path()), settings_before);

        // The first window keeps its lock and its file.
        QVERIFY(QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
        f.app->close_main_window();
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
    }

    void the_lock_of_a_dead_program_is_taken_over() {
        AppFixture f;
        f.prepare();
        const QString lock_name = DatabaseLock::lock_file_name(f.default_db());
        QByteArray stale;
        {
            // A genuine lock file, then given the number of a process that cannot exist.
            QLockFile genuine(lock_name);
            QVERIFY(genuine.tryLock(0));
            QFile file(lock_name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            stale = file.readAll();
        }
        QFile pid_max(QStringLiteral("/proc/sys/kernel/pid_max"));
        QVERIFY(pid_max.open(QIODevice::ReadOnly));
        const QByteArray dead_pid =
            QByteArray::number(pid_max.readAll().trimmed().toLongLong() + 1);
        stale = dead_pid + stale.mid(stale.indexOf('\n'));
        write_file(lock_name, stale);

        QVERIFY(f.start());
        QVERIFY(f.messages().isEmpty());
        QVERIFY(!f.app->has_finished());
        QFile taken(lock_name);
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readLine().trimmed(),
                 QByteArray::number(QCoreApplication::applicationPid()));
    }

    void without_the_database_engine_the_program_says_so_and_ends_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("in_temporary_folder");
        QTest::addColumn<bool>("first_start");
        QTest::newRow("no such file, first start") << "no-such-library.so" << true << true;
        QTest::newRow("no such file, remembered database") << "no-such-library.so" << true << false;
        QTest::newRow("a library that is not SQLite") << "libm.so.6" << false << false;
    }
    void without_the_database_engine_the_program_says_so_and_ends() {
        QFETCH(QString, library);
        QFETCH(bool, in_temporary_folder);
        QFETCH(bool, first_start);
        AppFixture f;
        if (!first_start)
            f.prepare(one_of_each);
        const QByteArray database_before = contents(f.default_db());
        const QByteArray settings_before = contents(f.settings_path());
        const QString named = in_temporary_folder ? f.path(library) : library;
        const QByteArray saved = qgetenv("OLVESSA_SQLITE_LIBRARY");
        qputenv("OLVESSA_SQLITE_LIBRARY", named.toUtf8());
        const bool started = f.start();
        if (saved.isNull())
            qunsetenv("OLVESSA_SQLITE_LIBRARY");
        else
            qputenv("OLVESSA_SQLITE_LIBRARY", saved);

        QVERIFY(!started);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 1);
        QVERIFY(!f.unexpected_prompt);
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.prompter.shown[0].title, QStringLiteral("Error"));
        const QString said = f.prompter.shown[0].text;
        QVERIFY2(said.startsWith(QStringLiteral("Could not load the database engine\n") + named),
                 qPrintable(said));
        QVERIFY(!f.app->main_window() || !f.app->main_window()->isVisible());
        // Nothing was made or changed.
        QCOMPARE(contents(f.default_db()), database_before);
        QCOMPARE(contents(f.settings_path()), settings_before);
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 first_start ? 0 : 2);
    }

    void a_database_with_an_empty_users_table_shows_its_records() {
        AppFixture f;
        f.prepare([](Store& store) {
            one_of_each(store);
            store.db.execute("DELETE FROM users");
        });
        QVERIFY(f.start());
        QVERIFY(f.messages().isEmpty());
        // The users row a new database gets, with the name from the settings.
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT * FROM users"),
                 QStringList{QStringLiteral("1|Ada|0|£|%dd/%mm/%yyyy")});
        QCOMPARE(top_level_texts(f.tree()), QStringList{QStringLiteral("Ada")});
        QStringList shown;
        for (QTreeWidgetItem* item : f.ws().tree_items)
            shown << item->text(0);
        QCOMPARE(shown, (QStringList{QStringLiteral("Ada"), QStringLiteral("Acme"),
                                     QStringLiteral("Website"), QStringLiteral("Launch"),
                                     QStringLiteral("Design")}));
        QCOMPARE(f.tree().currentItem(), f.tree().topLevelItem(0));

        // It is a real row: a second start finds it and adds none.
        f.app->close_main_window();
        QVERIFY(f.start());
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT count(*) FROM users"),
                 QStringList{QStringLiteral("1")});
    }

    void a_read_only_settings_file_is_read_data() {
        QTest::addColumn<bool>("open_another_file");
        QTest::newRow("start") << false;
        QTest::newRow("File > New needs a write") << true;
    }
    void a_read_only_settings_file_is_read() {
        QFETCH(bool, open_another_file);
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(QFile::setPermissions(f.settings_path(), QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray settings_before = contents(f.settings_path());
        FileModesHold modes;
        if (!modes.holds())
            QSKIP("file modes cannot be made to hold for this user");
        QVERIFY(f.start());
        QVERIFY(!f.unexpected_prompt);
        QCOMPARE(f.app->database_path(), f.default_db());
        QCOMPARE(f.tree().topLevelItem(0)->child(0)->text(0), QStringLiteral("Acme"));
        if (!open_another_file) {
            QVERIFY(f.messages().isEmpty());
        } else {
            // Only a write that cannot be made is reported.
            f.prompter.file_name = f.path(QStringLiteral("second.db"));
            dispatch_event(*f.app, menu_event(id::FileNew, id::MainWindow));
            QCOMPARE(f.app->database_path(), f.path(QStringLiteral("second.db")));
            QCOMPARE(f.prompter.shown.size(), 1);
            QCOMPARE(f.prompter.shown[0].title, QStringLiteral("Fehler"));
            QCOMPARE(f.prompter.shown[0].text, QStringLiteral("Ein Fehler ist aufgetreten"));
        }
        QCOMPARE(contents(f.settings_path()), settings_before);
    }
};

OLV_TEST_CLASS(StartUpTest)

#include "test_startup.moc"
