// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/appsettings.h"

#include "support/datafolder.h"
#include "support/diskfaults.h"

#include <QRect>
#include <QSettings>
#include <QtTest>

#include <sys/stat.h>

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

    void theFileStaysReadableByTheToolkit() {
        // Written by QSettings, with values that need its escapes.
        DataFolder data;
        const QString odd = QStringLiteral("semi;colon, \"quoted\" \\ tab\t é 中 @at");
        {
            QSettings qt(data.configPath(), QSettings::IniFormat);
            qt.setValue("Form/Height", 300);
            qt.setValue("Other/List", QStringList{"a", "b c"});
            qt.setValue("Other/Odd", odd);
            qt.setValue("Other/Padded", " padded ");
            qt.setValue("Other/Rect", QRect(1, 2, 3, 4));
            qt.setValue("Other/a b/c", 5);
            qt.setValue("top", true);
        }
        const QByteArray before = DataFolder::readFile(data.configPath());
        loadSettings("../Data/Config");
        QCOMPARE(configSettings->value("Form/Height").toInt(), 300);
        QCOMPARE(configSettings->value("Other/List").toStringList(), (QStringList{"a", "b c"}));
        QCOMPARE(configSettings->value("Other/Odd").toString(), odd);
        QCOMPARE(configSettings->value("Other/Padded").toString(), QStringLiteral(" padded "));
        QCOMPARE(configSettings->value("Other/a b/c").toInt(), 5);
        QVERIFY(configSettings->value("top").toBool());
        QCOMPARE(configSettings->keptCopy(), QString()); // read whole: no copy
        configSettings->setValue("Form/Height", 300);
        QVERIFY(configSettings->sync());
        QCOMPARE(DataFolder::readFile(data.configPath()), before); // nothing changed, nothing written

        // Written by Tarn, read by QSettings.
        const QString name = QStringLiteral("Ä\x01"
                                            "0f=,;\"\\ ");
        configSettings->setValue(settingkeys::hotKeyShowAndHide, "Ctrl+,");
        configSettings->setValue(settingkeys::formWidth, 640);
        configSettings->setValue(settingkeys::formCursorPos, true);
        configSettings->setValue("Form/Name", name);
        configSettings->setValue("Form/At", "@at");
        QVERIFY(configSettings->sync());
        QSettings qt(data.configPath(), QSettings::IniFormat);
        QCOMPARE(qt.value("HotKey/ShowAndHide").toString(), QStringLiteral("Ctrl+,"));
        QCOMPARE(qt.value("Form/Width").toInt(), 640);
        QCOMPARE(qt.value("Form/Height").toInt(), 300);
        QCOMPARE(qt.value("Form/CursorPos").toBool(), true);
        QCOMPARE(qt.value("Form/Name").toString(), name);
        QCOMPARE(qt.value("Form/At").toString(), QStringLiteral("@at"));
        QCOMPARE(qt.value("Other/Rect").toRect(), QRect(1, 2, 3, 4));
        QCOMPARE(qt.value("Other/Odd").toString(), odd);
        QCOMPARE(qt.value("Other/List").toStringList(), (QStringList{"a", "b c"}));
        QCOMPARE(qt.value("Other/a b/c").toInt(), 5);
        QCOMPARE(qt.value("top").toBool(), true);
    }

    void whatIsNotReadWholeIsCopiedFirst_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("a comment") << QByteArray("; mine\n[Form]\nHeight=300\n");
        QTest::newRow("a stray line") << QByteArray("[Form]\nHeight=300\nwidth 500\n");
        QTest::newRow("a broken header") << QByteArray("[Form\nHeight=300\n");
        QTest::newRow("a key twice") << QByteArray("[Form]\nHeight=300\nHeight=400\n");
    }

    void whatIsNotReadWholeIsCopiedFirst() {
        QFETCH(QByteArray, text);
        DataFolder data;
        DataFolder::writeFile(data.configPath(), text);
        loadSettings("../Data/Config");
        const QString copy = QFileInfo(data.configPath() + QStringLiteral(".bak")).absoluteFilePath();
        QCOMPARE(QFileInfo(configSettings->keptCopy()).absoluteFilePath(), copy);
        configSettings->setValue(settingkeys::formWidth, 640);
        QVERIFY(configSettings->sync());
        QCOMPARE(DataFolder::readFile(copy), text);
    }

    void aChangeFromOutsideIsKept() {
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=300\n");
        loadSettings("../Data/Config");
        configSettings->setValue(settingkeys::formWidth, 500);
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=301\n[HotKey]\nShowAndHide=F9\n");
        QVERIFY(configSettings->sync());
        QSettings qt(data.configPath(), QSettings::IniFormat);
        QCOMPARE(qt.value("Form/Width").toInt(), 500);
        QCOMPARE(qt.value("Form/Height").toInt(), 301);
        QCOMPARE(qt.value("HotKey/ShowAndHide").toString(), QStringLiteral("F9"));
    }

    void aFailedWriteKeepsTheFileAndSaysWhy() {
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=300\n");
        loadSettings("../Data/Config");
        configSettings->setValue(settingkeys::formWidth, 500);
        QString error;
        {
            FileSizeLimit limit(8);
            QVERIFY(!configSettings->sync(&error));
        }
        QCOMPARE(error, QStringLiteral("文件超过了系统允许的大小（%1）")
                            .arg(QDir::toNativeSeparators(data.configPath())));
        QCOMPARE(DataFolder::readFile(data.configPath()), QByteArray("[Form]\nHeight=300\n"));
        QCOMPARE(QDir(data.dataPath()).entryList(QDir::Files | QDir::Hidden), QStringList{"Config"});
        // Tried again at the next write.
        QVERIFY(configSettings->sync());
        QCOMPARE(QSettings(data.configPath(), QSettings::IniFormat).value("Form/Width").toInt(), 500);
    }

    void aConfigThatIsNoFileIsNeverOpened() {
        DataFolder data;
        QCOMPARE(::mkfifo(QFile::encodeName(data.configPath()).constData(), 0644), 0);
        {
            Deadline deadline(10, "reading settings from a FIFO");
            loadSettings("../Data/Config");
        }
        QVERIFY(!storedWindowSize().isValid());
        configSettings->setValue(settingkeys::formWidth, 500);
        QVERIFY(configSettings->sync());
        QCOMPARE(configSettings->value(settingkeys::formWidth).toInt(), 500);
        QVERIFY(QFileInfo(data.configPath()).exists() && !QFileInfo(data.configPath()).isFile());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
