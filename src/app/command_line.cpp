// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/command_line.h"

#include "store/dialect.h"

#include <QFileInfo>
#include <QSet>

#ifndef OLV_VERSION
#error "OLV_VERSION is set by the build"
#endif

namespace olv {

namespace {

// Options the application object reads for itself, with the number of values they take.
int qt_option_values(const QString& argument) {
    static const QSet<QString> with_value = {
        QStringLiteral("-platform"),      QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"), QStringLiteral("-plugin"),
        QStringLiteral("-style"),         QStringLiteral("-stylesheet"),
        QStringLiteral("-session"),       QStringLiteral("-display"),
        QStringLiteral("-geometry"),      QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowicon"),   QStringLiteral("-qwindowtitle"),
        QStringLiteral("-qmljsdebugger")};
    static const QSet<QString> flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                        QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                        QStringLiteral("-sync")};
    if (with_value.contains(argument))
        return 1;
    if (flags.contains(argument))
        return 0;
    return -1;
}

// Qt takes its options with one dash or two, and some with "=value".
QString qt_option_name(const QString& argument) {
    QString name = argument.startsWith(QStringLiteral("--")) ? argument.mid(1) : argument;
    if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals > 0)
        name.truncate(equals);
    return name;
}

CommandLine failed(const QString& why) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = why;
    return line;
}

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandLine parse_command_line(const QStringList& arguments) {
    CommandLine line;
    bool options_ended = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!options_ended && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (argument == QStringLiteral("--")) {
                options_ended = true;
            } else if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
                line.action = CommandLine::Action::Help;
                return line;
            } else if (argument == QStringLiteral("--version")) {
                line.action = CommandLine::Action::Version;
                return line;
            } else if (const int values = qt_option_values(qt_option_name(argument)); values >= 0) {
                if (argument.contains(QLatin1Char('=')))
                    continue; // "-style=Fusion" holds its value
                if (i + values >= arguments.size())
                    return failed(QStringLiteral("option '%1' needs a value").arg(argument));
                i += values;
            } else {
                return failed(QStringLiteral("unknown option '%1'").arg(argument));
            }
            continue;
        }
        if (!line.database.isEmpty())
            return failed(QStringLiteral("only one database file can be opened"));
        line.database = argument;
    }
    return line;
}

CommandLine parse_command_line(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return parse_command_line(arguments);
}

QString usage_text() {
    return QStringLiteral(
        "Usage: olvessa [FILE.db | postgresql://[user@]host[:port]/dbname]\n"
        "       olvessa --export-csv FILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--client NAME]\n"
        "               [--unbilled] [--database DB]\n"
        "       olvessa --copy-database FROM TO\n"
        "       olvessa --help | --version\n"
        "\n"
        "Olvessa.project, a time tracker for freelancers who bill clients by the hour.\n"
        "\n"
        "  FILE.db             open this database; it is opened again at the next start\n"
        "  postgresql://...    open this database on a PostgreSQL server (libpq's URI;\n"
        "                      ~/.pgpass, PGPASSWORD and service files apply)\n"
        "  --export-csv FILE   write a period report to FILE as CSV and exit, without a window\n"
        "  --from, --to        the first and the last day of the period\n"
        "  --client NAME       only this client\n"
        "  --unbilled          only time not billed yet\n"
        "  --database DB       read DB (a file or a URI) instead of the remembered database\n"
        "  --copy-database FROM TO\n"
        "                      copy every record from FROM to TO (a file or a URI each) in\n"
        "                      one transaction and exit; TO must be a new file or a server\n"
        "                      database without the program's tables\n"
        "  -h, --help          show this help and exit\n"
        "  --version           show the version and exit\n"
        "\n"
        "Without FILE.db the database of the last run opens, at the first start default.db\n"
        "in the data folder ($XDG_DATA_HOME/Olvessa, ~/.local/share/Olvessa when unset).\n"
        "Daily backups are kept in its backups folder. OLVESSA_SETTINGS names another\n"
        "settings file.\n");
}

QString version_text() {
    return QStringLiteral("Olvessa.project %1\n").arg(QStringLiteral(OLV_VERSION));
}

std::optional<int> answer_without_display(const CommandLine& line, std::FILE* out, std::FILE* err) {
    switch (line.action) {
    case CommandLine::Action::Help:
        print(out, usage_text());
        return 0;
    case CommandLine::Action::Version:
        print(out, version_text());
        return 0;
    case CommandLine::Action::Error:
        print(err, QStringLiteral("olvessa: %1\nTry 'olvessa --help' for more information.\n")
                       .arg(line.error));
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    if (!line.database.isEmpty() && !is_server_location(line.database.toStdString()) &&
        !QFileInfo(line.database).isFile()) {
        print(err, QStringLiteral("olvessa: %1: no such database file\n").arg(line.database));
        return 1;
    }
    return std::nullopt;
}

} // namespace olv
