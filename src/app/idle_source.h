// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Where the time since the last keyboard or mouse input comes from, in this order: the X11
// screen-saver extension (libXss, loaded at run time, so the program starts where there is no
// X11), the session bus's org.freedesktop.ScreenSaver (KDE) or org.gnome.Mutter.IdleMonitor
// (GNOME). The tests set a source of their own.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace olv {

class IdleSource {
public:
    virtual ~IdleSource() = default;
    // Milliseconds since the last keyboard or mouse input; nothing when the source cannot tell.
    virtual std::optional<std::int64_t> idle_ms() = 0;
};

// The X server's own count (XScreenSaverQueryInfo). Nothing, with the reason in `why`, when
// libX11 or libXss cannot be loaded, the display cannot be opened or lacks the extension.
// An empty display name means $DISPLAY.
std::unique_ptr<IdleSource> open_x11_idle_source(const QByteArray& display, QString* why);

// The session bus's idle monitors, KDE's first; nothing when neither answers.
std::unique_ptr<IdleSource> open_session_bus_idle_source(QString* why);

// The first source that answers: X11 unless the session is Wayland, then the session bus. When
// none does, `why` says why, in a line fit for the Preferences window.
std::unique_ptr<IdleSource> find_idle_source(QString* why);

} // namespace olv
