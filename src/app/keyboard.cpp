// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/keyboard.h"

#include "app/main_window.h"
#include "views/ids.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QShortcut>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace olv {

namespace {

struct MenuText {
    int id;
    const char* text; // with its mnemonic
};

constexpr MenuText kMenuBarTexts[] = {
    {id::FileNew, "&New"},
    {id::FileOpen, "&Open"},
    {id::FileOpenServer, "Open Server &Database…"},
    {id::FileSave, "&Save"},
    {id::FileSaveAs, "Save &As"},
    {id::FilePrint, "&Print"},
    {id::FilePreferences, "P&references"},
    {id::FileExit, "E&xit"},
    {id::HelpUserGuide, "&User Guide"},
    {id::HelpUpdate, "Up&date"},
    {id::HelpAbout, "&About"},
};

struct Key {
    int id;
    QKeyCombination key;
};

const Key kShortcuts[] = {
    // Menu bar
    {id::FileNew, Qt::CTRL | Qt::SHIFT | Qt::Key_N},
    {id::FileOpen, Qt::CTRL | Qt::Key_O},
    {id::FileOpenServer, Qt::CTRL | Qt::SHIFT | Qt::Key_O},
    {id::FileSave, Qt::CTRL | Qt::Key_S},
    {id::FileSaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S},
    {id::FilePrint, Qt::CTRL | Qt::Key_P},
    {id::FileExit, Qt::CTRL | Qt::Key_Q},
    {id::HelpUserGuide, QKeyCombination(Qt::Key_F1)},
    // Tool bar
    {id::ButtonNewItem, Qt::CTRL | Qt::Key_N},
    {id::ButtonDeleteItem, QKeyCombination(Qt::Key_Delete)},
    {id::ButtonStopTimers, Qt::CTRL | Qt::SHIFT | Qt::Key_Space},
    {id::ButtonEditItem, Qt::CTRL | Qt::Key_E},
    {id::ButtonToDoList, Qt::CTRL | Qt::Key_D},
    // Pop-up menus of the tree items
    {id::NewChild, Qt::CTRL | Qt::Key_N},
    {id::TaskStart, Qt::CTRL | Qt::Key_T},
    {id::ClientEdit, Qt::CTRL | Qt::Key_E},
    {id::ProjectEdit, Qt::CTRL | Qt::Key_E},
    {id::ObjectiveEdit, Qt::CTRL | Qt::Key_E},
    {id::TaskEdit, Qt::CTRL | Qt::Key_E},
    {id::AddTime, Qt::CTRL | Qt::SHIFT | Qt::Key_T},
    {id::ClientDelete, QKeyCombination(Qt::Key_Delete)},
    {id::ProjectDelete, QKeyCombination(Qt::Key_Delete)},
    {id::ObjectiveDelete, QKeyCombination(Qt::Key_Delete)},
    {id::TaskDelete, QKeyCombination(Qt::Key_Delete)},
};

// Marks a letter in each item that has none yet: the first letter of its text that no other
// item of the same menu uses. Menus added later get theirs this way too.
void mark_free_letters(const QList<QAction*>& actions) {
    QSet<QChar> taken;
    for (const QAction* action : actions) {
        const QString text = action->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size())
            taken.insert(text[at + 1].toLower());
    }
    for (QAction* action : actions) {
        const QString text = action->text();
        if (action->isSeparator() || text.contains(QLatin1Char('&')))
            continue;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar letter = text[i].toLower();
            if (!letter.isLetterOrNumber() || taken.contains(letter))
                continue;
            taken.insert(letter);
            action->setText(text.left(i) + QLatin1Char('&') + text.mid(i));
            break;
        }
    }
}

QKeySequence shortcut_of(int id) {
    for (const Key& k : kShortcuts)
        if (k.id == id)
            return QKeySequence(k.key);
    return {};
}

void give_mnemonics(MainWindow& window) {
    for (const MenuText& item : kMenuBarTexts) {
        if (QAction* action = window.menu_item(item.id))
            action->setText(QString::fromUtf8(item.text));
    }
    mark_free_letters(window.menuBar()->actions());
    for (const QAction* title : window.menuBar()->actions())
        if (title->menu())
            mark_free_letters(title->menu()->actions());
    for (int popup : {id::MenuUser, id::MenuClient, id::MenuProject, id::MenuObjective,
                      id::MenuTask, id::MenuTimeEntry}) {
        QMenu* menu = window.popup_menu(popup);
        if (!menu)
            continue;
        mark_free_letters(menu->actions());
        for (const QMenu* sub : menu->findChildren<QMenu*>())
            mark_free_letters(sub->actions());
    }
}

// The menu bar's items keep their shortcuts themselves; the pop-up menus only show theirs, as
// the main window's shortcuts act on the selected item already.
void set_menu_shortcuts(MainWindow& window) {
    for (const Key& k : kShortcuts) {
        if (QAction* action = window.menu_item(k.id))
            action->setShortcut(QKeySequence(k.key));
    }
    for (int popup :
         {id::MenuUser, id::MenuClient, id::MenuProject, id::MenuObjective, id::MenuTask}) {
        QMenu* menu = window.popup_menu(popup);
        if (!menu)
            continue;
        for (QMenu* sub : menu->findChildren<QMenu*>()) {
            for (QAction* action : sub->actions()) {
                const QKeySequence key = shortcut_of(action->property("olv_id").toInt());
                if (action->isSeparator() || key.isEmpty())
                    continue;
                action->setShortcut(key);
                action->setShortcutContext(Qt::WidgetShortcut);
                action->setShortcutVisibleInContextMenu(true);
            }
        }
    }
}

// The time-entry pop-up menu shows the keys that do its work in the detail list.
const Key kEntryListKeys[] = {
    {id::EditEntry, QKeyCombination(Qt::Key_Return)},
    {id::EntryBilledToggle, QKeyCombination(Qt::Key_Space)},
    {id::TimeEntryDelete, QKeyCombination(Qt::Key_Delete)},
};

void show_entry_list_keys(MainWindow& window) {
    QMenu* menu = window.popup_menu(id::MenuTimeEntry);
    if (!menu)
        return;
    // Shown as text only: bound to the open menu, Return and Space would no longer choose the
    // highlighted item.
    for (QAction* action : menu->actions()) {
        if (action->property("olv_id").toInt() == id::AddTime) {
            action->setShortcut(shortcut_of(id::AddTime));
            action->setShortcutContext(Qt::WidgetShortcut);
            action->setShortcutVisibleInContextMenu(true);
        }
        for (const Key& k : kEntryListKeys) {
            if (action->property("olv_id").toInt() == k.id)
                action->setText(action->text() + QLatin1Char('\t') +
                                QKeySequence(k.key).toString(QKeySequence::NativeText));
        }
    }
}

// The keys of the detail list: they act on the selected time entry, and do nothing in the
// other views of the list. Each raises the event of its pop-up menu item.
void bind_entry_list_keys(MainWindow& window) {
    QTreeWidget* list = window.list();
    const auto bind = [&window, list](QKeySequence key, int id) {
        auto* shortcut = new QShortcut(key, list);
        shortcut->setContext(Qt::WidgetShortcut);
        shortcut->setObjectName(QStringLiteral("list shortcut %1").arg(id));
        QObject::connect(shortcut, &QShortcut::activated, &window, [&window, id] {
            if (window.on_command)
                window.on_command(menu_event(id, id::MainWindow));
        });
    };
    bind(QKeySequence(Qt::Key_Space), id::EntryBilledToggle);
    bind(QKeySequence(Qt::Key_Return), id::EditEntry);
    bind(QKeySequence(Qt::Key_Enter), id::EditEntry);
    bind(QKeySequence(Qt::Key_F2), id::EditEntry);
    bind(QKeySequence(Qt::Key_Insert), id::AddTime);
    bind(QKeySequence(Qt::Key_Delete), id::TimeEntryDelete);
    // The menu key and Shift+F10 open the list's pop-up menu, raised as a right click on the
    // selected row (or the list's corner when none is).
    for (QKeySequence key : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* menu = new QShortcut(key, list);
        menu->setContext(Qt::WidgetShortcut);
        QObject::connect(menu, &QShortcut::activated, &window, [&window, list] {
            if (!window.on_command)
                return;
            Event event = control_event(id::DetailList, id::MainWindow, EventKind::RightClick);
            const QTreeWidgetItem* row = list->currentItem();
            const QPoint at = row ? list->visualItemRect(row).center() : QPoint(4, 4);
            event.global_pos = list->viewport()->mapToGlobal(at);
            window.on_command(event);
        });
    }
}

QToolButton* tool_button(MainWindow& window, int id) {
    return window.findChild<QToolButton*>(QString::number(id));
}

// Clicks the tool button, so the shortcut raises the button's own event.
void bind_button(MainWindow& window, QWidget* scope, Qt::ShortcutContext context, int id) {
    QToolButton* button = tool_button(window, id);
    if (!button)
        return;
    const QKeySequence key = shortcut_of(id);
    auto* shortcut = new QShortcut(key, scope);
    shortcut->setContext(context);
    shortcut->setObjectName(QStringLiteral("shortcut %1").arg(id));
    QObject::connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(button->accessibleName(),
                                                     key.toString(QKeySequence::NativeText)));
}

} // namespace

void install_keyboard(MainWindow& window) {
    // Tab follows the screen: the tool bar left to right, the tree, the list, the notes box.
    QList<QWidget*> order;
    for (int id : {id::ButtonNewItem, id::ButtonDeleteItem, id::ButtonStopTimers,
                   id::ButtonEditItem, id::ButtonToDoList})
        if (QToolButton* button = tool_button(window, id))
            order << button;
    order << window.tree() << window.list() << window.notes();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // Otherwise the notes box would keep the keyboard: Tab would type into it for good.
    window.notes()->setTabChangesFocus(true);

    give_mnemonics(window);
    set_menu_shortcuts(window);

    bind_button(window, &window, Qt::WindowShortcut, id::ButtonNewItem);
    bind_button(window, &window, Qt::WindowShortcut, id::ButtonEditItem);
    bind_button(window, &window, Qt::WindowShortcut, id::ButtonToDoList);
    bind_button(window, &window, Qt::WindowShortcut, id::ButtonStopTimers);
    // Delete deletes an item only from the tree: elsewhere it deletes text.
    bind_button(window, window.tree(), Qt::WidgetShortcut, id::ButtonDeleteItem);

    // The menu key and Shift+F10 open the pop-up menu of the selected item, raised as a right
    // click on it.
    for (QKeySequence key : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* menu = new QShortcut(key, window.tree());
        menu->setContext(Qt::WidgetShortcut);
        QObject::connect(menu, &QShortcut::activated, &window, [&window] {
            QTreeWidget* tree = window.tree();
            if (!window.on_view_event || !tree->currentItem())
                return;
            Event event = control_event(id::ItemTree, id::MainWindow, EventKind::RightClick);
            event.global_pos =
                tree->viewport()->mapToGlobal(tree->visualItemRect(tree->currentItem()).center());
            window.on_view_event(event);
        });
    }

    // Start (toggle) and Add Time have no button: the shortcut raises the pop-up menu item's
    // event.
    for (int id : {id::TaskStart, id::AddTime}) {
        auto* shortcut = new QShortcut(shortcut_of(id), &window);
        shortcut->setObjectName(QStringLiteral("shortcut %1").arg(id));
        QObject::connect(shortcut, &QShortcut::activated, &window, [&window, id] {
            if (window.on_command)
                window.on_command(menu_event(id, id::MainWindow));
        });
    }
    show_entry_list_keys(window);
    bind_entry_list_keys(window);
}

} // namespace olv
