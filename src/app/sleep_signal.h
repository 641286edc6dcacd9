// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Word that the computer goes to sleep and wakes up again. The real one is logind's
// PrepareForSleep on the system bus; OLVESSA_SYSTEM_BUS names another bus address (the tests'
// private bus). The tests also drive the watch through this interface directly.
#include <QObject>
#include <QString>

namespace olv {

class SleepSignal : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // True when the signal will come: the watch then leaves the clock comparison aside.
    virtual bool available() const = 0;

signals:
    void going_to_sleep();
    void woke_up();
};

class LogindSleepSignal final : public SleepSignal {
    Q_OBJECT
public:
    explicit LogindSleepSignal(QObject* parent = nullptr);
    ~LogindSleepSignal() override;
    bool available() const override { return available_; }

private slots:
    void prepare_for_sleep(bool starting);

private:
    QString connection_name_;
    bool available_ = false;
};

} // namespace olv
