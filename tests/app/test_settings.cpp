// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/input_box.h"
#include "app/settings_store.h"
#include "file_access.h"
#include "scripted_prompter.h"
#include "test_registry.h"
#include "views/ids.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace olv;

class SettingsStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString key() const { return dir.filePath(QStringLiteral("folder/settings.conf")); }

private slots:
    void init() {
        QFile::remove(key());
        QVERIFY(!settings_key_exists(key()));
        QVERIFY(create_settings_key(key()));
        QVERIFY(settings_key_exists(key()));
    }

    void values_read_back_as_written_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name") << "Ada Lovelace" << 1 << "Ada Lovelace";
        QTest::newRow("apostrophe kept") << "O'Brien" << 1 << "O'Brien";
        QTest::newRow("comma is not a list") << "Smith, John" << 1 << "Smith, John";
        QTest::newRow("non-ASCII") << "Zoë Ærø £" << 1 << "Zoë Ærø £";
        QTest::newRow("path with blanks") << "/home/a b/my work.db" << 1 << "/home/a b/my work.db";
        QTest::newRow("255 characters and more are kept whole")
            << QString(300, QLatin1Char('x')) << 1 << QString(300, QLatin1Char('x'));
        QTest::newRow("empty") << "" << 1 << "";
        QTest::newRow("number") << "42" << 4 << "42";
        QTest::newRow("number from text with digits first") << "17 apples" << 4 << "17";
        QTest::newRow("number from no digits") << "none" << 4 << "0";
    }
    void values_read_back_as_written() {
        QFETCH(QString, value);
        QFETCH(int, type);
        QFETCH(QString, expected);
        ScriptedPrompter prompter;
        QVERIFY(set_setting(key(), QStringLiteral("Value"), value.toStdString(),
                            static_cast<SettingType>(type), prompter));
        QCOMPARE(QString::fromStdString(get_setting(key(), QStringLiteral("Value"))), expected);
        QVERIFY(prompter.shown.isEmpty());
    }

    void a_missing_value_reads_empty_after_a_found_one() {
        ScriptedPrompter prompter;
        QVERIFY(set_setting(key(), QStringLiteral("UserName"), "Ada", SettingType::Text, prompter));
        QCOMPARE(get_setting(key(), QStringLiteral("UserName")), std::string("Ada"));
        QCOMPARE(get_setting(key(), QStringLiteral("Default Database")), std::string());
    }

    void the_second_value_keeps_the_first() {
        ScriptedPrompter prompter;
        set_setting(key(), QStringLiteral("UserName"), "Ada", SettingType::Text, prompter);
        set_setting(key(), QStringLiteral("Default Database"), "/x/default.db", SettingType::Text,
                    prompter);
        QCOMPARE(get_setting(key(), QStringLiteral("UserName")), std::string("Ada"));
        QCOMPARE(get_setting(key(), QStringLiteral("Default Database")),
                 std::string("/x/default.db"));
    }

    void writing_without_the_key_fails_with_a_message() {
        QFile::remove(key());
        ScriptedPrompter prompter;
        QVERIFY(!set_setting(key(), QStringLiteral("Default Database"), "/x.db", SettingType::Text,
                             prompter));
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].title, QStringLiteral("Fehler"));
        QCOMPARE(prompter.shown[0].text, QStringLiteral("Ein Fehler ist aufgetreten"));
        QVERIFY(!QFile::exists(key()));
        QCOMPARE(get_setting(key(), QStringLiteral("Default Database")), std::string());
    }

    void a_key_that_cannot_be_made_fails_quietly_and_writes_complain() {
        // The folder would have to be made inside a plain file.
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString impossible = dir.filePath(QStringLiteral("plain/settings.conf"));
        QVERIFY(!create_settings_key(impossible));
        QVERIFY(!settings_key_exists(impossible));
        ScriptedPrompter prompter;
        QVERIFY(!set_setting(impossible, QStringLiteral("UserName"), "Ada", SettingType::Text,
                             prompter));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Ein Fehler ist aufgetreten")});
    }

    void a_read_only_file_is_read_and_only_a_change_fails_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("the value it holds") << "/work/ada.db" << true;
        QTest::newRow("another value") << "/work/other.db" << false;
    }
    void a_read_only_file_is_read_and_only_a_change_fails() {
        QFETCH(QString, written);
        QFETCH(bool, succeeds);
        ScriptedPrompter prompter;
        QVERIFY(set_setting(key(), QStringLiteral("Default Database"), "/work/ada.db",
                            SettingType::Text, prompter));
        QVERIFY(QFile::setPermissions(key(), QFile::ReadOwner | QFile::ReadGroup));
        testing::FileModesHold modes;
        if (!modes.holds())
            QSKIP("file modes cannot be made to hold for this user");

        QVERIFY(settings_key_exists(key()));
        QCOMPARE(get_setting(key(), QStringLiteral("Default Database")),
                 std::string("/work/ada.db"));
        QCOMPARE(set_setting(key(), QStringLiteral("Default Database"), written.toStdString(),
                             SettingType::Text, prompter),
                 succeeds);
        QCOMPARE(prompter.texts(), succeeds
                                       ? QStringList()
                                       : QStringList{QStringLiteral("Ein Fehler ist aufgetreten")});
        QCOMPARE(get_setting(key(), QStringLiteral("Default Database")),
                 std::string("/work/ada.db"));
    }

    void the_environment_names_the_file() {
        const QByteArray saved = qgetenv("OLVESSA_SETTINGS");
        qputenv("OLVESSA_SETTINGS", "/somewhere/mine.conf");
        QCOMPARE(settings_file(), QStringLiteral("/somewhere/mine.conf"));
        qunsetenv("OLVESSA_SETTINGS");
        QVERIFY(settings_file().endsWith(QStringLiteral("/Olvessa/Olvessa.project.conf")));
        if (!saved.isNull())
            qputenv("OLVESSA_SETTINGS", saved);
    }
};

class InputBoxTest : public QObject {
    Q_OBJECT

    static QWidget* prompt() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == QString::number(id::InputBox))
                return w;
        }
        return nullptr;
    }

private slots:
    void answers_data() {
        QTest::addColumn<QString>("default_text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Return takes the text") << ""
                                               << "Ada"
                                               << "return"
                                               << "Ada";
        QTest::newRow("keypad Enter takes the text") << ""
                                                     << "Ada"
                                                     << "enter"
                                                     << "Ada";
        QTest::newRow("OK takes the text") << ""
                                           << "Bob"
                                           << "ok"
                                           << "Bob";
        QTest::newRow("typing after the default") << "Jo"
                                                  << "hn"
                                                  << "return"
                                                  << "John";
        QTest::newRow("Return with nothing typed") << ""
                                                   << ""
                                                   << "return"
                                                   << "";
        QTest::newRow("Escape keeps the default") << "Jo"
                                                  << "hn"
                                                  << "escape"
                                                  << "Jo";
        QTest::newRow("Escape at the first start gives nothing") << ""
                                                                 << "Ada"
                                                                 << "escape"
                                                                 << "";
        QTest::newRow("closing keeps the default") << "keep"
                                                   << "xyz"
                                                   << "close"
                                                   << "keep";
    }
    void answers() {
        QFETCH(QString, default_text);
        QFETCH(QString, typed);
        QFETCH(QString, ending);
        QFETCH(QString, expected);
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = prompt();
            shown = box != nullptr;
            if (!box)
                return;
            auto* field = box->findChild<QLineEdit*>(QString::number(id::InputField));
            field->setCursorPosition(field->text().size());
            QTest::keyClicks(field, typed);
            if (ending == QLatin1String("return"))
                QTest::keyClick(field, Qt::Key_Return);
            else if (ending == QLatin1String("enter"))
                QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
            else if (ending == QLatin1String("escape"))
                QTest::keyClick(field, Qt::Key_Escape);
            else if (ending == QLatin1String("ok"))
                QTest::mouseClick(box->findChild<QPushButton*>(QString::number(id::InputOk)),
                                  Qt::LeftButton);
            else
                box->close();
        });
        QCOMPARE(input_box(QStringLiteral("Enter Username"), default_text), expected);
        QVERIFY(shown);
        QVERIFY(!prompt());
    }

    void layout() {
        QString title;
        QSize size;
        QPoint position, expected_position;
        QRect field_geometry, ok_geometry;
        QString field_text, ok_text;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = prompt();
            if (!box)
                return;
            title = box->windowTitle();
            size = box->size();
            position = box->pos();
            const QSize screen = box->screen()->size();
            expected_position = {(screen.width() - 200) / 2, (screen.height() - 25) / 2};
            if (auto* field = box->findChild<QLineEdit*>(QString::number(id::InputField))) {
                field_geometry = field->geometry();
                field_text = field->text();
            }
            if (auto* ok = box->findChild<QPushButton*>(QString::number(id::InputOk))) {
                ok_geometry = ok->geometry();
                ok_text = ok->text();
            }
            box->close();
        });
        QCOMPARE(input_box(QStringLiteral("Enter Username"), QStringLiteral("start")),
                 QStringLiteral("start"));
        QCOMPARE(title, QStringLiteral("Enter Username"));
        QCOMPARE(size, QSize(240, 25));
        QCOMPARE(position, expected_position);
        QCOMPARE(field_geometry, QRect(2, 2, 196, 20));
        QCOMPARE(field_text, QStringLiteral("start"));
        QCOMPARE(ok_text, QStringLiteral("OK"));
        QCOMPARE(ok_geometry, QRect(205, 0, 30, 20));
    }
};

OLV_TEST_CLASS(SettingsStoreTest)
OLV_TEST_CLASS(InputBoxTest)

#include "test_settings.moc"
