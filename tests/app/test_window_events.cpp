// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The item dialogs and small windows in the running program: Return, Escape, OK and Cancel go
// through the dispatcher, every such window stays above the main window, and after a refusal
// the dialog is current again with the focus in the refused field.
#include "app_fixture.h"
#include "test_registry.h"
#include "views/item_dialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

using namespace olv;
using namespace olv::testing;

namespace {

struct DialogOfItem {
    int position; // tree position in one_of_each
    int edit;     // the pop-up menu's "Edit"
    int window;
    int ok, cancel;
};

DialogOfItem dialog_of(int window) {
    switch (window) {
    case id::ClientDialog:
        return {1, id::ClientEdit, window, id::ClientOk, id::ClientCancel};
    case id::ProjectDialog:
        return {2, id::ProjectEdit, window, id::ProjectOk, id::ProjectCancel};
    case id::ObjectiveDialog:
        return {3, id::ObjectiveEdit, window, id::ObjectiveOk, id::ObjectiveCancel};
    default:
        return {4, id::TaskEdit, window, id::TaskOk, id::TaskCancel};
    }
}

// The stored name or title of the item of one_of_each a dialog edits.
std::string stored_title(Store& store, int window) {
    const RecordLists& l = store.lists;
    switch (window) {
    case id::ClientDialog:
        return l.clients.at(0).client_name;
    case id::ProjectDialog:
        return l.projects.at(0).project_title;
    case id::ObjectiveDialog:
        return l.objectives.at(0).ob_title;
    default:
        return l.tasks.at(0).task_title;
    }
}

void select(AppFixture& f, int position) {
    QTreeWidget& tree = f.tree();
    QTreeWidgetItem* item = f.ws().tree_items.at(static_cast<std::size_t>(position));
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

ItemDialog* open_edit(AppFixture& f, const DialogOfItem& d) {
    select(f, d.position);
    dispatch_event(*f.app, menu_event(d.edit, id::MainWindow));
    return item_dialog(f.ws(), d.window);
}

void make_current(QWidget* window) {
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

} // namespace

class WindowEventsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void start(Prompter* prompter = nullptr) {
        f = std::make_unique<AppFixture>();
        f->prepare(one_of_each);
        QVERIFY(f->start(prompter));
        f->tree().expandAll();
    }

private slots:
    void cleanup() { f.reset(); }

    // Return and OK save what was typed, Escape and Cancel discard it; each reaches the
    // dispatcher as the event the dialog raises.
    void return_escape_ok_and_cancel_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        const std::pair<int, const char*> dialogs[] = {{id::ClientDialog, "client"},
                                                       {id::ProjectDialog, "project"},
                                                       {id::ObjectiveDialog, "objective"},
                                                       {id::TaskDialog, "task"}};
        for (const auto& [window, name] : dialogs) {
            for (const auto& [how, saved] :
                 {std::pair{"Return", true}, std::pair{"Enter", true}, std::pair{"OK", true},
                  std::pair{"Escape", false}, std::pair{"Cancel", false}})
                QTest::newRow(QByteArray(name) + ", " + how) << window << how << saved;
        }
    }
    void return_escape_ok_and_cancel() {
        QFETCH(int, window);
        QFETCH(QString, how);
        QFETCH(bool, saved);
        start();
        const DialogOfItem d = dialog_of(window);
        const std::string before = stored_title(f->app->store(), window);
        ItemDialog* dialog = open_edit(*f, d);
        QVERIFY(dialog);
        dialog->title_field()->selectAll();
        QTest::keyClicks(dialog->title_field(), QStringLiteral("Renamed"));
        make_current(dialog);
        if (how == QLatin1String("Return"))
            QTest::keyClick(dialog->title_field(), Qt::Key_Return);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(dialog->title_field(), Qt::Key_Enter);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(dialog->title_field(), Qt::Key_Escape);
        else
            QTest::mouseClick(
                dialog->findChild<QPushButton*>(QString::number(how == "OK" ? d.ok : d.cancel)),
                Qt::LeftButton);

        QVERIFY(!item_dialog(f->ws(), window));
        QVERIFY(f->messages().isEmpty());
        QCOMPARE(stored_title(f->app->store(), window), saved ? "Renamed" : before);
        QCOMPARE(f->ws().tree_items.at(static_cast<std::size_t>(d.position))->text(0),
                 saved ? QStringLiteral("Renamed") : QString::fromStdString(before));
    }

    // Item dialogs, Preferences and About belong to the main window as dialogs, which the
    // window system keeps above it (X11 marks only dialog-type windows transient for their
    // owner), and none of them blocks the main window.
    void small_windows_belong_to_the_main_window_data() {
        QTest::addColumn<int>("window");
        QTest::newRow("client") << id::ClientDialog;
        QTest::newRow("project") << id::ProjectDialog;
        QTest::newRow("objective") << id::ObjectiveDialog;
        QTest::newRow("task") << id::TaskDialog;
        QTest::newRow("preferences") << id::PreferencesWindow;
        QTest::newRow("about") << id::AboutWindow;
    }
    void small_windows_belong_to_the_main_window() {
        QFETCH(int, window);
        start();
        if (window == id::PreferencesWindow)
            dispatch_event(*f->app, menu_event(id::FilePreferences, id::MainWindow));
        else if (window == id::AboutWindow)
            dispatch_event(*f->app, menu_event(id::HelpAbout, id::MainWindow));
        else
            open_edit(*f, dialog_of(window));
        QWidget* opened = *window_slot(f->ws(), window);
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QVERIFY(opened->windowHandle());
        QVERIFY(f->window().windowHandle());
        QCOMPARE(opened->windowHandle()->transientParent(), f->window().windowHandle());
        QCOMPARE(opened->windowType(), Qt::Dialog);
        QCOMPARE(opened->windowHandle()->type(), Qt::Dialog);
        QCOMPARE(opened->windowModality(), Qt::NonModal);
    }

    // Through the real message box: OK on an empty title is refused over the dialog; once the
    // box is answered the dialog is current again and what the user types goes into the title.
    void after_a_refusal_typing_goes_into_the_refused_field() {
        QtPrompter real_boxes;
        start(&real_boxes);
        select(*f, 2);
        dispatch_event(*f->app, control_event(id::ButtonNewItem, id::MainWindow));
        ItemDialog* dialog = item_dialog(f->ws(), id::ObjectiveDialog);
        QVERIFY(dialog);
        make_current(&f->window());

        QString box_text;
        QWidget* box_owner = nullptr;
        QTimer::singleShot(0, &f->context, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            box_text = box->text();
            box_owner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        dispatch_event(*f->app, control_event(id::ObjectiveOk, id::ObjectiveDialog));
        QCOMPARE(box_text, QStringLiteral("You need to give this Objective a Title"));
        QCOMPARE(box_owner, static_cast<QWidget*>(dialog));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(dialog));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog->title_field()));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Typed"));
        QCOMPARE(dialog->title_field()->text(), QStringLiteral("Typed"));
        QCOMPARE(f->tree().currentItem()->text(0), QStringLiteral("Website"));
    }
};

OLV_TEST_CLASS(WindowEventsTest)
#include "test_window_events.moc"
