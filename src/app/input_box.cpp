// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/input_box.h"

#include "views/ids.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace olv {

namespace {

void set_id(QObject* object, int id) {
    object->setObjectName(QString::number(id));
    object->setProperty("olv_id", id);
}

// Window 99. Return ends the prompt with the typed text, Escape and closing the window end it
// with the default; the first of them decides.
class InputBoxWindow final : public QWidget {
public:
    explicit InputBoxWindow(QEventLoop& loop) : loop_(loop) {}

    enum class Answer { Pending, Typed, Default };
    Answer answer() const { return answer_; }
    void finish(Answer answer) {
        if (answer_ != Answer::Pending)
            return;
        answer_ = answer;
        loop_.exit();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                finish(Answer::Typed);
                return true;
            case Qt::Key_Escape:
                finish(Answer::Default);
                return true;
            default:
                break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        finish(Answer::Default);
    }

private:
    QEventLoop& loop_;
    Answer answer_ = Answer::Pending;
};

} // namespace

QString input_box(const QString& title, const QString& default_text) {
    QEventLoop loop;
    InputBoxWindow window(loop);
    set_id(&window, id::InputBox);
    window.setWindowTitle(title);
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint);
    // Modal, so that a termination request finds it and closes it like any other box.
    window.setWindowModality(Qt::ApplicationModal);
    window.resize(240, 25);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        window.move((size.width() - 200) / 2, (size.height() - 25) / 2);
    }

    auto* field = new QLineEdit(default_text, &window);
    set_id(field, id::InputField);
    field->setGeometry(2, 2, 196, 20);
    // The title asks for what the field holds; no label is shown.
    field->setAccessibleName(title);
    auto* ok = new QPushButton(QStringLiteral("OK"), &window);
    set_id(ok, id::InputOk);
    ok->setGeometry(205, 0, 30, 20);
    ok->setAutoDefault(false);

    QObject::connect(ok, &QPushButton::clicked, &window,
                     [&window] { window.finish(InputBoxWindow::Answer::Typed); });
    field->installEventFilter(&window);
    ok->installEventFilter(&window);

    window.show();
    window.raise();
    window.activateWindow();
    field->setFocus();
    loop.exec();
    const bool typed = window.answer() == InputBoxWindow::Answer::Typed;
    const QString answer = typed ? field->text() : default_text;
    window.hide();
    return answer;
}

} // namespace olv
