// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop Entry files: reading, the Exec quoting, starting, the program icon
// map and the login entry Tarn writes.
#include "launch/desktopentry.h"
#include "platform/autostart.h"

#include "support/datafolder.h"

#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>

using desktopentry::Command;

class TestDesktopEntry : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }
    QString tool; // an executable in the temporary folder

    QString entryFile(const QString& name, const QByteArray& body) const {
        DataFolder::writeFile(at(name), "[Desktop Entry]\nType=Application\n" + body);
        return at(name);
    }

private slots:
    void initTestCase() {
        tool = at("bin/my tool");
        QDir(dir.path()).mkpath("bin");
        DataFolder::writeFile(tool, "#!/bin/sh\n");
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner);
    }

    void localizedNameAndKeys_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("country and modifier") << "sr_RS.UTF-8@latin"
                                              << "sr_RS@latin";
        QTest::newRow("country before modifier") << "sr_RS@cyrillic"
                                                 << "sr_RS";
        QTest::newRow("language with modifier") << "sr_ME@latin"
                                                << "sr@latin";
        QTest::newRow("language") << "zh_TW.UTF-8"
                                  << "zh";
        QTest::newRow("country") << "zh_CN"
                                 << "zh_CN";
        QTest::newRow("none matches") << "de_DE"
                                      << "plain";
        QTest::newRow("C locale") << "C"
                                  << "plain";
    }
    void localizedNameAndKeys() {
        QFETCH(QString, locale);
        QFETCH(QString, name);
        const QByteArray text = "# comment\n"
                                "[Desktop Entry]\n"
                                "Name[sr@latin]=sr@latin\nName[sr_RS]=sr_RS\nName = plain\n"
                                "Name[sr_RS@latin]=sr_RS@latin\nName[zh]=zh\nName[zh_CN]=zh_CN\n"
                                "Type=Application\nIcon=tool\nPath=/w\\sx\nHidden=true\n"
                                "Exec=a\\sb \"c\\\\\\\\d\"\n"
                                "[Desktop Action New]\nName=action\nExec=wrong\n";
        const desktopentry::Entry entry = desktopentry::parse(text, QStringList{locale});
        QVERIFY(entry.valid);
        QCOMPARE(entry.name, name);
        QCOMPARE(entry.icon, QStringLiteral("tool"));
        QCOMPARE(entry.path, QStringLiteral("/w x"));
        QVERIFY(entry.hidden);
        // The key-file level first (\s, \\), then the Exec quoting.
        QCOMPARE(entry.exec, QStringLiteral("a b \"c\\\\d\""));
        QStringList argv;
        QVERIFY(desktopentry::splitExec(entry.exec, &argv));
        QCOMPARE(argv, (QStringList{"a", "b", "c\\d"}));
        QVERIFY(!desktopentry::parse("[Other]\nExec=x\n", QStringList{locale}).valid);
    }

    void execQuotingAndFieldCodes_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("argv");
        QTest::newRow("words") << "prog  -a\tb" << true << QStringList{"prog", "-a", "b"};
        QTest::newRow("quoted space")
            << "prog \"two words\" x" << true << QStringList{"prog", "two words", "x"};
        QTest::newRow("escapes in quotes")
            << "prog \"q\\\" b\\` d\\$ s\\\\ n\\x\"" << true << QStringList{"prog", "q\" b` d$ s\\ n\\x"};
        QTest::newRow("quotes join a word") << "prog a\"b c\"d" << true << QStringList{"prog", "ab cd"};
        QTest::newRow("empty quotes stay") << "prog \"\" x" << true << QStringList{"prog", "", "x"};
        QTest::newRow("field codes go")
            << "prog %U -f %f %i %c %k %F %u" << true << QStringList{"prog", "-f"};
        // Where GLib differs from a plain reading, GLib's argv.
        QTest::newRow("embedded and quoted codes")
            << "prog --file=%f \"%u\" '%F' 100%%" << true << QStringList{"prog", "--file=", "", "", "100%"};
        QTest::newRow("single quotes")
            << "prog 'a b' 'it''s' x'\\\"$'y" << true << QStringList{"prog", "a b", "its", "x\\\"$y"};
        QTest::newRow("comment") << "prog -c true # not \"an argument" << true
                                 << QStringList{"prog", "-c", "true"};
        QTest::newRow("hash inside a word") << "prog a#b \"#c\"" << true << QStringList{"prog", "a#b", "#c"};
        QTest::newRow("only a comment") << "#prog" << false << QStringList{};
        QTest::newRow("unterminated single quote") << "prog 'open" << false << QStringList{};
        QTest::newRow("continued line") << "prog a\\\nb" << true << QStringList{"prog", "ab"};
        QTest::newRow("unterminated quote") << "prog \"open" << false << QStringList{};
        QTest::newRow("empty") << "  " << false << QStringList{};
        QTest::newRow("only a field code") << "%U" << false << QStringList{};
        // The entry's own codes, as GLib expands them.
        QTest::newRow("icon name location") << "prog %i --name=%c %k %f" << true
                                            << QStringList{"prog", "--icon", "org.example.Tool",
                                                           "--name=Werkzeug Tool", "/apps/tool.desktop"};
        QTest::newRow("icon joined") << "prog x%i" << true
                                     << QStringList{"prog", "x--icon", "org.example.Tool"};
        // An Item's arguments, where the entry takes files or URLs.
        QTest::newRow("files") << "prog --in=%F -- %u %f" << true
                               << QStringList{"prog", "--in=a", "b c", "--", "a", "a"};
    }
    void execQuotingAndFieldCodes() {
        QFETCH(QString, exec);
        QFETCH(bool, ok);
        QFETCH(QStringList, argv);
        QStringList out{"untouched"};
        const QByteArray tag = QTest::currentDataTag();
        desktopentry::FieldValues fields;
        if (tag.startsWith("icon"))
            fields = {"org.example.Tool", "Werkzeug Tool", "/apps/tool.desktop", {}};
        if (tag == "files")
            fields.files = QStringList{"a", "b c"};
        QCOMPARE(desktopentry::splitExec(exec, &out, fields), ok);
        QCOMPARE(out, ok ? argv : QStringList{"untouched"});
    }

    // What GLib makes of odd files: Name as it reads it, or no entry at all.
    void keyFileAsGLibReadsIt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("name");
        const QByteArray head = "[Desktop Entry]\nType=Application\nExec=sh\n";
        QTest::newRow("group before the entry") << "[Other]\nA=b\n" + head << false << "";
        QTest::newRow("key before any group") << "Name=x\n" + head << false << "";
        QTest::newRow("space before [") << head + "Name=A\nName [de]=B\n" << false << "";
        QTest::newRow("space after ]") << head + "Name=A\nName[de] =B\n" << true << "B";
        QTest::newRow("line without =") << head + "Name=A\nnonsense\n" << false << "";
        QTest::newRow("bad key in an action") << head + "Name=A\n[Desktop Action x]\n=y\n" << false << "";
        QTest::newRow("space inside a key") << head + "Name=A\nX-My Key=1\n" << true << "A";
        QTest::newRow("indented, CRLF")
            << QByteArray("  [Desktop Entry]\r\n\tName=A\r\nExec=sh\r\n") << true << "A";
        QTest::newRow("group again, last key wins")
            << head + "Name=A\n[Desktop Action x]\nName=X\n[Desktop Entry]\nName=B\n"
            << true << "B";
        QTest::newRow("invalid UTF-8 translation") << head + "Name=Good\nName[de]=b\xff"
                                                             "d\n"
                                                   << true << "Good";
        QTest::newRow("invalid UTF-8 name") << head + "Name=b\xff"
                                                      "d\n"
                                            << true << "";
    }
    void keyFileAsGLibReadsIt() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(QString, name);
        const desktopentry::Entry entry = desktopentry::parse(text, QStringList{"de_DE.UTF-8"});
        QCOMPARE(entry.valid, valid);
        QCOMPARE(entry.name, name);
    }

    void flagsAndBrokenValues() {
        const QByteArray head = "[Desktop Entry]\nType=Application\nName=A\n";
        QVERIFY(desktopentry::parse(head + "Terminal=true\n", {}).terminal);
        QVERIFY(desktopentry::parse(head + "Terminal=1\n", {}).terminal);
        QVERIFY(!desktopentry::parse(head + "Terminal=True\n", {}).terminal);
        // An Exec that is not UTF-8 is no Exec: nothing to start.
        QCOMPARE(desktopentry::commandOf(entryFile("badexec.desktop", "Exec=sh \xff\n")).status,
                 Command::NotStartable);
        // D-Bus activatable without Exec: started by its id on the bus.
        Command c =
            desktopentry::commandOf(entryFile("org.example.My-App.desktop", "DBusActivatable=true\n"));
        QCOMPARE(c.status, Command::Activate);
        QCOMPARE(c.busName, QStringLiteral("org.example.My-App"));
        QCOMPARE(c.objectPath, QStringLiteral("/org/example/My_App"));
        // An id that is no bus name cannot be; with an Exec, the Exec runs.
        QCOMPARE(desktopentry::commandOf(entryFile("plain.desktop", "DBusActivatable=true\n")).status,
                 Command::NotStartable);
        QCOMPARE(
            desktopentry::commandOf(entryFile("org.example.Both.desktop", "DBusActivatable=true\nExec=sh\n"))
                .status,
            Command::Ready);
    }

    void itemArgumentsGoWhereTheEntryTakesFiles() {
        const QString list = entryFile("list.desktop", "Exec=sh -c true %U\n");
        Command c = desktopentry::commandOf(list, {"a", "b c"});
        QCOMPARE(c.arguments, (QStringList{"-c", "true", "a", "b c"}));
        QVERIFY(c.moreArguments.isEmpty());
        QVERIFY(desktopentry::takesFiles(list));
        // One file a start: started once for each, as GLib does.
        const QString one = entryFile("one.desktop", "Exec=sh --file=%f\n");
        c = desktopentry::commandOf(one, {"a", "b"});
        QCOMPARE(c.arguments, QStringList{"--file=a"});
        QCOMPARE(c.moreArguments, QList<QStringList>{QStringList{"--file=b"}});
        QVERIFY(desktopentry::takesFiles(one));
        // None taken: none passed.
        const QString none = entryFile("none.desktop", "Exec=sh -c true\n");
        QCOMPARE(desktopentry::commandOf(none, {"a"}).arguments, (QStringList{"-c", "true"}));
        QVERIFY(!desktopentry::takesFiles(none));
    }

    void commandOfAnEntry() {
        // Quoted program path with a space, arguments, its Path.
        Command c = desktopentry::commandOf(
            entryFile("ready.desktop", "Exec=\"" + tool.toUtf8() + "\" --new-window %U\nPath=/tmp\n"));
        QCOMPARE(c.status, Command::Ready);
        QCOMPARE(c.program, tool);
        QCOMPARE(c.arguments, QStringList{"--new-window"});
        QCOMPARE(c.workingDirectory, QStringLiteral("/tmp"));
        // A bare name comes from PATH; without Path the home folder.
        c = desktopentry::commandOf(entryFile("sh.desktop", "Exec=sh -c true\nTryExec=sh\n"));
        QCOMPARE(c.status, Command::Ready);
        QCOMPARE(c.program, QStandardPaths::findExecutable("sh"));
        QCOMPARE(c.workingDirectory, QDir::homePath());
        // The entry's own codes: its icon, its name, its file.
        c = desktopentry::commandOf(entryFile("codes.desktop", "Name=Entry\nExec=sh %i %c %k\nIcon=tool\n"));
        QCOMPARE(c.arguments, (QStringList{"--icon", "tool", "Entry", at("codes.desktop")}));
        QCOMPARE(
            desktopentry::commandOf(entryFile("try.desktop", "Exec=sh\nTryExec=tarn-not-installed\n")).status,
            Command::Missing);
        QCOMPARE(desktopentry::commandOf(entryFile("gone.desktop", "Exec=/nonexistent/prog\n")).status,
                 Command::Missing);
        DataFolder::writeFile(at("link.desktop"), "[Desktop Entry]\nType=Link\nURL=https://debian.org\n");
        QCOMPARE(desktopentry::commandOf(at("link.desktop")).status, Command::NotStartable);
        QCOMPARE(desktopentry::commandOf(entryFile("bad.desktop", "Exec=\"sh\n")).status,
                 Command::NotStartable);
        QCOMPARE(desktopentry::commandOf(at("absent.desktop")).status, Command::NotStartable);
        // A pipe that merely ends in .desktop is not opened (that would block).
        QCOMPARE(mkfifo(QFile::encodeName(at("pipe.desktop")).constData(), 0600), 0);
        QCOMPARE(desktopentry::commandOf(at("pipe.desktop")).status, Command::NotStartable);
    }

    void programIconsFollowTheEntryIds() {
        QTemporaryDir home, system;
        QDir(system.path()).mkpath("vendor");
        const QString other = at("bin/other");
        QFile::copy(tool, other);
        auto write = [](QTemporaryDir& in, const char* name, const QByteArray& keys) {
            DataFolder::writeFile(in.filePath(name), "[Desktop Entry]\nType=Application\n" + keys + "\n");
        };
        const QByteArray runTool = "Exec=\"" + tool.toUtf8() + "\" %F\n";
        const QByteArray runOther = "Exec=" + other.toUtf8() + "\n";
        write(home, "vendor-app.desktop", "Icon=mine\n" + runTool);
        write(system, "vendor/app.desktop", "Icon=system\n" + runTool);
        write(home, "gone.desktop", "Icon=hidden\nHidden=true\n" + runOther);
        write(system, "gone.desktop", "Icon=ghost\n" + runOther);
        write(system, "a.desktop", "Icon=one\nExec=sh");
        write(system, "b.desktop", "Icon=two\nExec=sh -c true");
        const QString sh = QFileInfo(QStandardPaths::findExecutable("sh")).canonicalFilePath();
        auto icons = desktopentry::programIcons({home.path(), system.path()});
        QCOMPARE(icons.value(QFileInfo(tool).canonicalFilePath()), QStringLiteral("mine"));
        QVERIFY(!icons.contains(QFileInfo(other).canonicalFilePath()));
        QVERIFY(!icons.contains(sh));
        icons = desktopentry::programIcons({system.path()});
        QCOMPARE(icons.value(QFileInfo(tool).canonicalFilePath()), QStringLiteral("system"));
        QCOMPARE(icons.value(QFileInfo(other).canonicalFilePath()), QStringLiteral("ghost"));
    }

    void autostartEntryStartsThisTarnHere() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QCOMPARE(autostart::entryPath(), config.path() + "/autostart/" TARN_APP_ID ".desktop");
        QVERIFY(!autostart::isEnabled());
        // Awkward names survive both levels of quoting.
        const QString program = at("odd $dir \"100%\"\\/Tarn");
        const QString folder = at(" run\\x");
        QVERIFY(autostart::enable(program, {}, folder));
        QVERIFY(autostart::isEnabled());
        desktopentry::Entry entry = desktopentry::read(autostart::entryPath());
        QStringList argv;
        QVERIFY(desktopentry::splitExec(entry.exec, &argv));
        QCOMPARE(argv, QStringList{program});
        QCOMPARE(entry.path, folder);
        // A chosen data folder travels as --data; nothing depends on the folder
        // it starts in then.
        const QStringList data{"--data", at("my \"data\" $HOME")};
        QVERIFY(autostart::enable(program, data, QString()));
        entry = desktopentry::read(autostart::entryPath());
        QVERIFY(desktopentry::splitExec(entry.exec, &argv));
        QCOMPARE(argv, QStringList{program} + data);
        QVERIFY(!autostart::entryText(program, data, QString()).contains("Path="));
        QVERIFY(autostart::disable());
        QVERIFY(!QFile::exists(autostart::entryPath()));
        QVERIFY(autostart::disable());
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "test_desktopentry.moc"
