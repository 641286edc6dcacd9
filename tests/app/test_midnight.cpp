// A timer that runs past midnight: the program's own periodic tick puts each second into the
// entry of the day it passed on, also when the ticks come late, several at once; the next start
// after midnight goes on with the new day's entry.
#include "app_fixture.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

std::int32_t design_position(AppFixture& f) {
    for (const TaskRecord& t : f.app->store().lists.tasks)
        if (t.key == 400)
            return t.tree_pos;
    return -1;
}

void start_design(AppFixture& f) {
    select_tree_position(f.ws(), design_position(f));
    f.app->handle_event(menu_event(id::TaskStart, id::MainWindow));
}

// "day|seconds" of every stored entry, oldest first.
QStringList stored_entries(AppFixture& f) {
    return DatabaseProbe(f.default_db())
        .rows("SELECT date(date, 'unixepoch'), time FROM task_detail ORDER BY date");
}

} // namespace

class MidnightTest : public QObject {
    Q_OBJECT

private slots:
    // The window is busy (or the machine slow) for five seconds over midnight: the five ticks
    // that then run at once give the old day the two seconds up to 00:00:00 and the new day
    // three, in an entry written at once.
    void late_ticks_over_midnight_split_exactly() {
        AppFixture f;
        f.clock.set_wall({2026, 11, 30, 23, 59, 58});
        f.prepare(one_of_each);
        QVERIFY(f.start());
        start_design(f);
        f.clock.advance_seconds(5);
        f.app->jobs().poll();
        QCOMPARE(stored_entries(f), (QStringList{"2026-11-30|0", "2026-12-01|0"}));
        f.app->close_main_window();
        QCOMPARE(stored_entries(f), (QStringList{"2026-11-30|2", "2026-12-01|3"}));
        QVERIFY(f.messages().isEmpty());
    }

    // Started again after midnight, the program shows both days; a start resumes the new day's
    // entry, and nothing more goes to the old one.
    void a_new_start_after_midnight() {
        AppFixture f;
        f.clock.set_wall({2026, 11, 30, 23, 0, 0});
        f.prepare(one_of_each);
        QVERIFY(f.start());
        start_design(f);
        for (int i = 0; i < 3602; ++i) { // 23:00:00 to 00:00:02, a tick each second
            f.clock.advance_seconds(1);
            f.app->jobs().poll();
        }
        f.app->close_main_window();
        QCOMPARE(stored_entries(f), (QStringList{"2026-11-30|3600", "2026-12-01|2"}));

        f.clock.set_wall({2026, 12, 1, 2, 0, 0});
        QVERIFY(f.start());
        QVERIFY(!f.app->store().lists.tasks.at(0).running);
        start_design(f);
        f.clock.advance_seconds(10);
        f.app->jobs().poll();
        f.app->close_main_window();
        QCOMPARE(stored_entries(f), (QStringList{"2026-11-30|3600", "2026-12-01|12"}));
    }
};

OLV_TEST_CLASS(MidnightTest)

#include "test_midnight.moc"
