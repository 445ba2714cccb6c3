// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/launchplan.h"

#include "support/datafolder.h"

#include <QScopeGuard>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

Q_DECLARE_METATYPE(launch::Road)

using launch::Road;

class TestLaunchPlan : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }

    void makeFile(const QString& name, bool executable, const QByteArray& content = "#!/bin/sh\n") {
        DataFolder::writeFile(at(name), content);
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QFile::setPermissions(at(name), permissions);
    }

private slots:
    void initTestCase() {
        makeFile("tool.exe", false);
        makeFile("TOOL.EXE", false);
        makeFile("vlc-3.0.18-win64.exe", false);
        makeFile("script", true);
        makeFile("notes.txt", false);
        makeFile("program", true, QByteArray::fromHex("7f454c46020101"));
        // What a FAT or NTFS mount shows for every file, or a chmod 755:
        // documents with the exec bit.
        makeFile("manual.pdf", true, "%PDF-1.4\n");
        makeFile("empty", true, "");
        makeFile("hash", true, "#");
#ifndef Q_OS_WIN
        QVERIFY(mkfifo(QFile::encodeName(at("pipe")).constData(), 0755) == 0);
#endif
        QDir(dir.path()).mkpath("app.exe");
        QDir(dir.path()).mkpath("folder");
    }

    void splitParam_data() {
        QTest::addColumn<QString>("param");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("empty gives none") << "" << QStringList{};
        QTest::newRow("one word") << "-v" << QStringList{QStringLiteral("-v")};
        QTest::newRow("two words") << "-a b" << QStringList{QStringLiteral("-a"), QStringLiteral("b")};
        QTest::newRow("two spaces give an empty middle")
            << "-a  b" << QStringList{QStringLiteral("-a"), QString(), QStringLiteral("b")};
        QTest::newRow("a single space gives two empties") << " " << QStringList{QString(), QString()};
        QTest::newRow("leading and trailing")
            << " x " << QStringList{QString(), QStringLiteral("x"), QString()};
        QTest::newRow("no quoting") << "\"a b\"" << QStringList{QStringLiteral("\"a"), QStringLiteral("b\"")};
        QTest::newRow("tabs are not separators") << "a\tb" << QStringList{QStringLiteral("a\tb")};
    }
    void splitParam() {
        QFETCH(QString, param);
        QFETCH(QStringList, arguments);
        QCOMPARE(launch::splitParam(param), arguments);
    }

    void planOpen_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("param");
        QTest::addColumn<Road>("road");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QUrl>("url");

        const QUrl none;
        QTest::newRow("exe starts with arguments")
            << 0 << at("tool.exe") << "-a  b" << Road::StartProgram << QStringList{"-a", "", "b"} << none;
        QTest::newRow("dots in the name, exe at the end")
            << 0 << at("vlc-3.0.18-win64.exe") << "--x" << Road::StartProgram << QStringList{"--x"} << none;
#ifdef Q_OS_WIN
        QTest::newRow("EXE is not exe") << 0 << at("TOOL.EXE") << "-a" << Road::OpenUrl << QStringList{}
                                        << QUrl::fromLocalFile(at("TOOL.EXE"));
#else
        QTest::newRow("EXE, not executable, opens") << 0 << at("TOOL.EXE") << "-a" << Road::OpenUrl
                                                    << QStringList{} << QUrl::fromLocalFile(at("TOOL.EXE"));
        QTest::newRow("executable script starts")
            << 0 << at("script") << "x" << Road::StartProgram << QStringList{"x"} << none;
        QTest::newRow("executable image starts")
            << 0 << at("program") << "" << Road::StartProgram << QStringList{} << none;
        QTest::newRow("document with the exec bit opens")
            << 0 << at("manual.pdf") << "-a" << Road::OpenUrl << QStringList{}
            << QUrl::fromLocalFile(at("manual.pdf"));
        QTest::newRow("empty file with the exec bit opens")
            << 0 << at("empty") << "" << Road::OpenUrl << QStringList{} << QUrl::fromLocalFile(at("empty"));
        QTest::newRow("half a script marker opens")
            << 0 << at("hash") << "" << Road::OpenUrl << QStringList{} << QUrl::fromLocalFile(at("hash"));
        QTest::newRow("fifo with the exec bit opens without blocking")
            << 0 << at("pipe") << "" << Road::OpenUrl << QStringList{} << QUrl::fromLocalFile(at("pipe"));
#endif
        QTest::newRow("folder named x.exe opens as a folder")
            << 1 << at(QStringLiteral("app.exe")) << "-a" << Road::OpenUrl << QStringList{}
            << QUrl::fromLocalFile(at(QStringLiteral("app.exe")));
        QTest::newRow("document opens, param unused")
            << 0 << at(QStringLiteral("notes.txt")) << "-a" << Road::OpenUrl << QStringList{}
            << QUrl::fromLocalFile(at(QStringLiteral("notes.txt")));
        QTest::newRow("folder opens") << 1 << at(QStringLiteral("folder")) << "" << Road::OpenUrl
                                      << QStringList{} << QUrl::fromLocalFile(at(QStringLiteral("folder")));
        QTest::newRow("missing exe") << 0 << at(QStringLiteral("gone.exe")) << "" << Road::InvalidTarget
                                     << QStringList{} << none;
        QTest::newRow("missing folder")
            << 1 << at(QStringLiteral("gone")) << "" << Road::InvalidTarget << QStringList{} << none;
        QTest::newRow("empty path") << 0 << ""
                                    << "" << Road::InvalidTarget << QStringList{} << none;
        QTest::newRow("web address") << 2 << "https://www.debian.org/doc/"
                                     << "x" << Road::OpenUrl << QStringList{}
                                     << QUrl(QStringLiteral("https://www.debian.org/doc/"));
        QTest::newRow("web address without scheme")
            << 2 << "www.debian.org" << QString() << Road::OpenUrl << QStringList{}
            << QUrl(QStringLiteral("http://www.debian.org"));
        QTest::newRow("odd kind is a file")
            << 5 << at(QStringLiteral("gone")) << "" << Road::InvalidTarget << QStringList{} << none;
    }
    void planOpen() {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(QString, param);
        QFETCH(Road, road);
        QFETCH(QStringList, arguments);
        QFETCH(QUrl, url);
        const launch::Plan plan = launch::planOpen(kind, path, param);
        QCOMPARE(plan.road, road);
        QCOMPARE(plan.arguments, arguments);
        QCOMPARE(plan.url, url);
        if (road == Road::StartProgram) {
            QCOMPARE(plan.program, path);
            QCOMPARE(plan.workingDirectory, dir.path());
        }
    }

    // Terminal=true: the first terminal of the rule, each given the command
    // its own way; none at all is said, not started bare.
    void terminalProgramsRunInTheUsersTerminal() {
#ifdef Q_OS_WIN
        QSKIP("menu entries are a freedesktop matter");
#endif
        const QByteArray savedPath = qgetenv("PATH");
        const QByteArray savedTerminal = qgetenv("TERMINAL");
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", savedPath);
            if (savedTerminal.isNull())
                qunsetenv("TERMINAL");
            else
                qputenv("TERMINAL", savedTerminal);
        });
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        qunsetenv("TERMINAL");
        makeFile("vim", true);
        DataFolder::writeFile(at("vim.desktop"),
                              "[Desktop Entry]\nType=Application\nName=Vim\nTerminal=true\n"
                              "Exec=" +
                                  at("vim").toUtf8() + " %F\n");
        auto install = [&](const char* name) {
            DataFolder::writeFile(bin.filePath(name), "#!/bin/sh\n");
            QFile::setPermissions(bin.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
        };
        auto plan = [&] { return launch::planOpen(0, at("vim.desktop"), "a.txt"); };
        QCOMPARE(plan().road, Road::NoTerminal);

        const QStringList command{at("vim"), "a.txt"};
        struct Step {
            const char* install;
            const char* terminalVariable;
            const char* chosen;
            QStringList prefix;
        };
        // Each row adds a better choice than the ones before it.
        const Step steps[] = {
            {"xterm", nullptr, "xterm", {"-e"}},
            {"konsole", nullptr, "konsole", {"-e"}},
            {"gnome-terminal", nullptr, "gnome-terminal", {"--"}},
            {"x-terminal-emulator", nullptr, "x-terminal-emulator", {"-e"}},
            {"kitty", "kitty", "kitty", {}},
            {"my-term", "my-term", "my-term", {"-e"}},
            {"xfce4-terminal", "xfce4-terminal", "xfce4-terminal", {"-x"}},
            {nullptr, "absent-term", "x-terminal-emulator", {"-e"}},
            {"xdg-terminal-exec", "kitty", "xdg-terminal-exec", {}},
        };
        for (const Step& step : steps) {
            if (step.install)
                install(step.install);
            if (step.terminalVariable)
                qputenv("TERMINAL", step.terminalVariable);
            const launch::Plan p = plan();
            QCOMPARE(p.road, Road::StartProgram);
            QCOMPARE(p.program, bin.filePath(step.chosen));
            QCOMPARE(p.arguments, step.prefix + command);
            QCOMPARE(p.workingDirectory, QDir::homePath());
        }
    }

    void planOpenDir_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Road>("road");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("file: its folder")
            << 0 << at(QStringLiteral("notes.txt")) << Road::OpenUrl << QUrl::fromLocalFile(dir.path());
        QTest::newRow("folder: its parent")
            << 1 << at(QStringLiteral("folder")) << Road::OpenUrl << QUrl::fromLocalFile(dir.path());
        QTest::newRow("web: up one level")
            << 2 << "https://www.debian.org/doc/manual.html?x=1" << Road::OpenUrl
            << QUrl(QStringLiteral("https://www.debian.org/doc/"));
        QTest::newRow("missing") << 0 << at(QStringLiteral("gone.txt")) << Road::InvalidTarget << QUrl();
    }
    void planOpenDir() {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(Road, road);
        QFETCH(QUrl, url);
        const launch::Plan plan = launch::planOpenDir(kind, path);
        QCOMPARE(plan.road, road);
        QCOMPARE(plan.url, url);
    }
};

QTEST_GUILESS_MAIN(TestLaunchPlan)
#include "test_launchplan.moc"
