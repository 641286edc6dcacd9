// Help > User Guide: the first "manual.pdf" of its folders goes to the launcher of the document
// viewer; when there is none, or the launcher fails or cannot be started, a box says so and
// names the file. The launchers are small real programs: one that records what it was given,
// one that fails as xdg-open does without a PDF viewer, and one that does not exist.
#include "app/dispatch.h"
#include "scripted_prompter.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace olv;

class UserGuideOpeningTest : public QObject {
    Q_OBJECT

private slots:
    void the_guide_opens_or_a_box_names_it_data() {
        QTest::addColumn<bool>("in_first");
        QTest::addColumn<bool>("in_second");
        QTest::addColumn<QString>("launcher"); // "records", "fails" or "missing"
        QTest::addColumn<QString>("opened");   // "first", "second" or empty
        QTest::addColumn<QString>("message");  // with <first> and <second> for the folders
        const QString no_viewer =
            QStringLiteral("Could not open the user guide <second>/manual.pdf: "
                           "no program to show PDF documents could be "
                           "started.");
        QTest::newRow("in the working directory") << true << true << "records"
                                                  << "first" << QString();
        QTest::newRow("beside the program only") << false << true << "records"
                                                 << "second" << QString();
        QTest::newRow("nowhere") << false << false << "records" << QString()
                                 << "Could not open the user guide: manual.pdf is not in <first> "
                                    "or <second>.";
        QTest::newRow("the launcher finds no viewer") << false << true << "fails"
                                                      << "second" << no_viewer;
        QTest::newRow("no launcher installed")
            << false << true << "missing" << QString() << no_viewer;
    }
    void the_guide_opens_or_a_box_names_it() {
        QFETCH(bool, in_first);
        QFETCH(bool, in_second);
        QFETCH(QString, launcher);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        QTemporaryDir first, second, programs;
        const auto put_guide = [](const QTemporaryDir& dir) {
            QFile guide(dir.filePath(QStringLiteral("manual.pdf")));
            QVERIFY(guide.open(QIODevice::WriteOnly));
            guide.write("%PDF-1.4\n");
        };
        if (in_first)
            put_guide(first);
        if (in_second)
            put_guide(second);

        // The launcher writes the file it was given, then ends as xdg-open would: 0 when a
        // viewer took the file, 3 when no program for PDF documents was found.
        const QString asked_file = programs.filePath(QStringLiteral("asked"));
        const QString program = programs.filePath(QStringLiteral("launcher"));
        if (launcher != QStringLiteral("missing")) {
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n")
                             .arg(asked_file, launcher == QStringLiteral("fails") ? "3" : "0")
                             .toUtf8());
            script.close();
            QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        }

        ScriptedPrompter prompter;
        open_user_guide(prompter, nullptr, {first.path(), second.path()}, program);

        QString expected_file;
        if (!opened.isEmpty()) {
            const QString folder = opened == QStringLiteral("first") ? first.path() : second.path();
            expected_file = QDir(folder).filePath(QStringLiteral("manual.pdf"));
        }
        const auto given = [&asked_file] {
            QFile asked(asked_file);
            return asked.open(QIODevice::ReadOnly) ? QString::fromUtf8(asked.readAll()) : QString();
        };
        if (!message.isEmpty())
            QTRY_COMPARE(prompter.shown.size(), 1);
        QTRY_COMPARE(given(), expected_file);
        // Whatever the launcher did, it has ended by now: one box at most, and only on failure.
        QTest::qWait(50);
        if (message.isEmpty()) {
            QVERIFY(prompter.shown.isEmpty());
        } else {
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(prompter.shown.at(0).title, QStringLiteral("Error"));
            QCOMPARE(prompter.shown.at(0).text,
                     message.replace(QStringLiteral("<first>"), first.path())
                         .replace(QStringLiteral("<second>"), second.path()));
        }
    }
};

OLV_TEST_CLASS(UserGuideOpeningTest)

#include "test_user_guide.moc"
