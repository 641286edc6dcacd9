// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Progress of work that can take a while: a progress dialog that shows only once the work has
// gone on for half a second, with a Cancel button. It blocks every window while it shows, so
// nothing the work reads changes under it.
#include <QElapsedTimer>
#include <QString>
#include <cstddef>

class QProgressDialog;
class QWidget;

namespace olv {

class LongWork {
public:
    static constexpr int kShowAfterMs = 500;

    LongWork(QWidget* parent, const QString& label, std::size_t total);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports `done` of the total and lets the dialog answer; false once it was cancelled.
    bool step(std::size_t done);
    bool cancelled() const;

private:
    QProgressDialog* dialog_;
    std::size_t total_;
    QElapsedTimer since_events_;
    bool first_ = true;
};

} // namespace olv
