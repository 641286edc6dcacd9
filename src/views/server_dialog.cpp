// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/server_dialog.h"

#include "store/dialect.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <qglobal.h>

namespace olv {

ServerDialog::ServerDialog(QWidget* parent, const QString& title) : QDialog(parent) {
    setWindowTitle(title);
    host_ = new QLineEdit(this);
    host_->setObjectName(QStringLiteral("host"));
    host_->setPlaceholderText(QStringLiteral("localhost"));
    port_ = new QLineEdit(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setPlaceholderText(QStringLiteral("5432"));
    port_->setValidator(new QIntValidator(1, 65535, port_));
    database_ = new QLineEdit(this);
    database_->setObjectName(QStringLiteral("database"));
    user_ = new QLineEdit(this);
    user_->setObjectName(QStringLiteral("user"));
    user_->setText(qEnvironmentVariable("USER"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Host:"), host_);
    form->addRow(QStringLiteral("&Port:"), port_);
    form->addRow(QStringLiteral("&Database:"), database_);
    form->addRow(QStringLiteral("&User:"), user_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // Without a database name there is nothing to connect to.
    const auto update = [this] { ok_->setEnabled(!location().isEmpty()); };
    for (QLineEdit* field : {host_, port_, database_, user_})
        connect(field, &QLineEdit::textChanged, this, update);
    update();
}

QString ServerDialog::location() const {
    ServerLocation parts;
    parts.host = host_->text().trimmed().toStdString();
    parts.port = port_->text().trimmed().toStdString();
    parts.database = database_->text().trimmed().toStdString();
    parts.user = user_->text().trimmed().toStdString();
    if (parts.database.empty())
        return {};
    return QString::fromStdString(server_uri(parts));
}

QString ask_server_location(QWidget* parent, const QString& title) {
    ServerDialog dialog(parent, title);
    return dialog.exec() == QDialog::Accepted ? dialog.location() : QString();
}

} // namespace olv
