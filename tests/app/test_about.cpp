// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// The About window: its contents, and that only its OK button closes it. The user guide that
// Help > User Guide opens beside the program.
#include "app/dispatch.h"
#include "app/preferences_window.h"
#include "print/test_print_fixture.h"
#include "test_registry.h"
#include "views/dialogs.h"
#include "views/ids.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

using namespace olv;
using namespace olv::testing;

namespace {

// The window's button goes through the dispatcher's routing of window events.
void route_about(PrintFixture& f) {
    f.ws->post_event = [&f](const Event& event) {
        f.posted.push_back(event);
        dispatch_window_event(*f.ws, event);
    };
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void window_and_contents() {
        PrintFixture f;
        f.main_window.setGeometry(200, 150, 790, 520);
        f.main_window.show();
        open_about(*f.ws);
        QWidget* window = f.ws->about_window;
        QVERIFY(window);
        QVERIFY(window->isWindow() && window->isVisible());
        QCOMPARE(window->parentWidget(), &f.main_window);
        QCOMPARE(window->windowModality(), Qt::NonModal);
        QCOMPARE(window->objectName(), QStringLiteral("92"));
        QCOMPARE(window->windowTitle(), QStringLiteral("About..."));
        QCOMPARE(window->size(), QSize(312, 425));
        QVERIFY2(
            (window->geometry().center() - f.main_window.geometry().center()).manhattanLength() <=
                4,
            qPrintable(QStringLiteral("%1,%2 %3x%4 on %5,%6 %7x%8")
                           .arg(window->x())
                           .arg(window->y())
                           .arg(window->width())
                           .arg(window->height())
                           .arg(f.main_window.x())
                           .arg(f.main_window.y())
                           .arg(f.main_window.width())
                           .arg(f.main_window.height())));

        const auto* ok = window->findChild<QPushButton*>(QStringLiteral("93"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->geometry(), QRect(110, 390, 100, 30));

        QList<int> text_rows;
        QStringList texts;
        const QLabel* picture = nullptr;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty()) {
                picture = label;
                continue;
            }
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QCOMPARE(label->x(), 23);
            QCOMPARE(label->size(), QSize(270, 20));
            text_rows << label->y();
            texts << label->text();
        }
        QCOMPARE(text_rows, QList<int>({230, 250, 270, 290, 310, 350, 370}));
        QCOMPARE(texts.first(), QStringLiteral("Olvessa.Project"));
        QCOMPARE(texts.last(), QStringLiteral("Keep 'em coming...."));
        for (const QString& credit : texts.mid(1, 5))
            QVERIFY(!credit.trimmed().isEmpty());
        QVERIFY(picture);
        QCOMPARE(picture->geometry(), QRect(10, 10, 288, 206));
        QCOMPARE(picture->frameShadow(), QFrame::Sunken);
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(picture->pixmap().size(), QSize(288, 206));
    }

    void only_its_ok_button_closes_it() {
        PrintFixture f;
        route_about(f);
        f.main_window.show();
        open_about(*f.ws);
        const QPointer<QWidget> window = f.ws->about_window;
        QVERIFY(window && window->windowHandle());

        // The title bar's close button, and any other close request.
        window->windowHandle()->close();
        QVERIFY(!window->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(f.posted.empty());

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("93")), Qt::LeftButton);
        QCOMPARE(f.posted.size(), std::size_t(1));
        QCOMPARE(f.posted[0].id, id::AboutOk);
        QCOMPARE(f.posted[0].window, id::AboutWindow);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        QVERIFY(!f.ws->about_window);
    }

    void opening_again_replaces_the_window() {
        PrintFixture f;
        open_about(*f.ws);
        const QPointer<QWidget> first = f.ws->about_window;
        open_about(*f.ws);
        QVERIFY(!first);
        QVERIFY(f.ws->about_window);
        QCOMPARE(f.main_window.findChildren<QWidget*>(QStringLiteral("92")).size(), 1);
    }
};

class UserGuideTest : public QObject {
    Q_OBJECT

private slots:
    // Laid out from its source by the build: a real PDF whose sections read as text.
    void guide_is_built_beside_the_program() {
        const QString guide =
            QCoreApplication::applicationDirPath() + QStringLiteral("/manual.pdf");
        QVERIFY2(QFileInfo(guide).isFile(), qPrintable(guide));

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {guide});
        QVERIFY(info.waitForFinished(60000));
        const QString details = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(details.contains(
                     QRegularExpression(QStringLiteral("Title:\\s+Olvessa.project User Guide"))),
                 qPrintable(details));

        const QStringList lines = simplified_lines(pdf_layout_text(guide));
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first(), QStringLiteral("Olvessa.project User Guide"));
        // The contents list names the sections first; the sections follow in the same order.
        const QStringList sections{
            "1. Getting started", "2. The main window",   "3. Organising your work",
            "4. Recording time",  "5. Correcting time",   "6. Billing",
            "7. Reports",         "8. The to-do list",    "9. Printing, and printing to PDF",
            "10. Preferences",    "11. Saving your work", "12. Where your data and settings live",
            "13. Using a server", "14. Messages"};
        qsizetype at = lines.indexOf(QStringLiteral("Contents"));
        QVERIFY(at > 0);
        for (int pass = 0; pass < 2; ++pass)
            for (const QString& section : sections) {
                at = lines.indexOf(section, at + 1);
                QVERIFY2(at > 0, qPrintable(section));
            }
        // Markdown is laid out, not printed as typed.
        for (const QString& line : lines)
            QVERIFY2(!line.contains(QStringLiteral("##")) && !line.contains(QStringLiteral("**")) &&
                         !line.contains(QStringLiteral("|---")),
                     qPrintable(line));
    }
};

OLV_TEST_CLASS(AboutTest)
OLV_TEST_CLASS(UserGuideTest)
#include "test_about.moc"
