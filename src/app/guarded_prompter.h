#pragma once
// Every modal window of the program goes through this prompter: while one is open the program
// counts as busy, so a periodic job that comes due meanwhile waits until it is answered.
#include "app/jobs.h"
#include "views/prompter.h"

namespace olv {

class GuardedPrompter final : public Prompter {
public:
    GuardedPrompter(Prompter& inner, Jobs& jobs) : inner_(inner), jobs_(jobs) {}

    void message(QWidget* parent, const QString& title, const QString& text) override {
        Jobs::Busy busy(jobs_, Jobs::Resume::FromEventLoop);
        inner_.message(parent, title, text);
    }
    bool confirm(QWidget* parent, const QString& title, const QString& text) override {
        Jobs::Busy busy(jobs_, Jobs::Resume::FromEventLoop);
        return inner_.confirm(parent, title, text);
    }
    QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& name, const QString& filter) override {
        Jobs::Busy busy(jobs_, Jobs::Resume::FromEventLoop);
        return inner_.save_file_name(parent, title, folder, name, filter);
    }
    bool choose_printer(QWidget* parent, QPrinter& printer) override {
        Jobs::Busy busy(jobs_, Jobs::Resume::FromEventLoop);
        return inner_.choose_printer(parent, printer);
    }

    QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) override {
        Jobs::Busy busy(jobs_, Jobs::Resume::FromEventLoop);
        return inner_.open_file_name(parent, title, folder, filter);
    }

private:
    Prompter& inner_;
    Jobs& jobs_;
};

} // namespace olv
