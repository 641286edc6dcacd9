// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/preferences_window.h"

#include "views/ids.h"
#include "views/images.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <array>

namespace olv {

namespace {

constexpr std::array<const char*, 5> kCredits{
    "Time tracking for those who bill by the hour",
    "Clients, projects, objectives and tasks",
    "Built with Qt 6 and SQLite 3",
    "Artwork drawn for Olvessa.project",
    "Thanks to every freelancer who tried it",
};
constexpr std::array<int, 5> kCreditRows{250, 270, 290, 310, 350};

// Only its OK button closes it (close_window hides and deletes it without a close request);
// every close request, from the title bar or elsewhere, is refused.
class AboutWindow final : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

QLabel* centred_label(QWidget* window, const QString& text, int y) {
    auto* label = new QLabel(text, window);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(23, y, 270, 20);
    return label;
}

} // namespace

void open_about(Workspace& ws) {
    auto* window = new AboutWindow;
    place_small_window(window, ws.about_window, ws.main_window, id::AboutWindow,
                       QStringLiteral("About..."), QSize(312, 425));

    auto* picture = new QLabel(window);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setGeometry(10, 10, 288, 206);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(program_image(image::About));
    picture->setAccessibleName(QStringLiteral("Olvessa.project artwork"));

    add_window_button(window, ws, id::AboutOk, QStringLiteral("OK"), QRect(110, 390, 100, 30));

    centred_label(window, QStringLiteral("Olvessa.Project"), 230);
    for (std::size_t i = 0; i < kCredits.size(); ++i)
        centred_label(window, QString::fromUtf8(kCredits[i]), kCreditRows[i]);
    centred_label(window, QStringLiteral("Keep 'em coming...."), 370);

    window->show();
}

} // namespace olv
