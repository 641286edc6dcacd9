// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The dialog that names a server database, typed into as a user does, and the database save
// dialog's way to it.
#include "test_registry.h"
#include "views/prompter.h"
#include "views/server_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace olv;

namespace {

// Runs `act` on the next modal window of the type once it is open.
template <typename Window> void when_open(QObject* context, std::function<void(Window*)> act) {
    QTimer::singleShot(0, context, [context, act] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window) {
            when_open<Window>(context, act);
            return;
        }
        act(window);
    });
}

void fill(ServerDialog* dialog, const QString& host, const QString& port, const QString& database,
          const QString& user) {
    const std::pair<QLineEdit*, QString> fields[] = {{dialog->host_field(), host},
                                                     {dialog->port_field(), port},
                                                     {dialog->database_field(), database},
                                                     {dialog->user_field(), user}};
    for (const auto& [field, text] : fields) {
        field->clear();
        QTest::keyClicks(field, text);
    }
}

} // namespace

class ServerDialogTest : public QObject {
    Q_OBJECT
    QObject context_;

private slots:
    void typed_fields_make_the_location_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("location");
        QTest::newRow("host and port") << "db.example"
                                       << "5433"
                                       << "work"
                                       << "ann"
                                       << "postgresql://ann@db.example:5433/work";
        QTest::newRow("the default port") << "db.example"
                                          << ""
                                          << "work"
                                          << "ann"
                                          << "postgresql://ann@db.example/work";
        QTest::newRow("the local socket") << ""
                                          << ""
                                          << "work"
                                          << "ann"
                                          << "postgresql://ann@/work";
        QTest::newRow("a socket folder") << "/run/pg"
                                         << "5433"
                                         << "work"
                                         << "ann"
                                         << "postgresql://ann@/work?host=%2Frun%2Fpg&port=5433";
        QTest::newRow("no user, spaces around") << " db.example "
                                                << ""
                                                << " my work "
                                                << ""
                                                << "postgresql://db.example/my%20work";
        QTest::newRow("letters are no port") << "db.example"
                                             << "x5"
                                             << "work"
                                             << "ann"
                                             << "postgresql://ann@db.example:5/work";
        QTest::newRow("no database") << "db.example"
                                     << "5432"
                                     << ""
                                     << "ann"
                                     << "";
    }
    void typed_fields_make_the_location() {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, location);
        bool ok_enabled = false;
        when_open<ServerDialog>(&context_, [&](ServerDialog* dialog) {
            fill(dialog, host, port, database, user);
            ok_enabled = dialog->ok_button()->isEnabled();
            if (ok_enabled)
                QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
            else
                dialog->reject();
        });
        QCOMPARE(ask_server_location(nullptr, QStringLiteral("Server")), location);
        QCOMPARE(ok_enabled, !location.isEmpty());
    }

    // Return accepts, Escape cancels: the dialog works from the keyboard alone.
    void keys_answer_the_dialog() {
        when_open<ServerDialog>(&context_, [](ServerDialog* dialog) {
            fill(dialog, QStringLiteral("db.example"), QString(), QStringLiteral("work"),
                 QStringLiteral("ann"));
            QTest::keyClick(dialog->user_field(), Qt::Key_Return);
        });
        QCOMPARE(ask_server_location(nullptr, QStringLiteral("Server")),
                 QStringLiteral("postgresql://ann@db.example/work"));
        when_open<ServerDialog>(&context_, [](ServerDialog* dialog) {
            fill(dialog, QStringLiteral("db.example"), QString(), QStringLiteral("work"),
                 QStringLiteral("ann"));
            QTest::keyClick(dialog->database_field(), Qt::Key_Escape);
        });
        QCOMPARE(ask_server_location(nullptr, QStringLiteral("Server")), QString());
    }

    // The save dialog of a database: its "Server…" button answers with the server named; a
    // server dialog cancelled leaves the file dialog open.
    void the_save_dialog_names_a_server() {
        QtPrompter prompter;
        const QString folder = QDir::tempPath();
        bool cancelled_once = false;
        when_open<QFileDialog>(&context_, [&](QFileDialog* files) {
            auto* server = files->findChild<QPushButton*>(QStringLiteral("server"));
            QVERIFY(server);
            when_open<ServerDialog>(&context_, [&, files, server](ServerDialog* dialog) {
                dialog->reject();
                cancelled_once = true;
                QTimer::singleShot(0, &context_, [&, files, server] {
                    QVERIFY(files->isVisible());
                    when_open<ServerDialog>(&context_, [](ServerDialog* again) {
                        fill(again, QStringLiteral("db.example"), QString(), QStringLiteral("work"),
                             QStringLiteral("ann"));
                        QTest::mouseClick(again->ok_button(), Qt::LeftButton);
                    });
                    server->click();
                });
            });
            server->click();
        });
        QCOMPARE(prompter.database_save_name(nullptr, QStringLiteral("Save As"), folder,
                                             QStringLiteral("*.db"),
                                             QStringLiteral("Database (*.db)")),
                 QStringLiteral("postgresql://ann@db.example/work"));
        QVERIFY(cancelled_once);

        // A file typed in the same dialog is the answer as before.
        when_open<QFileDialog>(&context_, [&](QFileDialog* files) {
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(QStringLiteral("mine.db"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        QCOMPARE(prompter.database_save_name(nullptr, QStringLiteral("Save As"), folder,
                                             QStringLiteral("*.db"),
                                             QStringLiteral("Database (*.db)")),
                 QDir(folder).filePath(QStringLiteral("mine.db")));
    }
};
OLV_TEST_CLASS(ServerDialogTest)

#include "test_server_dialog.moc"
