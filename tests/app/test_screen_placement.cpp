// Where windows appear: the main window centred on the screen's free area, the Period Report
// over the main window, a remembered place as it was; never partly off the free area.
#include "app/main_window.h"
#include "app/screen_placement.h"
#include "test_registry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace olv;

class ScreenPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void the_window_is_placed_on_the_free_area_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QSize window(790, 545);
        QTest::newRow("room to spare: centred")
            << QRect(0, 0, 1920, 1080) << QRect(QPoint(565, 267), window);
        QTest::newRow("a panel along the top")
            << QRect(0, 40, 1920, 1040) << QRect(QPoint(565, 287), window);
        QTest::newRow("a screen left of the first")
            << QRect(-1280, 0, 1280, 1024) << QRect(QPoint(-1034, 239), window);
        // A 1366 x 768 screen at scale factor 2 offers 683 x 384.
        QTest::newRow("smaller both ways") << QRect(0, 0, 683, 384) << QRect(0, 0, 683, 384);
        QTest::newRow("too low only, beside a panel")
            << QRect(48, 0, 1232, 500) << QRect(269, 0, 790, 500);
        QTest::newRow("exactly as large") << QRect(0, 0, 790, 545) << QRect(QPoint(0, 0), window);
        QTest::newRow("one pixel to spare") << QRect(0, 0, 791, 546) << QRect(QPoint(1, 0), window);
    }
    void the_window_is_placed_on_the_free_area() {
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        const QRect result = place_on_screen(QRect(300, 300, 790, 545), available);
        QCOMPARE(result, placed);
        QVERIFY(available.contains(result));
    }

    void a_window_is_placed_around_a_point_data() {
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<QRect>("placed");
        // An 860 x 560 window on a 1920 x 1040 area below a 40 pixel panel.
        QTest::newRow("over a window in the middle")
            << QPoint(960, 560) << QRect(531, 281, 860, 560);
        QTest::newRow("over a window at the right edge")
            << QPoint(1800, 560) << QRect(1060, 281, 860, 560);
        QTest::newRow("over a window high up: below the panel")
            << QPoint(700, 100) << QRect(271, 40, 860, 560);
        QTest::newRow("a place on a screen that is gone")
            << QPoint(-900, 3000) << QRect(0, 520, 860, 560);
    }
    void a_window_is_placed_around_a_point() {
        QFETCH(QPoint, centre);
        QFETCH(QRect, placed);
        const QRect available(0, 40, 1920, 1040);
        const QRect result = place_around(QRect(5, 5, 860, 560), centre, available);
        QCOMPARE(result, placed);
        QVERIFY(available.contains(result));
    }

    void a_window_larger_than_the_area_is_shrunk_to_it() {
        const QRect available(0, 0, 683, 384);
        QCOMPARE(place_around(QRect(0, 0, 1000, 700), QPoint(900, 100), available), available);
    }

    void the_main_window_opens_inside_the_free_area() {
        MainWindow w;
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(available.contains(w.geometry()));
        QCOMPARE(w.geometry().center(), available.center());
    }
};

OLV_TEST_CLASS(ScreenPlacementTest)

#include "test_screen_placement.moc"
