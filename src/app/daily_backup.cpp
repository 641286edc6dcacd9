#include "app/daily_backup.h"

#include "app/data_folder.h"
#include "store/access_layer.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace olv {

namespace {

QString stem_of(const QString& database) {
    return QFileInfo(database).completeBaseName();
}

} // namespace

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

    // A copy changed after its day has been opened and worked in: it is the user's now.
    QStringList kept = backups_of(database, folder);
    kept.removeIf([&](const QString& name) {
        const QDate day = QDate::fromString(name.right(13).left(10), QStringLiteral("yyyy-MM-dd"));
        const QFileInfo copy(QDir(folder).filePath(name));
        return !day.isValid() || copy.lastModified().date() > day;
    });
    while (kept.size() > kBackupsKept)
        QFile::remove(QDir(folder).filePath(kept.takeFirst()));
    return true;
}

} // namespace olv
