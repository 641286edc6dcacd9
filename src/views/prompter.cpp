#include "views/prompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace olv {

void QtPrompter::message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

bool QtPrompter::confirm(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString QtPrompter::save_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& name, const QString& filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompter::open_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtPrompter::choose_printer(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
}

void ScriptedPrompter::message(QWidget*, const QString& title, const QString& text) {
    shown.append({title, text});
}

bool ScriptedPrompter::confirm(QWidget*, const QString& title, const QString& text) {
    shown.append({title, text});
    return confirm_answer;
}

QString ScriptedPrompter::save_file_name(QWidget*, const QString&, const QString&, const QString&,
                                         const QString&) {
    return file_name;
}

bool ScriptedPrompter::choose_printer(QWidget*, QPrinter& printer) {
    if (printer_output.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printer_output);
    return true;
}

QString ScriptedPrompter::open_file_name(QWidget*, const QString&, const QString&, const QString&) {
    return open_name;
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const auto& s : shown)
        result << s.text;
    return result;
}

} // namespace olv
