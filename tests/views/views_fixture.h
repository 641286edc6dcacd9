// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A Workspace on a real database file in a temporary folder: the real tree, detail list and notes
// box in a shown window, a scripted prompter and a manual clock. Events the dialogs raise go
// through the dispatcher's own routing of dialog events.
#include "common/clock.h"
#include "common/dates.h"
#include "reports/format.h"
#include "scripted_prompter.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/dialog_events.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/item_dialog.h"
#include "views/list_editing.h"
#include "views/timer.h"
#include "views/tree.h"
#include "views/workspace.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

namespace olv::testing {

struct ViewsFixture {
    QTemporaryDir dir;
    ManualClock clock{WallTime{2026, 12, 10, 9, 0, 0}};
    ScriptedPrompter prompter;
    std::unique_ptr<Store> store;
    std::unique_ptr<Workspace> ws;
    QMainWindow main_window;
    QTreeWidget* tree = nullptr;
    QTreeWidget* list = nullptr;
    QTextEdit* notes = nullptr;
    std::vector<Event> posted;

    ViewsFixture() {
        auto* centre = new QWidget(&main_window);
        auto* layout = new QHBoxLayout(centre);
        tree = new QTreeWidget(centre);
        list = new QTreeWidget(centre);
        notes = new QTextEdit(centre);
        layout->addWidget(tree);
        layout->addWidget(list, 2);
        layout->addWidget(notes);
        main_window.setCentralWidget(centre);
        main_window.resize(1100, 500);
        setup_item_tree(tree);
        setup_detail_list(list);
        open_store();
        install_list_editing(*ws);
        main_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main_window));
    }

    QString database_path() const { return dir.filePath(QStringLiteral("views.db")); }

    void open_store() {
        store = std::make_unique<Store>();
        QVERIFY(store->db.load_engine() != nullptr);
        QVERIFY(create_database(*store, database_path().toStdString(), "Robin"));
        QCOMPARE(load_all_records(*store), LoadStatus::Loaded);
        ws = std::make_unique<Workspace>(*store, clock, prompter);
        ws->main_window = &main_window;
        ws->tree = tree;
        ws->list = list;
        ws->notes = notes;
        ws->status_bar = main_window.statusBar();
        ws->user_name = [] { return std::string("Robin"); };
        ws->post_event = [this](const Event& event) {
            posted.push_back(event);
            route_dialog_event(*ws, event);
        };
        rebuild_tree(*ws, -1);
    }

    // Saves everything, then reads the file again through a new connection, as the next start
    // of the program would.
    void restart() {
        flush_records(*ws);
        QCOMPARE(store->db.close_current_database(), 0);
        QVERIFY(store->db.open_database(database_path().toStdString()) != nullptr);
        QCOMPARE(load_all_records(*store), LoadStatus::Loaded);
        rebuild_tree(*ws, -1);
    }

    DateValue now() const { return current_date(clock); }
    DateValue today() const { return start_of_today(clock); }

    // Records put straight into the database, then loaded and built as the program would.
    Key add_client(const std::string& name, double rate = 0) {
        const Key key = new_client_key(*store, now());
        run(insert_client_sql(key, name, rate));
        return key;
    }
    Key add_project(Key client, const std::string& title, double rate,
                    DateValue end = make_date(2027, 6, 30, 0, 0, 0)) {
        const Key key = new_project_key(*store, now());
        run(insert_project_sql(key, title, client, make_date(2026, 1, 1, 0, 0, 0), end, rate));
        return key;
    }
    Key add_objective(Key project, const std::string& title,
                      DateValue end = make_date(2027, 6, 30, 0, 0, 0),
                      DateValue start = make_date(2026, 1, 1, 0, 0, 0)) {
        const Key key = new_objective_key(*store, now());
        run(insert_objective_sql(key, title, project, start, end));
        return key;
    }
    Key add_task(Key objective, const std::string& title,
                 DateValue end = make_date(2027, 6, 30, 0, 0, 0),
                 DateValue start = make_date(2026, 1, 1, 0, 0, 0)) {
        const Key key = new_task_key(*store, now());
        run(insert_task_sql(key, false, title, objective, start, end, false));
        return key;
    }
    void add_entry(Key task, DateValue day, int seconds, bool billed) {
        const Key key = new_time_entry_key(*store, now());
        run("INSERT INTO task_detail VALUES(" + std::to_string(key) + "," + std::to_string(task) +
            "," + std::to_string(seconds) + "," + std::to_string(day) + "," + (billed ? "1" : "0") +
            ");");
    }
    void run(const std::string& statement) {
        QCOMPARE(store->db.execute(statement), 0);
        QCOMPARE(load_all_records(*store), LoadStatus::Loaded);
        rebuild_tree(*ws, -1);
    }

    // The tree position of the item showing this label, -1 when there is none.
    std::int32_t position_of(const QString& label) const {
        for (std::size_t i = 0; i < ws->tree_items.size(); ++i)
            if (ws->tree_items[i]->text(0) == label)
                return static_cast<std::int32_t>(i);
        return -1;
    }
    std::int32_t position_of(const char* label) const {
        return position_of(QString::fromUtf8(label));
    }
    QTreeWidgetItem* item(const char* label) const { return tree_item_at(*ws, position_of(label)); }

    // What a click on a tree item does: the notes go into the item shown before, then the
    // clicked one is shown.
    void select(std::int32_t position) {
        select_tree_position(*ws, position);
        store_notes(*ws, ws->state.previous_selection);
        show_item_details(*ws, position);
        ws->state.previous_selection = position;
    }
    void select(const char* label) {
        const std::int32_t position = position_of(label);
        QVERIFY2(position >= 0, label);
        select(position);
    }

    void tick(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advance_seconds(1);
            timer_tick(*ws);
        }
    }

    ItemDialog* dialog(int window) const { return item_dialog(*ws, window); }

    // Rows of the detail list, each as its cells joined by "|".
    QStringList rows() const {
        QStringList result;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(i)->text(c);
            result << cells.join(QLatin1Char('|'));
        }
        return result;
    }
    QStringList headers() const {
        QStringList result;
        for (int c = 0; c < list->columnCount(); ++c)
            result << list->headerItem()->text(c);
        return result;
    }
    QString cell(int row, int column) const {
        const QTreeWidgetItem* row_item = list->topLevelItem(row);
        return row_item ? row_item->text(column) : QString();
    }

    const TaskRecord& task(const std::string& title) const {
        for (const TaskRecord& t : store->lists.tasks)
            if (t.task_title == title)
                return t;
        return store->lists.tasks.front();
    }
    // The entries of a task, in list order.
    std::vector<TimeEntry> entries_of(const std::string& title) const {
        std::vector<TimeEntry> result;
        const Key key = task(title).key;
        for (const TimeEntry& e : store->lists.entries)
            if (e.Task_Key == key)
                result.push_back(e);
        return result;
    }

    QStringList messages() const { return prompter.texts(); }
};

// "£12.50" as the list shows it.
inline QString money(double amount) {
    return QString::fromStdString(format_money("\xC2\xA3", amount));
}

} // namespace olv::testing
