#pragma once
// Where a window appears: centred on the screen's available area, over its owner, or where it
// was last time, and never partly off the available area, also when the screen is smaller than
// the window (a small screen, a large scale factor).
#include <QPoint>
#include <QRect>

namespace olv {

// The window's geometry, shrunk to the available area where it is larger, centred on `centre`,
// then moved as little as needed to lie wholly inside the area.
QRect place_around(QRect window, QPoint centre, QRect available);

// The window centred on the screen's available area.
QRect place_on_screen(QRect window, QRect available);

} // namespace olv
