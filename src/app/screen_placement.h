#pragma once
// Where a window first appears: centred on the screen's available area and never partly off it,
// also when the screen is smaller than the window (a small screen, a large scale factor).
#include <QRect>

namespace olv {

// The window's geometry, shrunk to the available area where it is larger, centred on it.
QRect place_on_screen(QRect window, QRect available);

} // namespace olv
