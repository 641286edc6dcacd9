// What the Preferences window and the Period Report show, read back from rendered pixels: the
// first field has the focus with a visible focus ring, every field shows its whole value, the
// date fields their whole dates. The class runs again at scale factor 2 (CTest entry
// app-scale-2).
#include "app/period_report_window.h"
#include "app/preferences_window.h"
#include "app_fixture.h"
#include "print/test_print_fixture.h"
#include "render_read.h"
#include "test_registry.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

template <typename T> T* preference(PrintFixture& f, int id) {
    QWidget* window = f.ws->preferences_window;
    return window ? window->findChild<T*>(QString::number(id)) : nullptr;
}

// Pixels of the field's frame band drawn in the highlight's hue: Fusion's focus ring.
int ring_pixels(QWidget* field) {
    const QImage image = field->grab().toImage();
    const int band = qRound(3 * field->devicePixelRatioF());
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool in_band =
                x < band || y < band || x >= image.width() - band || y >= image.height() - band;
            const QColor c = image.pixelColor(x, y);
            if (in_band && c.blue() - c.red() > 40)
                ++count;
        }
    }
    return count;
}

} // namespace

class RenderedFieldsTest : public QObject {
    Q_OBJECT

private slots:
    void preferences_open_with_the_focus_in_the_first_field() {
        PrintFixture f;
        f.main_window.show();
        open_preferences(*f.ws);
        QWidget* window = f.ws->preferences_window;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* currency = preference<QLineEdit>(f, id::PreferencesCurrency);
        auto* formats = preference<QComboBox>(f, id::PreferencesDateFormat);
        QVERIFY(currency && formats);
        QCOMPARE(QApplication::focusWidget(), currency);
        const int focused_ring = ring_pixels(currency);

        // Typing replaces the value; Space is typed, it does not press a button.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("CHF"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(currency->text(), QStringLiteral("CHF "));

        // The ring goes with the focus.
        formats->setFocus();
        QVERIFY(ring_pixels(currency) * 4 < focused_ring);
        QVERIFY(f.ws->preferences_window);
        QVERIFY(window->isVisible());
    }

    void preferences_show_whole_values_data() {
        QTest::addColumn<QString>("currency");
        QTest::newRow("one sign") << "£";
        QTest::newRow("a code") << "CHF";
        QTest::newRow("eight wide letters") << "WWWWWWWW";
        QTest::newRow("eight characters") << "US$ 0.00";
    }
    void preferences_show_whole_values() {
        QFETCH(QString, currency);
        PrintFixture f;
        f.store->currency = currency.toStdString();
        f.main_window.show();
        open_preferences(*f.ws);
        QVERIFY(QTest::qWaitForWindowExposed(f.ws->preferences_window));
        auto* field = preference<QLineEdit>(f, id::PreferencesCurrency);
        auto* formats = preference<QComboBox>(f, id::PreferencesDateFormat);
        QVERIFY(field && formats);
        // Unfocused and unselected: no cursor or highlight in the pixels read.
        field->deselect();
        field->clearFocus();
        QCOMPARE(field->text(), currency);
        QString cut = text_cut(field);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        for (int i = 0; i < formats->count(); ++i) {
            formats->setCurrentIndex(i);
            cut = text_cut(formats);
            QVERIFY2(cut.isEmpty(),
                     qPrintable(formats->currentText() + QStringLiteral(": ") + cut));
        }
    }

    void period_report_shows_whole_dates_data() {
        QTest::addColumn<QString>("mask");
        QTest::newRow("day first") << "%dd/%mm/%yyyy";
        QTest::newRow("month first, short year") << "%MM/%DD/%YY";
    }
    void period_report_shows_whole_dates() {
        QFETCH(QString, mask);
        AppFixture f;
        f.prepare([&mask](Store& store) {
            store.db.execute("UPDATE users SET user_DateFormat = '" + mask.toStdString() + "';");
        });
        QVERIFY(f.start());
        f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = f.app->period_report();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(PeriodBoxItem::Custom));
        for (const int id : {id::PeriodFrom, id::PeriodTo}) {
            auto* picker = w->findChild<QDateEdit*>(QString::number(id));
            QVERIFY(picker);
            for (const QDate& day :
                 {QDate(2026, 12, 10), QDate(2000, 8, 28), QDate(2037, 11, 30)}) {
                picker->setDate(day);
                picker->clearFocus();
                const QString cut = text_cut(picker);
                QVERIFY2(cut.isEmpty(), qPrintable(picker->text() + QStringLiteral(": ") + cut));
            }
        }
    }
};

OLV_TEST_CLASS(RenderedFieldsTest)

#include "test_rendered_fields.moc"
