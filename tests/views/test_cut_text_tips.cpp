// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Texts cut short by the fixed column widths show whole in a tool tip; texts that fit show none.
#include "test_registry.h"
#include "view_helpers.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>

using namespace olv;
using namespace olv::testing;

namespace {

const char* const kLongName = "Acme Worldwide Consolidated Holdings of Greater Manchester";

// Points at a spot of a widget as the mouse does, and returns the tool tip that shows, if any.
QString tip_at(QWidget* area, QPoint point) {
    // A tip leaves after a delay when the mouse moves on; the test moves on at once.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label"))
            w->hide();
    QHelpEvent help(QEvent::ToolTip, point, area->mapToGlobal(point));
    QCoreApplication::sendEvent(area, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

class CutTextTipsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QToolTip::hideText(); }

    void list_cells_cut_short_show_their_whole_text_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tip");
        QTest::newRow("a name that fits") << "Acme" << false;
        QTest::newRow("a name wider than its column") << kLongName << true;
    }
    void list_cells_cut_short_show_their_whole_text() {
        QFETCH(QString, name);
        QFETCH(bool, tip);
        ViewsFixture f;
        f.add_client(name.toStdString());
        f.select(0); // the user's report lists the clients
        QCOMPARE(f.list->topLevelItem(0)->text(1), name);
        QCOMPARE(tip_at(f.list->viewport(), cell_centre(f.list, 0, 1)), tip ? name : QString());
        // The empty cells and the short figures beside it never show one.
        QCOMPARE(tip_at(f.list->viewport(), cell_centre(f.list, 0, 2)), QString());
        QCOMPARE(tip_at(f.list->viewport(), cell_centre(f.list, 1, 1)), QString());
    }

    void column_heads_cut_short_show_their_whole_title() {
        ViewsFixture f;
        f.add_client("Acme");
        f.select(0);
        QHeaderView* header = f.list->header();
        const auto head_centre = [header](int column) {
            return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                          header->height() / 2);
        };
        QCOMPARE(f.list->headerItem()->text(2), QStringLiteral("Total Time"));
        QCOMPARE(tip_at(header->viewport(), head_centre(2)), QString());
        f.list->setColumnWidth(2, 24);
        QCOMPARE(tip_at(header->viewport(), head_centre(2)), QStringLiteral("Total Time"));
        QCOMPARE(tip_at(header->viewport(), head_centre(1)), QString());
    }

    void tree_labels_cut_short_show_their_whole_text() {
        ViewsFixture f;
        f.add_client(kLongName);
        f.add_client("Bolt");
        f.tree->expandAll();
        f.tree->setFixedWidth(160);
        run_pending_events();
        QTreeWidgetItem* cut = f.item(kLongName);
        QTreeWidgetItem* whole = f.item("Bolt");
        QVERIFY(cut && whole);
        const QPoint on_cut = f.tree->visualItemRect(cut).center();
        const QPoint on_whole = f.tree->visualItemRect(whole).center();
        QCOMPARE(tip_at(f.tree->viewport(), on_cut), QString::fromUtf8(kLongName));
        QCOMPARE(tip_at(f.tree->viewport(), on_whole), QString());
    }
};

OLV_TEST_CLASS(CutTextTipsTest)

#include "test_cut_text_tips.moc"
