// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/termination.h"

#include "store/server_connection.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace olv {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// A signal handler can reach nothing but these; one watcher at a time owns them.
int pipe_fds[2] = {-1, -1};
struct sigaction previous_actions[kSignals.size()];

void on_signal(int number) {
    const int saved = errno;
    // A statement waiting for a server that does not answer gives up, so that the request is
    // seen at once.
    interrupt_server_waits();
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const auto written = ::write(pipe_fds[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    if (pipe_fds[0] != -1 || ::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    installed_ = true;
    notifier_ = new QSocketNotifier(pipe_fds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::read_pipe);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &previous_actions[i]);
}

TerminationWatcher::~TerminationWatcher() {
    if (!installed_)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &previous_actions[i], nullptr);
    delete notifier_;
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    pipe_fds[0] = pipe_fds[1] = -1;
}

void TerminationWatcher::read_pipe() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(pipe_fds[0], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit termination_requested(last);
}

} // namespace olv
