// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Idle time and sleep while timers run: the boxes, their answers, what reaches the database;
// the tray icon's menu and tool tip and the status bar field; the tray and idle preferences.
#include "app/away_watch.h"
#include "app/idle_source.h"
#include "app/running_display.h"
#include "app/sleep_signal.h"
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTest>
#include <csignal>
#include <dlfcn.h>

using namespace olv;
using namespace olv::testing;

namespace {

// An idle source the test sets: milliseconds since the last input.
struct SetIdle final : IdleSource {
    std::int64_t ms = 0;
    std::optional<std::int64_t> idle_ms() override { return ms; }
};

struct SetSleep final : SleepSignal {
    bool available() const override { return true; }
    void sleep() { emit going_to_sleep(); }
    void wake() { emit woke_up(); }
};

// "Design" (key 400, position 4) and "Review" (key 401, position 5) under one objective.
void two_tasks(Store& store) {
    one_of_each(store);
    const DateValue day = make_date(2026, 12, 1, 0, 0, 0);
    const DateValue end = make_date(2027, 6, 30, 0, 0, 0);
    store.db.execute(insert_task_sql(401, false, "Review", 300, day, end, false));
}

struct Desk {
    AppFixture f;
    SetIdle* idle = nullptr;

    explicit Desk(WallTime start = {2026, 12, 10, 9, 0, 0}, Prompter* with = nullptr) {
        f.clock.set_wall(start);
        f.prepare(two_tasks);
        QVERIFY(f.start(with));
        auto source = std::make_unique<SetIdle>();
        idle = source.get();
        f.app->away().set_idle_source(std::move(source));
    }
    AwayWatch& away() { return f.app->away(); }

    std::int32_t position_of(Key key) {
        for (const TaskRecord& t : f.app->store().lists.tasks)
            if (t.key == key)
                return t.tree_pos;
        return -1;
    }
    void toggle(Key key) {
        select_tree_position(f.ws(), position_of(key));
        dispatch_event(*f.app, menu_event(id::TaskStart, id::MainWindow));
    }
    bool running(Key key) {
        for (const TaskRecord& t : f.app->store().lists.tasks)
            if (t.key == key)
                return t.running;
        return false;
    }
    // Seconds pass and the timers count them, as the periodic job does.
    void pass(int seconds) {
        f.clock.advance_seconds(seconds);
        f.app->jobs().poll();
    }
    // A poll of the idle source that finds the last input `idle_seconds` ago.
    void poll(int idle_seconds) {
        idle->ms = std::int64_t{idle_seconds} * 1000;
        away().poll_idle();
        QCoreApplication::processEvents();
    }
    // Seconds of each entry of the task in memory, by day: "10=350".
    QStringList entries(Key key) {
        QStringList result;
        for (const TimeEntry& e : f.app->store().lists.entries)
            if (e.Task_Key == key)
                result << QStringLiteral("%1=%2").arg(date_day(e.date)).arg(e.Time);
        result.sort();
        return result;
    }
    QStringList stored(Key key) {
        QStringList rows =
            DatabaseProbe(f.default_db())
                .rows("SELECT date, time FROM task_detail WHERE task_key = " + std::to_string(key));
        QStringList result;
        for (const QString& row : rows)
            result << QStringLiteral("%1=%2")
                          .arg(date_day(row.section(QLatin1Char('|'), 0, 0).toInt()))
                          .arg(row.section(QLatin1Char('|'), 1));
        result.sort();
        return result;
    }

    // Two timers from 09:00; nobody at the keyboard from 09:05 to 09:47:10; the poll at 09:48
    // finds the return.
    void away_for_forty_two_minutes() {
        toggle(400);
        toggle(401);
        pass(5 * 60);
        pass(15 * 60);
        poll(15 * 60); // 09:20: away since 09:05
        QCOMPARE(f.prompter.shown.size(), 0);
        pass(28 * 60); // 09:48
        poll(50);      // input came at 09:47:10
    }
};

enum class Answer { Keep = 0, Remove = 1, RemoveAndStop = 2 };

} // namespace

class IdleBoxTest : public QObject {
    Q_OBJECT

private slots:
    void the_answer_applies_to_the_second_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("running");
        // 48 minutes counted, 10 seconds more while the box waited; 0:42:10 removed or not.
        QTest::newRow("Keep the Time") << Answer::Keep << 2890 << true;
        QTest::newRow("Remove") << Answer::Remove << 360 << true;
        QTest::newRow("Remove and Stop") << Answer::RemoveAndStop << 360 << false;
    }
    void the_answer_applies_to_the_second() {
        QFETCH(Answer, answer);
        QFETCH(int, seconds);
        QFETCH(bool, running);
        Desk d;
        d.f.prompter.choices = {int(answer)};
        d.f.prompter.while_open = [&d] { d.pass(10); }; // the timers go on meanwhile
        d.away_for_forty_two_minutes();

        QCOMPARE(d.f.prompter.shown.size(), 1);
        QCOMPARE(
            d.f.prompter.shown[0].text,
            QStringLiteral("No keyboard or mouse for 0:42:10 (since 09:05) while 2 timers ran."));
        QCOMPARE(d.f.prompter.shown[0].parent.data(), d.f.app->main_window());
        QCOMPARE(d.f.prompter.buttons_shown[0],
                 (QStringList{"Keep the Time", "Remove 0:42:10", "Remove and Stop"}));
        const QString expected = QStringLiteral("10=%1").arg(seconds);
        for (Key key : {400, 401}) {
            QCOMPARE(d.entries(key), QStringList{expected});
            QCOMPARE(d.running(key), running);
        }
        if (answer != Answer::Keep) // written at once, not at the next flush
            QCOMPARE(d.stored(400), QStringList{expected});
    }

    void the_real_box_belongs_to_the_main_window_data() {
        QTest::addColumn<bool>("terminate");
        QTest::addColumn<int>("seconds");
        QTest::newRow("Remove clicked") << false << 360;
        QTest::newRow("a termination request closes it") << true << 2890;
    }
    void the_real_box_belongs_to_the_main_window() {
        QFETCH(bool, terminate);
        QFETCH(int, seconds);
        QtPrompter real;
        Desk d({2026, 12, 10, 9, 0, 0}, &real);
        QStringList buttons;
        QString default_button;
        QWidget* owner = nullptr;
        std::function<void()> answer = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, &d.f.context, answer);
                return;
            }
            owner = box->parentWidget();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            default_button = box->defaultButton() ? box->defaultButton()->text() : QString();
            d.pass(10);
            if (terminate) {
                d.f.app->request_termination();
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QStringLiteral("Remove 0:42:10"))
                    b->click();
        };
        QTimer::singleShot(0, &d.f.context, answer);
        d.away_for_forty_two_minutes();
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCoreApplication::processEvents();
        QCOMPARE(owner, static_cast<QWidget*>(d.f.app->main_window()));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Keep the Time", "Remove 0:42:10", "Remove and Stop"}));
        QCOMPARE(default_button, QStringLiteral("Keep the Time"));
        QCOMPARE(d.stored(400), QStringList{QStringLiteral("10=%1").arg(seconds)});
        QCOMPARE(d.f.app->has_finished(), terminate);
    }

    void a_timer_stopped_while_the_box_waits_loses_its_idle_time_too_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("review_running");
        QTest::newRow("Remove") << Answer::Remove << true;
        QTest::newRow("Remove and Stop") << Answer::RemoveAndStop << false;
    }
    void a_timer_stopped_while_the_box_waits_loses_its_idle_time_too() {
        QFETCH(Answer, answer);
        QFETCH(bool, review_running);
        Desk d;
        d.f.prompter.choices = {int(answer)};
        d.f.prompter.while_open = [&d] {
            d.f.app->running_display()->toggle_task(400); // "Stop Design" from the tray
            d.pass(10);
        };
        d.away_for_forty_two_minutes();
        QCOMPARE(d.entries(400), QStringList{"10=350"}); // stopped before the 10 seconds
        QCOMPARE(d.entries(401), QStringList{"10=360"});
        QVERIFY(!d.running(400));
        QCOMPARE(d.running(401), review_running);
    }

    void the_time_is_removed_from_each_day_over_midnight() {
        Desk d({2026, 12, 10, 23, 30, 0});
        d.f.prompter.choices = {int(Answer::Remove)};
        d.toggle(400);
        d.pass(10 * 60);
        d.pass(15 * 60);
        d.poll(15 * 60); // 23:55: away since 23:40
        d.pass(26 * 60); // 00:21
        d.poll(60);      // back at 00:20
        QCOMPARE(d.f.prompter.shown.size(), 1);
        QCOMPARE(
            d.f.prompter.shown[0].text,
            QStringLiteral("No keyboard or mouse for 0:40:00 (since 23:40) while 'Design' ran."));
        // 51 minutes counted, 40 removed: 20 of them from each day.
        std::int64_t total = 0;
        for (const TimeEntry& e : d.f.app->store().lists.entries)
            if (e.Task_Key == 400) {
                QVERIFY(e.Time >= 0);
                total += e.Time;
                if (e.date == make_date(2026, 12, 11, 0, 0, 0))
                    QCOMPARE(e.Time, 60);
            }
        QCOMPARE(total, std::int64_t(11 * 60));
    }

    void a_termination_request_while_the_box_waits_keeps_the_time() {
        Desk d;
        d.f.prompter.choices = {int(Answer::Remove)};
        d.f.prompter.while_open = [&d] { d.f.app->request_termination(); };
        d.away_for_forty_two_minutes();
        QCoreApplication::processEvents();
        QVERIFY(d.f.app->has_finished());
        QCOMPARE(d.f.app->exit_code(), 0);
        QCOMPARE(d.stored(400), QStringList{"10=2880"});
        QCOMPARE(d.stored(401), QStringList{"10=2880"});
    }

    void no_box_below_the_threshold_or_when_never_asked_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("idle");
        QTest::newRow("14 minutes away") << 15 << 14 * 60;
        QTest::newRow("0 means never") << 0 << 60 * 60;
    }
    void no_box_below_the_threshold_or_when_never_asked() {
        QFETCH(int, minutes);
        QFETCH(int, idle);
        Desk d;
        d.away().set_idle_minutes(minutes);
        d.toggle(400);
        d.pass(idle + 60);
        d.poll(idle);
        d.pass(60);
        d.poll(10);
        QCOMPARE(d.f.prompter.shown.size(), 0);
    }

    void the_source_is_asked_only_while_timers_run() {
        Desk d;
        QTimer* poll = d.away().poll_timer();
        QVERIFY(!poll->isActive());
        d.toggle(400);
        QVERIFY(poll->isActive());
        QCOMPARE(poll->interval(), 60000);
        d.toggle(401);
        d.toggle(400);
        QVERIFY(poll->isActive());
        d.toggle(401);
        QVERIFY(!poll->isActive());
        d.toggle(400);
        d.away().set_idle_minutes(0);
        QVERIFY(!poll->isActive());
    }
};

class SleepBoxTest : public QObject {
    Q_OBJECT

private slots:
    void the_sleep_is_left_out_or_added_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("Leave It Out") << 0 << QStringList{"10=10800"};
        QTest::newRow("Add the Time") << 1 << QStringList{"10=18600"};
    }
    void the_sleep_is_left_out_or_added() {
        QFETCH(int, answer);
        QFETCH(QStringList, entries);
        Desk d;
        auto* signal = new SetSleep;
        d.away().set_sleep_signal(signal);
        d.f.prompter.choices = {answer};
        d.toggle(400);
        d.pass(3 * 3600);
        signal->sleep();
        d.f.clock.set_wall({2026, 12, 10, 14, 10, 0}); // the monotonic clock stood still
        signal->wake();
        d.pass(0);
        QCoreApplication::processEvents();
        QCOMPARE(d.f.prompter.texts(),
                 QStringList{"The computer slept 2:10:00 (12:00 to 14:10) while 'Design' ran."});
        QCOMPARE(d.f.prompter.buttons_shown[0], (QStringList{"Leave It Out", "Add the Time"}));
        QCOMPARE(d.entries(400), entries);
        QCOMPARE(d.stored(400), entries);
    }

    void added_sleep_over_midnight_goes_to_each_day() {
        Desk d({2026, 12, 10, 22, 0, 0});
        auto* signal = new SetSleep;
        d.away().set_sleep_signal(signal);
        d.f.prompter.choices = {1};
        d.toggle(400);
        d.toggle(401);
        d.pass(3600);
        signal->sleep();
        d.f.clock.set_wall({2026, 12, 11, 1, 30, 0});
        signal->wake();
        QCoreApplication::processEvents();
        QCOMPARE(d.f.prompter.texts(),
                 QStringList{"The computer slept 2:30:00 (23:00 to 01:30) while 2 timers ran."});
        for (Key key : {400, 401}) {
            QCOMPARE(d.entries(key), (QStringList{"10=7200", "11=5400"}));
            QCOMPARE(d.stored(key), (QStringList{"10=7200", "11=5400"}));
        }
    }

    void without_logind_a_clock_jump_stands_for_a_sleep_data() {
        QTest::addColumn<int>("jump");
        QTest::addColumn<int>("boxes");
        QTest::newRow("two hours") << 7200 << 1;
        QTest::newRow("a minute") << 60 << 0;
    }
    void without_logind_a_clock_jump_stands_for_a_sleep() {
        QFETCH(int, jump);
        QFETCH(int, boxes);
        Desk d;
        d.toggle(400);
        d.pass(600);
        d.f.clock.set_wall(WallTime{2026, 12, 10, 9, 10 + jump / 60, 0});
        d.pass(1);
        QCoreApplication::processEvents();
        QCOMPARE(d.f.prompter.shown.size(), boxes);
        if (boxes)
            QCOMPARE(
                d.f.prompter.shown[0].text,
                QStringLiteral("The computer slept 2:00:00 (09:10 to 11:10) while 'Design' ran."));
        QCOMPARE(d.entries(400), QStringList{"10=601"});
    }

    void a_stopped_process_counts_as_asleep() {
        Desk d;
        d.f.prompter.choices = {0};
        d.toggle(400);
        d.pass(60);
        // Stopped for ten minutes: the monotonic clock went on, the ticks did not come.
        d.f.clock.advance_seconds(600);
        std::raise(SIGCONT);
        d.f.app->jobs().poll();
        QCoreApplication::processEvents();
        QCOMPARE(d.entries(400), QStringList{"10=60"});
        QCOMPARE(d.f.prompter.texts(),
                 QStringList{"The computer slept 0:10:00 (09:01 to 09:11) while 'Design' ran."});
        d.pass(5);
        QCOMPARE(d.entries(400), QStringList{"10=65"});
    }
};

class TrayTest : public QObject {
    Q_OBJECT

    static QStringList menu_texts(RunningDisplay* display) {
        QMenu* menu = display->tray()->contextMenu();
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }
    static void trigger(RunningDisplay* display, const QString& text) {
        for (QAction* action : display->tray()->contextMenu()->actions())
            if (action->text() == text) {
                action->trigger();
                QCoreApplication::processEvents();
                return;
            }
        QFAIL(qPrintable(text));
    }

private slots:
    void menu_tool_tip_and_status_follow_the_timers() {
        Desk d;
        RunningDisplay* display = d.f.app->running_display();
        QSystemTrayIcon* tray = display->tray();
        QLabel* field = display->status_field();
        QVERIFY(field);
        QCOMPARE(field->text(), QString());
        QCOMPARE(tray->toolTip(), QStringLiteral("Olvessa.project"));
        const QImage idle_picture = tray->icon().pixmap(32).toImage();
        QCOMPARE(menu_texts(display),
                 (QStringList{"Stop All Timers", "-", "Show Olvessa.project", "Exit"}));

        d.toggle(400);
        d.pass(3723);
        QCOMPARE(field->text(), QStringLiteral("Running: Design 1:02:03"));
        QCOMPARE(tray->toolTip(), QStringLiteral("Design \u2013 1:02:03"));
        QVERIFY(tray->icon().pixmap(32).toImage() != idle_picture);
        d.toggle(401);
        d.pass(2);
        QCOMPARE(field->text(), QStringLiteral("Running: Design 1:02:05 (+1 more)"));
        QCOMPARE(tray->toolTip(), QStringLiteral("Design \u2013 1:02:05\nReview \u2013 0:00:02"));
        QCOMPARE(menu_texts(display), (QStringList{"Stop Design", "Stop Review", "Stop All Timers",
                                                   "-", "Show Olvessa.project", "Exit"}));

        trigger(display, QStringLiteral("Stop Design"));
        QVERIFY(!d.running(400));
        QVERIFY(d.running(401));
        QCOMPARE(menu_texts(display), (QStringList{"Stop Review", "Stop All Timers", "-", "Design",
                                                   "-", "Show Olvessa.project", "Exit"}));
        trigger(display, QStringLiteral("Stop All Timers"));
        QVERIFY(!d.running(401));
        QCOMPARE(field->text(), QString());
        QCOMPARE(tray->toolTip(), QStringLiteral("Olvessa.project"));
        QCOMPARE(tray->icon().pixmap(32).toImage(), idle_picture);

        // The recently timed tasks start from the menu.
        menu_texts(display);
        trigger(display, QStringLiteral("Review"));
        QVERIFY(d.running(401));
    }

    void ctrl_shift_space_stops_all_timers() {
        Desk d;
        d.toggle(400);
        d.toggle(401);
        d.f.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.f.window()));
        d.f.tree().setFocus();
        QTest::keySequence(&d.f.tree(), QKeySequence(QStringLiteral("Ctrl+Shift+Space")));
        QVERIFY(!d.running(400));
        QVERIFY(!d.running(401));
    }

    void a_click_on_the_icon_and_show_bring_the_window_back() {
        Desk d;
        d.f.window().showMinimized();
        emit d.f.app->running_display()->tray()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!d.f.window().isMinimized());
        d.f.window().hide();
        menu_texts(d.f.app->running_display());
        trigger(d.f.app->running_display(), QStringLiteral("Show Olvessa.project"));
        QVERIFY(d.f.window().isVisible());
    }

    void closing_hides_in_the_tray_only_when_chosen_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("ends");
        QTest::newRow("off by default") << false << true << true;
        QTest::newRow("kept in the tray") << true << true << false;
        QTest::newRow("no tray to keep it in") << true << false << true;
    }
    void closing_hides_in_the_tray_only_when_chosen() {
        QFETCH(bool, keep);
        QFETCH(bool, tray);
        QFETCH(bool, ends);
        Desk d;
        d.f.app->running_display()->set_tray_exists_for_tests(tray);
        ShellPreferences shell = d.f.app->shell_preferences();
        QVERIFY(!shell.keep_in_tray);
        shell.keep_in_tray = keep;
        d.f.app->apply_shell_preferences(shell);
        d.toggle(400);
        d.pass(5);
        d.f.window().close();
        QCOMPARE(d.f.app->has_finished(), ends);
        QCOMPARE(d.f.window().isVisible(), false);
        if (!ends) {
            d.pass(5); // the timer goes on in the tray
            QCOMPARE(d.entries(400), QStringList{"10=10"});
            // Exit always exits.
            menu_texts(d.f.app->running_display());
            trigger(d.f.app->running_display(), QStringLiteral("Exit"));
            QVERIFY(d.f.app->has_finished());
        }
        QCOMPARE(d.stored(400), QStringList{ends ? "10=5" : "10=10"});
    }

    void the_tray_shows_where_the_platform_has_one() {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this platform shows no tray");
        Desk d;
        QVERIFY(d.f.app->running_display()->tray()->isVisible());
    }
};

class ShellPreferencesTest : public QObject {
    Q_OBJECT

    // Every control inside the grown window, OK and Cancel below all the rows.
    static void check_layout(QWidget* window) {
        const QWidget* ok = window->findChild<QWidget*>(QString::number(id::PreferencesOk));
        QVERIFY(ok);
        for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible())
                continue;
            QVERIFY2(window->rect().contains(child->geometry()), qPrintable(child->objectName()));
            const bool frame =
                qobject_cast<const QFrame*>(child) && !qobject_cast<const QLabel*>(child);
            if (qobject_cast<const QPushButton*>(child) || frame)
                continue;
            QVERIFY2(child->geometry().bottom() < ok->geometry().top(),
                     qPrintable(child->objectName()));
        }
    }

private slots:
    void the_choices_are_kept_in_the_settings_file() {
        Desk d;
        dispatch_event(*d.f.app, menu_event(id::FilePreferences, id::MainWindow));
        QWidget* window = top_level_window(id::PreferencesWindow);
        QVERIFY(window);
        auto* keep = window->findChild<QCheckBox*>(QStringLiteral("keep in tray"));
        auto* minutes = window->findChild<QSpinBox*>(QStringLiteral("idle minutes"));
        QVERIFY(keep && minutes);
        QCOMPARE(keep->text(),
                 QStringLiteral("Keep running in the tray when the window is closed"));
        QVERIFY(!keep->isChecked());
        QCOMPARE(minutes->value(), 15);
        QVERIFY(minutes->isEnabled());
        check_layout(window);
        keep->setChecked(true);
        minutes->setValue(20);
        dispatch_event(*d.f.app, control_event(id::PreferencesOk, id::PreferencesWindow));
        QCOMPARE(d.f.setting(QStringLiteral("IdleMinutes")), QStringLiteral("20"));
        QCOMPARE(d.f.setting(QStringLiteral("KeepInTray")), QStringLiteral("1"));
        QCOMPARE(d.away().idle_minutes(), 20);

        // The next start reads them back.
        d.f.app->close_main_window();
        QVERIFY(d.f.start());
        QCOMPARE(d.f.app->away().idle_minutes(), 20);
        QVERIFY(d.f.app->shell_preferences().keep_in_tray);
    }

    void without_a_source_the_choice_is_disabled_with_the_reason() {
        Desk d;
        d.away().set_idle_source(nullptr, QStringLiteral("Idle time cannot be read here: no idle "
                                                         "monitor answers on the session bus."));
        dispatch_event(*d.f.app, menu_event(id::FilePreferences, id::MainWindow));
        QWidget* window = top_level_window(id::PreferencesWindow);
        QVERIFY(window);
        QVERIFY(!window->findChild<QSpinBox*>(QStringLiteral("idle minutes"))->isEnabled());
        auto* note = window->findChild<QLabel*>(QStringLiteral("idle note"));
        QVERIFY(note && note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("no idle monitor answers")));
        check_layout(window);
        d.toggle(400);
        QVERIFY(!d.away().poll_timer()->isActive());
    }
};

namespace {

// A program the test starts that prints a line before it serves (Xvfb's display number,
// dbus-daemon's address); stopped when the test ends.
struct Server {
    QProcess process;
    QByteArray line;
    bool start(const QString& shell_command) {
        process.start(QStringLiteral("sh"), {QStringLiteral("-c"), shell_command});
        if (!process.waitForStarted(5000))
            return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(10000))
                return false;
        line = process.readLine().trimmed();
        return !line.isEmpty();
    }
    ~Server() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(2000);
    }
};

// Keyboard and mouse input through the XTest extension of a display.
struct XInput {
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    void* display = nullptr;
    explicit XInput(const QByteArray& name) {
        if (!x11 || !xtst)
            return;
        auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
        display = open ? open(name.constData()) : nullptr;
    }
    ~XInput() {
        if (display)
            reinterpret_cast<int (*)(void*)>(dlsym(x11, "XCloseDisplay"))(display);
        if (xtst)
            dlclose(xtst);
        if (x11)
            dlclose(x11);
    }
    bool move_pointer(int x, int y) {
        auto motion = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(
            dlsym(xtst, "XTestFakeMotionEvent"));
        auto sync = reinterpret_cast<int (*)(void*, int)>(dlsym(x11, "XSync"));
        if (!display || !motion || !sync)
            return false;
        motion(display, -1, x, y, 0);
        sync(display, 0);
        return true;
    }
};

} // namespace

class X11IdleSourceTest : public QObject {
    Q_OBJECT

private slots:
    void input_through_xtest_resets_the_idle_time() {
        Server xvfb;
        QVERIFY2(xvfb.start(QStringLiteral(
                     "exec Xvfb -displayfd 3 -nolisten tcp -screen 0 320x240x24 3>&1 2>/dev/null")),
                 "Xvfb did not start (scripts/install-deps.sh installs it)");
        const QByteArray display = ":" + xvfb.line;
        QString why;
        auto source = open_x11_idle_source(display, &why);
        QVERIFY2(source, qPrintable(why));
        // The server's own clock: real time has to pass.
        QTest::qWait(400);
        const auto before = source->idle_ms();
        QVERIFY(before && *before >= 300);
        XInput input(display);
        QVERIFY(input.move_pointer(10, 20));
        const auto after = source->idle_ms();
        QVERIFY(after);
        QVERIFY2(*after < *before && *after < 300, qPrintable(QString::number(*after)));

        // The program finds it where $DISPLAY names it and no Wayland runs.
        const QByteArray old_display = qgetenv("DISPLAY");
        const QByteArray old_wayland = qgetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", display);
        qunsetenv("WAYLAND_DISPLAY");
        const bool found = find_idle_source(&why) != nullptr;
        qputenv("DISPLAY", old_display);
        if (!old_wayland.isEmpty())
            qputenv("WAYLAND_DISPLAY", old_wayland);
        QVERIFY(found);
    }

    void a_display_that_is_not_there_gives_the_reason() {
        QString why;
        QVERIFY(!open_x11_idle_source(":97531", &why));
        QCOMPARE(why, QStringLiteral("no X11 display could be opened"));
    }
};

class LogindSleepTest : public QObject {
    Q_OBJECT

    Server bus_;
    QByteArray address_;

    static void emit_prepare_for_sleep(QDBusConnection& standin, bool starting) {
        QDBusMessage message = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        message << starting;
        QVERIFY(standin.send(message));
    }

private slots:
    void initTestCase() {
        QVERIFY2(
            bus_.start(QStringLiteral("exec dbus-daemon --session --nofork --print-address=1")),
            "dbus-daemon did not start (scripts/install-deps.sh installs it)");
        address_ = bus_.line;
        qputenv("OLVESSA_SYSTEM_BUS", address_);
    }
    void cleanupTestCase() { qunsetenv("OLVESSA_SYSTEM_BUS"); }

    void without_logind_the_signal_is_not_available() {
        LogindSleepSignal signal;
        QVERIFY(!signal.available());
    }

    void prepare_for_sleep_reaches_the_box() {
        QDBusConnection standin =
            QDBusConnection::connectToBus(QString::fromUtf8(address_), QStringLiteral("stand-in"));
        QVERIFY(standin.isConnected());
        QVERIFY(standin.registerService(QStringLiteral("org.freedesktop.login1")));
        {
            Desk d;
            auto* signal = new LogindSleepSignal;
            QVERIFY(signal->available());
            d.away().set_sleep_signal(signal);
            QSignalSpy slept(signal, &SleepSignal::going_to_sleep);
            QSignalSpy woke(signal, &SleepSignal::woke_up);
            d.f.prompter.choices = {1};
            d.toggle(400);
            d.pass(3 * 3600);
            emit_prepare_for_sleep(standin, true);
            QVERIFY(slept.wait(5000));
            d.f.clock.set_wall({2026, 12, 10, 14, 10, 0});
            emit_prepare_for_sleep(standin, false);
            QVERIFY(woke.wait(5000));
            QTRY_COMPARE(d.f.prompter.shown.size(), 1);
            QCOMPARE(
                d.f.prompter.shown[0].text,
                QStringLiteral("The computer slept 2:10:00 (12:00 to 14:10) while 'Design' ran."));
            QCOMPARE(d.stored(400), QStringList{"10=18600"});
            // With logind there, the clock jump is not a second sleep.
            d.pass(1);
            QCoreApplication::processEvents();
            QCOMPARE(d.f.prompter.shown.size(), 1);
        }
        standin.unregisterService(QStringLiteral("org.freedesktop.login1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
    }
};

OLV_TEST_CLASS(IdleBoxTest)
OLV_TEST_CLASS(SleepBoxTest)
OLV_TEST_CLASS(TrayTest)
OLV_TEST_CLASS(ShellPreferencesTest)
OLV_TEST_CLASS(X11IdleSourceTest)
OLV_TEST_CLASS(LogindSleepTest)
#include "test_away.moc"
