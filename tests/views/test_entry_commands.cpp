// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Time entries by hand: Add Time and Edit Entry on their real dialogs (fields, Return, refusals),
// with what they leave in memory and in the file; numbers read in the user's language.
#include "common/text.h"
#include "test_registry.h"
#include "view_helpers.h"
#include "views/entry_commands.h"
#include "views/entry_dialog.h"
#include "views/item_commands.h"
#include "views/number_input.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLocale>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// The default locale for the length of a test: what QLocale() gives the program.
class LocaleScope {
public:
    explicit LocaleScope(const QString& name) { QLocale::setDefault(QLocale(name)); }
    ~LocaleScope() { QLocale::setDefault(previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale previous_ = QLocale();
};

// Acme > Web (rate 36) > Build > tasks "Code" and "Test". "Code" holds an unbilled entry of ten
// minutes on 1 December and a billed one of twenty minutes on 2 December, and is shown.
struct Work {
    Key code = 0;
    Key test = 0;
    explicit Work(ViewsFixture& f) {
        const Key acme = f.add_client("Acme");
        const Key web = f.add_project(acme, "Web", 36);
        const Key build = f.add_objective(web, "Build");
        code = f.add_task(build, "Code");
        test = f.add_task(build, "Test");
        f.add_entry(code, make_date(2026, 12, 1, 0, 0, 0), 600, false);
        f.add_entry(code, make_date(2026, 12, 2, 0, 0, 0), 1200, true);
        f.select("Code");
    }
};

QString shown(const TimeEntry& e) {
    return QStringLiteral("%1|%2|%3")
        .arg(QString::fromStdString(format_date("%dd/%mm/%yyyy", e.date)),
             QString::fromStdString(format_duration(e.Time)),
             e.billed ? QStringLiteral("Yes") : QStringLiteral("No"));
}

// A task's entries as "day|time|billed": in list order from memory, by day and key from the file
// through a connection of its own.
QStringList in_memory(const ViewsFixture& f, const std::string& task) {
    QStringList rows;
    for (const TimeEntry& e : f.entries_of(task))
        rows << shown(e);
    return rows;
}
QStringList in_file(const ViewsFixture& f, Key task) {
    AccessLayer probe;
    probe.load_engine();
    probe.open_database(f.database_path().toStdString());
    const std::string sql =
        "SELECT date, time, billed FROM task_detail WHERE Task_Key = " + std::to_string(task) +
        " ORDER BY date, key";
    if (probe.query_table(sql) != 0)
        return {QStringLiteral("<failed>")};
    QStringList rows;
    for (int r = 1; r <= probe.row_count(); ++r) {
        TimeEntry e;
        e.date = to_int32(probe.cell_text(r, 0));
        e.Time = to_int32(probe.cell_text(r, 1));
        e.billed = static_cast<std::uint8_t>(to_int32(probe.cell_text(r, 2)));
        rows << shown(e);
    }
    return rows;
}

// Types into a dialog's fields as a user would, then presses Return.
void fill_and_return(EntryDialog* dialog, const QDate& date, const QString& duration,
                     const QString& start, const QString& end, bool billed) {
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    dialog->date_picker()->setDate(date);
    QTest::keyClicks(dialog->duration_field(), duration);
    if (dialog->start_field()) {
        QTest::keyClicks(dialog->start_field(), start);
        QTest::keyClicks(dialog->end_field(), end);
    }
    dialog->billed_box()->setChecked(billed);
    QTest::keyClick(dialog->duration_field(), Qt::Key_Return);
    run_pending_events();
}

} // namespace

class AddTimeTest : public QObject {
    Q_OBJECT
private slots:
    void the_dialog_names_its_fields_and_belongs_to_the_main_window() {
        ViewsFixture f;
        Work w(f);
        open_add_time(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::AddTimeDialog);
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), &f.main_window);
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->date_picker()->date(), QDate(2026, 12, 10)); // today
        QStringList names;
        for (QWidget* field : std::initializer_list<QWidget*>{
                 dialog->date_picker(), dialog->duration_field(), dialog->start_field(),
                 dialog->end_field(), dialog->billed_box()})
            names << field->accessibleName();
        QCOMPARE(names, (QStringList{"Date", "Duration", "Start", "End", "Billed"}));
    }

    void time_is_added_to_its_day_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("billed");
        QTest::addColumn<QStringList>("entries"); // of "Code" afterwards
        QTest::addColumn<QString>("refusal");     // the start of the message, or empty

        const QString ten = QStringLiteral("01/12/2026|00:10:00|No");
        const QString twenty = QStringLiteral("02/12/2026|00:20:00|Yes");
        QTest::newRow("an empty day")
            << "en_GB" << QDate(2026, 12, 5) << "1:30"
            << ""
            << "" << false << QStringList{ten, twenty, "05/12/2026|01:30:00|No"} << "";
        QTest::newRow("a day holding an unbilled entry")
            << "en_GB" << QDate(2026, 12, 1) << "0:20:30"
            << ""
            << "" << false << QStringList{"01/12/2026|00:30:30|No", twenty} << "";
        QTest::newRow("billed time beside the unbilled entry")
            << "en_GB" << QDate(2026, 12, 1) << "0:05"
            << ""
            << "" << true << QStringList{ten, "01/12/2026|00:05:00|Yes", twenty} << "";
        QTest::newRow("a day holding a billed entry")
            << "en_GB" << QDate(2026, 12, 2) << ""
            << "9:00"
            << "9:15" << true << QStringList{ten, "02/12/2026|00:35:00|Yes"} << "";
        QTest::newRow("unbilled time beside the billed entry")
            << "en_GB" << QDate(2026, 12, 2) << ""
            << "9:00"
            << "9:15" << false << QStringList{ten, twenty, "02/12/2026|00:15:00|No"} << "";
        QTest::newRow("across midnight")
            << "en_GB" << QDate(2026, 12, 5) << ""
            << "23:00"
            << "25:30" << false
            << QStringList{ten, twenty, "05/12/2026|01:00:00|No", "06/12/2026|01:30:00|No"} << "";
        QTest::newRow("a start and a duration across midnight")
            << "en_GB" << QDate(2026, 12, 1) << "1:00"
            << "23:30"
            << "" << false
            << QStringList{"01/12/2026|00:40:00|No", twenty, "02/12/2026|00:30:00|No"} << "";
        QTest::newRow("several days in one duration")
            << "en_GB" << QDate(2026, 12, 5) << "1/02:00:00"
            << ""
            << "" << false << QStringList{ten, twenty, "05/12/2026|1/02:00:00|No"} << "";
        QTest::newRow("decimal hours, British")
            << "en_GB" << QDate(2026, 12, 5) << "1.25"
            << ""
            << "" << false << QStringList{ten, twenty, "05/12/2026|01:15:00|No"} << "";
        QTest::newRow("decimal hours, German")
            << "de_DE" << QDate(2026, 12, 5) << "1,25"
            << ""
            << "" << false << QStringList{ten, twenty, "05/12/2026|01:15:00|No"} << "";
        QTest::newRow("decimal hours, German settings, C form")
            << "de_DE" << QDate(2026, 12, 5) << "0.5"
            << ""
            << "" << false << QStringList{ten, twenty, "05/12/2026|00:30:00|No"} << "";
        QTest::newRow("an end before the start")
            << "en_GB" << QDate(2026, 12, 5) << ""
            << "10:00"
            << "9:00" << false << QStringList{ten, twenty} << "End: 9:00 is not after the Start";
        QTest::newRow("a duration that disagrees with start and end")
            << "en_GB" << QDate(2026, 12, 5) << "2:00"
            << "9:00"
            << "10:00" << false << QStringList{ten, twenty} << "Duration: \"2:00\" is not the time";
        QTest::newRow("a date before the pickers' range is taken as its first day")
            << "en_GB" << QDate(1969, 6, 1) << "0:45"
            << ""
            << "" << false << QStringList{"01/01/1970|00:45:00|No", ten, twenty} << "";
        QTest::newRow("a date after the pickers' range, past midnight")
            << "en_GB" << QDate(2040, 1, 1) << ""
            << "23:00"
            << "25:00" << false << QStringList{ten, twenty}
            << "End: the work runs past the last day";
        QTest::newRow("letters") << "en_GB" << QDate(2026, 12, 5) << "an hour"
                                 << ""
                                 << "" << false << QStringList{ten, twenty}
                                 << "Duration: \"an hour\" is not a length of time";
        QTest::newRow("nothing typed")
            << "en_GB" << QDate(2026, 12, 5) << ""
            << ""
            << "" << false << QStringList{ten, twenty} << "Duration: give a duration";
        QTest::newRow("no time at all")
            << "en_GB" << QDate(2026, 12, 5) << "0:00"
            << ""
            << "" << false << QStringList{ten, twenty} << "Duration: \"0:00\" adds no time";
    }
    void time_is_added_to_its_day() {
        QFETCH(QString, locale);
        QFETCH(QDate, date);
        QFETCH(QString, duration);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, billed);
        QFETCH(QStringList, entries);
        QFETCH(QString, refusal);
        LocaleScope language(locale);
        ViewsFixture f;
        Work w(f);
        int notified = 0;
        f.ws->entries_changed = [&notified] { ++notified; };

        open_add_time(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::AddTimeDialog);
        fill_and_return(dialog, date, duration, start, end, billed);

        QCOMPARE(in_memory(f, "Code"), entries);
        QCOMPARE(in_file(f, w.code), entries);
        QVERIFY(in_memory(f, "Test").isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(f.messages(), QStringList{});
            QVERIFY(!entry_dialog(*f.ws, id::AddTimeDialog));
            QCOMPARE(notified, 1);
            // The list shows the entries at once, one row each.
            QCOMPARE(f.list->topLevelItemCount(), entries.size());
        } else {
            QCOMPARE(f.messages().size(), 1);
            QVERIFY2(f.messages().front().startsWith(refusal), qPrintable(f.messages().front()));
            // The dialog stays with what was typed, ready for another try.
            QCOMPARE(entry_dialog(*f.ws, id::AddTimeDialog), dialog);
            QCOMPARE(dialog->duration_field()->text(), duration);
            QCOMPARE(dialog->end_field()->text(), end);
            QCOMPARE(notified, 0);
        }
    }

    void a_refused_write_is_reported_and_kept_for_the_next_flush() {
        ViewsFixture f;
        Work w(f);
        QCOMPARE(f.store->db.execute("CREATE TRIGGER refuse BEFORE INSERT ON task_detail "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                 0);
        open_add_time(*f.ws);
        fill_and_return(entry_dialog(*f.ws, id::AddTimeDialog), QDate(2026, 12, 5), "2:00", "", "",
                        false);
        QCOMPARE(f.messages(), QStringList{"Could not write to Database"});
        const QStringList expected{"01/12/2026|00:10:00|No", "02/12/2026|00:20:00|Yes",
                                   "05/12/2026|02:00:00|No"};
        QCOMPARE(in_memory(f, "Code"), expected);
        QCOMPARE(f.list->topLevelItemCount(), 3);
        QCOMPARE(f.store->db.execute("DROP TRIGGER refuse"), 0);
        f.restart();
        QCOMPARE(in_file(f, w.code), expected);
        QCOMPARE(in_memory(f, "Code"), expected);
    }

    void only_a_task_takes_time() {
        ViewsFixture f;
        Work w(f);
        f.select("Build");
        open_add_time(*f.ws);
        QVERIFY(!entry_dialog(*f.ws, id::AddTimeDialog));
        QCOMPARE(f.messages(), QStringList{"Please select the task to add time to"});
    }

    void the_running_timer_counts_into_the_unbilled_entry_only() {
        ViewsFixture f;
        Work w(f);
        // Billed time added for today, then the timer started: the invoice stays as it was.
        open_add_time(*f.ws);
        fill_and_return(entry_dialog(*f.ws, id::AddTimeDialog), QDate(2026, 12, 10), "1:00", "", "",
                        true);
        toggle_timer(*f.ws, f.position_of("Code"));
        f.tick(5);
        QCOMPARE(in_memory(f, "Code"),
                 (QStringList{"01/12/2026|00:10:00|No", "02/12/2026|00:20:00|Yes",
                              "10/12/2026|01:00:00|Yes", "10/12/2026|00:00:05|No"}));
    }
};

class EditEntryTest : public QObject {
    Q_OBJECT
private slots:
    void the_task_choice_shows_every_task_by_its_place() {
        ViewsFixture f;
        Work w(f);
        f.list->setCurrentItem(f.list->topLevelItem(0));
        open_edit_entry(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::EditEntryDialog);
        QVERIFY(dialog);
        QComboBox* tasks = dialog->task_choice();
        QStringList items;
        for (int i = 0; i < tasks->count(); ++i)
            items << tasks->itemText(i);
        QCOMPARE(items, (QStringList{"Acme \u203A Web \u203A Build \u203A Code",
                                     "Acme \u203A Web \u203A Build \u203A Test"}));
        QCOMPARE(tasks->currentText(), items.front());
        QCOMPARE(dialog->duration_field()->text(), QStringLiteral("00:10:00"));
        QCOMPARE(dialog->date_picker()->date(), QDate(2026, 12, 1));
        QCOMPARE(tasks->accessibleName(), QStringLiteral("Task"));
    }

    void moving_an_entry_moves_its_figures_to_the_other_task() {
        ViewsFixture f;
        Work w(f);
        f.list->setCurrentItem(f.list->topLevelItem(1)); // the billed twenty minutes
        open_edit_entry(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::EditEntryDialog);
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        // Found by typing part of its name.
        QComboBox* tasks = dialog->task_choice();
        tasks->lineEdit()->selectAll();
        QTest::keyClicks(tasks->lineEdit(), QStringLiteral("test"));
        tasks->completer()->popup()->hide();
        dialog->duration_field()->setFocus();
        dialog->duration_field()->setText(QStringLiteral("0:30"));
        QTest::keyClick(dialog->duration_field(), Qt::Key_Return);
        run_pending_events();
        QCOMPARE(f.messages(), QStringList{});
        QVERIFY(!entry_dialog(*f.ws, id::EditEntryDialog));
        QCOMPARE(f.rows().size(), 1); // "Code" shows what is left

        f.select("Build");
        const QStringList figures = f.rows();
        QCOMPARE(figures.at(0),
                 QStringLiteral("|Code|00:10:00|00:00:00|") + money(6) + "|" + money(0));
        QCOMPARE(figures.at(1),
                 QStringLiteral("|Test|00:30:00|00:30:00|") + money(18) + "|" + money(18));
        // A fresh load tells the same.
        f.restart();
        f.select("Build");
        QCOMPARE(f.rows(), figures);
        QCOMPARE(in_file(f, w.test), QStringList{"02/12/2026|00:30:00|Yes"});
    }

    void a_new_day_moves_the_entry_in_the_list() {
        ViewsFixture f;
        Work w(f);
        f.list->setCurrentItem(f.list->topLevelItem(0));
        open_edit_entry(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::EditEntryDialog);
        dialog->date_picker()->setDate(QDate(2026, 12, 3));
        save_edit_entry(*f.ws);
        QCOMPARE(f.messages(), QStringList{});
        QCOMPARE(f.rows().at(1).section('|', 0, 0), QStringLiteral("03/12/2026"));
        // The moved entry stays the selected row.
        QCOMPARE(f.list->indexOfTopLevelItem(f.list->currentItem()), 1);
        QCOMPARE(in_file(f, w.code),
                 (QStringList{"02/12/2026|00:20:00|Yes", "03/12/2026|00:10:00|No"}));
    }

    void the_entry_a_timer_feeds_is_not_moved() {
        ViewsFixture f;
        Work w(f);
        toggle_timer(*f.ws, f.position_of("Code"));
        f.tick(3);
        f.list->setCurrentItem(f.list->topLevelItem(2)); // today's, being timed
        open_edit_entry(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::EditEntryDialog);
        dialog->task_choice()->setCurrentIndex(1);
        save_edit_entry(*f.ws);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages().front().startsWith("A running timer counts into this entry"));
        QCOMPARE(entry_dialog(*f.ws, id::EditEntryDialog), dialog);
        QVERIFY(in_memory(f, "Test").isEmpty());
        // Its day cannot change either; its time can.
        dialog->task_choice()->setCurrentIndex(0);
        dialog->date_picker()->setDate(QDate(2026, 12, 9));
        save_edit_entry(*f.ws);
        QCOMPARE(f.messages().size(), 2);
        dialog->date_picker()->setDate(QDate(2026, 12, 10));
        dialog->duration_field()->setText(QStringLiteral("0:05"));
        save_edit_entry(*f.ws);
        QCOMPARE(f.messages().size(), 2);
        QCOMPARE(in_memory(f, "Code").last(), QStringLiteral("10/12/2026|00:05:00|No"));
        f.tick(1);
        QCOMPARE(in_memory(f, "Code").last(), QStringLiteral("10/12/2026|00:05:01|No"));
    }

    void a_task_that_is_not_in_the_list_is_refused() {
        ViewsFixture f;
        Work w(f);
        f.list->setCurrentItem(f.list->topLevelItem(0));
        open_edit_entry(*f.ws);
        EntryDialog* dialog = entry_dialog(*f.ws, id::EditEntryDialog);
        // Nothing holds "Nothing"; both tasks hold "Build".
        for (const char* typed : {"Nothing", "Build"}) {
            f.prompter.shown.clear();
            dialog->task_choice()->setEditText(QString::fromUtf8(typed));
            save_edit_entry(*f.ws);
            QCOMPARE(f.messages(),
                     QStringList{QStringLiteral("Task: \"%1\" names no single task. Choose one "
                                                "from the list.")
                                     .arg(typed)});
            QCOMPARE(dialog->task_choice()->currentText(), QString::fromUtf8(typed));
            QCOMPARE(in_memory(f, "Code").size(), 2);
        }
    }
};

class NumberInputTest : public QObject {
    Q_OBJECT
private slots:
    void rates_and_hours_are_read_in_the_users_language_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("rate"); // -1: refused
        QTest::addColumn<int>("seconds"); // -1: refused
        QTest::newRow("C, point") << "C"
                                  << "85.50" << 85.5 << 307800;
        QTest::newRow("C, comma is no decimal mark") << "C"
                                                     << "85,50" << -1.0 << -1;
        QTest::newRow("C, thousands") << "C"
                                      << "1,234.5" << 1234.5 << 4444200;
        QTest::newRow("British, thousands") << "en_GB"
                                            << "1,234.5" << 1234.5 << 4444200;
        QTest::newRow("British, point") << "en_GB"
                                        << "1.5" << 1.5 << 5400;
        QTest::newRow("British, comma as decimal mark") << "en_GB"
                                                        << "1,5" << -1.0 << -1;
        QTest::newRow("German, comma") << "de_DE"
                                       << "85,50" << 85.5 << 307800;
        QTest::newRow("German, C form") << "de_DE"
                                        << "85.50" << 85.5 << 307800;
        QTest::newRow("German, thousands") << "de_DE"
                                           << "1.234,5" << 1234.5 << 4444200;
        QTest::newRow("German, hours") << "de_DE"
                                       << "1,5" << 1.5 << 5400;
        QTest::newRow("French, comma") << "fr_FR"
                                       << "85,50" << 85.5 << 307800;
        QTest::newRow("French, thousands with a space") << "fr_FR"
                                                        << "1 234,5" << 1234.5 << 4444200;
        QTest::newRow("French, C form") << "fr_FR"
                                        << "0.25" << 0.25 << 900;
        QTest::newRow("blanks around") << "de_DE"
                                       << " 12,5 " << 12.5 << 45000;
    }
    void rates_and_hours_are_read_in_the_users_language() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(double, rate);
        QFETCH(int, seconds);
        const QLocale language(locale);
        const std::optional<double> read = read_rate(typed, language);
        QCOMPARE(read.has_value(), rate >= 0);
        if (read)
            QCOMPARE(*read, rate);
        const std::optional<std::int32_t> hours = read_decimal_hours(typed, language);
        QCOMPARE(hours.has_value(), seconds >= 0);
        if (hours)
            QCOMPARE(*hours, seconds);
    }

    void hostile_numbers_are_refused_data() {
        QTest::addColumn<QString>("typed");
        for (const char* text : {"abc", "12abc", "12.5 an hour", "inf", "-inf", "nan", "1e308", "",
                                 "   ", "-5", "85,50,1", "0x10", "1e6000"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void hostile_numbers_are_refused() {
        QFETCH(QString, typed);
        for (const char* locale : {"C", "en_GB", "de_DE", "fr_FR"}) {
            QVERIFY2(!read_rate(typed, QLocale(locale)), locale);
            QVERIFY2(!read_decimal_hours(typed, QLocale(locale)), locale);
        }
        // As a time cell or a duration it is no time either.
        LocaleScope language(QStringLiteral("de_DE"));
        QVERIFY(!parse_entry_time(typed));
    }

    void a_rate_typed_in_a_dialog_is_read_in_the_users_language_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored"); // -1: refused, the rate stays 30
        QTest::newRow("German") << "de_DE"
                                << "85,50" << 85.5;
        QTest::newRow("British") << "en_GB"
                                 << "1,234.5" << 1234.5;
        QTest::newRow("C form under French") << "fr_FR"
                                             << "85.50" << 85.5;
        QTest::newRow("letters after digits") << "de_DE"
                                              << "12abc" << -1.0;
        QTest::newRow("inf") << "en_GB"
                             << "inf" << -1.0;
        QTest::newRow("1e308") << "en_GB"
                               << "1e308" << -1.0;
        QTest::newRow("empty") << "en_GB"
                               << "" << -1.0;
    }
    void a_rate_typed_in_a_dialog_is_read_in_the_users_language() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(double, stored);
        LocaleScope language(locale);
        ViewsFixture f;
        f.add_client("Acme", 30);
        f.select("Acme");
        edit_item(*f.ws);
        ItemDialog* dialog = f.dialog(id::ClientDialog);
        dialog->rate_field()->setText(typed);
        save_client_dialog(*f.ws);
        if (stored >= 0) {
            QCOMPARE(f.messages(), QStringList{});
            QCOMPARE(f.store->lists.clients.front().client_rate, stored);
            f.restart();
            QCOMPARE(f.store->lists.clients.front().client_rate, stored);
        } else {
            QCOMPARE(f.messages().size(), 1);
            QVERIFY2(
                f.messages().front().startsWith(QStringLiteral("Client Rate: \"%1\"").arg(typed)),
                qPrintable(f.messages().front()));
            QCOMPARE(f.dialog(id::ClientDialog), dialog);
            QCOMPARE(dialog->rate_field()->text(), typed);
            QCOMPARE(f.store->lists.clients.front().client_rate, 30.0);
            QVERIFY(!f.store->lists.clients.front().modified);
        }
    }

    void a_new_project_refuses_a_rate_it_cannot_read() {
        LocaleScope language(QStringLiteral("de_DE"));
        ViewsFixture f;
        f.add_client("Acme", 30);
        f.select("Acme");
        new_item(*f.ws, f.position_of("Acme"));
        ItemDialog* dialog = f.dialog(id::ProjectDialog);
        dialog->title_field()->setText(QStringLiteral("Web"));
        dialog->rate_field()->setText(QStringLiteral("85,5x"));
        save_project_dialog(*f.ws);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages().front().startsWith(QStringLiteral("Project Rate: \"85,5x\"")));
        QVERIFY(f.store->lists.projects.empty());
        dialog->rate_field()->setText(QStringLiteral("85,50"));
        save_project_dialog(*f.ws);
        QCOMPARE(f.messages().size(), 1);
        QCOMPARE(f.store->lists.projects.size(), std::size_t{1});
        QCOMPARE(f.store->lists.projects.front().project_rate, 85.5);
    }

    void a_time_cell_takes_decimal_hours_and_says_what_it_refuses() {
        LocaleScope language(QStringLiteral("de_DE"));
        ViewsFixture f;
        Work w(f);
        QVERIFY(set_entry_time(*f.ws, QStringLiteral("1,5"), 0, entry_column::Time));
        QCOMPARE(f.cell(0, entry_column::Time), QStringLiteral("01:30:00"));
        QCOMPARE(f.cell(0, entry_column::Total), money(54));
        QVERIFY(!set_entry_time(*f.ws, QStringLiteral("1,5 Std"), 0, entry_column::Time));
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages().front().startsWith(QStringLiteral("Time: \"1,5 Std\"")));
        QCOMPARE(f.cell(0, entry_column::Time), QStringLiteral("01:30:00"));
        QCOMPARE(f.entries_of("Code").front().Time, 5400);
    }
};

OLV_TEST_CLASS(AddTimeTest)
OLV_TEST_CLASS(EditEntryTest)
OLV_TEST_CLASS(NumberInputTest)
#include "test_entry_commands.moc"
