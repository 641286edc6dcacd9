// The four item dialogs as windows: their controls, keys, closing and replacing.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/item_commands.h"

#include <QGroupBox>
#include <QLabel>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>
#include <algorithm>

using namespace olv;
using namespace olv::testing;

namespace {

// "name@x,y,w,h": name is a control id, a label's text, or "start" / "end" for the pickers.
QString placed(QWidget* dialog, const QString& name) {
    QWidget* w = nullptr;
    auto* item = qobject_cast<ItemDialog*>(dialog);
    if (name == QLatin1String("start"))
        w = item->start_picker();
    else if (name == QLatin1String("end"))
        w = item->end_picker();
    else if (name.toInt() > 0)
        w = dialog->findChild<QWidget*>(name);
    else
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text() == name)
                w = label;
    if (!w)
        return name + QStringLiteral("@missing");
    const QRect g = w->geometry();
    // The pickers are at least as wide as laid out, wider where their dates need it
    // (DateFieldTest reads that back).
    const bool picker = name == QLatin1String("start") || name == QLatin1String("end");
    return QStringLiteral("%1@%2,%3,%4,%5")
        .arg(name)
        .arg(g.x())
        .arg(g.y())
        .arg(picker ? std::min(g.width(), 100) : g.width())
        .arg(g.height());
}

void open_window(Workspace& ws, int window) {
    switch (window) {
    case id::ClientDialog:
        return open_client_dialog(ws);
    case id::ProjectDialog:
        return open_project_dialog(ws);
    case id::ObjectiveDialog:
        return open_objective_dialog(ws);
    default:
        return open_task_dialog(ws);
    }
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void layouts_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("client") << id::ClientDialog << "Client" << QSize(341, 131)
                                << QStringList{"Client Name@10,20,70,20", "64@80,20,240,20",
                                               "Client Rate@10,70,60,20", "65@80,70,100,20",
                                               "66@230,50,60,30",         "67@230,90,60,30"};
        QTest::newRow("project") << id::ProjectDialog << "Project" << QSize(340, 150)
                                 << QStringList{
                                        "Project Title@10,20,70,20", "73@80,20,240,20",
                                        "Project Start@10,50,60,20", "Project End@10,80,60,20",
                                        "75@230,60,60,30",           "76@230,100,60,30",
                                        "Project Rate@10,110,60,20", "77@80,110,70,20",
                                        "start@80,50,100,22",        "end@80,80,100,22"};
        QTest::newRow("objective")
            << id::ObjectiveDialog << "Objective" << QSize(341, 131)
            << QStringList{"Title@10,20,70,20",    "80@80,20,240,20", "Start Date@10,50,60,20",
                           "End Date@10,80,60,20", "82@230,50,60,30", "83@230,90,60,30",
                           "start@80,50,100,22",   "end@80,80,100,22"};
        QTest::newRow("task") << id::TaskDialog << "Task" << QSize(340, 150)
                              << QStringList{"Task Title@10,20,70,20", "86@80,20,240,20",
                                             "Task Start@10,50,60,20", "Task End@10,80,60,20",
                                             "88@230,50,60,30",        "89@230,90,60,30",
                                             "Completed@10,110,60,20", "25@80,110,20,20",
                                             "26@190,110,20,20",       "Accepted@130,110,50,20",
                                             "start@80,50,100,22",     "end@80,80,100,22"};
    }
    void layouts() {
        QFETCH(int, window);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QFETCH(QStringList, controls);
        ViewsFixture f;
        open_window(*f.ws, window);
        ItemDialog* dialog = f.dialog(window);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->parentWidget(), &f.main_window);
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->size(), size);
        QStringList actual;
        for (const QString& control : controls)
            actual << placed(dialog, control.section(QLatin1Char('@'), 0, 0));
        QCOMPARE(actual, controls);
        // The frame around everything lets clicks through to the controls.
        const auto frames = dialog->findChildren<QGroupBox*>();
        QCOMPARE(frames.size(), 1);
        QVERIFY(frames.first()->testAttribute(Qt::WA_TransparentForMouseEvents));
        if (dialog->start_picker()) {
            for (QDateEdit* picker : {dialog->start_picker(), dialog->end_picker()}) {
                QCOMPARE(picker->date(), QDate(2026, 12, 10));
                QVERIFY(picker->calendarPopup());
                QCOMPARE(picker->minimumDate(), QDate(1970, 1, 1));
                // 2038-01-19 is the last day a date value holds.
                QCOMPARE(picker->maximumDate(), QDate(2038, 1, 19));
            }
        }
        // The main window goes on working while a dialog is open, which stays above it.
        QVERIFY(!dialog->isModal());
        QVERIFY(dialog->windowHandle());
        QCOMPARE(dialog->windowHandle()->transientParent(), f.main_window.windowHandle());
        QCOMPARE(dialog->windowType(), Qt::Dialog);
    }

    void every_label_shows_its_whole_text_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<qreal>("font_size"); // 0: the platform's own
        for (const qreal size : {0.0, 12.0}) {
            const QByteArray font = size > 0 ? QByteArray(" at 12 points") : QByteArray();
            QTest::newRow("client" + font) << id::ClientDialog << size;
            QTest::newRow("project" + font) << id::ProjectDialog << size;
            QTest::newRow("objective" + font) << id::ObjectiveDialog << size;
            QTest::newRow("task" + font) << id::TaskDialog << size;
        }
    }
    void every_label_shows_its_whole_text() {
        QFETCH(int, window);
        QFETCH(qreal, font_size);
        const QFont platform_font = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(platform_font); });
        if (font_size > 0) {
            QFont larger = platform_font;
            larger.setPointSizeF(font_size);
            QApplication::setFont(larger);
        }
        ViewsFixture f;
        open_window(*f.ws, window);
        ItemDialog* dialog = f.dialog(window);
        const auto labels = dialog->findChildren<QLabel*>();
        QVERIFY(!labels.isEmpty());
        for (const QLabel* label : labels) {
            const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
            QVERIFY2(needed <= label->contentsRect().width(),
                     qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                    .arg(label->text())
                                    .arg(needed)
                                    .arg(label->contentsRect().width())));
            // One size for every label of the dialog.
            QCOMPARE(label->font().pointSizeF(), labels.front()->font().pointSizeF());
        }
    }

    void keys_and_buttons_raise_their_events_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("return_event");
        QTest::addColumn<int>("escape_event");
        QTest::addColumn<int>("ok");
        QTest::addColumn<int>("cancel");
        QTest::newRow("client") << id::ClientDialog << 104 << 108 << 66 << 67;
        QTest::newRow("project") << id::ProjectDialog << 101 << 105 << 75 << 76;
        QTest::newRow("objective") << id::ObjectiveDialog << 102 << 106 << 82 << 83;
        QTest::newRow("task") << id::TaskDialog << 103 << 107 << 88 << 89;
    }
    void keys_and_buttons_raise_their_events() {
        QFETCH(int, window);
        QFETCH(int, return_event);
        QFETCH(int, escape_event);
        QFETCH(int, ok);
        QFETCH(int, cancel);
        ViewsFixture f;
        // Without a router, only what each control raises is seen.
        f.ws->post_event = [&f](const Event& e) { f.posted.push_back(e); };
        open_window(*f.ws, window);
        ItemDialog* dialog = f.dialog(window);
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->title_field(), Qt::Key_Return);
        QTest::keyClick(dialog->title_field(), Qt::Key_Enter);
        QTest::keyClick(dialog->title_field(), Qt::Key_Escape);
        click_button(dialog, ok);
        click_button(dialog, cancel);
        QStringList seen;
        for (const Event& e : f.posted)
            seen << QStringLiteral("%1 %2 %3")
                        .arg(e.type == EventType::Menu ? "menu" : "control")
                        .arg(e.id)
                        .arg(e.window);
        const QString w = QString::number(window);
        QCOMPARE(seen, (QStringList{"menu " + QString::number(return_event) + " " + w,
                                    "menu " + QString::number(return_event) + " " + w,
                                    "menu " + QString::number(escape_event) + " " + w,
                                    "control " + QString::number(ok) + " " + w,
                                    "control " + QString::number(cancel) + " " + w}));
    }

    void escape_and_the_close_box_discard_what_was_typed_data() {
        QTest::addColumn<bool>("close_box");
        QTest::newRow("escape") << false;
        QTest::newRow("close box") << true;
    }
    void escape_and_the_close_box_discard_what_was_typed() {
        QFETCH(bool, close_box);
        ViewsFixture f;
        f.add_client("Acme", 10);
        f.select("Acme");
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::ClientDialog);
        type_into(dialog, id::ClientName, QStringLiteral("Changed"));
        QPointer<ItemDialog> watch(dialog);
        if (close_box) {
            dialog->close();
        } else {
            QApplication::setActiveWindow(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog->title_field(), Qt::Key_Escape);
        }
        QVERIFY(!f.dialog(id::ClientDialog));
        run_pending_events();
        QVERIFY(watch.isNull());
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(f.store->lists.clients.at(0).client_name, std::string("Acme"));
        QVERIFY(!f.store->lists.clients.at(0).modified);
        QVERIFY(f.item("Acme"));
    }

    void opening_a_dialog_again_replaces_it() {
        ViewsFixture f;
        f.add_client("Acme", 10);
        f.add_client("Bolt", 20);
        f.select("Acme");
        edit_item(*f.ws);
        QPointer<ItemDialog> first(f.dialog(id::ClientDialog));
        type_into(first, id::ClientName, QStringLiteral("typed and lost"));
        f.select("Bolt");
        edit_item(*f.ws);
        ItemDialog* second = f.dialog(id::ClientDialog);
        QVERIFY(second != first.data());
        QVERIFY(!first || !first->isVisible());
        run_pending_events();
        QVERIFY(first.isNull());
        QCOMPARE(second->title_field()->text(), QStringLiteral("Bolt"));
        QCOMPARE(second->rate_field()->text(), QStringLiteral("20.00"));
    }

    void accepted_ticks_completed_too() {
        ViewsFixture f;
        open_task_dialog(*f.ws);
        ItemDialog* dialog = f.dialog(id::TaskDialog);
        QCheckBox* completed = dialog->completed_box();
        QCheckBox* accepted = dialog->accepted_box();
        QTest::mouseClick(completed, Qt::LeftButton);
        QVERIFY(completed->isChecked() && !accepted->isChecked());
        QTest::mouseClick(completed, Qt::LeftButton);
        QTest::mouseClick(accepted, Qt::LeftButton);
        QVERIFY(completed->isChecked() && accepted->isChecked());
        // Clearing "Completed" alone is allowed.
        QTest::mouseClick(completed, Qt::LeftButton);
        QVERIFY(!completed->isChecked() && accepted->isChecked());
        QTest::mouseClick(accepted, Qt::LeftButton);
        QVERIFY(!completed->isChecked() && !accepted->isChecked());
    }

    void close_window_also_closes_the_small_windows() {
        ViewsFixture f;
        auto* about = new QWidget(&f.main_window, Qt::Window);
        f.ws->about_window = about;
        about->show();
        QPointer<QWidget> watch(about);
        close_window(*f.ws, id::AboutWindow);
        QVERIFY(f.ws->about_window.isNull());
        QVERIFY(!about->isVisible());
        run_pending_events();
        QVERIFY(watch.isNull());
        // A window that is not open, or not one of these, changes nothing.
        close_window(*f.ws, id::PreferencesWindow);
        close_window(*f.ws, 12345);
    }
};

OLV_TEST_CLASS(DialogsTest)
#include "test_dialogs.moc"
