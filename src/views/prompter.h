#pragma once
// Modal windows (message boxes, the save-file dialog, the printer dialog) go through this
// interface so tests can answer them and read what they said.
#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

namespace olv {

class Prompter {
public:
    virtual ~Prompter() = default;
    // A box with an OK button.
    virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;
    // A box with Yes and No; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;
    // The save-file dialog; an empty text when cancelled.
    virtual QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& name, const QString& filter) = 0;
    // A warning box with a button for each text, the first one the default (also for Escape);
    // the index of the button pressed, -1 when no box could be shown.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons) {
        (void)buttons;
        message(parent, title, text);
        return -1;
    }
    // The save-file dialog for a file written at the user's word: it asks before an existing
    // file is replaced. An empty text when cancelled.
    virtual QString export_file_name(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& name, const QString& filter) {
        return save_file_name(parent, title, folder, name, filter);
    }
    // The printer selection dialog; false when cancelled.
    virtual bool choose_printer(QWidget* parent, QPrinter& printer) = 0;
    // The open-file dialog for an existing file; an empty text when cancelled. A prompter that
    // never shows one answers as if cancelled.
    virtual QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter) {
        (void)parent, (void)title, (void)folder, (void)filter;
        return {};
    }
};

// The real windows: QMessageBox, QFileDialog, QPrintDialog.
class QtPrompter final : public Prompter {
public:
    void message(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons) override;
    QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& name, const QString& filter) override;
    QString export_file_name(QWidget* parent, const QString& title, const QString& folder,
                             const QString& name, const QString& filter) override;
    bool choose_printer(QWidget* parent, QPrinter& printer) override;
    QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) override;
};

} // namespace olv
