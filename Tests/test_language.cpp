// SPDX-License-Identifier: GPL-3.0-or-later
// Which language Tarn speaks: the option, LANGUAGE, the locale.
#include "app/commandline.h"
#include "app/language.h"
#include "launch/desktopentry.h"

#include <QtTest>

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void choose_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("languageVariable");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const QString zh = QStringLiteral("zh_CN");
        const QString en = QStringLiteral("en");
        // The locale alone.
        QTest::newRow("no locale") << ""
                                   << ""
                                   << "" << zh;
        QTest::newRow("C") << ""
                           << ""
                           << "C" << zh;
        QTest::newRow("C.UTF-8") << ""
                                 << ""
                                 << "C.UTF-8" << zh;
        QTest::newRow("POSIX") << ""
                               << ""
                               << "POSIX" << zh;
        QTest::newRow("zh_CN.UTF-8") << ""
                                     << ""
                                     << "zh_CN.UTF-8" << zh;
        QTest::newRow("zh_TW") << ""
                               << ""
                               << "zh_TW.Big5" << zh;
        QTest::newRow("en_US.UTF-8") << ""
                                     << ""
                                     << "en_US.UTF-8" << en;
        QTest::newRow("de_DE") << ""
                               << ""
                               << "de_DE" << en;
        QTest::newRow("fr_FR@euro") << ""
                                    << ""
                                    << "fr_FR@euro" << en;
        // Only the language part counts: Czech is not the C locale.
        QTest::newRow("cs_CZ") << ""
                               << ""
                               << "cs_CZ.UTF-8" << en;
        // LANGUAGE: its first entry overrides the locale, both ways.
        QTest::newRow("LANGUAGE en over zh") << ""
                                             << "en_GB:zh_CN"
                                             << "zh_CN.UTF-8" << en;
        QTest::newRow("LANGUAGE zh over en") << ""
                                             << "zh_CN:en"
                                             << "en_US.UTF-8" << zh;
        QTest::newRow("LANGUAGE en over C") << ""
                                            << "en"
                                            << "C" << en;
        QTest::newRow("LANGUAGE empty first") << ""
                                              << ":en"
                                              << "zh_CN.UTF-8" << zh;
        // --lang overrides both.
        QTest::newRow("--lang zh") << "zh"
                                   << "en_US"
                                   << "en_US.UTF-8" << zh;
        QTest::newRow("--lang zh-Hans") << "zh-Hans"
                                        << ""
                                        << "de_DE" << zh;
        QTest::newRow("--lang en") << "en"
                                   << "zh_CN"
                                   << "zh_CN.UTF-8" << en;
        QTest::newRow("--lang de") << "de"
                                   << ""
                                   << "" << en;
        QTest::newRow("--lang C") << "C"
                                  << "en"
                                  << "en_US" << zh;
    }

    void choose() {
        QFETCH(QString, option);
        QFETCH(QString, languageVariable);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(language::choose(option, languageVariable, locale), expected);
    }

    // The messages locale comes from LC_ALL before LC_MESSAGES before LANG.
    void environmentOrder() {
        qunsetenv("LANGUAGE");
        qputenv("LANG", "en_US.UTF-8");
        qputenv("LC_MESSAGES", "zh_CN.UTF-8");
        qunsetenv("LC_ALL");
        QCOMPARE(language::fromEnvironment(QString()), QStringLiteral("zh_CN"));
        qputenv("LC_ALL", "de_DE.UTF-8");
        QCOMPARE(language::fromEnvironment(QString()), QStringLiteral("en"));
        qputenv("LANGUAGE", "zh_CN");
        QCOMPARE(language::fromEnvironment(QString()), QStringLiteral("zh_CN"));
        QCOMPARE(language::fromEnvironment(QStringLiteral("en")), QStringLiteral("en"));
    }

    // Menu entry names are looked up in the window's languages: --lang
    // alone when given, else LANGUAGE's list and the locale, and the
    // window's language last.
    void entryNamesFollowTheWindowsLanguage() {
        QCOMPARE(language::lookupOrder("en", "de:fr", "zh_CN.UTF-8"), QStringList{"en"});
        QCOMPARE(language::lookupOrder("", "de:fr", "zh_CN.UTF-8"),
                 (QStringList{"de", "fr", "zh_CN.UTF-8", "en"}));
        QCOMPARE(language::lookupOrder("", "", "C"), (QStringList{"C", "zh_CN"}));
        const QByteArray entry = "[Desktop Entry]\nType=Application\nExec=sh\n"
                                 "Name=Editor\nName[zh_CN]=编辑器\nName[de]=Bearbeiter\n";
        qputenv("LANG", "zh_CN.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qunsetenv("LANGUAGE");
        QCOMPARE(desktopentry::parse(entry).name, QStringLiteral("编辑器"));
        qputenv("LANGUAGE", "de");
        QCOMPARE(desktopentry::parse(entry).name, QStringLiteral("Bearbeiter"));
        language::rememberOption("en");
        QCOMPARE(desktopentry::parse(entry).name, QStringLiteral("Editor"));
        language::rememberOption(QString());
        qputenv("LANG", "C");
        qunsetenv("LANGUAGE");
        QCOMPARE(desktopentry::parse(entry).name, QStringLiteral("编辑器"));
    }

    void langOption() {
        const CommandLine given = parseCommandLine({"Tarn", "--lang", "en", "--toggle"});
        QVERIFY(!given.parserAnswers);
        QCOMPARE(given.language, QStringLiteral("en"));
        QCOMPARE(given.command, InstanceCommand::Toggle);
        QVERIFY(parseCommandLine({"Tarn"}).language.isEmpty());
        QVERIFY(parseCommandLine({"Tarn", "--lang"}).parserAnswers); // the value is missing
    }
};

QTEST_APPLESS_MAIN(TestLanguage)
#include "test_language.moc"
