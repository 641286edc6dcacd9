// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// What a screen reader and a keyboard user meet in every window: a name on each control, read
// through the accessibility interface of the real widgets, and a Tab order that follows the
// screen.
#include "app/input_box.h"
#include "app/preferences_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/dialogs.h"
#include "views/item_dialog.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>

using namespace olv;
using namespace olv::testing;

namespace {

QString accessible_name(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// What a screen reader announces a control as. A drop-down list is named by its chosen entry
// on this desktop; the label that the accessibility interface relates to it says what it is.
QString announced_name(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    if (!face)
        return QStringLiteral("<no interface>");
    if (qobject_cast<QComboBox*>(widget)) {
        for (const auto& [other, relation] : face->relations(QAccessible::Label))
            return other->text(QAccessible::Name);
        return QString();
    }
    return face->text(QAccessible::Name);
}

// Opens window `id` the way its command does.
QWidget* open_window(AppFixture& f, int id) {
    switch (id) {
    case id::MainWindow:
        return &f.window();
    case id::PreferencesWindow:
        open_preferences(f.ws());
        return f.ws().preferences_window;
    case id::AboutWindow:
        open_about(f.ws());
        return f.ws().about_window;
    default:
        return open_item_dialog(f.ws(), id);
    }
}

// A control of the window by its id, or by the label text of a control without one.
QWidget* control(QWidget* window, const QString& name) {
    if (QWidget* by_id = window->findChild<QWidget*>(name))
        return by_id;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text() == name)
            return label->buddy();
    return nullptr;
}

// The control of the window that holds the focus: a date picker rather than its inner field.
QWidget* focused_control() {
    QWidget* w = QApplication::focusWidget();
    if (w && (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
              qobject_cast<QComboBox*>(w->parentWidget())))
        w = w->parentWidget();
    return w;
}

// What a test calls a control: its id, or for a control without one its accessible name.
QString called(QWidget* w) {
    if (!w)
        return QStringLiteral("<none>");
    return w->objectName().isEmpty() ? accessible_name(w) : w->objectName();
}

bool activate(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void add_windows() {
    QTest::newRow("main window") << int(id::MainWindow);
    QTest::newRow("Client") << int(id::ClientDialog);
    QTest::newRow("Project") << int(id::ProjectDialog);
    QTest::newRow("Objective") << int(id::ObjectiveDialog);
    QTest::newRow("Task") << int(id::TaskDialog);
    QTest::newRow("Preferences") << int(id::PreferencesWindow);
    QTest::newRow("About") << int(id::AboutWindow);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

private slots:
    void init() {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start());
    }
    void cleanup() { f.reset(); }

    void controls_are_named_by_what_they_hold_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QStringList>("names"); // "control=name"
        QTest::newRow("main window") << int(id::MainWindow)
                                     << QStringList{"52=New Item",
                                                    "53=Delete Item",
                                                    "54=Stop Timers",
                                                    "55=Edit Item",
                                                    "56=To-Do List",
                                                    "60=Clients, projects, objectives and tasks",
                                                    "50=Details of the selected item",
                                                    "49=Notes of the selected item"};
        QTest::newRow("Client") << int(id::ClientDialog)
                                << QStringList{"64=Client Name", "65=Client Rate", "66=OK",
                                               "67=Cancel"};
        QTest::newRow("Project") << int(id::ProjectDialog)
                                 << QStringList{"73=Project Title",
                                                "Project Start=Project Start",
                                                "Project End=Project End",
                                                "77=Project Rate",
                                                "75=OK",
                                                "76=Cancel"};
        QTest::newRow("Objective") << int(id::ObjectiveDialog)
                                   << QStringList{"80=Title", "Start Date=Start Date",
                                                  "End Date=End Date", "82=OK", "83=Cancel"};
        QTest::newRow("Task") << int(id::TaskDialog)
                              << QStringList{"86=Task Title",     "Task Start=Task Start",
                                             "Task End=Task End", "25=Completed",
                                             "26=Accepted",       "88=OK",
                                             "89=Cancel"};
        QTest::newRow("Preferences")
            << int(id::PreferencesWindow)
            << QStringList{"98=Currency Symbol", "99=Date Format", "96=OK", "97=Cancel"};
        QTest::newRow("About") << int(id::AboutWindow) << QStringList{"93=OK"};
    }
    void controls_are_named_by_what_they_hold() {
        QFETCH(int, window);
        QFETCH(QStringList, names);
        QWidget* shown = open_window(*f, window);
        QVERIFY(shown);
        for (const QString& pair : names) {
            const QString which = pair.section(QLatin1Char('='), 0, 0);
            const QString name = pair.section(QLatin1Char('='), 1);
            QWidget* w = control(shown, which);
            QVERIFY2(w, qPrintable(which));
            QCOMPARE(announced_name(w), name);
        }
    }

    void fields_are_reached_through_their_labels_data() {
        QTest::addColumn<int>("window");
        add_windows();
    }
    void fields_are_reached_through_their_labels() {
        QFETCH(int, window);
        QWidget* shown = open_window(*f, window);
        // Every label that names a field is its buddy, so Alt and the screen reader find it.
        for (QLabel* label : shown->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            if (window == id::AboutWindow)
                QVERIFY(!label->buddy()); // credit lines name nothing
            else
                QVERIFY2(label->buddy(), qPrintable(label->text()));
        }
    }

    void every_control_has_a_name_data() {
        QTest::addColumn<int>("window");
        add_windows();
    }
    void every_control_has_a_name() {
        QFETCH(int, window);
        QWidget* shown = open_window(*f, window);
        int controls = 0;
        for (QWidget* w : shown->findChildren<QWidget*>()) {
            // The parts inside a picker or a drop-down list speak for it.
            const QWidget* parent = w->parentWidget();
            if (qobject_cast<const QAbstractSpinBox*>(parent) ||
                qobject_cast<const QComboBox*>(parent))
                continue;
            if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(shown))
                continue;
            ++controls;
            QVERIFY2(!announced_name(w).isEmpty(),
                     qPrintable(QStringLiteral("%1 %2").arg(
                         QString::fromLatin1(w->metaObject()->className()), w->objectName())));
        }
        QVERIFY(controls > 0);
    }

    void the_prompt_names_its_field() {
        // The start in init() left its guard against an unexpected prompt pending.
        QCoreApplication::processEvents();
        QString name, button;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = top_level_window(id::InputBox);
            if (!box)
                return;
            auto* field = box->findChild<QLineEdit*>(QString::number(id::InputField));
            name = announced_name(field);
            button = announced_name(box->findChild<QWidget*>(QString::number(id::InputOk)));
            QTest::keyClicks(field, QStringLiteral("Lovelace"));
            QTest::keyClick(field, Qt::Key_Return);
        });
        QCOMPARE(input_box(QStringLiteral("Enter Username"), QString()),
                 QStringLiteral("Lovelace"));
        QCOMPARE(name, QStringLiteral("Enter Username"));
        QCOMPARE(button, QStringLiteral("OK"));
    }

    void tab_follows_the_screen_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QStringList>("order"); // from the first control round to it again
        // Tab leaves the notes box rather than typing into it.
        QTest::newRow("main window")
            << int(id::MainWindow)
            << QStringList{"52", "53", "54", "55", "56", "60", "50", "49", "52"};
        QTest::newRow("Client") << int(id::ClientDialog)
                                << QStringList{"64", "65", "66", "67", "64"};
        QTest::newRow("Project") << int(id::ProjectDialog)
                                 << QStringList{
                                        "73", "Project Start", "Project End", "77", "75", "76",
                                        "73"};
        QTest::newRow("Objective") << int(id::ObjectiveDialog)
                                   << QStringList{"80", "Start Date", "End Date", "82", "83", "80"};
        QTest::newRow("Task") << int(id::TaskDialog)
                              << QStringList{"86", "Task Start", "Task End", "25",
                                             "26", "88",         "89",       "86"};
        QTest::newRow("Preferences")
            << int(id::PreferencesWindow) << QStringList{"98", "99", "96", "97", "98"};
    }
    void tab_follows_the_screen() {
        QFETCH(int, window);
        QFETCH(QStringList, order);
        QWidget* shown = open_window(*f, window);
        QVERIFY(activate(shown));
        QWidget* first = control(shown, order.first());
        first->setFocus();
        QTRY_COMPARE(focused_control(), first);

        // Round the window once each way. A date picker takes Tab through its day, month and
        // year before the next control, so a control met twice in a row counts once.
        const auto round = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QStringList met{called(first)};
            for (int press = 0; press < 30; ++press) {
                QTest::keyClick(QApplication::focusWidget(), key, modifiers);
                const QString now = called(focused_control());
                if (now != met.last())
                    met << now;
                if (focused_control() == first && met.size() > 1)
                    break;
            }
            return met;
        };
        QCOMPARE(round(Qt::Key_Tab, {}), order);

        QStringList backward = round(Qt::Key_Backtab, Qt::ShiftModifier);
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(backward, order);
    }
};

OLV_TEST_CLASS(AccessibilityTest)

#include "test_accessibility.moc"
