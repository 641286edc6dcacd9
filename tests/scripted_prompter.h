// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The modal-window double of the tests and benchmarks: answers from a script and remembers every
// question, with the window it was asked over.
#include "views/prompter.h"

#include <QList>
#include <QPointer>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace olv {

class ScriptedPrompter final : public Prompter {
public:
    struct Shown {
        QString title;
        QString text;
        QPointer<QWidget> parent; // the window the box belongs to
    };
    QList<Shown> shown;         // every message and confirmation, in order
    bool confirm_answer = true; // answer to every confirmation
    QString file_name;          // answer to the save-file dialog
    QString printer_output;     // PDF file for the printer dialog; empty means cancel
    QString open_name;          // answer to the open-file dialog
    QString server_name;        // answer to the server dialog, also from the database save dialog
    QString save_folder;        // what the last save-file dialog suggested
    QString save_name;
    // Answers to boxes with buttons, in order (the cautious one when none is left); `while_open`
    // runs while such a box waits, before it is answered.
    QList<int> choices;
    std::function<void()> while_open;
    QList<QStringList> buttons_shown;

    void message(QWidget* parent, const QString& title, const QString& text) override {
        shown.append({title, text, parent});
    }
    bool confirm(QWidget* parent, const QString& title, const QString& text) override {
        shown.append({title, text, parent});
        return confirm_answer;
    }
    QString save_file_name(QWidget*, const QString&, const QString& folder, const QString& name,
                           const QString&) override {
        save_folder = folder;
        save_name = name;
        return file_name;
    }
    bool choose_printer(QWidget*, QPrinter& printer) override {
        if (printer_output.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printer_output);
        return true;
    }
    QString open_file_name(QWidget*, const QString&, const QString&, const QString&) override {
        return open_name;
    }
    QString server_location(QWidget*, const QString&) override { return server_name; }
    QString database_save_name(QWidget* parent, const QString& title, const QString& folder,
                               const QString& name, const QString& filter) override {
        if (!server_name.isEmpty())
            return server_name;
        return save_file_name(parent, title, folder, name, filter);
    }
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons, int, int cautious) override {
        shown.append({title, text, parent});
        buttons_shown.append(buttons);
        if (while_open)
            while_open();
        return choices.isEmpty() ? cautious : choices.takeFirst();
    }
    QStringList texts() const {
        QStringList result;
        for (const auto& s : shown)
            result << s.text;
        return result;
    }
};

} // namespace olv
