// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/long_work.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

namespace olv {

namespace {

// The dialog's scale: a million steps fit an int, and more are shown in proportion.
constexpr int kScale = 1000000;

} // namespace

LongWork::LongWork(QWidget* parent, const QString& label, std::size_t total)
    : dialog_(new QProgressDialog(label, QStringLiteral("Cancel"), 0, kScale, parent)),
      total_(std::max<std::size_t>(total, 1)) {
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    since_events_.start();
}

LongWork::~LongWork() {
    delete dialog_;
}

bool LongWork::step(std::size_t done) {
    const int value =
        static_cast<int>(static_cast<double>(std::min(done, total_)) / total_ * kScale);
    if (value != dialog_->value())
        dialog_->setValue(value);
    // The dialog's own timer shows it and its button cancels it only when events are seen;
    // until it shows, what the user types or clicks waits for the work to end.
    if (first_ || since_events_.elapsed() >= 50) {
        first_ = false;
        QCoreApplication::processEvents(dialog_->isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        since_events_.restart();
    }
    return !dialog_->wasCanceled();
}

bool LongWork::cancelled() const {
    return dialog_->wasCanceled();
}

} // namespace olv
