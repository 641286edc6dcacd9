// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
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
    // The dialog naming a database on a server (host, port, database, user); its connection
    // URI, or an empty text when cancelled. A prompter that never shows one answers as if
    // cancelled.
    virtual QString server_location(QWidget* parent, const QString& title) {
        (void)parent, (void)title;
        return {};
    }
    // The save-file dialog of a database, which can also name one on a server instead: a file
    // path or a server URI, an empty text when cancelled. A prompter without the server choice
    // asks for a file only.
    virtual QString database_save_name(QWidget* parent, const QString& title, const QString& folder,
                                       const QString& name, const QString& filter) {
        return save_file_name(parent, title, folder, name, filter);
    }
    // A box with the given buttons, left to right; the index of the one pressed. `cautious` is
    // the answer when the box is closed without a choice (Escape, its close button, the end of
    // the program); `default_button` is the one Return presses. A prompter that never shows one
    // answers `cautious`.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons, int default_button, int cautious) {
        (void)parent, (void)title, (void)text, (void)buttons, (void)default_button;
        return cautious;
    }
};

// The real windows: QMessageBox, QFileDialog, QPrintDialog.
class QtPrompter final : public Prompter {
public:
    void message(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
    QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& name, const QString& filter) override;
    QString export_file_name(QWidget* parent, const QString& title, const QString& folder,
                             const QString& name, const QString& filter) override;
    bool choose_printer(QWidget* parent, QPrinter& printer) override;
    QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) override;
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons, int default_button, int cautious) override;
    QString server_location(QWidget* parent, const QString& title) override;
    // The file dialog with a "Server…" button that opens the server dialog in its place.
    QString database_save_name(QWidget* parent, const QString& title, const QString& folder,
                               const QString& name, const QString& filter) override;
};

} // namespace olv
