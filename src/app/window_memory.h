#pragma once
// What the settings file keeps of the windows between runs: the main window's place and size,
// its two dividers, the expanded tree items of the database they belong to, the size of the
// Period Report and the folder of the last CSV export. Kept without a word: a settings file that
// cannot be written only means the defaults come back next time.
#include <QSize>
#include <QString>

namespace olv {

class MainWindow;
struct Workspace;

// Stores the main window's place, size and dividers, and the expanded items of its tree, which
// shows `database`. Nothing is written when the settings file does not exist.
void keep_main_window(const QString& key, const MainWindow& window, const Workspace& ws,
                      const QString& database);
// Puts the main window where it was, moved and shrunk onto the available screen area, with its
// dividers where they were. A window never kept stays where it is.
void restore_main_window(const QString& key, MainWindow& window);
// Expands the tree items that were expanded when the same database was last shown.
void restore_expanded_items(const QString& key, Workspace& ws, const QString& database);

// The Period Report's last size; an invalid size when none is kept.
QSize kept_period_report_size(const QString& key);
void keep_period_report_size(const QString& key, QSize size);

// The folder of the last CSV export; empty when none is kept.
QString kept_export_folder(const QString& key);
void keep_export_folder(const QString& key, const QString& folder);

} // namespace olv
