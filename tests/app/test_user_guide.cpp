// Help > User Guide: the first "manual.pdf" of its folders goes to the document viewer; when
// there is none, or no viewer can be started, a box says so and names the file.
#include "app/dispatch.h"
#include "scripted_prompter.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace olv;

class UserGuideOpeningTest : public QObject {
    Q_OBJECT

private slots:
    void the_guide_opens_or_a_box_names_it_data() {
        QTest::addColumn<bool>("in_first");
        QTest::addColumn<bool>("in_second");
        QTest::addColumn<bool>("viewer_starts");
        QTest::addColumn<QString>("opened");  // "first", "second" or empty
        QTest::addColumn<QString>("message"); // with <first> and <second> for the folders
        QTest::newRow("in the working directory") << true << true << true << "first" << QString();
        QTest::newRow("beside the program only") << false << true << true << "second" << QString();
        QTest::newRow("nowhere") << false << false << true << QString()
                                 << "Could not open the user guide: manual.pdf is not in <first> "
                                    "or <second>.";
        QTest::newRow("no viewer can be started")
            << false << true << false << "second"
            << "Could not open the user guide <second>/manual.pdf: no program to show PDF "
               "documents "
               "could be started.";
    }
    void the_guide_opens_or_a_box_names_it() {
        QFETCH(bool, in_first);
        QFETCH(bool, in_second);
        QFETCH(bool, viewer_starts);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        QTemporaryDir first, second;
        const auto put_guide = [](const QTemporaryDir& dir) {
            QFile guide(dir.filePath(QStringLiteral("manual.pdf")));
            QVERIFY(guide.open(QIODevice::WriteOnly));
            guide.write("%PDF-1.4\n");
        };
        if (in_first)
            put_guide(first);
        if (in_second)
            put_guide(second);

        ScriptedPrompter prompter;
        QList<QUrl> asked;
        open_user_guide(prompter, nullptr, {first.path(), second.path()}, [&](const QUrl& url) {
            asked << url;
            return viewer_starts;
        });

        QList<QUrl> expected_urls;
        if (!opened.isEmpty()) {
            const QString folder = opened == QStringLiteral("first") ? first.path() : second.path();
            expected_urls << QUrl::fromLocalFile(
                QDir(folder).filePath(QStringLiteral("manual.pdf")));
        }
        QCOMPARE(asked, expected_urls);
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
