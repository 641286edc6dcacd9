// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/idle_source.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QStringList>
#include <dlfcn.h>

// After Qt: Xlib's macros (Bool, Status, None) would spoil Qt's headers.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace olv {

namespace {

class X11IdleSource final : public IdleSource {
public:
    ~X11IdleSource() override {
        if (info_ && x_free_)
            x_free_(info_);
        if (display_ && close_display_)
            close_display_(display_);
        if (xss_)
            dlclose(xss_);
        if (x11_)
            dlclose(x11_);
    }

    bool open(const QByteArray& name, QString* why) {
        x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x11_) {
            *why = QStringLiteral("the X11 library (libX11.so.6) is not installed");
            return false;
        }
        xss_ = dlopen("libXss.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!xss_) {
            *why = QStringLiteral("the X11 screen-saver library (libXss.so.1) is not installed");
            return false;
        }
        auto open_display =
            reinterpret_cast<Display* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
        close_display_ = reinterpret_cast<int (*)(Display*)>(dlsym(x11_, "XCloseDisplay"));
        x_free_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XFree"));
        default_root_ = reinterpret_cast<Window (*)(Display*)>(dlsym(x11_, "XDefaultRootWindow"));
        auto query_extension = reinterpret_cast<Bool (*)(Display*, int*, int*)>(
            dlsym(xss_, "XScreenSaverQueryExtension"));
        auto alloc_info =
            reinterpret_cast<XScreenSaverInfo* (*)()>(dlsym(xss_, "XScreenSaverAllocInfo"));
        query_info_ = reinterpret_cast<Status (*)(Display*, Drawable, XScreenSaverInfo*)>(
            dlsym(xss_, "XScreenSaverQueryInfo"));
        if (!open_display || !close_display_ || !x_free_ || !default_root_ || !query_extension ||
            !alloc_info || !query_info_) {
            *why = QStringLiteral("the X11 libraries lack the screen-saver calls");
            return false;
        }
        display_ = open_display(name.isEmpty() ? nullptr : name.constData());
        if (!display_) {
            *why = QStringLiteral("no X11 display could be opened");
            return false;
        }
        int event_base = 0;
        int error_base = 0;
        if (!query_extension(display_, &event_base, &error_base)) {
            *why = QStringLiteral("the X server has no screen-saver extension");
            return false;
        }
        info_ = alloc_info();
        return info_ != nullptr && idle_ms().has_value();
    }

    std::optional<std::int64_t> idle_ms() override {
        if (!query_info_(display_, default_root_(display_), info_))
            return std::nullopt;
        return static_cast<std::int64_t>(info_->idle);
    }

private:
    void* x11_ = nullptr;
    void* xss_ = nullptr;
    Display* display_ = nullptr;
    XScreenSaverInfo* info_ = nullptr;
    int (*close_display_)(Display*) = nullptr;
    int (*x_free_)(void*) = nullptr;
    Window (*default_root_)(Display*) = nullptr;
    Status (*query_info_)(Display*, Drawable, XScreenSaverInfo*) = nullptr;
};

// One method on the session bus that answers milliseconds of idle time.
class BusIdleSource final : public IdleSource {
public:
    BusIdleSource(QString service, QString path, QString interface, QString method)
        : service_(std::move(service)), path_(std::move(path)), interface_(std::move(interface)),
          method_(std::move(method)) {}

    std::optional<std::int64_t> idle_ms() override {
        QDBusMessage call = QDBusMessage::createMethodCall(service_, path_, interface_, method_);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        bool ok = false;
        const qlonglong ms = reply.arguments().constFirst().toLongLong(&ok);
        if (!ok || ms < 0)
            return std::nullopt;
        return ms;
    }

private:
    QString service_, path_, interface_, method_;
};

} // namespace

std::unique_ptr<IdleSource> open_x11_idle_source(const QByteArray& display, QString* why) {
    auto source = std::make_unique<X11IdleSource>();
    QString reason;
    if (!source->open(display, &reason)) {
        if (why)
            *why =
                reason.isEmpty() ? QStringLiteral("the X server does not tell idle time") : reason;
        return nullptr;
    }
    return source;
}

std::unique_ptr<IdleSource> open_session_bus_idle_source(QString* why) {
    // Without an address the bus library may start a bus of its own (autolaunch): not for this.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool bus_named =
        !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
        (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
    if (!bus_named || !QDBusConnection::sessionBus().isConnected()) {
        if (why)
            *why = QStringLiteral("there is no session bus");
        return nullptr;
    }
    std::unique_ptr<IdleSource> candidates[] = {
        std::make_unique<BusIdleSource>(QStringLiteral("org.freedesktop.ScreenSaver"),
                                        QStringLiteral("/org/freedesktop/ScreenSaver"),
                                        QStringLiteral("org.freedesktop.ScreenSaver"),
                                        QStringLiteral("GetSessionIdleTime")),
        std::make_unique<BusIdleSource>(QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                                        QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                                        QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                                        QStringLiteral("GetIdletime")),
    };
    for (auto& candidate : candidates)
        if (candidate->idle_ms())
            return std::move(candidate);
    if (why)
        *why = QStringLiteral("no idle monitor answers on the session bus");
    return nullptr;
}

std::unique_ptr<IdleSource> find_idle_source(QString* why) {
    QString x11_why;
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (!wayland && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (auto source = open_x11_idle_source({}, &x11_why))
            return source;
    } else if (!wayland) {
        x11_why = QStringLiteral("there is no X11 display");
    }
    QString bus_why;
    if (auto source = open_session_bus_idle_source(&bus_why))
        return source;
    if (why)
        *why = QStringLiteral("Idle time cannot be read here: ") +
               (x11_why.isEmpty() ? bus_why : x11_why + QStringLiteral(", and ") + bus_why) +
               QLatin1Char('.');
    return nullptr;
}

} // namespace olv
