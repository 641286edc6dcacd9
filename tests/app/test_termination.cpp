// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// A termination request (SIGTERM, SIGINT, SIGHUP, the end of the session) ends the program
// promptly with exit code 0, whatever window is open, after one last flush that holds every
// second counted until the request. The signals are raised in this process, where the real
// handler turns them into the request, and sent to the real program in a child process.
#include "app/database_lock.h"
#include "app_fixture.h"
#include "file_access.h"
#include "test_registry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryFile>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace olv;
using namespace olv::testing;

namespace {

constexpr int kTask = 4; // tree position of the task of one_of_each

void select(AppFixture& f, int position) {
    QTreeWidget& tree = f.tree();
    QTreeWidgetItem* item = f.ws().tree_items.at(position);
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

void command(AppFixture& f, int id) {
    dispatch_event(*f.app, menu_event(id, id::MainWindow));
}

void run_seconds(AppFixture& f, int seconds) {
    for (int i = 0; i < seconds; ++i) {
        f.clock.advance_seconds(1);
        f.app->jobs().poll();
    }
}

// Raises the signal and lets the program answer it for at most two seconds; true when the
// window closed in that time (else it is closed here so the test goes on).
bool raise_and_wait_for_close(int signal_number, QWidget* window) {
    QPointer<QWidget> watched(window);
    ::raise(signal_number);
    QElapsedTimer waited;
    waited.start();
    while (watched && watched->isVisible() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (watched && watched->isVisible()) {
        watched->close();
        return false;
    }
    return true;
}

QStringList entry_seconds_in_file(AppFixture& f) {
    return DatabaseProbe(f.default_db()).rows("SELECT time FROM task_detail");
}

// What the program writes to standard error while this lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        if (!file_.open())
            return;
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }
    QString text() {
        restore();
        file_.seek(0);
        return QString::fromUtf8(file_.readAll());
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

} // namespace

class TerminationTest : public QObject {
    Q_OBJECT

private slots:
    void a_request_during_the_first_run_prompt_makes_nothing_data() {
        QTest::addColumn<int>("signal_number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void a_request_during_the_first_run_prompt_makes_nothing() {
        QFETCH(int, signal_number);
        AppFixture f;
        f.prompt_expected = true;
        bool prompted = false;
        bool closed_in_time = false;
        QTimer::singleShot(0, &f.context, [&] {
            QWidget* prompt = top_level_window(id::InputBox);
            prompted = prompt != nullptr;
            if (prompt)
                closed_in_time = raise_and_wait_for_close(signal_number, prompt);
        });
        QVERIFY(!f.start());
        QVERIFY(prompted);
        QVERIFY(closed_in_time);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        // The next start asks for the name again.
        QVERIFY(!QFile::exists(f.settings_path()));
        QVERIFY(!QFile::exists(f.default_db()));
        QVERIFY(!QFile::exists(DatabaseLock::lock_file_name(f.default_db())));
        QVERIFY(f.messages().isEmpty());
    }

    void a_request_while_a_window_waits_data() {
        QTest::addColumn<int>("command_id"); // a menu item, or 0 for a right-click on the list
        QTest::addColumn<QString>("window_class");
        QTest::newRow("Please Confirm Deletion") << int(id::TaskDelete) << "QMessageBox";
        QTest::newRow("a refusal") << int(id::TaskComplete) << "QMessageBox";
        QTest::newRow("the save-file dialog of File > New") << int(id::FileNew) << "QFileDialog";
        QTest::newRow("the printer dialog of File > Print") << int(id::FilePrint) << "QPrintDialog";
        QTest::newRow("the pop-up menu of the time entries") << 0 << "QMenu";
    }
    void a_request_while_a_window_waits() {
        QFETCH(int, command_id);
        QFETCH(QString, window_class);
        AppFixture f;
        f.prepare(one_of_each);
        QtPrompter real;
        QVERIFY(f.start(&real));
        select(f, kTask);
        command(f, id::TaskStart);
        run_seconds(f, 2);

        QString opened;
        bool closed_in_time = false;
        QTimer::singleShot(0, &f.context, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (!window)
                window = QApplication::activePopupWidget();
            if (!window)
                return;
            opened = QString::fromLatin1(window->metaObject()->className());
            // The window waits 12 s for an answer while the timer runs, then the system asks
            // the program to stop.
            run_seconds(f, 12);
            closed_in_time = raise_and_wait_for_close(SIGTERM, window);
        });
        if (command_id != 0)
            command(f, command_id);
        else
            dispatch_event(*f.app,
                           control_event(id::DetailList, id::MainWindow, EventKind::RightClick));
        QCOMPARE(opened, window_class);
        QVERIFY(closed_in_time);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        QCOMPARE(entry_seconds_in_file(f), QStringList{QStringLiteral("14")});
        // The window was answered with its cautious choice: nothing deleted, no file made.
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT task_title FROM task"),
                 QStringList{QStringLiteral("Design")});
        QCOMPARE(QFileInfo(f.default_db()).dir().entryList({QStringLiteral("*.db")}),
                 QStringList{QStringLiteral("default.db")});
        QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("*.db")}), QStringList{});
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QApplication::activePopupWidget());
    }

    void a_request_while_a_flush_failure_box_waits() {
        AppFixture f;
        f.prepare([](Store& store) {
            one_of_each(store);
            store.db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON clients "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        });
        QtPrompter real;
        QVERIFY(f.start(&real));
        select(f, kTask);
        command(f, id::TaskStart);
        ClientRecord& client = f.app->store().lists.clients.front();
        client.client_name = "Acme Ltd";
        client.modified = true;

        StandardErrorCapture errors;
        QString box_text;
        bool closed_in_time = false;
        QTimer::singleShot(0, &f.context, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            box_text = box->text();
            run_seconds(f, 5);
            closed_in_time = raise_and_wait_for_close(SIGTERM, box);
        });
        // The periodic flush writes the entry, fails on the client and says so.
        run_seconds(f, 20);
        QCOMPARE(box_text, QStringLiteral("Could not write to Database"));
        QVERIFY(closed_in_time);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        QCOMPARE(entry_seconds_in_file(f), QStringList{QStringLiteral("25")});
        QVERIFY(!QApplication::activeModalWidget());
        // The last flush failed on the client again, where nobody has to answer it.
        QVERIFY2(errors.text().contains(QStringLiteral("Could not write to Database")),
                 qPrintable(errors.text()));
    }

    void a_last_flush_into_a_read_only_database_is_told_on_standard_error() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(QFile::setPermissions(f.default_db(), QFile::ReadOwner | QFile::ReadGroup));
        FileModesHold modes;
        if (!modes.holds())
            QSKIP("file modes cannot be made to hold for this user");
        QVERIFY(f.start());
        ClientRecord& client = f.app->store().lists.clients.front();
        client.client_name = "Acme Ltd";
        client.modified = true;

        StandardErrorCapture errors;
        ::raise(SIGTERM);
        QElapsedTimer waited;
        waited.start();
        while (!f.app->has_finished() && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        QVERIFY(f.messages().isEmpty());
        const QString told = errors.text();
        QVERIFY2(told.contains(QStringLiteral("Could not write to Database")), qPrintable(told));
        QVERIFY2(told.contains(f.default_db()), qPrintable(told));
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT client_name FROM clients"),
                 QStringList{QStringLiteral("Acme")});
    }

    void the_program_ends_on_a_signal_data() {
        QTest::addColumn<int>("signal_number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void the_program_ends_on_a_signal() {
        QFETCH(int, signal_number);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/olvessa");
        QVERIFY2(QFile::exists(program), qPrintable(program));
        AppFixture f;
        f.prepare(one_of_each);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("OLVESSA_SETTINGS"), f.settings_path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), f.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), f.path(QStringLiteral("config")));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(f.dir.path());
        child.start(program, {});
        QVERIFY(child.waitForStarted());
        // Running once it holds its database.
        const QString lock = DatabaseLock::lock_file_name(f.default_db());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);

        ::kill(static_cast<pid_t>(child.processId()), signal_number);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(child.waitForFinished(5000));
        QVERIFY2(waited.elapsed() < 2000, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        // The close sequence ran to its end: the lock is given back.
        QVERIFY(!QFile::exists(lock));
    }
};

OLV_TEST_CLASS(TerminationTest)

#include "test_termination.moc"
