// One money rule in every window, on paper and in the CSV: each time entry's amount is rounded to
// the cent before amounts are added. At 45.00 an hour a second is 1.25p; entries of 18159, 2 and
// 2 seconds are worth £226.99 (226.9875), 3p (2.5p) and 3p: £227.05 in all, where the unrounded
// sum (18163 seconds) would give £227.04, and £0.06 billed where it would give £0.05.
#include "app/period_report_window.h"
#include "app_fixture.h"
#include "reports/format.h"
#include "test_registry.h"
#include "views/tree.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace olv;
using namespace olv::testing;

namespace {

enum class Where { MainWindow, Paper, PeriodReport, Csv };

// Acme (project Website at 45.00 an hour, task Design, key 400) with the given entries in
// November; a negative number of seconds is a billed entry.
std::function<void(Store&)> acme_with(const QList<qint64>& entries) {
    return [entries](Store& store) {
        const DateValue start = make_date(2026, 1, 1, 0, 0, 0);
        const DateValue end = make_date(2027, 6, 30, 0, 0, 0);
        AccessLayer& sql = store.db;
        sql.execute(insert_client_sql(100, "Acme", 0));
        sql.execute(insert_project_sql(200, "Website", 100, start, end, 45));
        sql.execute(insert_objective_sql(300, "Launch", 200, start, end));
        sql.execute(insert_task_sql(400, false, "Design", 300, start, end, false));
        for (int i = 0; i < entries.size(); ++i) {
            const qint64 seconds = entries[i];
            sql.execute("INSERT INTO task_detail VALUES(" + std::to_string(500 + i) + ",400," +
                        std::to_string(seconds < 0 ? -seconds : seconds) + "," +
                        std::to_string(make_date(2026, 11, 2 + i, 0, 0, 0)) + "," +
                        (seconds < 0 ? "1" : "0") + ");");
        }
    };
}

QStringList cells_of(const QTreeWidgetItem* item) {
    QStringList cells;
    for (int c = 0; item && c < item->columnCount(); ++c)
        cells << item->text(c);
    return cells;
}

QStringList pdf_lines(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed>")};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        lines << line.simplified().remove(QLatin1Char('\f'));
    return lines;
}

// "time|earned|billed" of the client Acme where the user looks.
QString acme_figures(AppFixture& f, Where where) {
    std::int32_t acme = -1;
    for (const ClientRecord& c : f.app->store().lists.clients)
        acme = c.tree_pos;
    select_tree_position(f.ws(), acme);
    switch (where) {
    case Where::MainWindow: {
        // The client's list: its projects, a blank row and the totals.
        const QTreeWidget* list = f.window().list();
        const QStringList total = cells_of(list->topLevelItem(list->topLevelItemCount() - 1));
        return total.mid(2, 1).join("") + "|" + total.mid(4, 2).join("|");
    }
    case Where::Paper: {
        f.prompter.printer_output = f.path(QStringLiteral("acme.pdf"));
        f.window().menu_item(id::FilePrint)->trigger();
        for (const QString& line : pdf_lines(f.prompter.printer_output))
            if (line.startsWith(QStringLiteral("TOTALS "))) {
                const QStringList words = line.split(QLatin1Char(' '));
                return words.value(1) + "|" + words.value(3) + "|" + words.value(4);
            }
        return QStringLiteral("<no totals on paper>");
    }
    case Where::PeriodReport:
    case Where::Csv:
        break;
    }
    f.app->handle_event(menu_event(id::ReportsPeriodReport, id::MainWindow));
    PeriodReportWindow* w = f.app->period_report();
    if (!w)
        return QStringLiteral("<no period report>");
    w->findChild<QComboBox*>(QString::number(id::PeriodChoiceBox))
        ->setCurrentIndex(static_cast<int>(PeriodBoxItem::AllTime));
    if (where == Where::PeriodReport) {
        const QTreeWidget* rows = w->rows_list();
        const QStringList total = cells_of(rows->topLevelItem(rows->topLevelItemCount() - 1));
        return total.value(1) + "|" + total.value(3) + "|" + total.value(4);
    }
    // The CSV holds each entry's amount: their sums are the figures.
    f.prompter.file_name = f.path(QStringLiteral("acme"));
    QTest::mouseClick(w->findChild<QPushButton*>(QString::number(id::PeriodExportCsv)),
                      Qt::LeftButton);
    QFile csv(f.path(QStringLiteral("acme.csv")));
    if (!csv.open(QIODevice::ReadOnly))
        return QStringLiteral("<no csv>");
    std::int64_t seconds = 0;
    std::int64_t earned = 0;
    std::int64_t billed = 0;
    const QList<QByteArray> lines = csv.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].trimmed().split(',');
        if (fields.size() != 10)
            continue;
        const std::int64_t cents = QByteArray(fields[9]).replace(".", "").toLongLong();
        seconds += fields[6].toLongLong();
        earned += cents;
        if (fields[7] == "yes")
            billed += cents;
    }
    return QString::fromStdString(format_duration(seconds) + "|" +
                                  format_cents("\xC2\xA3", earned) + "|" +
                                  format_cents("\xC2\xA3", billed));
}

} // namespace

Q_DECLARE_METATYPE(Where)

class MoneyRuleTest : public QObject {
    Q_OBJECT

private slots:
    void the_same_figures_everywhere_data() {
        QTest::addColumn<Where>("where");
        QTest::addColumn<QList<qint64>>("entries");
        QTest::addColumn<QString>("figures");
        const struct {
            const char* name;
            QList<qint64> entries;
            const char* figures;
        } cases[] = {
            {"a cent apart unrounded", {18159, -2, -2}, "05:02:43|£227.05|£0.06"},
            // Times of 2^31 seconds and more come only from foreign or imported data.
            {"2^31 seconds", {2147483648LL}, "24855/03:14:08|£26843545.60|£0.00"},
            {"2^31 seconds billed",
             {-2147483648LL, 3600},
             "24855/04:14:08|£26843590.60|"
             "£26843545.60"},
        };
        const struct {
            const char* name;
            Where where;
        } places[] = {{"main window", Where::MainWindow},
                      {"paper", Where::Paper},
                      {"period report", Where::PeriodReport},
                      {"csv", Where::Csv}};
        for (const auto& c : cases)
            for (const auto& p : places)
                QTest::addRow("%s, %s", c.name, p.name) << p.where << c.entries << c.figures;
    }
    void the_same_figures_everywhere() {
        QFETCH(Where, where);
        QFETCH(QList<qint64>, entries);
        QFETCH(QString, figures);
        AppFixture f;
        f.prepare(acme_with(entries));
        QVERIFY(f.start());
        QCOMPARE(acme_figures(f, where), figures);
        QVERIFY(f.messages().isEmpty());
    }
};

OLV_TEST_CLASS(MoneyRuleTest)

#include "test_money_rule.moc"
