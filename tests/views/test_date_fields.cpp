// The date fields of the item dialogs show the whole date, read back from the rendered dialog:
// no first digit cut off ("l0 Dec"), no year cut at the end. The same class runs again at scale
// factor 2 (CTest entry views-scale-2).
#include "render_read.h"
#include "test_registry.h"
#include "views_fixture.h"

#include <QDateEdit>
#include <QTest>

using namespace olv;
using namespace olv::testing;

class DateFieldTest : public QObject {
    Q_OBJECT

private slots:
    void item_dialogs_show_whole_dates_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QDate>("day");
        const std::pair<const char*, int> dialogs[] = {{"project", id::ProjectDialog},
                                                       {"objective", id::ObjectiveDialog},
                                                       {"task", id::TaskDialog}};
        // Two-digit days, the widest month names and years, the first and last days a date
        // value can hold.
        const QDate days[] = {QDate(2026, 12, 10), QDate(2000, 9, 28), QDate(2037, 11, 30),
                              QDate(1970, 1, 1), QDate(2038, 1, 19)};
        for (const auto& [name, window] : dialogs)
            for (const QDate& day : days)
                QTest::addRow("%s, %s", name, qPrintable(day.toString(Qt::ISODate)))
                    << window << day;
    }
    void item_dialogs_show_whole_dates() {
        QFETCH(int, window);
        QFETCH(QDate, day);
        ViewsFixture f;
        if (window == id::ProjectDialog)
            open_project_dialog(*f.ws);
        else if (window == id::ObjectiveDialog)
            open_objective_dialog(*f.ws);
        else
            open_task_dialog(*f.ws);
        QWidget* dialog = f.ws->main_window->findChild<QWidget*>(QString::number(window));
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QList<QDateEdit*> pickers = dialog->findChildren<QDateEdit*>();
        QCOMPARE(pickers.size(), 2);
        for (QDateEdit* picker : pickers) {
            picker->setDate(day);
            // Unfocused: no cursor or selection in the pixels read.
            picker->clearFocus();
            const QString cut = text_cut(picker);
            QVERIFY2(cut.isEmpty(), qPrintable(picker->text() + QStringLiteral(": ") + cut));
        }
    }
};

OLV_TEST_CLASS(DateFieldTest)

#include "test_date_fields.moc"
