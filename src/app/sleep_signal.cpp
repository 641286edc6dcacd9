// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/sleep_signal.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace olv {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");

QDBusConnection system_bus(const QString& name) {
    const QString address = qEnvironmentVariable("OLVESSA_SYSTEM_BUS");
    if (address.isEmpty())
        return QDBusConnection::systemBus();
    return QDBusConnection::connectToBus(address, name);
}

} // namespace

LogindSleepSignal::LogindSleepSignal(QObject* parent)
    : SleepSignal(parent),
      connection_name_(QStringLiteral("olvessa-sleep-%1").arg(reinterpret_cast<quintptr>(this))) {
    QDBusConnection bus = system_bus(connection_name_);
    if (!bus.isConnected())
        return;
    // Subscribed whether or not logind runs yet; it counts only once logind is there.
    bus.connect(kService, QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(prepare_for_sleep(bool)));
    available_ = bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

LogindSleepSignal::~LogindSleepSignal() {
    if (!qEnvironmentVariableIsEmpty("OLVESSA_SYSTEM_BUS"))
        QDBusConnection::disconnectFromBus(connection_name_);
}

void LogindSleepSignal::prepare_for_sleep(bool starting) {
    available_ = true;
    if (starting)
        emit going_to_sleep();
    else
        emit woke_up();
}

} // namespace olv
