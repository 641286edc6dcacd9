// The Preferences window: what it shows, what OK changes everywhere, and what Cancel keeps.
#include "app/dispatch.h"
#include "app/preferences_window.h"
#include "print/print_view.h"
#include "print/test_print_fixture.h"
#include "print/todo_view.h"
#include "test_registry.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/timer.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

using namespace olv;
using namespace olv::testing;

namespace {

// The window's buttons go through the dispatcher's routing of window events.
void route_preferences(PrintFixture& f) {
    f.ws->post_event = [&f](const Event& event) {
        f.posted.push_back(event);
        dispatch_window_event(*f.ws, event);
    };
}

template <typename T> T* control(PrintFixture& f, int id) {
    QWidget* window = f.ws->preferences_window;
    return window ? window->findChild<T*>(QString::number(id)) : nullptr;
}

void click(PrintFixture& f, int id) {
    auto* button = control<QPushButton>(f, id);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Acme / Website (40 an hour, ends 20 December) / Launch / Design with one billed hour on
// 1 December.
void build_work(PrintFixture& f) {
    const Key acme = f.add_client("Acme", 40);
    const Key website = f.add_project(acme, "Website", 40, make_date(2026, 12, 20, 0, 0, 0));
    const Key design = f.add_task(f.add_objective(website, "Launch"), "Design");
    f.add_entry(design, 1, 3600, true);
    f.rebuild();
}

void choose(PrintFixture& f, const QString& currency, const QString& format) {
    auto* field = control<QLineEdit>(f, id::PreferencesCurrency);
    auto* formats = control<QComboBox>(f, id::PreferencesDateFormat);
    QVERIFY(field && formats);
    field->selectAll();
    field->insert(currency); // typed over the selection; keyClicks knows no "€"

    QTest::keyClick(formats, Qt::Key_Home);
    while (formats->currentText() != format && formats->currentIndex() < formats->count() - 1)
        QTest::keyClick(formats, Qt::Key_Down);
    QCOMPARE(field->text(), currency);
    QCOMPARE(formats->currentText(), format);
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private slots:
    void window_and_controls() {
        PrintFixture f;
        f.main_window.setGeometry(200, 150, 790, 520);
        f.main_window.show();
        open_preferences(*f.ws);
        QWidget* window = f.ws->preferences_window;
        QVERIFY(window);
        QVERIFY(window->isWindow());
        QVERIFY(window->isVisible());
        QCOMPARE(window->parentWidget(), &f.main_window);
        QCOMPARE(window->windowModality(), Qt::NonModal);
        QCOMPARE(window->objectName(), QStringLiteral("95"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Preferences"));
        QVERIFY(window->width() >= 300 && window->height() >= 140);
        QVERIFY(
            (window->geometry().center() - f.main_window.geometry().center()).manhattanLength() <=
            2);

        QStringList labels;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            labels << label->text();
            // The label boxes are narrow for the platform font: the whole text must still show.
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
                         label->contentsRect().width(),
                     qPrintable(label->text()));
        }
        QCOMPARE(labels, QStringList({"Currency Symbol", "Date Format"}));

        const auto* ok = control<QPushButton>(f, id::PreferencesOk);
        const auto* cancel = control<QPushButton>(f, id::PreferencesCancel);
        const auto* field = control<QLineEdit>(f, id::PreferencesCurrency);
        const auto* formats = control<QComboBox>(f, id::PreferencesDateFormat);
        QVERIFY(ok && cancel && field && formats);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        // Fields in a column beside their labels, the currency above the date format; OK then
        // Cancel on one row below them, inside the window.
        QCOMPARE(field->x(), formats->x());
        QVERIFY(field->geometry().bottom() < formats->y());
        QCOMPARE(ok->y(), cancel->y());
        QVERIFY(ok->geometry().right() < cancel->x());
        QVERIFY(formats->geometry().bottom() < ok->y());
        QVERIFY(window->rect().contains(cancel->geometry()));
        QCOMPARE(field->text(), QStringLiteral("£"));
        QVERIFY(!formats->isEditable());
        QStringList entries;
        for (int i = 0; i < formats->count(); ++i)
            entries << formats->itemText(i);
        QCOMPARE(entries, QStringList({"DD/MM/YYYY", "DD/MM/YY", "MM/DD/YYYY", "MM/DD/YY"}));
        QCOMPARE(formats->currentIndex(), 0);
    }

    void entry_of_the_mask_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("entry");
        QTest::newRow("initial mask") << "%dd/%mm/%yyyy" << 0;
        QTest::newRow("stored by the window") << "%DD/%MM/%YY" << 1;
        QTest::newRow("mixed case") << "%Mm/%dD/%yyYY" << 2;
        QTest::newRow("month first, short") << "%MM/%DD/%YY" << 3;
        QTest::newRow("no such entry") << "%yyyy-%mm-%dd" << 0;
        QTest::newRow("with the time") << "%dd/%mm/%yyyy %hh:%ii" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void entry_of_the_mask() {
        QFETCH(QString, mask);
        QFETCH(int, entry);
        PrintFixture f;
        f.store->date_mask = mask.toStdString();
        open_preferences(*f.ws);
        QCOMPARE(control<QComboBox>(f, id::PreferencesDateFormat)->currentIndex(), entry);
    }

    void ok_untouched_keeps_the_settings_in_stored_form() {
        PrintFixture f;
        route_preferences(f);
        open_preferences(*f.ws);
        click(f, id::PreferencesOk);
        QCOMPARE(f.posted.size(), std::size_t(1));
        QCOMPARE(f.posted[0].id, id::PreferencesOk);
        QCOMPARE(f.posted[0].window, id::PreferencesWindow);
        const UserRecord& user = f.store->lists.users.front();
        QCOMPARE(user.user_Currency, std::string("£"));
        QCOMPARE(user.user_DateFormat, std::string("%DD/%MM/%YYYY"));
        QVERIFY(user.modified);
        QCOMPARE(f.store->currency, std::string("£"));
        QCOMPARE(f.store->date_mask, std::string("%DD/%MM/%YYYY"));
        QVERIFY(!f.ws->preferences_window);
    }

    // Every date and amount on screen follows at once, and again after a restart.
    void ok_changes_every_date_and_amount() {
        PrintFixture f;
        build_work(f);
        route_preferences(f);
        f.select(RecordKind::Task, "Design");
        show_item_details(*f.ws, current_position(*f.ws));
        QVERIFY(f.list_rows().join('\n').contains(QStringLiteral("01/12/2026")));
        QVERIFY(f.list_rows().join('\n').contains(QStringLiteral("£40.00")));

        open_preferences(*f.ws);
        choose(f, QStringLiteral("€"), QStringLiteral("MM/DD/YY"));
        click(f, id::PreferencesOk);
        QVERIFY(!f.ws->preferences_window);
        const QString entries = f.list_rows().join('\n');
        QVERIFY2(entries.contains(QStringLiteral("12/01/26")), qPrintable(entries));
        QVERIFY2(entries.contains(QStringLiteral("€40.00")), qPrintable(entries));
        QVERIFY(!entries.contains(QStringLiteral("£")));
        QCOMPARE(f.store->lists.users.front().user_DateFormat, std::string("%MM/%DD/%YY"));

        // While the to-do list shows, OK shows it again in the new form.
        show_to_do_list(*f.ws);
        QVERIFY(f.list_rows().contains(QStringLiteral("|    - Website|Due On : 12/20/26|||")));
        open_preferences(*f.ws);
        QCOMPARE(control<QLineEdit>(f, id::PreferencesCurrency)->text(), QStringLiteral("€"));
        choose(f, QStringLiteral("CHF "), QStringLiteral("DD/MM/YY"));
        click(f, id::PreferencesOk);
        QVERIFY(f.ws->state.to_do_list_shown);
        QVERIFY(f.list_rows().contains(QStringLiteral("|    - Website|Due On : 20/12/26|||")));

        f.select(RecordKind::User, {});
        show_item_details(*f.ws, current_position(*f.ws));
        QVERIFY(f.list_rows().join('\n').contains(QStringLiteral("CHF 40.00")));

        // The status-bar clock at its next tick, and the printout.
        timer_tick(*f.ws);
        QCOMPARE(f.status_bar->currentMessage(), QStringLiteral("10/12/26 : 09:00:00"));
        const QString pdf = f.dir.filePath(QStringLiteral("report.pdf"));
        f.prompter.printer_output = pdf;
        print_current_view(*f.ws);
        const QStringList printed = simplified_lines(pdf_layout_text(pdf));
        QVERIFY2(printed.contains(QStringLiteral("Printed on 10/12/26")),
                 qPrintable(printed.join('\n')));
        QVERIFY2(printed.contains(QStringLiteral("TOTALS 01:00:00 01:00:00 CHF 40.00 CHF 40.00")),
                 qPrintable(printed.join('\n')));

        flush_records(*f.ws);
        QVERIFY(f.prompter.shown.isEmpty());
        f.open_store(false);
        QCOMPARE(f.store->currency, std::string("CHF "));
        QCOMPARE(f.store->date_mask, std::string("%DD/%MM/%YY"));
        f.select(RecordKind::Task, "Design");
        show_item_details(*f.ws, current_position(*f.ws));
        const QString reloaded = f.list_rows().join('\n');
        QVERIFY2(reloaded.contains(QStringLiteral("01/12/26")), qPrintable(reloaded));
        QVERIFY2(reloaded.contains(QStringLiteral("CHF 40.00")), qPrintable(reloaded));
    }

    void any_currency_text_is_taken_as_typed_data() {
        QTest::addColumn<QString>("currency");
        QTest::newRow("empty") << "";
        QTest::newRow("several characters") << "US$ ";
        QTest::newRow("apostrophe") << "'";
    }
    void any_currency_text_is_taken_as_typed() {
        QFETCH(QString, currency);
        PrintFixture f;
        build_work(f);
        route_preferences(f);
        open_preferences(*f.ws);
        auto* field = control<QLineEdit>(f, id::PreferencesCurrency);
        field->setText(currency);
        click(f, id::PreferencesOk);
        flush_records(*f.ws);
        QVERIFY(f.prompter.shown.isEmpty());
        f.open_store(false);
        QCOMPARE(QString::fromStdString(f.store->currency), currency);
        show_item_details(*f.ws, current_position(*f.ws));
        QVERIFY(f.list_rows().join('\n').contains(currency + QStringLiteral("40.00")));
    }

    // Cancel and the title bar's close button leave everything as it was and make the main
    // window current again.
    void closing_without_ok_changes_nothing_data() {
        QTest::addColumn<bool>("title_bar");
        QTest::newRow("Cancel") << false;
        QTest::newRow("title bar") << true;
    }
    void closing_without_ok_changes_nothing() {
        QFETCH(bool, title_bar);
        PrintFixture f;
        build_work(f);
        route_preferences(f);
        f.select(RecordKind::User, {});
        show_item_details(*f.ws, current_position(*f.ws));
        const QStringList before = f.list_rows();
        f.main_window.show();

        open_preferences(*f.ws);
        QWidget* window = f.ws->preferences_window;
        window->activateWindow();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), window);
        choose(f, QStringLiteral("$"), QStringLiteral("MM/DD/YY"));
        if (title_bar) {
            QVERIFY(window->windowHandle());
            window->windowHandle()->close();
        } else {
            click(f, id::PreferencesCancel);
        }
        QVERIFY(!f.ws->preferences_window);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), &f.main_window);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.store->currency, std::string("£"));
        QCOMPARE(f.store->date_mask, std::string("%dd/%mm/%yyyy"));
        QCOMPARE(f.store->lists.users.front().user_DateFormat, std::string("%dd/%mm/%yyyy"));
        QVERIFY(!f.store->lists.users.front().modified);
        QCOMPARE(f.list_rows(), before);
    }

    void opening_again_replaces_the_window() {
        PrintFixture f;
        open_preferences(*f.ws);
        const QPointer<QWidget> first = f.ws->preferences_window;
        control<QLineEdit>(f, id::PreferencesCurrency)->setText(QStringLiteral("typed"));
        open_preferences(*f.ws);
        QVERIFY(!first);
        QVERIFY(f.ws->preferences_window);
        QCOMPARE(f.main_window.findChildren<QWidget*>(QStringLiteral("95")).size(), 1);
        QCOMPARE(control<QLineEdit>(f, id::PreferencesCurrency)->text(), QStringLiteral("£"));
    }
};

OLV_TEST_CLASS(PreferencesTest)
#include "test_preferences.moc"
