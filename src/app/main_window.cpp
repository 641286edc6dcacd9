// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/main_window.h"

#include "app/keyboard.h"
#include "app/screen_placement.h"
#include "views/details.h"
#include "views/ids.h"
#include "views/images.h"
#include "views/tree.h"
#include "views/workspace.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <vector>

namespace olv {

namespace {

constexpr int kClientWidth = 790;
constexpr int kClientHeight = 520;
constexpr int kSplitterTop = 90;
constexpr int kSplitterHeightLoss = 134;
constexpr int kTreeDivider = 330;
constexpr int kListDivider = 300;

void set_id(QObject* object, int id) {
    object->setObjectName(QString::number(id));
    object->setProperty("olv_id", id);
}

QAction* add_item(QMenu* menu, int id, const QString& text, bool enabled = true) {
    QAction* action = menu->addAction(text);
    set_id(action, id);
    action->setEnabled(enabled);
    return action;
}

QFrame* add_frame(QWidget* parent, int x, int y, int width, int height) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(x, y, width, height);
    return frame;
}

} // namespace

MainWindow::MainWindow() {
    set_id(this, id::MainWindow);
    setWindowTitle(QStringLiteral("Olvessa.project"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    statusBar()->showMessage(QStringLiteral("Ready..."));
    build_menu_bar();
    build_popup_menus();

    // The client area below the menu bar; its children sit where the window layout puts them.
    auto* area = new QWidget(this);
    setCentralWidget(area);
    add_frame(area, -1, -8, 1280, 10); // a rule under the menu bar
    add_frame(area, -1, 1, 330, 82);   // around the tool bar

    auto* banner = new QLabel(area);
    set_id(banner, id::Banner);
    banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    banner->setPixmap(program_image(image::Banner));
    banner->setGeometry(385, 9, 350, 70);
    banner->setAccessibleName(QStringLiteral("Olvessa.project"));

    notes_ = new QTextEdit(area);
    set_id(notes_, id::NotesBox);
    notes_->setAcceptRichText(false);
    notes_->setGeometry(248, 368, 520, 140);
    notes_->setAccessibleName(QStringLiteral("Notes of the selected item"));

    list_ = new QTreeWidget(area);
    set_id(list_, id::DetailList);
    list_->setGeometry(248, 78, 520, 260);
    setup_detail_list(list_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAccessibleName(QStringLiteral("Details of the selected item"));

    tree_ = new QTreeWidget(area);
    set_id(tree_, id::ItemTree);
    tree_->setGeometry(8, 78, 230, 450);
    setup_item_tree(tree_);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setAccessibleName(QStringLiteral("Clients, projects, objectives and tasks"));

    splitter69_ = new QSplitter(Qt::Vertical, area);
    set_id(splitter69_, id::SplitterVertical);
    splitter69_->addWidget(list_);
    splitter69_->addWidget(notes_);
    splitter69_->setChildrenCollapsible(false);
    splitter69_->setStretchFactor(0, 0);
    splitter69_->setStretchFactor(1, 1);

    splitter70_ = new QSplitter(Qt::Horizontal, area);
    set_id(splitter70_, id::SplitterHorizontal);
    splitter70_->addWidget(tree_);
    splitter70_->addWidget(splitter69_);
    splitter70_->setChildrenCollapsible(false);
    splitter70_->setStretchFactor(0, 0);
    splitter70_->setStretchFactor(1, 1);
    splitter70_->setFrameStyle(QFrame::NoFrame);

    build_tool_bar(area);

    const int menu_height = menuBar()->sizeHint().height();
    resize(kClientWidth, kClientHeight + menu_height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(place_on_screen(geometry(), screen->availableGeometry()));
    fit_splitters();
    splitter70_->setSizes({kTreeDivider, width() - kTreeDivider});
    splitter69_->setSizes({kListDivider, splitter70_->height() - kListDivider});

    install_keyboard(*this);
    // The keyboard starts where the work starts.
    tree_->setFocus();

    // A left click reaches the dispatcher as the selection change it makes.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        if (on_view_event)
            on_view_event(control_event(id::ItemTree, id::MainWindow, EventKind::Other));
    });
    // A left click on the item that is current already changes no selection; it still shows
    // that item again, for instance in place of the to-do list.
    tree_->viewport()->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (on_view_event && item && item == current_at_press_)
            on_view_event(control_event(id::ItemTree, id::MainWindow, EventKind::LeftClick));
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (on_view_event)
            on_view_event(control_event(id::ItemTree, id::MainWindow, EventKind::LeftDoubleClick));
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        if (!on_view_event)
            return;
        Event event = control_event(id::ItemTree, id::MainWindow, EventKind::RightClick);
        event.global_pos = tree_->viewport()->mapToGlobal(pos);
        on_view_event(event);
    });
    connect(list_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        if (!on_command)
            return;
        Event event = control_event(id::DetailList, id::MainWindow, EventKind::RightClick);
        event.global_pos = list_->viewport()->mapToGlobal(pos);
        on_command(event);
    });
}

void MainWindow::build_menu_bar() {
    set_id(menuBar(), id::MenuBar);
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    add_item(file, id::FileNew, QStringLiteral("New"));
    add_item(file, id::FileOpen, QStringLiteral("Open"));
    add_item(file, id::FileOpenServer, QStringLiteral("Open Server Database…"));
    file->addSeparator();
    add_item(file, id::FileSave, QStringLiteral("Save"));
    add_item(file, id::FileSaveAs, QStringLiteral("Save As"));
    file->addSeparator();
    add_item(file, id::FilePrint, QStringLiteral("Print"));
    add_item(file, id::FilePreferences, QStringLiteral("Preferences"));
    file->addSeparator();
    add_item(file, id::FileExit, QStringLiteral("Exit"));

    QMenu* reports = menuBar()->addMenu(QStringLiteral("&Reports"));
    add_item(reports, id::ReportsPeriodReport, QStringLiteral("&Period Report…"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    add_item(help, id::HelpUserGuide, QStringLiteral("User Guide"));
    add_item(help, id::HelpUpdate, QStringLiteral("Update"), false);
    help->addSeparator();
    add_item(help, id::HelpAbout, QStringLiteral("About"));

    for (QMenu* menu : {file, reports, help}) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const int id = action->property("olv_id").toInt();
            menu_items_[id] = action;
            connect(action, &QAction::triggered, this, [this, id] {
                if (on_command)
                    on_command(menu_event(id, id::MainWindow));
            });
        }
    }
}

void MainWindow::build_popup_menus() {
    struct Item {
        int id;
        const char* text; // nullptr: a separator
    };
    struct Popup {
        int id;
        const char* entry; // nullptr: the items sit directly in the menu
        std::vector<Item> items;
    };
    const Popup popups[] = {
        {id::MenuUser, "User", {{id::NewChild, "New Client"}}},
        {id::MenuClient,
         "Client",
         {{id::NewChild, "New Project"},
          {0, nullptr},
          {id::ClientEdit, "Edit"},
          {id::ClientDelete, "Delete"}}},
        {id::MenuProject,
         "Project",
         {{id::NewChild, "New Objective"},
          {0, nullptr},
          {id::ProjectEdit, "Edit"},
          {id::ProjectDelete, "Delete"}}},
        {id::MenuObjective,
         "Objectives",
         {{id::NewChild, "New Task"},
          {0, nullptr},
          {id::ObjectiveEdit, "Edit"},
          {id::ObjectiveDelete, "Delete"}}},
        {id::MenuTask,
         "Task",
         {{id::TaskStart, "Start (toggle)"},
          {id::AddTime, "Add Time…"},
          {0, nullptr},
          {id::TaskEdit, "Edit"},
          {id::TaskDelete, "Delete"},
          {0, nullptr},
          {id::TaskComplete, "Complete (toggle)"},
          {id::TaskAccepted, "Accepted (toggle)"}}},
        {id::MenuTimeEntry,
         nullptr,
         {{id::AddTime, "Add Time…"},
          {id::EditEntry, "Edit Entry…"},
          {id::EntryBilledToggle, "Billed (toggle)"},
          {0, nullptr},
          {id::TimeEntryDelete, "Delete"}}},
    };
    for (const Popup& popup : popups) {
        auto* menu = new QMenu(this);
        set_id(menu, popup.id);
        QMenu* holder = popup.entry ? menu->addMenu(QString::fromUtf8(popup.entry)) : menu;
        for (const Item& item : popup.items) {
            if (!item.text) {
                holder->addSeparator();
                continue;
            }
            QAction* action = add_item(holder, item.id, QString::fromUtf8(item.text));
            const int id = item.id;
            // A shortcut shown in the menu may trigger the item while the menu is open.
            connect(action, &QAction::triggered, this, [this, id, menu] {
                chosen_popup_item_ = id;
                menu->close();
            });
        }
        popups_[popup.id] = menu;
    }
}

void MainWindow::build_tool_bar(QWidget* area) {
    struct Button {
        int id;
        int image;
        const char* tip;
    };
    const Button buttons[] = {
        {id::ButtonNewItem, image::NewItem, "New Item"},
        {id::ButtonDeleteItem, image::DeleteItem, "Delete Item"},
        {id::ButtonStopTimers, image::StopTimers, "Stop Timers"},
        {id::ButtonEditItem, image::EditItem, "Edit Item"},
        {id::ButtonToDoList, image::ToDoList, "To-Do List"},
    };
    int x = 18;
    for (const Button& b : buttons) {
        auto* button = new QToolButton(area);
        set_id(button, b.id);
        button->setIcon(program_icon(b.image));
        button->setIconSize(QSize(32, 32));
        button->setToolTip(QString::fromUtf8(b.tip));
        button->setAccessibleName(button->toolTip());
        button->setGeometry(x, 20, 50, 50);
        const int id = b.id;
        connect(button, &QToolButton::clicked, this, [this, id] {
            if (on_command)
                on_command(control_event(id, id::MainWindow, EventKind::LeftClick));
        });
        x += 60;
    }
}

QAction* MainWindow::menu_item(int id) const {
    const auto found = menu_items_.find(id);
    return found == menu_items_.end() ? nullptr : found->second;
}

QMenu* MainWindow::popup_menu(int id) const {
    const auto found = popups_.find(id);
    return found == popups_.end() ? nullptr : found->second;
}

int MainWindow::run_popup(int id, QPoint pointer) {
    QMenu* menu = popup_menu(id);
    if (!menu)
        return 0;
    raise();
    activateWindow();
    chosen_popup_item_ = 0;
    menu->exec(pointer - QPoint(1, 1));
    const int chosen = chosen_popup_item_;
    chosen_popup_item_ = 0;
    return chosen;
}

void MainWindow::fit_splitters() {
    if (splitter70_)
        splitter70_->setGeometry(0, kSplitterTop, width(), height() - kSplitterHeightLoss);
}

bool MainWindow::event(QEvent* event) {
    // Menu items carry no status tips; hovering them must not wipe the clock in the status bar.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (tree_ && watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress)
        current_at_press_ = tree_->currentItem();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fit_splitters();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!on_close || on_close())
        event->accept();
    else
        event->ignore();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && on_window_state)
        on_window_state();
}

void MainWindow::show_note(const QString& text) {
    if (!note_) {
        note_ = new QLabel(this);
        note_->setObjectName(QStringLiteral("statusNote"));
        statusBar()->addPermanentWidget(note_);
    }
    note_->setText(text);
    note_->setToolTip(text);
}

QString MainWindow::note() const {
    return note_ ? note_->text() : QString();
}

std::unique_ptr<MainWindow> build_main_window(Workspace& ws) {
    auto window = std::make_unique<MainWindow>();
    ws.main_window = window.get();
    ws.tree = window->tree();
    ws.list = window->list();
    ws.notes = window->notes();
    ws.status_bar = window->statusBar();
    return window;
}

} // namespace olv
