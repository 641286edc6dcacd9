// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The program with a database on a real PostgreSQL server: opening it from the command line,
// the password prompt, the lock and Open Read-Only, the window title, the daily offline copy,
// and the commands that copy and export without a display.
#include "app_fixture.h"
#include "postgres_server.h"
#include "test_registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTextEdit>

#include <chrono>
#include <csignal>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

// Runs the program itself without a display; returns its exit code.
int run_program(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr,
                const QString& settings = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!settings.isEmpty())
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), settings);
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa"), arguments);
    if (!run.waitForFinished(60000))
        return -1;
    if (out)
        *out = run.readAllStandardOutput();
    if (err)
        *err = run.readAllStandardError();
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
}

void fill_server(const std::string& uri) {
    Store store;
    QVERIFY(create_database(store, uri, "Ada"));
    one_of_each(store);
}

// Clicks the button with this text in the next message box, after noting its text.
void answer_box(QObject* context, const QString& button, QString* text) {
    QTimer::singleShot(0, context, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        *text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
}

std::string database_of(const std::string& uri) {
    return parse_server_location(uri).database;
}

QString title_of(const std::string& uri) {
    return QStringLiteral("%1 @ localhost \u2013 Olvessa.project")
        .arg(QString::fromStdString(database_of(uri)));
}

bool shows(AppFixture& f, const QString& name) {
    return !f.tree().findItems(name, Qt::MatchRecursive | Qt::MatchContains).isEmpty();
}

constexpr int kProject = 2;
constexpr int kObjective = 3;

// Notes typed for an item are a change once another item is chosen.
void type_notes(AppFixture& f, int position, const QString& text, int then) {
    const auto click = [&f](int at) {
        QTreeWidget& tree = f.tree();
        QTreeWidgetItem* item = f.ws().tree_items.at(at);
        tree.scrollToItem(item);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
    };
    click(position);
    QTextEdit* notes = f.ws().notes;
    notes->setFocus();
    QTest::keyClicks(notes, text);
    click(then);
}

void command(AppFixture& f, int id) {
    f.app->handle_event(menu_event(id, id::MainWindow));
}

// Answers the next password prompt with `password`, or cancels it when that is empty.
void answer_password(QObject* context, const QString& password) {
    QTimer::singleShot(0, context, [=] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (password.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setTextValue(password);
        dialog->accept();
    });
}

} // namespace

class ServerAppTest : public QObject {
    Q_OBJECT
    PostgresServer* server_ = nullptr;

private slots:
    void initTestCase() {
        QString error;
        server_ = shared_postgres_server(error);
        QVERIFY2(server_, qPrintable(error));
    }

    // --copy-database moves a file onto a server and back, refuses targets that hold records,
    // and --export-csv reads the server as it reads a file.
    void copy_and_export_without_a_display() {
        AppFixture f;
        const QString file = f.path(QStringLiteral("work.db"));
        f.make_database(file, "Ada", one_of_each);
        const QString uri = QString::fromStdString(server_->new_database());
        QByteArray err;
        QCOMPARE(run_program({"--copy-database", file, uri}, nullptr, &err), 0);
        QByteArray from_file, from_server;
        QCOMPARE(run_program({"--export-csv", "-", "--database", file}, &from_file), 0);
        QCOMPARE(run_program({"--export-csv", "-", "--database", uri}, &from_server), 0);
        QCOMPARE(from_server, from_file);

        // A target holding the tables, and a file that exists, stay as they were.
        QCOMPARE(run_program({"--copy-database", file, uri}, nullptr, &err), 1);
        QVERIFY2(err.contains("holds Olvessa.project tables already"), err.constData());
        const QString other = f.path(QStringLiteral("other.db"));
        QFile(other).open(QIODevice::WriteOnly);
        QCOMPARE(run_program({"--copy-database", uri, other}, nullptr, &err), 1);
        QCOMPARE(QFileInfo(other).size(), 0);

        // Back to a new file: the same records.
        const QString back = f.path(QStringLiteral("back.db"));
        QCOMPARE(run_program({"--copy-database", uri, back}, nullptr, &err), 0);
        QByteArray from_back;
        QCOMPARE(run_program({"--export-csv", "-", "--database", back}, &from_back), 0);
        QCOMPARE(from_back, from_file);

        QCOMPARE(run_program({"--copy-database", f.path(QStringLiteral("none.db")),
                              f.path(QStringLiteral("x.db"))},
                             nullptr, &err),
                 1);
        QVERIFY(!QFile::exists(f.path(QStringLiteral("x.db"))));
        QCOMPARE(run_program({"--copy-database", file}, nullptr, &err), 2);
        QVERIFY(err.contains("Usage: olvessa --copy-database FROM TO"));
        QByteArray help;
        QCOMPARE(run_program({"--help"}, &help), 0);
        QVERIFY(help.contains("olvessa --copy-database FROM TO"));
    }

    // A URI with a password opens the server database; the title names it, the settings keep
    // it without the password, and a local offline copy is made.
    void the_program_opens_a_server_database() {
        AppFixture f;
        f.prepare();
        const std::string uri = server_->new_database(PostgresServer::kPasswordUser);
        ServerLocation parts = parse_server_location(uri);
        parts.password = PostgresServer::kPassword;
        {
            Store store;
            store.db.set_server_password(parts.password);
            QVERIFY(create_database(store, uri, "Ada"));
            one_of_each(store);
        }
        f.app = nullptr;
        AppFixture& g = f;
        g.app = std::make_unique<Application>(g.clock, g.prompter);
        g.app->set_database_argument(QString::fromStdString(server_uri(parts)));
        QVERIFY(g.app->start());
        QCOMPARE(g.window().windowTitle(), QStringLiteral("%1 @ localhost \u2013 Olvessa.project")
                                               .arg(QString::fromStdString(parts.database)));
        QVERIFY(g.tree()
                    .findItems(QStringLiteral("Acme"), Qt::MatchRecursive | Qt::MatchContains)
                    .size() == 1);
        const QString remembered = g.setting(QStringLiteral("Default Database"));
        QVERIFY(remembered.startsWith(QStringLiteral("postgresql://")));
        QVERIFY2(!remembered.contains(QStringLiteral("s3cret")), qPrintable(remembered));
        QFile settings(g.settings_path());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("s3cret"));
        QVERIFY(
            QFile::exists(g.backups_folder() + QStringLiteral("/%1@localhost-2026-12-10.db")
                                                   .arg(QString::fromStdString(parts.database))));
    }

    // Without a password the server asks for one: the masked prompt supplies it.
    void the_password_is_asked_for() {
        AppFixture f;
        f.prepare();
        const std::string uri = server_->new_database(PostgresServer::kPasswordUser);
        bool masked = false;
        QTimer::singleShot(0, &f.context, [&masked] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            masked = dialog->textEchoMode() == QLineEdit::Password;
            dialog->setTextValue(QString::fromLatin1(PostgresServer::kPassword));
            dialog->accept();
        });
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(QString::fromStdString(uri));
        QVERIFY(f.app->start());
        QVERIFY(masked);
        QVERIFY(f.app->store().db.has_current_database());
        QCOMPARE(f.app->store().db.engine_kind(), EngineKind::PostgreSQL);
        QVERIFY(!f.app->store().lists.users.empty());
    }

    // A database another machine holds: told who, and opened read-only on request.
    void a_held_database_opens_read_only() {
        AppFixture f;
        f.prepare();
        const std::string uri = server_->new_database();
        fill_server(uri);
        Store holder;
        QVERIFY(holder.db.open_database(uri));
        QVERIFY(holder.db.take_server_lock());

        QString told;
        answer_box(&f.context, QStringLiteral("Open Read-Only"), &told);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(QString::fromStdString(uri));
        QVERIFY(f.app->start());
        QVERIFY2(told.startsWith(QStringLiteral("This database is open on ")), qPrintable(told));
        QVERIFY(f.tree()
                    .findItems(QStringLiteral("Acme"), Qt::MatchRecursive | Qt::MatchContains)
                    .size() == 1);
        Store& store = f.app->store();
        QVERIFY(store.db.execute(insert_client_sql(7, "Refused", 1)) != 0);
        QVERIFY(f.app->read_only());
        QCOMPARE(f.window().windowTitle(), title_of(uri) + QStringLiteral(" (read-only)"));

        // The first change gets the one box of a read-only database; the flushes write nothing.
        f.prompter.shown.clear();
        type_notes(f, kProject, QStringLiteral("Call Bob"), kObjective);
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.prompter.shown.front().title, QStringLiteral("Read-only Database"));
        store.lists.clients[0].client_name = "Changed";
        store.lists.clients[0].modified = true;
        f.clock.advance_seconds(60);
        f.app->jobs().poll();
        command(f, id::FileSave);
        QCOMPARE(f.prompter.shown.size(), 1);
        QVERIFY(!flush(store).committed);
        QCOMPARE(
            server_->column(database_of(uri),
                            QStringLiteral("SELECT client_name || ':' || "
                                           "coalesce(project_note, '') FROM clients, project")),
            QStringList{"Acme:"});

        // Printing, the Period Report and its CSV export read what is shown.
        f.prompter.printer_output = f.path(QStringLiteral("report.pdf"));
        command(f, id::FilePrint);
        QVERIFY(QFileInfo(f.prompter.printer_output).size() > 0);
        command(f, id::ReportsPeriodReport);
        PeriodReportWindow* report = f.app->period_report();
        QVERIFY(report);
        f.prompter.file_name = f.path(QStringLiteral("period"));
        QTest::mouseClick(report->findChild<QPushButton*>(QString::number(id::PeriodExportCsv)),
                          Qt::LeftButton);
        QVERIFY(QFile::exists(f.path(QStringLiteral("period.csv"))));
        QCOMPARE(f.prompter.shown.size(), 1);
    }

    // A server that cannot be reached at start, or refuses the password: a box names the host
    // and libpq's reason, nothing is created anywhere, and the user goes on as after a file that
    // could not be read: open another database, or quit.
    void a_server_that_does_not_open_at_start_data() {
        QTest::addColumn<QString>("why");
        QTest::newRow("no server in the socket folder") << "no server";
        QTest::newRow("a wrong password") << "wrong password";
    }
    void a_server_that_does_not_open_at_start() {
        QFETCH(QString, why);
        AppFixture f;
        QDir().mkpath(f.data_folder());
        QString location;
        QString host;
        QString reason;
        if (why == QLatin1String("no server")) {
            host = f.path(QStringLiteral("no-server"));
            location = QStringLiteral("postgresql://me@/work?host=") + host;
            reason = QStringLiteral("No such file or directory");
        } else {
            ServerLocation parts =
                parse_server_location(server_->new_database(PostgresServer::kPasswordUser));
            parts.password = "not it";
            host = QString::fromStdString(parts.host);
            location = QString::fromStdString(server_uri(parts));
            reason = QStringLiteral("password authentication failed");
        }
        f.write_settings(QStringLiteral("Ada"), location);
        const QStringList before =
            QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        QVERIFY(f.start());
        const QStringList texts = f.messages();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts.front().startsWith(QStringLiteral("Could not open Database on ") + host),
                 qPrintable(texts.front()));
        QVERIFY2(texts.front().contains(reason), qPrintable(texts.front()));
        QVERIFY(!f.app->store().db.has_current_database());
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("no-server"))));
        QVERIFY(QDir(f.data_folder()).isEmpty());
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
        // Edits made meanwhile reach nothing, and no flush writes anywhere.
        f.clock.advance_seconds(60);
        f.app->jobs().poll();
        QVERIFY(QDir(f.data_folder()).isEmpty());

        // Another database opens from there.
        const QString other = f.path(QStringLiteral("other.db"));
        f.make_database(other, "Ada", one_of_each);
        f.prompter.open_name = other;
        command(f, id::FileOpen);
        QCOMPARE(f.window().windowTitle(), QStringLiteral("other.db \u2013 Olvessa.project"));
        QVERIFY(shows(f, QStringLiteral("Acme")));
        QCOMPARE(f.setting(QStringLiteral("Default Database")), other);
    }

    // File > Open Server Database (also Ctrl+Shift+O) leaves the file for the server: the
    // file's lock is given back, the title names the server, and it opens at the next start.
    void the_file_menu_opens_a_server_database() {
        AppFixture f;
        f.prepare([](Store& s) { s.db.execute(insert_client_sql(100, "Local", 10)); });
        const std::string uri = server_->new_database();
        fill_server(uri);
        QVERIFY(f.start());
        QVERIFY(f.app->main_window()->menu_item(id::FileOpenServer)->isEnabled());
        f.prompter.server_name = QString::fromStdString(uri);
        f.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        f.tree().setFocus();
        QTest::keySequence(&f.tree(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
        QCOMPARE(f.window().windowTitle(), title_of(uri));
        QVERIFY(shows(f, QStringLiteral("Acme")));
        QVERIFY(!shows(f, QStringLiteral("Local")));
        QCOMPARE(f.app->store().db.engine_kind(), EngineKind::PostgreSQL);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), QString::fromStdString(uri));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
        QVERIFY(f.messages().isEmpty());
    }

    // A server database that does not open from the menu leaves the file open as it was, with
    // what it holds and its place as the database of the next start.
    void a_server_that_does_not_open_leaves_the_file_data() {
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("told");
        QTest::newRow("no server there") << "no server"
                                         << "Could not open Database on ";
        QTest::newRow("the password prompt cancelled") << "no password"
                                                       << "";
        QTest::newRow("other tables of the same names")
            << "foreign tables"
            << "It holds other tables of the names this program uses";
        QTest::newRow("held elsewhere, read-only refused") << "held"
                                                           << "This database is open on ";
    }
    void a_server_that_does_not_open_leaves_the_file() {
        QFETCH(QString, why);
        QFETCH(QString, told);
        AppFixture f;
        f.prepare([](Store& s) { s.db.execute(insert_client_sql(100, "Local", 10)); });
        std::string uri;
        Store holder;
        QString box_text;
        if (why == QLatin1String("no server")) {
            uri = "postgresql://me@/work?host=" + f.path(QStringLiteral("none")).toStdString();
        } else if (why == QLatin1String("no password")) {
            uri = server_->new_database(PostgresServer::kPasswordUser);
        } else {
            uri = server_->new_database();
            if (why == QLatin1String("foreign tables")) {
                QVERIFY(server_->sql(database_of(uri).c_str(),
                                     QStringLiteral("CREATE TABLE clients (id integer)")));
            } else {
                fill_server(uri);
                QVERIFY(holder.db.open_database(uri));
                QVERIFY(holder.db.take_server_lock());
            }
        }
        QVERIFY(f.start());
        f.prompter.server_name = QString::fromStdString(uri);
        if (why == QLatin1String("no password"))
            answer_password(&f.context, QString());
        if (why == QLatin1String("held"))
            answer_box(&f.context, QStringLiteral("Cancel"), &box_text);
        command(f, id::FileOpenServer);

        const QStringList texts = f.messages() << box_text;
        if (told.isEmpty())
            QCOMPARE(f.messages(), QStringList());
        else
            QVERIFY2(texts.join(QLatin1Char('|')).contains(told),
                     qPrintable(texts.join(QLatin1Char('|'))));
        QCOMPARE(f.window().windowTitle(), QStringLiteral("default.db \u2013 Olvessa.project"));
        QVERIFY(shows(f, QStringLiteral("Local")));
        QCOMPARE(f.app->store().db.engine_kind(), EngineKind::SQLite);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), f.default_db());
        if (why == QLatin1String("foreign tables"))
            QCOMPARE(server_->column(database_of(uri),
                                     QStringLiteral("SELECT tablename FROM pg_tables WHERE "
                                                    "schemaname = 'public'")),
                     QStringList{"clients"});
        // The file is still the one written to.
        f.app->store().lists.clients[0].client_name = "Still here";
        f.app->store().lists.clients[0].modified = true;
        command(f, id::FileSave);
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT client_name FROM clients"),
                 QStringList{"Still here"});
    }

    // New and Save As name a server through the same dialog: New makes the six tables and the
    // users row in an empty database, Save As copies every record there; a database that holds
    // the tables already is refused and left as it is. Save As goes back to a file as well.
    void new_and_save_as_name_a_server() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        const std::string copy = server_->new_database();
        f.prompter.server_name = QString::fromStdString(copy);
        command(f, id::FileSaveAs);
        QCOMPARE(f.window().windowTitle(), title_of(copy));
        QCOMPARE(
            server_->column(database_of(copy), QStringLiteral("SELECT client_name FROM clients")),
            QStringList{"Acme"});
        QCOMPARE(server_->column(database_of(copy), QStringLiteral("SELECT task_title FROM task")),
                 QStringList{"Design"});
        QCOMPARE(f.setting(QStringLiteral("Default Database")), QString::fromStdString(copy));
        QVERIFY(shows(f, QStringLiteral("Design")));
        // Going on there: a change reaches the server.
        f.app->store().lists.clients[0].client_name = "Acme Ltd";
        f.app->store().lists.clients[0].modified = true;
        command(f, id::FileSave);
        QCOMPARE(
            server_->column(database_of(copy), QStringLiteral("SELECT client_name FROM clients")),
            QStringList{"Acme Ltd"});

        const std::string taken = server_->new_database();
        fill_server(taken);
        for (int id : {id::FileSaveAs, id::FileNew}) {
            f.prompter.shown.clear();
            f.prompter.server_name = QString::fromStdString(taken);
            command(f, id);
            QCOMPARE(f.messages().size(), 1);
            QVERIFY2(f.messages().front().contains(QStringLiteral("holds Olvessa.project tables "
                                                                  "already")),
                     qPrintable(f.messages().front()));
            QCOMPARE(f.window().windowTitle(), title_of(copy));
            QCOMPARE(server_->column(database_of(taken),
                                     QStringLiteral("SELECT client_name FROM clients")),
                     QStringList{"Acme"});
        }

        // From the server back to a file.
        f.prompter.shown.clear();
        f.prompter.server_name.clear();
        const QString back = f.path(QStringLiteral("back.db"));
        f.prompter.file_name = back;
        command(f, id::FileSaveAs);
        QCOMPARE(f.window().windowTitle(), QStringLiteral("back.db \u2013 Olvessa.project"));
        QCOMPARE(DatabaseProbe(back).rows("SELECT client_name FROM clients"),
                 QStringList{"Acme Ltd"});

        // New on an empty server database.
        const std::string fresh = server_->new_database();
        f.prompter.server_name = QString::fromStdString(fresh);
        command(f, id::FileNew);
        QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join(QLatin1Char('|'))));
        QCOMPARE(f.window().windowTitle(), title_of(fresh));
        QCOMPARE(server_->column(database_of(fresh),
                                 QStringLiteral("SELECT tablename FROM pg_tables WHERE "
                                                "schemaname = 'public' ORDER BY tablename")),
                 (QStringList{"clients", "objectives", "project", "task", "task_detail", "users"}));
        QCOMPARE(server_->column(database_of(fresh), QStringLiteral("SELECT userid FROM users")),
                 QStringList{"Ada"});
        QVERIFY(!shows(f, QStringLiteral("Acme")));
        QCOMPARE(f.setting(QStringLiteral("Default Database")), QString::fromStdString(fresh));
    }

    // New and Save As to a server that wants a password ask for it once (masked); the program
    // goes on there with it, and remembers the database without it.
    void new_and_save_as_ask_for_the_password_once_data() {
        QTest::addColumn<int>("command_id");
        QTest::newRow("Save As") << int(id::FileSaveAs);
        QTest::newRow("New") << int(id::FileNew);
    }
    void new_and_save_as_ask_for_the_password_once() {
        QFETCH(int, command_id);
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        const std::string uri = server_->new_database(PostgresServer::kPasswordUser);
        int asked = 0;
        bool masked = true;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, &f.context, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ++asked;
            masked = masked && dialog->textEchoMode() == QLineEdit::Password;
            dialog->setTextValue(QString::fromLatin1(PostgresServer::kPassword));
            dialog->accept();
        });
        answering.start(20);
        f.prompter.server_name = QString::fromStdString(uri);
        command(f, command_id);
        answering.stop();
        QCOMPARE(asked, 1);
        QVERIFY(masked);
        QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join(QLatin1Char('|'))));
        QCOMPARE(f.window().windowTitle(), title_of(uri));
        QCOMPARE(shows(f, QStringLiteral("Acme")), command_id == id::FileSaveAs);
        QCOMPARE(f.setting(QStringLiteral("Default Database")), QString::fromStdString(uri));
        QFile settings(f.settings_path());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("s3cret"));
    }

    // Another machine took the database while the connection was lost: the next flush writes
    // nothing, says so and offers Save As to a file, which keeps every change held.
    void a_database_taken_meanwhile_keeps_the_changes_data() {
        QTest::addColumn<bool>("save_now");
        QTest::newRow("saved as a file at once") << true;
        QTest::newRow("saved at exit") << false;
    }
    void a_database_taken_meanwhile_keeps_the_changes() {
        QFETCH(bool, save_now);
        AppFixture f;
        f.prepare();
        const std::string uri = server_->new_database();
        fill_server(uri);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(QString::fromStdString(uri));
        QVERIFY(f.app->start());
        Store& store = f.app->store();
        store.lists.clients[0].client_name = "Changed";
        store.lists.clients[0].modified = true;

        QVERIFY(server_->sql("postgres", QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                                        "pg_stat_activity WHERE datname = '%1'")
                                             .arg(QString::fromStdString(database_of(uri)))));
        Store other;
        QVERIFY(other.db.open_database(uri));
        QVERIFY(other.db.take_server_lock());

        const QString kept = f.path(QStringLiteral("kept.db"));
        f.prompter.file_name = kept;
        f.prompter.choices = {save_now ? 0 : 1};
        f.clock.advance_seconds(60);
        f.app->jobs().poll();
        QCOMPARE(f.prompter.buttons_shown, (QList<QStringList>{{"Save As…", "Not Now"}}));
        QVERIFY2(f.messages().front().contains(QStringLiteral("This database is open on ")),
                 qPrintable(f.messages().front()));
        QCOMPARE(
            server_->column(database_of(uri), QStringLiteral("SELECT client_name FROM clients")),
            QStringList{"Acme"});
        if (!save_now) {
            QVERIFY(f.app->read_only());
            QVERIFY(f.window().windowTitle().endsWith(QStringLiteral("(read-only)")));
            // Later flushes say nothing more.
            f.clock.advance_seconds(60);
            f.app->jobs().poll();
            QCOMPARE(f.prompter.shown.size(), 1);
            f.prompter.choices = {0};
            f.app->close_main_window();
            QCOMPARE(f.prompter.buttons_shown.size(), 2);
        } else {
            QCOMPARE(f.window().windowTitle(), QStringLiteral("kept.db \u2013 Olvessa.project"));
            QVERIFY(!f.app->read_only());
            QCOMPARE(f.setting(QStringLiteral("Default Database")), kept);
        }
        QCOMPARE(DatabaseProbe(kept).rows("SELECT client_name FROM clients"),
                 QStringList{"Changed"});
        QCOMPARE(
            server_->column(database_of(uri), QStringLiteral("SELECT client_name FROM clients")),
            QStringList{"Acme"});
    }

    // Asked to end while a flush waits for a server that stopped answering: the wait gives up,
    // and the program ends within two seconds of the request.
    void termination_during_a_flush_to_a_silent_server() {
        AppFixture f;
        f.prepare();
        const std::string uri = server_->new_database();
        fill_server(uri);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(QString::fromStdString(uri));
        QVERIFY(f.app->start());
        f.app->store().lists.clients[0].client_name = "Changed";
        f.app->store().lists.clients[0].modified = true;

        server_->pause(true);
        const auto resume = qScopeGuard([this] { server_->pause(false); });
        QElapsedTimer since_request;
        std::thread asker([&since_request] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            since_request.start();
            ::kill(::getpid(), SIGTERM);
        });
        f.clock.advance_seconds(60);
        f.app->jobs().poll(); // the periodic flush, stuck until the request comes
        asker.join();
        QTRY_VERIFY_WITH_TIMEOUT(f.app->has_finished(), 5000);
        QVERIFY2(since_request.elapsed() < 2000,
                 qPrintable(QString::number(since_request.elapsed())));
        QCOMPARE(f.app->exit_code(), 0);
    }

    // Asked to end while the server does not answer at all, after the records came in or while
    // the program still connects at start: it ends within two seconds, and a last flush that
    // did not get through is told on standard error.
    void termination_with_a_server_that_does_not_answer_data() {
        QTest::addColumn<bool>("while_connecting");
        QTest::newRow("while working") << false;
        QTest::newRow("while connecting at start") << true;
    }
    void termination_with_a_server_that_does_not_answer() {
        QFETCH(bool, while_connecting);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa");
        QVERIFY2(QFile::exists(program), qPrintable(program));
        const std::string uri = server_->new_database();
        fill_server(uri);
        AppFixture f;
        f.write_settings(QStringLiteral("Ada"), QString::fromStdString(uri));

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), f.settings_path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), f.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), f.path(QStringLiteral("config")));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(f.dir.path());
        const auto resume = qScopeGuard([this] { server_->pause(false); });
        if (while_connecting)
            server_->pause(true);
        child.start(program, {});
        QVERIFY(child.waitForStarted());
        if (while_connecting) {
            // Well inside the ten seconds a connection may take, and past the program's own
            // start-up.
            QTest::qWait(1500);
        } else {
            // Running once its records are in and the day's offline copy is made.
            QTRY_VERIFY_WITH_TIMEOUT(!QDir(f.path(QStringLiteral("data/Olvessa/backups")))
                                          .entryList({QStringLiteral("*.db")})
                                          .isEmpty(),
                                     20000);
            server_->pause(true);
        }

        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(child.waitForFinished(15000));
        const qint64 took = waited.elapsed();
        const QByteArray err = child.readAllStandardError();
        QVERIFY2(took < 2000, qPrintable(QString::number(took)));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        if (!while_connecting)
            QVERIFY2(err.contains("Could not write to Database"), err.constData());
        // Nothing was made in its place.
        QVERIFY(!QFile::exists(f.path(QStringLiteral("data/Olvessa/default.db"))));
    }
};
OLV_TEST_CLASS(ServerAppTest)

#include "test_server_app.moc"
