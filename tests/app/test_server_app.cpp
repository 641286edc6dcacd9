// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The program with a database on a real PostgreSQL server: opening it from the command line,
// the password prompt, the lock and Open Read-Only, the window title, the daily offline copy,
// and the commands that copy and export without a display.
#include "app_fixture.h"
#include "postgres_server.h"
#include "test_registry.h"

#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>

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
        store.lists.clients[0].client_name = "Changed";
        store.lists.clients[0].modified = true;
        QVERIFY(!flush(store).committed);
        QCOMPARE(server_->column(parse_server_location(uri).database,
                                 QStringLiteral("SELECT client_name FROM clients")),
                 QStringList{"Acme"});
    }

    // An unreachable server: a box names the host and the reason; nothing is created.
    void an_unreachable_server_is_named() {
        AppFixture f;
        f.prepare();
        const QString missing = f.path(QStringLiteral("no-server"));
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(QStringLiteral("postgresql://me@/work?host=") + missing);
        f.app->start();
        const QStringList texts = f.messages();
        QVERIFY2(!texts.isEmpty() && texts.front().startsWith(
                                         QStringLiteral("Could not open Database on ") + missing),
                 qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(!f.app->store().db.has_current_database());
        QVERIFY(!QFileInfo::exists(missing));
    }
};
OLV_TEST_CLASS(ServerAppTest)

#include "test_server_app.moc"
