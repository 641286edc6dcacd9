// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Every modal window of the program goes through this prompter. The code that opens one is at a
// point where the lists are consistent, so the periodic jobs keep running while it waits. Once
// the program is ending, no new window opens: each question gets its cautious answer at once
// (OK, No, Cancel), so nothing waits for a person who is not going to answer.
#include "app/jobs.h"
#include "views/prompter.h"

namespace olv {

class GuardedPrompter final : public Prompter {
public:
    GuardedPrompter(Prompter& inner, Jobs& jobs, const bool& ending)
        : inner_(inner), jobs_(jobs), ending_(ending) {}

    void message(QWidget* parent, const QString& title, const QString& text) override {
        if (ending_)
            return;
        Jobs::ModalWait wait(jobs_);
        inner_.message(parent, title, text);
    }
    bool confirm(QWidget* parent, const QString& title, const QString& text) override {
        if (ending_)
            return false;
        Jobs::ModalWait wait(jobs_);
        return inner_.confirm(parent, title, text);
    }
    QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& name, const QString& filter) override {
        if (ending_)
            return {};
        Jobs::ModalWait wait(jobs_);
        return inner_.save_file_name(parent, title, folder, name, filter);
    }
    QString export_file_name(QWidget* parent, const QString& title, const QString& folder,
                             const QString& name, const QString& filter) override {
        if (ending_)
            return {};
        Jobs::ModalWait wait(jobs_);
        return inner_.export_file_name(parent, title, folder, name, filter);
    }
    bool choose_printer(QWidget* parent, QPrinter& printer) override {
        if (ending_)
            return false;
        Jobs::ModalWait wait(jobs_);
        return inner_.choose_printer(parent, printer);
    }
    QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) override {
        if (ending_)
            return {};
        Jobs::ModalWait wait(jobs_);
        return inner_.open_file_name(parent, title, folder, filter);
    }
    QString server_location(QWidget* parent, const QString& title) override {
        if (ending_)
            return {};
        Jobs::ModalWait wait(jobs_);
        return inner_.server_location(parent, title);
    }
    QString database_save_name(QWidget* parent, const QString& title, const QString& folder,
                               const QString& name, const QString& filter) override {
        if (ending_)
            return {};
        Jobs::ModalWait wait(jobs_);
        return inner_.database_save_name(parent, title, folder, name, filter);
    }
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons, int default_button, int cautious) override {
        if (ending_)
            return cautious;
        Jobs::ModalWait wait(jobs_);
        const int answer = inner_.choose(parent, title, text, buttons, default_button, cautious);
        // Asked to stop while it waited: a click that came with it does not count.
        return ending_ ? cautious : answer;
    }

private:
    Prompter& inner_;
    Jobs& jobs_;
    const bool& ending_;
};

} // namespace olv
