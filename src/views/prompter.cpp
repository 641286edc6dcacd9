// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/prompter.h"

#include "views/server_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace olv {

void QtPrompter::message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

bool QtPrompter::confirm(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int QtPrompter::choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons, int default_button, int cautious) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> pushed;
    for (const QString& label : buttons)
        pushed << box.addButton(label, QMessageBox::ActionRole);
    if (default_button >= 0 && default_button < pushed.size())
        box.setDefaultButton(pushed[default_button]);
    if (cautious >= 0 && cautious < pushed.size())
        box.setEscapeButton(pushed[cautious]);
    box.exec();
    const int index =
        static_cast<int>(pushed.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return index >= 0 ? index : cautious;
}

namespace {

QString ask_save_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& name, const QString& filter, bool confirm_overwrite) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirm_overwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtPrompter::save_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& name, const QString& filter) {
    return ask_save_file_name(parent, title, folder, name, filter, false);
}

QString QtPrompter::server_location(QWidget* parent, const QString& title) {
    return ask_server_location(parent, title);
}

QString QtPrompter::database_save_name(QWidget* parent, const QString& title, const QString& folder,
                                       const QString& name, const QString& filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.selectFile(name);
    // A database on a server is chosen from the file dialog's place: the server dialog opens
    // over it, and its URI is the answer.
    constexpr int kServerChosen = 2;
    QString server;
    auto* button = new QPushButton(QStringLiteral("Se&rver…"), &dialog);
    button->setObjectName(QStringLiteral("server"));
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &server, title] {
        server = ask_server_location(&dialog, title);
        if (!server.isEmpty())
            static_cast<QDialog&>(dialog).done(kServerChosen);
    });
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(button, grid->rowCount(), 0);
    else if (dialog.layout())
        dialog.layout()->addWidget(button);
    const int result = dialog.exec();
    if (result == kServerChosen)
        return server;
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompter::export_file_name(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& name, const QString& filter) {
    return ask_save_file_name(parent, title, folder, name, filter, true);
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

} // namespace olv
