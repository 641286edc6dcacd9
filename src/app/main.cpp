// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/application.h"
#include "app/away_watch.h"
#include "app/command_line.h"
#include "app/copy_command.h"
#include "app/export_command.h"
#include "app/idle_source.h"
#include "app/sleep_signal.h"
#include "common/clock.h"
#include "views/prompter.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The export runs without a window, so it needs no display.
    if (const std::vector<std::string> arguments(argv + 1, argv + argc);
        olv::is_export_command(arguments))
        return olv::run_export_command(arguments, std::cout, std::cerr);
    // So does the copy from one database to another.
    if (const std::vector<std::string> arguments(argv + 1, argv + argc);
        olv::is_copy_command(arguments))
        return olv::run_copy_command(arguments, std::cerr);
    // Help, version and a mistyped command line are answered before any display is needed.
    const olv::CommandLine line = olv::parse_command_line(argc, argv);
    if (const auto code = olv::answer_without_display(line, stdout, stderr))
        return *code;

    // On X11, a repaint through shared memory ends with a round trip to the server that wakes
    // two threads more: the status clock alone would wake the program three times a second.
    // The window is small, so its pictures go over the connection instead.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Olvessa.project"));
    QApplication::setOrganizationName(QStringLiteral("Olvessa"));
    // The desktop finds the window's entry (its icon and name) by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("project.olvessa.Olvessa"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("project.olvessa.Olvessa")));
    // The main window's close handling ends the program, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    olv::SystemClock clock;
    olv::QtPrompter prompter;
    olv::Application app(clock, prompter);
    app.set_database_argument(line.database);
    // Idle time and sleep come from the desktop; where none tells, the program still runs.
    QString no_idle_time;
    std::unique_ptr<olv::IdleSource> idle_source = olv::find_idle_source(&no_idle_time);
    app.away().set_idle_source(std::move(idle_source), no_idle_time);
    app.away().set_sleep_signal(new olv::LogindSleepSignal);
    QObject::connect(&app, &olv::Application::finished, &qt,
                     [](int code) { QCoreApplication::exit(code); });
    // Start-up may end the program: another window holds the database, or the system asked
    // it to stop meanwhile.
    if (!app.start() || app.has_finished())
        return app.exit_code();
    return QApplication::exec();
}
