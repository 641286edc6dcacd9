// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/daily_backup.h"

#include "app/data_folder.h"
#include "store/access_layer.h"
#include "store/operations.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace olv {

namespace {

// A server database is named "<dbname>@<host>".
QString stem_of(const QString& database) {
    const std::string location = database.toStdString();
    if (is_server_location(location)) {
        const ServerLocation parts = parse_server_location(location);
        QString stem = QString::fromStdString(parts.database) + QLatin1Char('@') +
                       QString::fromStdString(parts.host.empty() || parts.host.front() == '/'
                                                  ? std::string("localhost")
                                                  : parts.host);
        return stem.replace(QLatin1Char('/'), QLatin1Char('_'));
    }
    return QFileInfo(database).completeBaseName();
}

// A copy changed after its day has been opened and worked in: it is the user's now. Of the
// others the newest kBackupsKept stay.
void prune_backups(const QString& database, const QString& folder) {
    QStringList kept = backups_of(database, folder);
    kept.removeIf([&](const QString& name) {
        const QDate day = QDate::fromString(name.right(13).left(10), QStringLiteral("yyyy-MM-dd"));
        const QFileInfo copy(QDir(folder).filePath(name));
        return !day.isValid() || copy.lastModified().date() > day;
    });
    while (kept.size() > kBackupsKept)
        QFile::remove(QDir(folder).filePath(kept.takeFirst()));
}

} // namespace

bool make_daily_server_backup(const RecordLists& lists, const QString& location,
                              const QString& folder, const WallTime& today, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString target = QDir(folder).filePath(backup_file_name(location, today));
    if (QFileInfo::exists(target))
        return true;
    if (!ensure_folder(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    std::string why;
    {
        AccessLayer copy;
        if (!copy.load_engine("sqlite") || !copy.open_database(partial.toStdString()))
            return fail(QString::fromStdString(copy.last_error()));
        if (write_all_records(lists, copy, why) != CopyOutcome::Copied) {
            copy.close_current_database();
            QFile::remove(partial);
            return fail(QString::fromStdString(why));
        }
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot write %1").arg(target));
    }
    prune_backups(location, folder);
    return true;
}

QString backup_file_name(const QString& database, const WallTime& day) {
    return QStringLiteral("%1-%2-%3-%4.db")
        .arg(stem_of(database))
        .arg(day.year, 4, 10, QLatin1Char('0'))
        .arg(day.month, 2, 10, QLatin1Char('0'))
        .arg(day.day, 2, 10, QLatin1Char('0'));
}

QStringList backups_of(const QString& database, const QString& folder) {
    const QRegularExpression pattern(QStringLiteral("^%1-\\d{4}-\\d{2}-\\d{2}\\.db$")
                                         .arg(QRegularExpression::escape(stem_of(database))));
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    names = names.filter(pattern);
    // The date in the name sorts the same as the name.
    names.sort();
    return names;
}

bool make_daily_backup(AccessLayer& db, const QString& database, const QString& folder,
                       const WallTime& today, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo source(database);
    if (!source.isFile() || source.size() == 0)
        return true;
    const QString target = QDir(folder).filePath(backup_file_name(database, today));
    if (QFileInfo::exists(target))
        return true;
    if (!ensure_folder(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));

    // Written under another name first, so a copy cut short never counts as today's backup.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    const int rc = db.copy_database(database.toStdString(), partial.toStdString());
    if (!AccessLayer::succeeded(rc)) {
        QFile::remove(partial);
        return fail(QString::fromStdString(db.last_error()));
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot write %1").arg(target));
    }

    prune_backups(database, folder);
    return true;
}

} // namespace olv
