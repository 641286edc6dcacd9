// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Every user action reaches the dispatcher as one of these, so tests can raise any event by
// number.
#include <QPoint>

namespace olv {

enum class EventType { Control, Menu, Close, Other };
enum class EventKind { LeftClick, RightClick, LeftDoubleClick, Other };

struct Event {
    EventType type = EventType::Other;
    int id = 0;     // control or menu item
    int window = 0; // window the control or menu belongs to
    EventKind kind = EventKind::Other;
    QPoint global_pos; // pointer position for right clicks
};

inline Event control_event(int id, int window, EventKind kind = EventKind::LeftClick) {
    return Event{EventType::Control, id, window, kind, {}};
}
inline Event menu_event(int id, int window) {
    return Event{EventType::Menu, id, window, EventKind::Other, {}};
}

} // namespace olv
