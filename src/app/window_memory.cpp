#include "app/window_memory.h"

#include "app/main_window.h"
#include "app/screen_placement.h"
#include "app/settings_store.h"
#include "views/tree.h"
#include "views/workspace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStringList>
#include <QTreeWidgetItem>

namespace olv {

namespace {

const QString kGeometry = QStringLiteral("Main Window");
const QString kDividers = QStringLiteral("Main Window Dividers");
const QString kExpanded = QStringLiteral("Expanded Items");
const QString kExpandedDatabase = QStringLiteral("Expanded Items Database");
const QString kPeriodReportSize = QStringLiteral("Period Report Size");
const QString kExportFolder = QStringLiteral("Export Folder");

// A divider's sizes as "330 460"; the two dividers are kept as "tree list|list notes".
QString sizes_text(const QList<int>& sizes) {
    QStringList parts;
    for (const int size : sizes)
        parts << QString::number(size);
    return parts.join(QLatin1Char(' '));
}

QList<int> sizes_of(const QString& text) {
    QList<int> sizes;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int size = part.toInt(&ok);
        if (!ok || size <= 0)
            return {};
        sizes << size;
    }
    return sizes;
}

// A tree item by what it shows ("client 12"): tree positions move when items are added, keys do
// not.
QString record_name(const Workspace& ws, RecordRef ref) {
    const RecordLists& lists = ws.store.lists;
    switch (ref.kind) {
    case RecordKind::User:
        return QStringLiteral("user");
    case RecordKind::Client:
        return QStringLiteral("client %1").arg(lists.clients[ref.index].key);
    case RecordKind::Project:
        return QStringLiteral("project %1").arg(lists.projects[ref.index].key);
    case RecordKind::Objective:
        return QStringLiteral("objective %1").arg(lists.objectives[ref.index].key);
    case RecordKind::Task:
    case RecordKind::None:
        break;
    }
    return {}; // tasks have no children
}

// Writes only into a settings file that exists: the first-run question makes it.
bool write(const QString& key, const QList<std::pair<QString, QVariant>>& values) {
    if (!settings_key_exists(key))
        return false;
    QSettings settings(key, QSettings::IniFormat);
    for (const auto& [name, value] : values)
        settings.setValue(name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QVariant read(const QString& key, const QString& name) {
    if (!settings_key_exists(key))
        return {};
    return QSettings(key, QSettings::IniFormat).value(name);
}

} // namespace

void keep_main_window(const QString& key, const MainWindow& window, const Workspace& ws,
                      const QString& database) {
    QStringList expanded;
    for (std::size_t i = 0; i < ws.tree_items.size(); ++i) {
        const auto position = static_cast<std::int32_t>(i);
        const QTreeWidgetItem* item = tree_item_at(ws, position);
        if (!item || !item->isExpanded() || item->childCount() == 0)
            continue;
        const QString name = record_name(ws, record_at_position(ws, position));
        if (!name.isEmpty())
            expanded << name;
    }
    write(key, {{kGeometry, window.normalGeometry()},
                {kDividers, sizes_text(window.outer_splitter()->sizes()) + QLatin1Char('|') +
                                sizes_text(window.inner_splitter()->sizes())},
                {kExpanded, expanded},
                {kExpandedDatabase, database}});
}

void restore_main_window(const QString& key, MainWindow& window) {
    const QRect kept = read(key, kGeometry).toRect();
    if (kept.isValid()) {
        const QScreen* screen = QGuiApplication::screenAt(kept.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        window.setGeometry(screen ? place_around(kept, kept.center(), screen->availableGeometry())
                                  : kept);
        window.fit_splitters();
    }
    const QStringList dividers = read(key, kDividers).toString().split(QLatin1Char('|'));
    if (dividers.size() != 2)
        return;
    const QList<int> outer = sizes_of(dividers[0]);
    const QList<int> inner = sizes_of(dividers[1]);
    if (outer.size() == window.outer_splitter()->count())
        window.outer_splitter()->setSizes(outer);
    if (inner.size() == window.inner_splitter()->count())
        window.inner_splitter()->setSizes(inner);
}

void restore_expanded_items(const QString& key, Workspace& ws, const QString& database) {
    if (read(key, kExpandedDatabase).toString() != database)
        return;
    const QStringList names = read(key, kExpanded).toStringList();
    if (names.isEmpty())
        return;
    for (std::size_t i = 0; i < ws.tree_items.size(); ++i) {
        const auto position = static_cast<std::int32_t>(i);
        QTreeWidgetItem* item = tree_item_at(ws, position);
        if (item && names.contains(record_name(ws, record_at_position(ws, position))))
            item->setExpanded(true);
    }
}

QSize kept_period_report_size(const QString& key) {
    return read(key, kPeriodReportSize).toSize();
}

void keep_period_report_size(const QString& key, QSize size) {
    write(key, {{kPeriodReportSize, size}});
}

QString kept_export_folder(const QString& key) {
    return read(key, kExportFolder).toString();
}

void keep_export_folder(const QString& key, const QString& folder) {
    write(key, {{kExportFolder, folder}});
}

} // namespace olv
