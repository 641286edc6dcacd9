// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A workspace on a real database file in a temporary folder, with the real tree and detail
// list, a scripted prompter and a manual clock; plus reading printed PDF files back through
// poppler's pdftotext.
#include "common/clock.h"
#include "common/dates.h"
#include "print/page.h"
#include "scripted_prompter.h"
#include "store/operations.h"
#include "views/details.h"
#include "views/tree.h"
#include "views/workspace.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

namespace olv::testing {

struct PrintFixture {
    QTemporaryDir dir;
    ManualClock clock{WallTime{2026, 12, 10, 9, 0, 0}};
    ScriptedPrompter prompter;
    std::unique_ptr<Store> store = std::make_unique<Store>();
    std::unique_ptr<Workspace> ws;
    QWidget main_window;
    QTreeWidget* tree = new QTreeWidget(&main_window);
    QTreeWidget* list = new QTreeWidget(&main_window);
    QTextEdit* notes = new QTextEdit(&main_window);
    QStatusBar* status_bar = new QStatusBar(&main_window);
    std::vector<Event> posted;

    PrintFixture() {
        setup_item_tree(tree);
        setup_detail_list(list);
        open_store(true);
    }

    QString database_path() const { return dir.filePath(QStringLiteral("print.db")); }

    // A new Store on the same file, as after a restart (the file is created the first time).
    void open_store(bool create) {
        ws.reset();
        store = std::make_unique<Store>();
        QVERIFY(store->db.load_engine() != nullptr);
        if (create)
            QVERIFY(create_database(*store, database_path().toStdString(), "Robin"));
        else
            QVERIFY(store->db.open_database(database_path().toStdString()) != nullptr);
        QCOMPARE(load_all_records(*store), LoadStatus::Loaded);
        ws = std::make_unique<Workspace>(*store, clock, prompter);
        ws->main_window = &main_window;
        ws->tree = tree;
        ws->list = list;
        ws->notes = notes;
        ws->status_bar = status_bar;
        ws->user_name = [] { return std::string("Robin"); };
        ws->post_event = [this](const Event& event) { posted.push_back(event); };
        rebuild_tree(*ws, -1);
    }

    DateValue now() const { return current_date(clock); }

    // Inserts through the store's own statements; keys follow the clock as in the program.
    Key add_client(const std::string& name, double rate) {
        const Key key = new_client_key(*store, now());
        run(insert_client_sql(key, name, rate));
        return key;
    }
    Key add_project(Key client, const std::string& title, double rate,
                    DateValue end = make_date(2027, 6, 30, 0, 0, 0),
                    DateValue start = make_date(2026, 1, 1, 0, 0, 0)) {
        const Key key = new_project_key(*store, now());
        run(insert_project_sql(key, title, client, start, end, rate));
        return key;
    }
    Key add_objective(Key project, const std::string& title,
                      DateValue end = make_date(2027, 6, 30, 0, 0, 0)) {
        const Key key = new_objective_key(*store, now());
        run(insert_objective_sql(key, title, project, make_date(2026, 1, 1, 0, 0, 0), end));
        return key;
    }
    Key add_task(Key objective, const std::string& title,
                 DateValue end = make_date(2027, 6, 30, 0, 0, 0), bool completed = false) {
        const Key key = new_task_key(*store, now());
        run(insert_task_sql(key, completed, title, objective, make_date(2026, 1, 1, 0, 0, 0), end,
                            false));
        return key;
    }
    // A time entry of the task on the day, with its seconds and billed flag.
    void add_entry(Key task, int day_of_december, int seconds, bool billed) {
        const Key key = new_time_entry_key(*store, now());
        run("INSERT INTO task_detail VALUES(" + std::to_string(key) + "," + std::to_string(task) +
            "," + std::to_string(seconds) + "," +
            std::to_string(make_date(2026, 12, day_of_december, 0, 0, 0)) + "," +
            (billed ? "1" : "0") + ");");
    }
    void run(const std::string& statement) {
        QCOMPARE(store->db.execute(statement), 0);
        QCOMPARE(load_all_records(*store), LoadStatus::Loaded);
        store->structure_changed();
    }
    // Builds the tree from what was inserted (tree positions, task rates).
    void rebuild() { rebuild_tree(*ws, -1); }

    // The tree position of the first record of the kind whose name is given.
    std::int32_t position_of(RecordKind kind, const std::string& name) const {
        const RecordLists& lists = store->lists;
        switch (kind) {
        case RecordKind::User:
            return lists.users.front().tree_pos;
        case RecordKind::Client:
            for (const auto& r : lists.clients)
                if (r.client_name == name)
                    return r.tree_pos;
            break;
        case RecordKind::Project:
            for (const auto& r : lists.projects)
                if (r.project_title == name)
                    return r.tree_pos;
            break;
        case RecordKind::Objective:
            for (const auto& r : lists.objectives)
                if (r.ob_title == name)
                    return r.tree_pos;
            break;
        case RecordKind::Task:
            for (const auto& r : lists.tasks)
                if (r.task_title == name)
                    return r.tree_pos;
            break;
        case RecordKind::None:
            break;
        }
        return -1;
    }
    void select(RecordKind kind, const std::string& name) {
        select_tree_position(*ws, position_of(kind, name));
    }

    // Rows of the detail list, each as its cells joined by "|".
    QStringList list_rows() const {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(i)->text(c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
};

// A word of a PDF page as pdftotext -bbox reads it, in points from the page's top-left corner.
struct PdfWord {
    QString text;
    double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};
struct PdfPage {
    double width = 0, height = 0;
    std::vector<PdfWord> words;
    QStringList texts() const {
        QStringList result;
        for (const auto& w : words)
            result << w.text;
        return result;
    }
    const PdfWord* find(const QString& text, int skip = 0) const {
        for (const auto& w : words)
            if (w.text == text && skip-- == 0)
                return &w;
        return nullptr;
    }
};

inline QString run_pdftotext(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of the file as laid out on its pages (pages end with a form feed).
inline QString pdf_layout_text(const QString& pdf) {
    return run_pdftotext({QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// The lines of a text with runs of blanks made one, empty lines and page breaks dropped.
inline QStringList simplified_lines(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified().remove(QLatin1Char('\f'));
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines;
}

inline std::vector<PdfPage> pdf_words(const QString& pdf) {
    const QString html = run_pdftotext({QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<PdfPage> pages;
    static const QRegularExpression element(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
                       "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = element.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
        } else if (!pages.empty()) {
            QString text = m.captured(7);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&apos;"), QStringLiteral("'"));
            pages.back().words.push_back({text, m.captured(3).toDouble(), m.captured(4).toDouble(),
                                          m.captured(5).toDouble(), m.captured(6).toDouble()});
        }
    }
    return pages;
}

// One printed text per line, for comparing print_text sequences.
inline QString describe(const PrintedText& t) {
    return QStringLiteral("(%1, %2) \"%3\" %4 %5 style %6 rgb(%7,%8,%9)")
        .arg(t.x, 0, 'f', 2)
        .arg(t.y, 0, 'f', 2)
        .arg(QString::fromStdString(t.text), QString::fromStdString(t.font))
        .arg(t.size, 0, 'f', 2)
        .arg(t.style)
        .arg(t.colour.r)
        .arg(t.colour.g)
        .arg(t.colour.b);
}

inline QStringList describe(const std::vector<PrintedText>& log) {
    QStringList lines;
    for (const auto& t : log)
        lines << describe(t);
    return lines;
}

} // namespace olv::testing
