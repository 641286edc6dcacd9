// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/running_display.h"

#include "common/dates.h"
#include "views/away_time.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QWidget>

namespace olv {

namespace {

constexpr std::size_t kRecentTasks = 5;

// A clock face: grey while nothing runs, green with a hand moving while a timer runs.
QIcon clock_icon(bool running) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(running ? QColor(60, 170, 80) : QColor(200, 200, 200));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, 16), QPointF(16, 7));
    painter.drawLine(QPointF(16, 16), running ? QPointF(23, 20) : QPointF(22, 16));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

// A menu command runs after the menu has closed: it changes what the menu holds.
void RunningDisplay::later(const std::function<void()>& command) {
    if (!command)
        return;
    QMetaObject::invokeMethod(
        this, [command] { command(); }, Qt::QueuedConnection);
}

RunningDisplay::RunningDisplay(Workspace& ws, QObject* parent) : QObject(parent), ws_(ws) {
    menu_ = new QMenu();
    menu_->setObjectName(QStringLiteral("tray menu"));
    tray_ = new QSystemTrayIcon(this);
    tray_->setIcon(clock_icon(false));
    tray_->setToolTip(tool_tip());
    tray_->setContextMenu(menu_);
    connect(menu_, &QMenu::aboutToShow, this, [this] { rebuild_menu(); });
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    if (show_window)
                        show_window();
                }
            });
    rebuild_menu();
}

RunningDisplay::~RunningDisplay() {
    delete menu_;
}

bool RunningDisplay::tray_exists() const {
    if (tray_forced_ >= 0)
        return tray_forced_ == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void RunningDisplay::attach(QWidget* owner) {
    if (auto* bar = owner ? owner->findChild<QStatusBar*>() : nullptr) {
        status_field_ = new QLabel(bar);
        status_field_->setObjectName(QStringLiteral("running"));
        bar->addPermanentWidget(status_field_);
    }
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();
    refresh();
}

QString RunningDisplay::status_text() const {
    const auto running = running_tasks(ws_.store, start_of_today(ws_.clock));
    if (running.empty())
        return {};
    QString text = QStringLiteral("Running: %1 %2")
                       .arg(QString::fromStdString(running.front().title),
                            clock_duration(running.front().seconds_today));
    if (running.size() > 1)
        text += QStringLiteral(" (+%1 more)").arg(running.size() - 1);
    return text;
}

QString RunningDisplay::tool_tip() const {
    const auto running = running_tasks(ws_.store, start_of_today(ws_.clock));
    if (running.empty())
        return QStringLiteral("Olvessa.project");
    QStringList lines;
    for (const RunningTask& task : running)
        lines << QStringLiteral("%1 \u2013 %2")
                     .arg(QString::fromStdString(task.title), clock_duration(task.seconds_today));
    return lines.join(QLatin1Char('\n'));
}

void RunningDisplay::refresh() {
    const auto running = running_tasks(ws_.store, start_of_today(ws_.clock));
    std::vector<Key> keys;
    for (const RunningTask& task : running)
        keys.push_back(task.key);

    if (status_field_) {
        const QString text = status_text();
        if (status_field_->text() != text)
            status_field_->setText(text);
    }
    const QString tip = tool_tip();
    if (tray_->toolTip() != tip)
        tray_->setToolTip(tip);
    if (running.empty() == shown_any_ || keys != shown_running_) {
        if (running.empty() == shown_any_)
            tray_->setIcon(clock_icon(!running.empty()));
        shown_any_ = !running.empty();
        shown_running_ = keys;
        rebuild_menu();
    }
}

void RunningDisplay::rebuild_menu() {
    menu_->clear();
    const RecordLists& lists = ws_.store.lists;
    for (const RunningTask& task : running_tasks(ws_.store, start_of_today(ws_.clock))) {
        const Key key = task.key;
        QAction* stop =
            menu_->addAction(QStringLiteral("Stop %1").arg(QString::fromStdString(task.title)));
        connect(stop, &QAction::triggered, this, [this, key] {
            later([this, key] {
                if (toggle_task)
                    toggle_task(key);
            });
        });
    }
    QAction* stop_all_action = menu_->addAction(QStringLiteral("Stop All Timers"));
    connect(stop_all_action, &QAction::triggered, this, [this] { later(stop_all); });
    const auto recent = recently_timed_tasks(ws_.store, kRecentTasks);
    if (!recent.empty())
        menu_->addSeparator();
    for (std::size_t index : recent) {
        const Key key = lists.tasks[index].key;
        QAction* start = menu_->addAction(QString::fromStdString(lists.tasks[index].task_title));
        connect(start, &QAction::triggered, this, [this, key] {
            later([this, key] {
                if (toggle_task)
                    toggle_task(key);
            });
        });
    }
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("Show Olvessa.project")), &QAction::triggered, this,
            [this] { later(show_window); });
    connect(menu_->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
            [this] { later(exit_program); });
}

} // namespace olv
