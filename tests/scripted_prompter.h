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
    QString save_folder;        // what the last save-file dialog suggested
    QString save_name;
    QList<int> choices;         // answers to the boxes with buttons, in order; -1 once used up
    QList<QStringList> choice_buttons; // the buttons of each such box

    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons) override {
        shown.append({title, text, parent});
        choice_buttons.append(buttons);
        return choices.isEmpty() ? -1 : choices.takeFirst();
    }

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
    QStringList texts() const {
        QStringList result;
        for (const auto& s : shown)
            result << s.text;
        return result;
    }
};

} // namespace olv
