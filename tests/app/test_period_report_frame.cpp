// The Period Report window as a window: its Close button and keys, where it opens and the size
// it keeps, and the file its CSV export suggests with what the status bar says afterwards.
#include "app/period_report_window.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// "Acme/Ltd" (a name no file may carry as it is) with `entries` time entries spread over
// November 2026, and "Zeta" with one entry on 3 March 2025. Today is 2026-12-10.
void work(Store& store, int entries) {
    const DateValue start = make_date(2025, 1, 1, 0, 0, 0);
    const DateValue end = make_date(2027, 6, 30, 0, 0, 0);
    AccessLayer& sql = store.db;
    sql.execute(insert_client_sql(100, "Acme/Ltd", 50));
    sql.execute(insert_client_sql(101, "Zeta", 50));
    sql.execute(insert_project_sql(200, "Website", 100, start, end, 60));
    sql.execute(insert_project_sql(201, "Other", 101, start, end, 30));
    sql.execute(insert_objective_sql(300, "Launch", 200, start, end));
    sql.execute(insert_objective_sql(301, "Odds", 201, start, end));
    sql.execute(insert_task_sql(400, false, "Design", 300, start, end, false));
    sql.execute(insert_task_sql(401, false, "Misc", 301, start, end, false));
    const auto entry = [&](int key, Key task, int year, int month, int day) {
        sql.execute("INSERT INTO task_detail VALUES(" + std::to_string(key) + "," +
                    std::to_string(task) + ",60," +
                    std::to_string(make_date(year, month, day, 0, 0, 0)) + ",0);");
    };
    sql.execute("BEGIN;");
    for (int i = 0; i < entries; ++i)
        entry(1000 + i, 400, 2026, 11, 1 + i % 30);
    entry(999, 401, 2025, 3, 3);
    sql.execute("COMMIT;");
}

struct FrameApp : AppFixture {
    explicit FrameApp(int entries = 3) {
        prepare([entries](Store& store) { work(store, entries); });
        QVERIFY(start());
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

    void select_client(Key key) {
        for (const ClientRecord& c : app->store().lists.clients)
            if (c.key == key)
                select_tree_position(ws(), c.tree_pos);
    }
    void select_user() { select_tree_position(ws(), 0); }

    PeriodReportWindow* open(PeriodBoxItem period = PeriodBoxItem::LastMonth) {
        app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
        PeriodReportWindow* w = app->period_report();
        if (!w)
            return nullptr;
        w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
            ->setCurrentIndex(static_cast<int>(period));
        return w;
    }
    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return app->period_report() == nullptr;
    }
    QSize kept_size() const {
        return QSettings(settings_path(), QSettings::IniFormat)
            .value(QStringLiteral("Period Report Size"))
            .toSize();
    }
};

} // namespace

class PeriodReportFrameTest : public QObject {
    Q_OBJECT

private slots:
    void the_window_closes_and_keeps_its_size_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("Ctrl+W") << "ctrl+w";
    }
    void the_window_closes_and_keeps_its_size() {
        QFETCH(QString, how);
        FrameApp f;
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w);
        w->resize(640, 420);
        if (how == QStringLiteral("button")) {
            auto* close = w->findChild<QPushButton*>(QString::number(id::PeriodClose));
            QVERIFY(close);
            QCOMPARE(close->text(), QStringLiteral("Close"));
            QTest::mouseClick(close, Qt::LeftButton);
        } else if (how == QStringLiteral("escape")) {
            QTest::keyClick(w->entries_list(), Qt::Key_Escape);
        } else {
            QTest::keyClick(w->entries_list(), Qt::Key_W, Qt::ControlModifier);
        }
        QVERIFY(f.closed());
        QCOMPARE(f.kept_size(), QSize(640, 420));
        QVERIFY(f.messages().isEmpty());
    }

    // Opened again, also after a restart: the kept size, centred over the main window.
    void the_window_opens_over_the_main_window_in_its_kept_size() {
        FrameApp f;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // Never kept: its own size, or the screen's where that is smaller.
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        QVERIFY(screen.contains(w->geometry()));
        w->resize(600, 400);
        w->close();
        QVERIFY(f.closed());

        // After a restart, with the main window elsewhere.
        f.window().setGeometry(screen.left() + 60, screen.top() + 50, 660, 500);
        f.app->close_main_window();
        f.app.reset();
        QVERIFY(f.start());
        QCOMPARE(f.window().geometry().topLeft(), screen.topLeft() + QPoint(60, 50));
        w = f.open();
        QVERIFY(w);
        QCOMPARE(w->size(), QSize(600, 400));
        QVERIFY((w->geometry().center() - f.window().geometry().center()).manhattanLength() <= 2);
    }

    void the_export_suggests_scope_and_days_and_tells_the_count_data() {
        QTest::addColumn<bool>("all_time");
        QTest::addColumn<QString>("name");
        QTest::newRow("last month") << false << "Acme_Ltd-2026-11-01-2026-11-30.csv";
        // All time starts at the first day with work, not in 1970.
        QTest::newRow("all time") << true << "Acme_Ltd-2026-11-01-2026-12-10.csv";
    }
    void the_export_suggests_scope_and_days_and_tells_the_count() {
        QFETCH(bool, all_time);
        QFETCH(QString, name);
        FrameApp f(1234);
        f.select_client(100);
        PeriodReportWindow* w =
            f.open(all_time ? PeriodBoxItem::AllTime : PeriodBoxItem::LastMonth);
        QVERIFY(w);
        QCOMPARE(w->report().entries.size(), std::size_t(1234));

        const QString exports = f.path(QStringLiteral("exports"));
        QVERIFY(QDir().mkpath(exports));
        f.prompter.file_name = exports + QStringLiteral("/acme");
        w->export_csv();
        QCOMPARE(f.prompter.save_name, name);
        QCOMPARE(f.prompter.save_folder, QDir::currentPath()); // nothing kept yet
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(f.ws().status_bar->currentMessage(), QStringLiteral("Exported 1,234 entries to ") +
                                                          exports + QStringLiteral("/acme.csv"));
        QFile written(exports + QStringLiteral("/acme.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().count('\n') >= 1234);

        // The next export, also of another scope, starts in the folder used last.
        w->close();
        QVERIFY(f.closed());
        f.select_user();
        w = f.open(PeriodBoxItem::AllTime);
        QVERIFY(w);
        f.prompter.file_name.clear(); // cancelled
        w->export_csv();
        QCOMPARE(f.prompter.save_folder, exports);
        QCOMPARE(f.prompter.save_name, QStringLiteral("Ada-2025-03-03-2026-12-10.csv"));
        QCOMPARE(f.ws().status_bar->currentMessage(), QStringLiteral("Exported 1,234 entries to ") +
                                                          exports + QStringLiteral("/acme.csv"));
    }

    void one_entry_is_one_entry() {
        FrameApp f(1);
        f.select_client(100);
        PeriodReportWindow* w = f.open();
        QVERIFY(w);
        f.prompter.file_name = f.path(QStringLiteral("one.csv"));
        w->export_csv();
        QCOMPARE(f.ws().status_bar->currentMessage(),
                 QStringLiteral("Exported 1 entry to ") + f.path(QStringLiteral("one.csv")));
    }
};

OLV_TEST_CLASS(PeriodReportFrameTest)

#include "test_period_report_frame.moc"
