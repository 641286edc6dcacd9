// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the window thread (a self-pipe read by a
// socket notifier), so a termination request runs the same sequence as closing the main window.
#include <QObject>

class QSocketNotifier;

namespace olv {

class TerminationWatcher final : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    // Restores the handlers that were there before.
    ~TerminationWatcher() override;

signals:
    void termination_requested(int signal_number);

private:
    void read_pipe();

    // False when another watcher of this process holds the signals already.
    bool installed_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace olv
