#pragma once
// Preferences (window 95) and About (window 92).
#include "views/workspace.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

class QPushButton;

namespace olv {

void open_preferences(Workspace& ws);
void apply_preferences(Workspace& ws);
void open_about(Workspace& ws);

// Shared by both windows: a small non-modal window owned by the main window, centred on it,
// named by its id; it replaces the one the slot holds.
void place_small_window(QWidget* window, QPointer<QWidget>& slot, QWidget* owner, int id,
                        const QString& title, QSize inner_size);
// A button that raises its control event through Workspace::post_event.
QPushButton* add_window_button(QWidget* window, Workspace& ws, int id, const QString& text,
                               const QRect& geometry);

} // namespace olv
