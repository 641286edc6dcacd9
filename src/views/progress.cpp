// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/progress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

namespace olv {

namespace {
// The window shows per mille, so that counts beyond an int fit.
constexpr int kSteps = 1000;
// Events are let through this often while the window is up.
constexpr qint64 kEventsEveryMs = 50;
} // namespace

int Progress::show_after_ms = 500;

Progress::Progress(QWidget* parent, const QString& label, qint64 maximum)
    : parent_(parent), label_(label), maximum_(std::max<qint64>(1, maximum)) {
    started_.start();
}

Progress::~Progress() = default;

bool Progress::advance(qint64 done) {
    if (cancelled_)
        return false;
    const qint64 now = started_.elapsed();
    if (!dialog_) {
        if (now < show_after_ms)
            return true;
        dialog_ =
            std::make_unique<QProgressDialog>(label_, QStringLiteral("Cancel"), 0, kSteps, parent_);
        // Nothing else may be clicked while the work runs inside this handler.
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
        last_events_ms_ = -1;
    }
    dialog_->setValue(static_cast<int>(std::clamp<qint64>(done, 0, maximum_) * kSteps / maximum_));
    if (last_events_ms_ < 0 || now - last_events_ms_ >= kEventsEveryMs) {
        last_events_ms_ = now;
        QCoreApplication::processEvents();
    }
    cancelled_ = dialog_->wasCanceled();
    return !cancelled_;
}

} // namespace olv
