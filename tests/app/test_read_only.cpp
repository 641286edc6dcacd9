// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app_fixture.h"
#include "file_access.h"
#include "file_bytes.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QFile>
#include <QTextEdit>
#include <sys/stat.h>

using namespace olv;
using namespace olv::testing;

namespace {

constexpr int kProject = 2;
constexpr int kObjective = 3;

void click(AppFixture& f, int position) {
    QTreeWidget& tree = f.tree();
    QTreeWidgetItem* item = f.ws().tree_items.at(position);
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

// Notes typed for an item are an edit once another item is chosen.
void type_notes(AppFixture& f, int position, const QString& text, int then) {
    click(f, position);
    QTextEdit* notes = f.ws().notes;
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes, text);
    click(f, then);
}

// A database in its own folder, made read-only as a file or through its folder.
struct ReadOnlyApp : AppFixture {
    QString folder = path(QStringLiteral("office"));
    QString work = folder + QStringLiteral("/work.db");
    QString made_read_only;
    QByteArray before;

    explicit ReadOnlyApp(const QString& what) {
        QDir().mkpath(folder);
        QDir().mkpath(data_folder());
        make_database(default_db(), "Ada");
        make_database(work, "Ada", one_of_each);
        write_settings(QStringLiteral("Ada"), default_db());
        made_read_only = what == QLatin1String("folder") ? folder : work;
        ::chmod(QFile::encodeName(made_read_only).constData(),
                what == QLatin1String("folder") ? 0555 : 0444);
        before = contents(work);
    }
    ~ReadOnlyApp() {
        app.reset();
        ::chmod(QFile::encodeName(made_read_only).constData(), 0755);
    }
};

} // namespace

class ReadOnlyDatabaseTest : public QObject {
    Q_OBJECT

private slots:
    void said_at_opening_and_at_the_first_edit_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("a read-only file") << "file";
        QTest::newRow("a read-only folder") << "folder";
    }
    void said_at_opening_and_at_the_first_edit() {
        QFETCH(QString, what);
        const FileModesHold hold;
        if (!hold.holds())
            QSKIP("file modes cannot be made to hold here");
        ReadOnlyApp f(what);
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(f.work);
        QVERIFY(f.app->start());
        QVERIFY(f.app->read_only());
        QCOMPARE(f.window().windowTitle(), QStringLiteral("work.db – Olvessa.project (read-only)"));
        QVERIFY(f.messages().isEmpty());

        type_notes(f, kProject, QStringLiteral("Call Bob"), kObjective);
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.prompter.shown.front().title, QStringLiteral("Read-only Database"));
        QVERIFY(f.messages().front().startsWith(f.work + QStringLiteral(" is read-only")));

        // Further edits and the periodic flushes say nothing more, and write nothing.
        type_notes(f, kObjective, QStringLiteral("Ship it"), kProject);
        f.clock.advance_seconds(60);
        f.app->jobs().poll();
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(contents(f.work), f.before);
        // The edits are all still shown.
        QCOMPARE(f.app->store().lists.projects.at(0).project_note, std::string("Call Bob"));

        // At exit, a box offers Save As; its other button says the changes are discarded.
        const QString saved = f.path(QStringLiteral("mine.db"));
        f.prompter.choices = {0};
        f.prompter.file_name = saved;
        f.prompter.shown.clear();
        f.app->close_main_window();
        const QList<QStringList> offered = {{"Save As…", "Exit and Discard Changes"}};
        QCOMPARE(f.prompter.buttons_shown, offered);
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
        QCOMPARE(contents(f.work), f.before);
        DatabaseProbe probe(saved);
        QCOMPARE(probe.rows("SELECT project_note FROM project"), QStringList{"Call Bob"});
        QCOMPARE(probe.rows("SELECT ob_notes FROM objectives"), QStringList{"Ship it"});
        // The copy is a database of the user's own: it opens at the next start.
        QCOMPARE(f.setting(QStringLiteral("Default Database")), saved);
    }

    void discarding_at_exit_writes_nothing() {
        const FileModesHold hold;
        if (!hold.holds())
            QSKIP("file modes cannot be made to hold here");
        ReadOnlyApp f(QStringLiteral("file"));
        f.app = std::make_unique<Application>(f.clock, f.prompter);
        f.app->set_database_argument(f.work);
        QVERIFY(f.app->start());
        type_notes(f, kProject, QStringLiteral("Call Bob"), kObjective);
        f.prompter.choices = {1};
        f.app->close_main_window();
        QCOMPARE(f.prompter.buttons_shown.size(), 1);
        QVERIFY(f.app->has_finished());
        QCOMPARE(contents(f.work), f.before);
        QVERIFY(!QFile::exists(f.work + QStringLiteral("-journal")));
    }

    // A database that can be written says nothing and has the plain title.
    void a_writable_database_is_not_read_only() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        QVERIFY(!f.app->read_only());
        QCOMPARE(f.window().windowTitle(), QStringLiteral("default.db – Olvessa.project"));
        type_notes(f, kProject, QStringLiteral("Call Bob"), kObjective);
        f.app->close_main_window();
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(DatabaseProbe(f.default_db()).rows("SELECT project_note FROM project"),
                 QStringList{"Call Bob"});
    }
};

OLV_TEST_CLASS(ReadOnlyDatabaseTest)
#include "test_read_only.moc"
