// The main window comes back as it was left: place and size (kept on the available screen), the
// two dividers and the expanded tree items, through a real close and a new start.
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

struct MemoryApp : AppFixture {
    MemoryApp() {
        prepare(one_of_each);
        restart();
    }
    void restart() {
        if (app) {
            app->close_main_window();
            app.reset();
        }
        QVERIFY(start());
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    QTreeWidgetItem* item(const QString& label) {
        for (QTreeWidgetItem* i : ws().tree_items)
            if (i->text(0) == label)
                return i;
        return nullptr;
    }
    QString expanded() {
        QStringList labels;
        for (QTreeWidgetItem* i : ws().tree_items)
            if (i->isExpanded() && i->childCount() > 0)
                labels << i->text(0);
        return labels.join(QLatin1Char(','));
    }
    void keep(const QString& name, const QVariant& value) {
        QSettings settings(settings_path(), QSettings::IniFormat);
        settings.setValue(name, value);
        settings.sync();
    }
};

QRect available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class WindowMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void the_window_comes_back_as_it_was_left() {
        MemoryApp f;
        f.window().setGeometry(30, 40, 640, 470);
        f.window().outer_splitter()->setSizes({180, 460});
        f.window().inner_splitter()->setSizes({150, 180});
        const QList<int> outer = f.window().outer_splitter()->sizes();
        const QList<int> inner = f.window().inner_splitter()->sizes();
        QCOMPARE(outer.front(), 180);
        // The user item selected: no selection expands anything on the next start.
        select_tree_position(f.ws(), 0);
        f.tree().collapseAll();
        f.item(QStringLiteral("Ada"))->setExpanded(true);
        f.item(QStringLiteral("Acme"))->setExpanded(true);
        f.item(QStringLiteral("Website"))->setExpanded(true);
        QCOMPARE(f.expanded(), QStringLiteral("Ada,Acme,Website"));

        f.restart();
        QCOMPARE(f.window().geometry(), QRect(30, 40, 640, 470));
        QCOMPARE(f.window().outer_splitter()->sizes(), outer);
        QCOMPARE(f.window().inner_splitter()->sizes(), inner);
        QCOMPARE(f.expanded(), QStringLiteral("Ada,Acme,Website"));

        // A collapsed item stays collapsed after the next start.
        f.item(QStringLiteral("Website"))->setExpanded(false);
        f.restart();
        QCOMPARE(f.expanded(), QStringLiteral("Ada,Acme"));
    }

    // The items expanded in one database mean nothing in another: keys repeat across files.
    void expanded_items_belong_to_their_database() {
        MemoryApp f;
        select_tree_position(f.ws(), 0);
        f.tree().collapseAll();
        f.item(QStringLiteral("Acme"))->setExpanded(true);
        f.app->close_main_window();
        f.app.reset();
        f.keep(QStringLiteral("Expanded Items Database"), f.path(QStringLiteral("other.db")));
        QVERIFY(f.start());
        QVERIFY(!f.item(QStringLiteral("Acme"))->isExpanded());
    }

    void a_kept_place_off_the_screen_comes_back_on_it_data() {
        QTest::addColumn<QRect>("kept");
        QTest::addColumn<QSize>("size");
        const QRect screen = available();
        QTest::newRow("on a screen that is gone")
            << QRect(screen.right() + 2000, screen.bottom() + 1500, 600, 400) << QSize(600, 400);
        QTest::newRow("half over the left edge")
            << QRect(screen.left() - 300, screen.top() + 20, 600, 400) << QSize(600, 400);
        QTest::newRow("larger than the screen")
            << QRect(0, 0, screen.width() + 600, screen.height() + 400) << screen.size();
    }
    void a_kept_place_off_the_screen_comes_back_on_it() {
        QFETCH(QRect, kept);
        QFETCH(QSize, size);
        MemoryApp f;
        f.app->close_main_window();
        f.app.reset();
        f.keep(QStringLiteral("Main Window"), kept);
        QVERIFY(f.start());
        QCOMPARE(f.window().size(), size);
        // The top left corner is on the screen; a window that fits lies wholly on it.
        QVERIFY(available().contains(f.window().geometry().topLeft()));
        if (size != available().size())
            QVERIFY(available().contains(f.window().geometry()));
    }

    // Nothing kept, or nonsense kept by hand: the window opens as on the first start.
    void unusable_dividers_are_ignored() {
        MemoryApp f;
        f.app->close_main_window();
        f.app.reset();
        f.keep(QStringLiteral("Main Window Dividers"), QStringLiteral("x 10|-5 3 4"));
        QVERIFY(f.start());
        QCOMPARE(f.window().outer_splitter()->sizes().front(), 330);
        QCOMPARE(f.window().inner_splitter()->sizes().front(), 300);
    }
};

OLV_TEST_CLASS(WindowMemoryTest)

#include "test_window_memory.moc"
