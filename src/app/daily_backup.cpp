// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/daily_backup.h"

#include "app/data_folder.h"
#include "store/access_layer.h"
#include "store/operations.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace olv {

namespace {

bool is_server(const QString& database) {
    return is_server_location(database.toStdString());
}

// The file itself, symlinks resolved: every path to it names one series of copies.
QString resolved(const QString& database) {
    const QFileInfo file(database);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

// A server database is named "<dbname>@<host>"; a file by its stem.
QString stem_of(const QString& database) {
    if (is_server(database)) {
        const ServerLocation parts = parse_server_location(database.toStdString());
        QString stem = QString::fromStdString(parts.database) + QLatin1Char('@') +
                       QString::fromStdString(parts.host.empty() || parts.host.front() == '/'
                                                  ? std::string("localhost")
                                                  : parts.host);
        return stem.replace(QLatin1Char('/'), QLatin1Char('_'));
    }
    return QFileInfo(resolved(database)).completeBaseName();
}

// "YYYY-MM-DD.db" ends every backup's name, in every form.
QString day_of(const QString& name) {
    return name.right(13).left(10);
}

// A file's copies carry the hash of its path (older copies may not); a server's the stem alone.
QRegularExpression backup_pattern(const QString& database, const QString& ending) {
    const QString hash = is_server(database)
                             ? QString()
                             : QStringLiteral("(-%1)?").arg(database_path_hash(database));
    return QRegularExpression(
        QStringLiteral("^%1%2-\\d{4}-\\d{2}-\\d{2}\\.db%3$")
            .arg(QRegularExpression::escape(stem_of(database)), hash, ending));
}

// A copy changed after its day has been opened and worked in: it is the user's now. Of the
// others the newest kBackupsKept stay.
void prune_backups(const QString& database, const QString& folder) {
    QStringList kept = backups_of(database, folder);
    kept.removeIf([&](const QString& name) {
        const QDate day = QDate::fromString(day_of(name), QStringLiteral("yyyy-MM-dd"));
        const QFileInfo copy(QDir(folder).filePath(name));
        return !day.isValid() || copy.lastModified().date() > day;
    });
    while (kept.size() > kBackupsKept)
        QFile::remove(QDir(folder).filePath(kept.takeFirst()));
}

} // namespace

QString database_path_hash(const QString& database) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(resolved(database)), QCryptographicHash::Sha1)
            .toHex()
            .left(8));
}

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
            QFile::remove(partial + QStringLiteral("-journal"));
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
    const QString stem = is_server(database)
                             ? stem_of(database)
                             : stem_of(database) + QLatin1Char('-') + database_path_hash(database);
    return QStringLiteral("%1-%2-%3-%4.db")
        .arg(stem)
        .arg(day.year, 4, 10, QLatin1Char('0'))
        .arg(day.month, 2, 10, QLatin1Char('0'))
        .arg(day.day, 2, 10, QLatin1Char('0'));
}

QStringList backups_of(const QString& database, const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    names = names.filter(backup_pattern(database, QString()));
    // By day; on one day the older form first.
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return day_of(a) < day_of(b); });
    return names;
}

void remove_backup_leftovers(const QString& database, const QString& folder) {
    const QRegularExpression leftover =
        backup_pattern(database, QStringLiteral("\\.part(-journal)?"));
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (leftover.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
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
        QFile::remove(partial + QStringLiteral("-journal"));
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
