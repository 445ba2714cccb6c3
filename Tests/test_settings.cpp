// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/appsettings.h"

#include "support/datafolder.h"

#include <QSettings>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void defaultsWithoutAFile() {
        DataFolder data;
        formCursorPos = formOpenThenHide = true;
        loadSettings(QStringLiteral("../Data/Config"));
        QVERIFY(configSettings);
        QVERIFY(!formCursorPos);
        QVERIFY(!formOpenThenHide);
        QVERIFY(!storedWindowSize().isValid());
        QCOMPARE(configSettings->value(settingkeys::hotKeyShowAndHide, settingkeys::defaultHotKey).toString(),
                 QStringLiteral("alt+`"));
        // Reading writes nothing.
        configSettings->sync();
        QVERIFY(!QFileInfo::exists(data.configPath()));
    }

    void mirrorsReadTheFile() {
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\nCursorPos=true\nOpenThenHide=true\n");
        loadSettings(QStringLiteral("../Data/Config"));
        QVERIFY(formCursorPos);
        QVERIFY(formOpenThenHide);
    }

    void sizeRestoredOnlyWhenBothAreSet_data() {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("both") << QByteArray("Height=600\nWidth=900") << QSize(900, 600);
        QTest::newRow("height zero") << QByteArray("Height=0\nWidth=900") << QSize();
        QTest::newRow("width zero") << QByteArray("Height=600\nWidth=0") << QSize();
        QTest::newRow("width missing") << QByteArray("Height=600") << QSize();
        QTest::newRow("garbage") << QByteArray("Height=tall\nWidth=900") << QSize();
        QTest::newRow("negative") << QByteArray("Height=-600\nWidth=900") << QSize();
    }
    void sizeRestoredOnlyWhenBothAreSet() {
        QFETCH(QByteArray, form);
        QFETCH(QSize, expected);
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\n" + form + "\n");
        loadSettings(QStringLiteral("../Data/Config"));
        QCOMPARE(storedWindowSize(), expected);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
