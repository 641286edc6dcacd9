// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The program without the mouse: every shortcut raises the event of its menu item or button,
// menus carry mnemonics, Return and Escape answer Preferences, and a whole day of work runs on
// the keyboard alone.
#include "app/keyboard.h"
#include "app/preferences_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/dialogs.h"
#include "views/item_dialog.h"

#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
#include <QToolButton>

using namespace olv;
using namespace olv::testing;

namespace {

// Shortcuts act only in the active window.
bool activate(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

QString describe(const Event& e) {
    return QStringLiteral("%1 %2 of window %3, kind %4")
        .arg(e.type == EventType::Control ? QStringLiteral("control") : QStringLiteral("menu"))
        .arg(e.id)
        .arg(e.window)
        .arg(static_cast<int>(e.kind));
}

QStringList described(const std::vector<Event>& events) {
    QStringList list;
    for (const Event& e : events)
        list << describe(e);
    return list;
}

// The letter after the "&" of a menu text, or an empty text.
QString mnemonic(const QAction* action) {
    const QString text = action->text();
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text.mid(at + 1, 1).toLower() : QString();
}

// Settles what the last key left behind: windows closed by deleteLater, queued selections.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void each_shortcut_raises_the_event_of_its_item_or_button_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("source"); // "button", "menu bar", "pop-up" or "none"
        QTest::addColumn<int>("id");
        const QString tree = QStringLiteral("tree");
        QTest::newRow("Ctrl+N New Item") << QKeySequence("Ctrl+N") << tree << "button" << 52;
        QTest::newRow("Ctrl+E Edit Item") << QKeySequence("Ctrl+E") << tree << "button" << 55;
        QTest::newRow("Delete in the tree")
            << QKeySequence(Qt::Key_Delete) << tree << "button" << 53;
        QTest::newRow("Ctrl+D To-Do List") << QKeySequence("Ctrl+D") << tree << "button" << 56;
        QTest::newRow("Ctrl+T Start (toggle)") << QKeySequence("Ctrl+T") << tree << "pop-up" << 27;
        QTest::newRow("Ctrl+Shift+Space Stop Timers")
            << QKeySequence("Ctrl+Shift+Space") << tree << "button" << 54;
        QTest::newRow("Ctrl+Shift+Space from the notes box")
            << QKeySequence("Ctrl+Shift+Space") << "notes"
            << "button" << 54;
        QTest::newRow("Ctrl+Shift+N New")
            << QKeySequence("Ctrl+Shift+N") << tree << "menu bar" << 36;
        QTest::newRow("Ctrl+O Open") << QKeySequence("Ctrl+O") << tree << "menu bar" << 37;
        QTest::newRow("Ctrl+Shift+O Open Server Database")
            << QKeySequence("Ctrl+Shift+O") << tree << "menu bar" << 39;
        QTest::newRow("Ctrl+S Save") << QKeySequence("Ctrl+S") << tree << "menu bar" << 40;
        QTest::newRow("Ctrl+Shift+S Save As")
            << QKeySequence("Ctrl+Shift+S") << tree << "menu bar" << 41;
        QTest::newRow("Ctrl+P Print") << QKeySequence("Ctrl+P") << tree << "menu bar" << 38;
        QTest::newRow("Ctrl+Q Exit") << QKeySequence("Ctrl+Q") << tree << "menu bar" << 43;
        QTest::newRow("F1 User Guide") << QKeySequence(Qt::Key_F1) << tree << "menu bar" << 44;
        // Window-wide shortcuts work wherever the focus is.
        QTest::newRow("Ctrl+N from the notes box") << QKeySequence("Ctrl+N") << "notes"
                                                   << "button" << 52;
        QTest::newRow("Ctrl+T from the detail list") << QKeySequence("Ctrl+T") << "list"
                                                     << "pop-up" << 27;
        // Delete belongs to the tree: in the notes box it deletes a character, never an item.
        QTest::newRow("Delete in the notes box") << QKeySequence(Qt::Key_Delete) << "notes"
                                                 << "none" << 0;
        // In the detail list it deletes the selected time entry, as its pop-up menu does.
        QTest::newRow("Delete in the detail list") << QKeySequence(Qt::Key_Delete) << "list"
                                                   << "pop-up" << 34;
        QTest::newRow("Ctrl+Shift+T Add Time")
            << QKeySequence("Ctrl+Shift+T") << tree << "pop-up" << 160;
        QTest::newRow("Ctrl+Shift+T from the detail list") << QKeySequence("Ctrl+Shift+T") << "list"
                                                           << "pop-up" << 160;
        QTest::newRow("Insert in the detail list") << QKeySequence(Qt::Key_Insert) << "list"
                                                   << "pop-up" << 160;
        QTest::newRow("Insert in the tree") << QKeySequence(Qt::Key_Insert) << tree << "none" << 0;
    }
    void each_shortcut_raises_the_event_of_its_item_or_button() {
        QFETCH(QKeySequence, key);
        QFETCH(QString, focus);
        QFETCH(QString, source);
        QFETCH(int, id);
        MainWindow w;
        std::vector<Event> raised;
        w.on_command = [&raised](const Event& e) { raised.push_back(e); };
        // Open and Save As are wired like every other item, whether or not they are enabled.
        w.menu_item(id::FileOpen)->setEnabled(true);
        w.menu_item(id::FileSaveAs)->setEnabled(true);
        QVERIFY(activate(&w));
        w.notes()->setPlainText(QStringLiteral("abc"));
        QWidget* target = focus == QStringLiteral("notes")  ? static_cast<QWidget*>(w.notes())
                          : focus == QStringLiteral("list") ? static_cast<QWidget*>(w.list())
                                                            : static_cast<QWidget*>(w.tree());
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);

        QTest::keySequence(target, key);
        const std::vector<Event> by_key = raised;
        raised.clear();

        // The same command given with the mouse.
        if (source == QStringLiteral("button"))
            QTest::mouseClick(w.findChild<QToolButton*>(QString::number(id)), Qt::LeftButton);
        else if (source == QStringLiteral("menu bar"))
            w.menu_item(id)->trigger();
        else if (source == QStringLiteral("pop-up"))
            raised.push_back(menu_event(id, id::MainWindow)); // what run_popup's choice raises
        QCOMPARE(described(by_key), described(raised));
        if (source == QStringLiteral("none") && focus == QStringLiteral("notes"))
            QCOMPARE(w.notes()->toPlainText(), QStringLiteral("bc"));
    }

    void menus_carry_mnemonics_of_their_own() {
        MainWindow w;
        QList<QMenu*> menus;
        QStringList titles;
        for (QAction* title : w.menuBar()->actions()) {
            titles << mnemonic(title);
            menus << title->menu();
        }
        QCOMPARE(titles, (QStringList{"f", "r", "h"}));
        QCOMPARE(titles.removeDuplicates(), 0);
        QVERIFY(!titles.contains(QString()));
        for (int popup : {id::MenuUser, id::MenuClient, id::MenuProject, id::MenuObjective,
                          id::MenuTask, id::MenuTimeEntry}) {
            menus << w.popup_menu(popup);
            menus += w.popup_menu(popup)->findChildren<QMenu*>();
        }
        for (const QMenu* menu : menus) {
            QStringList letters;
            for (const QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                const QString letter = mnemonic(action);
                QVERIFY2(!letter.isEmpty(), qPrintable(action->text()));
                QVERIFY2(!letters.contains(letter), qPrintable(action->text()));
                letters << letter;
            }
        }
    }

    void menus_and_tool_tips_show_the_shortcuts_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("shown");
        QTest::newRow("File > New") << 36 << "Ctrl+Shift+N";
        QTest::newRow("File > Open") << 37 << "Ctrl+O";
        QTest::newRow("File > Open Server Database") << 39 << "Ctrl+Shift+O";
        QTest::newRow("File > Save") << 40 << "Ctrl+S";
        QTest::newRow("File > Save As") << 41 << "Ctrl+Shift+S";
        QTest::newRow("File > Print") << 38 << "Ctrl+P";
        QTest::newRow("File > Exit") << 43 << "Ctrl+Q";
        QTest::newRow("Help > User Guide") << 44 << "F1";
        QTest::newRow("File > Preferences") << 42 << "";
        QTest::newRow("Help > About") << 46 << "";
    }
    void menus_and_tool_tips_show_the_shortcuts() {
        QFETCH(int, id);
        QFETCH(QString, shown);
        MainWindow w;
        QCOMPARE(w.menu_item(id)->shortcut().toString(QKeySequence::NativeText), shown);
    }

    void pop_up_menus_show_the_shortcuts_that_act_on_the_selected_item() {
        MainWindow w;
        const std::map<int, QString> expected{
            {id::NewChild, "Ctrl+N"},      {id::TaskStart, "Ctrl+T"},
            {id::ClientEdit, "Ctrl+E"},    {id::ProjectEdit, "Ctrl+E"},
            {id::ObjectiveEdit, "Ctrl+E"}, {id::TaskEdit, "Ctrl+E"},
            {id::ClientDelete, "Del"},     {id::ProjectDelete, "Del"},
            {id::ObjectiveDelete, "Del"},  {id::TaskDelete, "Del"},
            {id::AddTime, "Ctrl+Shift+T"},
        };
        int checked = 0;
        for (int popup : {id::MenuUser, id::MenuClient, id::MenuProject, id::MenuObjective,
                          id::MenuTask, id::MenuTimeEntry}) {
            QList<QAction*> actions = w.popup_menu(popup)->actions();
            for (const QMenu* sub : w.popup_menu(popup)->findChildren<QMenu*>())
                actions += sub->actions();
            for (const QAction* action : actions) {
                if (action->isSeparator() || action->menu())
                    continue;
                const auto found = expected.find(action->property("olv_id").toInt());
                const QString want = found == expected.end() ? QString() : found->second;
                QCOMPARE(action->shortcut().toString(QKeySequence::NativeText), want);
                if (!want.isEmpty()) {
                    QVERIFY(action->isShortcutVisibleInContextMenu());
                    // Shown only: the main window's own shortcut does the work.
                    QCOMPARE(action->shortcutContext(), Qt::WidgetShortcut);
                    ++checked;
                }
            }
        }
        // Four "New" items share id 6; Add Time is in the task's and the time entry's menu.
        QCOMPARE(checked, 15);
    }

    void a_pop_up_item_chosen_by_its_key_closes_the_menu() {
        MainWindow w;
        QVERIFY(activate(&w));
        bool left_open = false;
        QTimer::singleShot(0, &w, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            // A key triggers the item without the mouse release that closes a menu.
            for (QAction* action : popup->findChild<QMenu*>()->actions())
                if (action->property("olv_id").toInt() == id::TaskEdit)
                    action->trigger();
            QTimer::singleShot(0, &w, [&] {
                if (QWidget* still = QApplication::activePopupWidget()) {
                    left_open = true;
                    still->close();
                }
            });
        });
        QCOMPARE(w.run_popup(id::MenuTask, w.mapToGlobal(QPoint(50, 50))), id::TaskEdit);
        QVERIFY(!left_open);
    }

    void the_menu_key_opens_the_menu_of_the_selected_item_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void the_menu_key_opens_the_menu_of_the_selected_item() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        QVERIFY(activate(&f.window()));
        QTreeWidget& tree = f.tree();
        tree.expandAll();
        // The task is the last item; the pointer rests far from it, on the user item.
        tree.setCurrentItem(f.ws().tree_items.at(4));
        tree.setFocus();
        QCursor::setPos(
            tree.viewport()->mapToGlobal(tree.visualItemRect(f.ws().tree_items.at(0)).center()));
        QString opened;
        QPoint menu_at;
        QTimer::singleShot(0, &f.context, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            opened = popup->objectName();
            menu_at = popup->pos();
            // Complete (toggle) by its letter, as a keyboard user chooses it.
            QTest::keyClick(popup, Qt::Key_T);
            QMenu* task = popup->findChild<QMenu*>();
            QTest::keyClick(task->isVisible() ? task : popup, Qt::Key_C);
            if (QWidget* still = QApplication::activePopupWidget())
                still->close();
        });
        QTest::keyClick(&tree, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        settle();
        QCOMPARE(opened, QString::number(id::MenuTask));
        // At the item, not where the mouse happens to rest.
        const QPoint item_centre =
            tree.viewport()->mapToGlobal(tree.visualItemRect(f.ws().tree_items.at(4)).center());
        QCOMPARE(menu_at, item_centre - QPoint(1, 1));
        QCOMPARE(tree.currentItem(), f.ws().tree_items.at(4));
        QCOMPARE(f.app->store().lists.tasks.at(0).task_complete, 1);
    }

    void preferences_answer_return_and_escape_data() {
        QTest::addColumn<QString>("focus"); // "currency" or "format"
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("applied");
        QTest::newRow("Return in the currency field")
            << "currency" << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("Enter on the keypad")
            << "currency" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Return in the date format list")
            << "format" << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("Escape in the currency field")
            << "currency" << int(Qt::Key_Escape) << 0 << false;
        QTest::newRow("Escape in the date format list")
            << "format" << int(Qt::Key_Escape) << 0 << false;
    }
    void preferences_answer_return_and_escape() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, applied);
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        dispatch_event(*f.app, menu_event(id::FilePreferences, id::MainWindow));
        QWidget* window = top_level_window(id::PreferencesWindow);
        QVERIFY(window);
        QVERIFY(activate(window));
        auto* currency = window->findChild<QLineEdit*>(QString::number(id::PreferencesCurrency));
        auto* formats = window->findChild<QComboBox*>(QString::number(id::PreferencesDateFormat));
        currency->setFocus();
        currency->selectAll();
        QTest::keyClicks(currency, QStringLiteral("$"));
        formats->setFocus();
        QTest::keyClick(formats, Qt::Key_Down); // DD/MM/YY
        QWidget* target = focus == QStringLiteral("format") ? static_cast<QWidget*>(formats)
                                                            : static_cast<QWidget*>(currency);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        settle();

        QVERIFY(!top_level_window(id::PreferencesWindow));
        QCOMPARE(f.app->store().currency, applied ? std::string("$") : std::string("£"));
        QCOMPARE(f.app->store().date_mask,
                 applied ? std::string("%DD/%MM/%YY") : std::string("%dd/%mm/%yyyy"));
        QVERIFY(f.messages().isEmpty());
    }

    void the_tree_has_the_focus_at_start() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        QVERIFY(activate(&f.window()));
        QCOMPARE(QApplication::focusWidget(), &f.tree());
    }

    void a_day_of_work_without_the_mouse() {
        AppFixture f;
        f.prepare(one_of_each);
        QVERIFY(f.start());
        MainWindow& w = f.window();
        QVERIFY(activate(&w));
        QTreeWidget& tree = f.tree();
        QTRY_COMPARE(QApplication::focusWidget(), &tree);
        const auto press = [&](QWidget* to, QKeySequence key) {
            QTest::keySequence(to, key);
            settle();
        };
        const auto current_text = [&tree] {
            return tree.currentItem() ? tree.currentItem()->text(0) : QString();
        };

        // Down the tree to the task.
        tree.expandAll();
        for (const char* expected : {"Acme", "Website", "Launch", "Design"}) {
            press(&tree, QKeySequence(Qt::Key_Down));
            QCOMPARE(current_text(), QString::fromUtf8(expected));
        }
        QCOMPARE(f.ws().list->headerItem()->text(0), QStringLiteral("Date"));

        // Time a minute and a half.
        press(&tree, QKeySequence("Ctrl+T"));
        QCOMPARE(f.app->store().lists.tasks.at(0).running, 1);
        f.clock.advance_seconds(90);
        f.app->jobs().poll();
        press(&tree, QKeySequence("Ctrl+T"));
        QCOMPARE(f.app->store().lists.tasks.at(0).running, 0);
        QCOMPARE(f.app->store().lists.entries.at(0).Time, 90);

        // A new task under the objective, through its dialog.
        press(&tree, QKeySequence(Qt::Key_Up));
        QCOMPARE(current_text(), QStringLiteral("Launch"));
        press(&tree, QKeySequence("Ctrl+N"));
        ItemDialog* dialog = item_dialog(f.ws(), id::TaskDialog);
        QVERIFY(dialog);
        QVERIFY(activate(dialog));
        dialog->title_field()->setFocus();
        QTest::keyClicks(dialog->title_field(), QStringLiteral("Review"));
        press(dialog->title_field(), QKeySequence(Qt::Key_Return));
        QVERIFY(!item_dialog(f.ws(), id::TaskDialog));
        QCOMPARE(f.app->store().lists.tasks.size(), std::size_t(2));

        // The objective stays selected; F2 renames the new task below it.
        QVERIFY(activate(&w));
        QTRY_COMPARE(QApplication::focusWidget(), &tree);
        QCOMPARE(current_text(), QStringLiteral("Launch"));
        tree.expandAll();
        for (int down = 0; down < 2 && current_text() != QStringLiteral("Review"); ++down)
            press(&tree, QKeySequence(Qt::Key_Down));
        QCOMPARE(current_text(), QStringLiteral("Review"));
        press(&tree, QKeySequence(Qt::Key_F2));
        auto* editor = tree.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        // Delete in the name being typed deletes text, never the item.
        editor->selectAll();
        press(editor, QKeySequence(Qt::Key_Delete));
        QCOMPARE(editor->text(), QString());
        QCOMPARE(f.app->store().lists.tasks.size(), std::size_t(2));
        QVERIFY(f.prompter.shown.isEmpty());
        QTest::keyClicks(editor, QStringLiteral("Review notes"));
        press(editor, QKeySequence(Qt::Key_Return));
        QCOMPARE(current_text(), QStringLiteral("Review notes"));

        // Save writes the time and the new name.
        press(&tree, QKeySequence("Ctrl+S"));
        {
            DatabaseProbe probe(f.default_db());
            QCOMPARE(probe.rows("SELECT time FROM task_detail"), QStringList{"90"});
            QCOMPARE(probe.rows("SELECT task_title FROM task ORDER BY key"),
                     (QStringList{"Design", "Review notes"}));
        }

        // Delete asks first, then removes the selected task.
        tree.setFocus();
        press(&tree, QKeySequence(Qt::Key_Delete));
        QCOMPARE(f.prompter.shown.size(), 1);
        QCOMPARE(f.app->store().lists.tasks.size(), std::size_t(1));
        QCOMPARE(f.app->store().lists.tasks.at(0).task_title, std::string("Design"));

        // Exit ends the program as closing the window does.
        press(&tree, QKeySequence("Ctrl+Q"));
        QVERIFY(f.app->has_finished());
        QCOMPARE(f.app->exit_code(), 0);
    }
};

OLV_TEST_CLASS(KeyboardTest)

#include "test_keyboard.moc"
