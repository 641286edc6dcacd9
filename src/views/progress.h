// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Long work (printing, exporting, marking many entries, copying or opening a large database)
// shows a progress window once it has run for half a second; its Cancel button stops the work at
// the next step, and the work leaves nothing half-done behind. The window is modal to the whole
// program, so nothing the work reads changes under it.
#include <QElapsedTimer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace olv {

class Progress {
public:
    Progress(QWidget* parent, const QString& label, qint64 maximum);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // How far the work has come. Lets the window draw and take a click now and then; false once
    // Cancel was pressed.
    bool advance(qint64 done);
    bool cancelled() const { return cancelled_; }
    // Whether the window has appeared.
    bool shown() const { return dialog_ != nullptr; }

    // How long work runs before the window appears: 500 ms; tests make it 0.
    static int show_after_ms;

private:
    QWidget* parent_;
    QString label_;
    qint64 maximum_;
    QElapsedTimer started_;
    qint64 last_events_ms_ = -1;
    std::unique_ptr<QProgressDialog> dialog_;
    bool cancelled_ = false;
};

} // namespace olv
