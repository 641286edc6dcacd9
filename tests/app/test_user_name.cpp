// The user's name after the first start: renaming the user item (F2) changes it in the tree, in
// the settings, in new databases and in the printed to-do list's heading.
#include "app_fixture.h"
#include "print/test_print_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QLineEdit>
#include <QTest>

using namespace olv;
using namespace olv::testing;

class UserNameTest : public QObject {
    Q_OBJECT

private slots:
    void renaming_the_user_item_changes_the_name() {
        AppFixture f;
        // Escape at the first start left the name empty.
        f.prepare(one_of_each);
        f.write_settings(QString(), f.default_db());
        QVERIFY(f.start());
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        select_tree_position(f.ws(), 0);
        f.tree().setFocus();
        QTest::keyClick(&f.tree(), Qt::Key_F2);
        auto* editor = f.tree().viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("Grace Hopper"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(f.ws().tree_items.front()->text(0), QStringLiteral("Grace Hopper"));
        QCOMPARE(f.setting(QStringLiteral("UserName")), QStringLiteral("Grace Hopper"));

        // The printed to-do list is headed with the new name.
        f.app->handle_event(control_event(id::ButtonToDoList, id::MainWindow));
        const QString pdf = f.path(QStringLiteral("todo.pdf"));
        f.prompter.printer_output = pdf;
        f.app->handle_event(menu_event(id::FilePrint, id::MainWindow));
        QVERIFY(pdf_layout_text(pdf).simplified().contains(
            QStringLiteral("To Do List for : Grace Hopper")));

        // The next start shows it too.
        f.app->close_main_window();
        f.app.reset();
        QVERIFY(f.start());
        QCOMPARE(f.ws().tree_items.front()->text(0), QStringLiteral("Grace Hopper"));
        QVERIFY(f.messages().isEmpty());
    }
};

OLV_TEST_CLASS(UserNameTest)

#include "test_user_name.moc"
