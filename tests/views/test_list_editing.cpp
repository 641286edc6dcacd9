// Editing in place: the cell frame, the Time cell editor and the Billed toggle of the time-entry
// view, the row colours of every view, and renaming by editing tree labels.
#include "test_registry.h"
#include "view_helpers.h"
#include "views/detail_list_delegate.h"

#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

// Client "Acme" > project "Web" (rate 36) > objective "Build" > task "Code" with entries of
// 00:01:00 and 00:02:00; "Code" is shown.
struct CodeShown {
    Key acme = 0;
    Key code = 0;
    explicit CodeShown(ViewsFixture& f) {
        acme = f.add_client("Acme");
        const Key web = f.add_project(acme, "Web", 36);
        const Key build = f.add_objective(web, "Build");
        code = f.add_task(build, "Code");
        f.add_entry(code, make_date(2026, 12, 1, 0, 0, 0), 60, false);
        f.add_entry(code, make_date(2026, 12, 2, 0, 0, 0), 120, false);
        f.select("Code");
    }
};

int count_pixels(const QImage& image, const QRect& area, bool (*wanted)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (wanted(image.pixel(x, y)))
                ++n;
    return n;
}

bool reddish(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
}
bool bluish(QRgb p) {
    return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) > 200;
}

} // namespace

class ListEditingTest : public QObject {
    Q_OBJECT

private slots:
    void a_click_frames_the_cell_without_selecting_it() {
        ViewsFixture f;
        const CodeShown c(f);
        click_cell(f.list, 0, 3);
        CellEditing e = cell_editing(*f.ws);
        QVERIFY(e.frame_shown);
        QCOMPARE(e.row, 0);
        QCOMPARE(e.column, 3);
        QCOMPARE(e.frame, cell_rect(f.list, 0, 3).adjusted(1, 0, 0, -1));
        QVERIFY(f.list->selectedItems().isEmpty());

        // The next click moves the one frame there.
        click_cell(f.list, 1, 1);
        e = cell_editing(*f.ws);
        QCOMPARE(e.row, 1);
        QCOMPARE(e.column, 1);
        QCOMPARE(e.frame, cell_rect(f.list, 1, 1).adjusted(1, 0, 0, -1));
        QVERIFY(f.list->selectedItems().isEmpty());
        QImage shown = f.list->viewport()->grab().toImage();
        const QRect old_frame = cell_rect(f.list, 0, 3).adjusted(1, 0, 0, -1);
        QVERIFY(shown.pixel(old_frame.left(), old_frame.center().y()) != qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(e.frame.left(), e.frame.center().y()), qRgb(0, 0, 0));

        // Below the last row there is no cell: nothing changes.
        QTest::mouseClick(f.list->viewport(), Qt::LeftButton, {},
                          QPoint(10, f.list->viewport()->height() - 3));
        QCOMPARE(cell_editing(*f.ws).row, 1);

        // Another view of the list: the frame is gone and clicks select rows as usual.
        f.select("Web");
        QVERIFY(!cell_editing(*f.ws).frame_shown);
        click_cell(f.list, 0, 1);
        QCOMPARE(f.list->indexOfTopLevelItem(f.list->currentItem()), 0);
        QVERIFY(!cell_editing(*f.ws).frame_shown);
    }

    void the_time_cell_is_edited_in_place() {
        ViewsFixture f;
        const CodeShown c(f);
        double_click_cell(f.list, 1, 1);
        QLineEdit* editor = cell_editing(*f.ws).editor;
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("00:02:00"));
        QVERIFY(!editor->hasFrame());
        const QRect cell = cell_rect(f.list, 1, 1);
        QCOMPARE(editor->geometry(),
                 QRect(cell.left() + 1, cell.top(), cell.width() - 1, cell.height() - 1));

        // A click on another cell applies the text.
        editor->setText(QStringLiteral("01:30:00"));
        click_cell(f.list, 0, 3);
        QVERIFY(!cell_editing(*f.ws).editor);
        QCOMPARE(f.entries_of("Code").at(1).Time, 5400);
        QCOMPARE(f.cell(1, 1), QStringLiteral("01:30:00"));
        QCOMPARE(f.cell(1, 4), money(54));

        // Enter applies it too; a text that is no time is refused and the time shows again.
        double_click_cell(f.list, 1, 1);
        editor = cell_editing(*f.ws).editor;
        QVERIFY(editor);
        editor->setText(QStringLiteral("soon"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!cell_editing(*f.ws).editor);
        QCOMPARE(f.cell(1, 1), QStringLiteral("01:30:00"));
        QCOMPARE(f.entries_of("Code").at(1).Time, 5400);

        // Other columns open no editor.
        double_click_cell(f.list, 1, 3);
        QVERIFY(!cell_editing(*f.ws).editor);
        QCOMPARE(f.cell(1, 3), money(36));
    }

    void an_open_editor_closes_when_a_tree_label_edit_begins() {
        ViewsFixture f;
        const CodeShown c(f);
        double_click_cell(f.list, 0, 1);
        QLineEdit* editor = cell_editing(*f.ws).editor;
        QVERIFY(editor);
        editor->setText(QStringLiteral("0:10"));
        QTest::keyClick(f.tree, Qt::Key_F2);
        QVERIFY(!cell_editing(*f.ws).editor);
        QCOMPARE(f.entries_of("Code").at(0).Time, 600);
    }

    void a_refilled_list_drops_the_editor() {
        ViewsFixture f;
        const CodeShown c(f);
        double_click_cell(f.list, 0, 1);
        QPointer<QLineEdit> editor = cell_editing(*f.ws).editor;
        QVERIFY(editor);
        editor->setText(QStringLiteral("5:00"));
        show_item_details(*f.ws, f.position_of("Acme"));
        QVERIFY(!cell_editing(*f.ws).editor);
        run_pending_events();
        QVERIFY(editor.isNull());
        QCOMPARE(f.entries_of("Code").at(0).Time, 60);
    }

    void billed_flips_on_each_double_click() {
        ViewsFixture f;
        const CodeShown c(f);
        double_click_cell(f.list, 0, 2);
        QCOMPARE(f.cell(0, 2), QStringLiteral("Yes"));
        QCOMPARE(f.entries_of("Code").at(0).billed, 1);
        double_click_cell(f.list, 0, 2);
        QCOMPARE(f.cell(0, 2), QStringLiteral("No"));
        QCOMPARE(f.entries_of("Code").at(0).billed, 0);
        QCOMPARE(f.entries_of("Code").at(1).billed, 0);
    }

    void rows_alternate_their_colours_in_every_view() {
        ViewsFixture f;
        f.add_client("Acme");
        f.add_client("Bolt");
        f.select(0);
        QCOMPARE(f.rows().size(), 4);
        const QImage shown = f.list->viewport()->grab().toImage();
        for (int row = 0; row < 4; ++row) {
            const QRect cell = cell_rect(f.list, row, 2);
            QCOMPARE(QColor(shown.pixel(cell.left() + 2, cell.top() + 2)),
                     DetailListDelegate::background_colour(row));
        }
        QCOMPARE(DetailListDelegate::background_colour(0), QColor(255, 255, 223));
        QCOMPARE(DetailListDelegate::background_colour(1), QColor(208, 208, 176));
        // The Total column is red on even rows and blue on odd rows; the others are black.
        QVERIFY(count_pixels(shown, cell_rect(f.list, 0, 4), reddish) > 0);
        QCOMPARE(count_pixels(shown, cell_rect(f.list, 0, 4), bluish), 0);
        QVERIFY(count_pixels(shown, cell_rect(f.list, 1, 4), bluish) > 0);
        QCOMPARE(count_pixels(shown, cell_rect(f.list, 1, 4), reddish), 0);
        QCOMPARE(count_pixels(shown, cell_rect(f.list, 0, 5), reddish), 0);
        QCOMPARE(count_pixels(shown, cell_rect(f.list, 1, 3), bluish), 0);
    }

    void tree_labels_rename_what_may_be_renamed_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("editable");
        // The way to set the user's name after the first start.
        QTest::newRow("the user item") << "Robin" << false << true;
        QTest::newRow("a running task") << "Code" << true << false;
        QTest::newRow("a task") << "Code" << false << true;
        QTest::newRow("a client") << "Acme" << false << true;
        QTest::newRow("an objective") << "Build" << false << true;
    }
    void tree_labels_rename_what_may_be_renamed() {
        QFETCH(QString, label);
        QFETCH(bool, running);
        QFETCH(bool, editable);
        ViewsFixture f;
        const CodeShown c(f);
        QStringList names_set;
        f.ws->set_user_name = [&names_set](const std::string& name) {
            names_set << QString::fromStdString(name);
        };
        f.select(label.toUtf8().constData());
        const std::int32_t position = current_position(*f.ws);
        const bool user = record_at_position(*f.ws, position).kind == RecordKind::User;
        if (running)
            toggle_timer(*f.ws, position);
        const QString shown_before = tree_item_at(*f.ws, position)->text(0);
        flush_records(*f.ws);
        QTest::keyClick(f.tree, Qt::Key_F2);
        QLineEdit* editor = tree_label_editor(f.tree);
        QCOMPARE(editor != nullptr, editable);
        if (!editable)
            return;

        // An empty label is refused and the record keeps its name.
        // The view applies an edit once the key press has been handled.
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        run_pending_events();
        QVERIFY(!tree_label_editor(f.tree));
        QCOMPARE(tree_item_at(*f.ws, position)->text(0), shown_before);
        QVERIFY(!record_modified(f, position));

        QTest::keyClick(f.tree, Qt::Key_F2);
        editor = tree_label_editor(f.tree);
        QVERIFY(editor);
        editor->setText(QStringLiteral("It's new"));
        QTest::keyClick(editor, Qt::Key_Return);
        run_pending_events();
        QCOMPARE(tree_item_at(*f.ws, position)->text(0), QStringLiteral("It's new"));
        QVERIFY(record_modified(f, position));
        // Only the user's own name goes into the settings, once, and never empty.
        QCOMPARE(names_set, user ? QStringList{QStringLiteral("It's new")} : QStringList{});
        f.restart();
        QVERIFY(f.item("It's new"));
    }

private:
    static bool record_modified(ViewsFixture& f, std::int32_t position) {
        const RecordRef ref = record_at_position(*f.ws, position);
        const RecordLists& l = f.store->lists;
        switch (ref.kind) {
        case RecordKind::User:
            return l.users[ref.index].modified;
        case RecordKind::Client:
            return l.clients[ref.index].modified;
        case RecordKind::Objective:
            return l.objectives[ref.index].modified;
        case RecordKind::Task:
            return l.tasks[ref.index].modified;
        default:
            return false;
        }
    }
};

OLV_TEST_CLASS(ListEditingTest)
#include "test_list_editing.moc"
