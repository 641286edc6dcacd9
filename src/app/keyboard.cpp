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
    {id::FileNew, "&New"},       {id::FileOpen, "&Open"},
    {id::FileSave, "&Save"},     {id::FileSaveAs, "Save &As"},
    {id::FilePrint, "&Print"},   {id::FilePreferences, "P&references"},
    {id::FileExit, "E&xit"},     {id::HelpUserGuide, "&User Guide"},
    {id::HelpUpdate, "Up&date"}, {id::HelpAbout, "&About"},
};

struct Key {
    int id;
    QKeyCombination key;
};

const Key kShortcuts[] = {
    // Menu bar
    {id::FileNew, Qt::CTRL | Qt::SHIFT | Qt::Key_N},
    {id::FileOpen, Qt::CTRL | Qt::Key_O},
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

    // Start (toggle) has no button: the shortcut raises its pop-up menu item's event.
    auto* start = new QShortcut(shortcut_of(id::TaskStart), &window);
    start->setObjectName(QStringLiteral("shortcut %1").arg(id::TaskStart));
    QObject::connect(start, &QShortcut::activated, &window, [&window] {
        if (window.on_command)
            window.on_command(menu_event(id::TaskStart, id::MainWindow));
    });
}

} // namespace olv
