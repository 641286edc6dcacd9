#include "app/application.h"
#include "common/clock.h"
#include "views/prompter.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Olvessa.project"));
    QApplication::setOrganizationName(QStringLiteral("Olvessa"));
    // The main window's close handling ends the program, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    olv::SystemClock clock;
    olv::QtPrompter prompter;
    olv::Application app(clock, prompter);
    QObject::connect(&app, &olv::Application::finished, &qt,
                     [](int code) { QCoreApplication::exit(code); });
    // Start-up may end the program: another window holds the database, or the system asked
    // it to stop meanwhile.
    if (!app.start() || app.has_finished())
        return app.exit_code();
    return QApplication::exec();
}
