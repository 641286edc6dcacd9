#include "app/screen_placement.h"

#include <algorithm>

namespace olv {

QRect place_around(QRect window, QPoint centre, QRect available) {
    if (!available.isValid())
        return window;
    window.setSize(window.size().boundedTo(available.size()));
    window.moveCenter(centre);
    // Centring an odd size may leave one pixel over an edge; the title bar must stay on screen.
    window.moveLeft(std::clamp(window.left(), available.left(),
                               available.left() + available.width() - window.width()));
    window.moveTop(std::clamp(window.top(), available.top(),
                              available.top() + available.height() - window.height()));
    return window;
}

QRect place_on_screen(QRect window, QRect available) {
    return place_around(window, available.center(), available);
}

} // namespace olv
