// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Cancels long work as a user does: the progress window is shown at once, and its Cancel is
// pressed as soon as the event loop runs inside the work.
#include "views/progress.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

namespace olv::testing {

class ProgressCancel {
public:
    ProgressCancel() {
        Progress::show_after_ms = 0;
        // Tied to this object: a timer that fires after it is gone does nothing.
        QTimer::singleShot(0, &context_, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(w);
                    dialog && dialog->isVisible()) {
                    seen_ = true;
                    dialog->cancel();
                }
        });
    }
    ~ProgressCancel() { Progress::show_after_ms = 500; }
    ProgressCancel(const ProgressCancel&) = delete;
    ProgressCancel& operator=(const ProgressCancel&) = delete;

    // True once a progress window was shown and cancelled.
    bool seen() const { return seen_; }

private:
    QObject context_;
    bool seen_ = false;
};

} // namespace olv::testing
