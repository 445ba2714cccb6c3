// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/launchplan.h"

#include "support/datafolder.h"

#include <QtTest>

Q_DECLARE_METATYPE(launch::Road)

using launch::Road;

class TestLaunchPlan : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }

    void makeFile(const QString& name, bool executable) {
        DataFolder::writeFile(at(name), "#!/bin/sh\n");
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QFile::setPermissions(at(name), permissions);
    }

private slots:
    void initTestCase() {
        makeFile(QStringLiteral("tool.exe"), false);
        makeFile(QStringLiteral("TOOL.EXE"), false);
        makeFile(QStringLiteral("script"), true);
        makeFile(QStringLiteral("notes.txt"), false);
        QDir(dir.path()).mkpath(QStringLiteral("app.exe"));
        QDir(dir.path()).mkpath(QStringLiteral("folder"));
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
            << 0 << at(QStringLiteral("tool.exe")) << "-a  b" << Road::StartProgram
            << QStringList{QStringLiteral("-a"), QString(), QStringLiteral("b")} << none;
#ifdef Q_OS_WIN
        QTest::newRow("EXE is not exe") << 0 << at("TOOL.EXE") << "-a" << Road::OpenUrl << QStringList{}
                                        << QUrl::fromLocalFile(at("TOOL.EXE"));
#else
        QTest::newRow("EXE, not executable, opens")
            << 0 << at(QStringLiteral("TOOL.EXE")) << "-a" << Road::OpenUrl << QStringList{}
            << QUrl::fromLocalFile(at(QStringLiteral("TOOL.EXE")));
        QTest::newRow("executable without suffix starts")
            << 0 << at(QStringLiteral("script")) << "x" << Road::StartProgram
            << QStringList{QStringLiteral("x")} << none;
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
