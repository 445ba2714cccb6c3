// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/urlrecorder.h"

#include <QClipboard>
#ifdef Q_OS_LINUX
#include <QDBusConnection>
#endif
#include <QDesktopServices>
#include <QListWidget>
#include <QScopeGuard>
#include <QtTest>

namespace {

QByteArray item(const QString& name, int kind, const QString& path, const QString& param = QString()) {
    return QStringLiteral(R"({"name":"%1","type":%2,"param":"%3","path":"%4"})")
        .arg(name)
        .arg(kind)
        .arg(param, path)
        .toUtf8();
}

QByteArray catalogOf(const QList<QByteArray>& items) {
    QByteArray joined;
    for (const QByteArray& i : items)
        joined += (joined.isEmpty() ? "" : ",") + i;
    return R"({"type":[{"name":"T","group":[{"name":"G","item":[)" + joined + "]}]}]}";
}

#ifdef Q_OS_LINUX
// An application the bus starts: it counts the requests to show itself.
class ActivatedApplication : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    int activations = 0;

public slots:
    void Activate(const QVariantMap&) { ++activations; }
};
#endif

} // namespace

class TestLaunching : public QObject {
    Q_OBJECT

    QTemporaryDir targets;
    UrlRecorder recorder;
    QString dumpFile;

    QString target(const QString& name) const { return targets.filePath(name); }

    // Shows a window on a catalog of one Group and makes an Item current.
    static bool show(MainFormFixture& shown, const QList<QByteArray>& items, int current) {
        if (!shown.show(catalogOf(items)))
            return false;
        shown.itemList()->setCurrentRow(current);
        return true;
    }
    QStringList dumped() {
        QFile file(dumpFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        installModalWatchdog();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
        dumpFile = target(QStringLiteral("argv.txt"));
        qputenv("TARN_ARGV_DUMP", dumpFile.toUtf8());
        QDir(targets.path()).mkdir(QStringLiteral("bin"));
        QVERIFY(QFile::copy(QStringLiteral(TARN_ARGVDUMP), target(QStringLiteral("bin/dump.exe"))));
        QVERIFY(QFile::copy(QStringLiteral(TARN_ARGVDUMP), target(QStringLiteral("bin/dumper"))));
        DataFolder::writeFile(target(QStringLiteral("notes.txt")), "x");
    }
    void init() {
        recorder.urls.clear();
        QFile::remove(dumpFile);
        formOpenThenHide = false;
    }

    void programStartsDetachedWithArgumentsInItsFolder() {
        MainFormFixture shown;
        QVERIFY(show(shown, {item("p", 0, target("bin/dump.exe"), "one  two")}, 0));
        QVERIFY(shown.triggerAction("actOpen"));
        QTRY_COMPARE(dumped(), (QStringList{target("bin"), "[one]", "[]", "[two]"}));
        QVERIFY(recorder.urls.isEmpty());
        QVERIFY(shown.form().isVisible());
    }

    void desktopEntryStartsItsExecInItsPath() {
        const QString entry = target("menu/dump.desktop");
        QDir(targets.path()).mkpath("menu");
        DataFolder::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Dump\nExec=\"" +
                                         target("bin/dumper").toUtf8() +
                                         "\" \"a  b\" %U\nPath=" + targets.path().toUtf8() + "\n");
        MainFormFixture shown;
        // The Item's arguments where the entry takes files, split as a
        // program's are.
        QVERIFY(show(shown, {item("d", 0, entry, "x.txt  y")}, 0));
        QVERIFY(shown.triggerAction("actOpen"));
        QTRY_COMPARE(dumped(), (QStringList{targets.path(), "[a  b]", "[x.txt]", "[]", "[y]"}));
        QVERIFY(recorder.urls.isEmpty());

        // A program that is not installed is an invalid target.
        DataFolder::writeFile(entry, "[Desktop Entry]\nType=Application\nExec=sh\nTryExec=tarn-absent\n");
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(shown.triggerAction("actOpen"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(recorder.urls.isEmpty());
    }

    // Terminal=true starts the terminal with the program; without one Tarn
    // says so instead of starting it where nobody sees it.
    void terminalEntryStartsInTheTerminal() {
#ifdef Q_OS_WIN
        QSKIP("menu entries are a freedesktop matter");
#endif
        const QString entry = target("menu/vim.desktop");
        QDir(targets.path()).mkpath("menu");
        DataFolder::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Vim\nTerminal=true\nExec=" +
                                         target("bin/dumper").toUtf8() + " %F\n");
        const QByteArray savedPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", savedPath); });
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        MainFormFixture shown;
        QVERIFY(show(shown, {item("v", 0, entry, "notes.txt")}, 0));
        {
            ModalAnswerer answers;
            answers.press("OK");
            QVERIFY(shown.triggerAction("actOpen"));
            QCOMPARE(answers.boxes().size(), 1);
            QVERIFY(answers.boxes()[0].text.contains("TERMINAL"));
        }
        QVERIFY(QFile::copy(QStringLiteral(TARN_ARGVDUMP), bin.filePath("xdg-terminal-exec")));
        QVERIFY(shown.triggerAction("actOpen"));
        QTRY_COMPARE(dumped(),
                     (QStringList{QDir::homePath(), "[" + target("bin/dumper") + "]", "[notes.txt]"}));
    }

    // An entry with DBusActivatable=true and no Exec: the bus is asked to
    // start it; when it cannot, Tarn says why.
    void dbusActivatableEntryIsActivated() {
#ifndef Q_OS_LINUX
        QSKIP("D-Bus activation is a freedesktop matter");
#else
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            QSKIP("no session bus");
        ActivatedApplication application;
        QVERIFY(bus.registerService("org.example.TarnActivated"));
        QVERIFY(
            bus.registerObject("/org/example/TarnActivated", &application, QDBusConnection::ExportAllSlots));
        QDir(targets.path()).mkpath("menu");
        const QByteArray keys = "[Desktop Entry]\nType=Application\nName=A\nDBusActivatable=true\n";
        DataFolder::writeFile(target("menu/org.example.TarnActivated.desktop"), keys);
        DataFolder::writeFile(target("menu/org.example.TarnAbsent.desktop"), keys);
        MainFormFixture shown;
        QVERIFY(show(shown,
                     {item("a", 0, target("menu/org.example.TarnActivated.desktop")),
                      item("b", 0, target("menu/org.example.TarnAbsent.desktop"))},
                     0));
        QVERIFY(shown.triggerAction("actOpen"));
        QTRY_COMPARE(application.activations, 1);
        QVERIFY(recorder.urls.isEmpty());
        ModalAnswerer answers;
        answers.press("OK");
        shown.itemList()->setCurrentRow(1);
        QVERIFY(shown.triggerAction("actOpen"));
        QVERIFY(answers.waitFor(1));
        QVERIFY(answers.boxes()[0].text.contains("org.example.TarnAbsent"));
        QVERIFY(recorder.urls.isEmpty());
        bus.unregisterObject("/org/example/TarnActivated");
        bus.unregisterService("org.example.TarnActivated");
#endif
    }

    void executableWithoutSuffixStartsOnLinux() {
#ifdef Q_OS_WIN
        QSKIP("programs end in .exe here");
#endif
        MainFormFixture shown;
        QVERIFY(show(shown, {item("p", 0, target("bin/dumper"))}, 0));
        QVERIFY(shown.triggerAction("actOpen"));
        QTRY_COMPARE(dumped(), QStringList{target("bin")});
    }

    void doubleClickLaunchesTheClickedItem() {
        MainFormFixture shown;
        QVERIFY(show(shown, {item("a", 0, target("notes.txt")), item("b", 1, targets.path())}, -1));
        QListWidget* list = shown.itemList();
        const QPoint centre = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTRY_COMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(targets.path())});
    }

    void documentsFoldersAndAddressesGoToTheOpener() {
        MainFormFixture shown;
        QVERIFY(show(shown,
                     {item("doc", 0, target("notes.txt"), "-x"), item("dir", 1, targets.path()),
                      item("web", 2, "www.debian.org")},
                     0));
        for (int row = 0; row < 3; ++row) {
            shown.itemList()->setCurrentRow(row);
            QVERIFY(shown.triggerAction("actOpen"));
        }
        QCOMPARE(recorder.urls,
                 (QList<QUrl>{QUrl::fromLocalFile(target("notes.txt")), QUrl::fromLocalFile(targets.path()),
                              QUrl("http://www.debian.org")}));
        shown.itemList()->setCurrentRow(0);
        QVERIFY(shown.triggerAction("actOpenDir"));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(targets.path()));
    }

    void hidesAfterALaunchOnlyWhenAsked() {
        MainFormFixture shown;
        QVERIFY(show(shown, {item("doc", 0, target("notes.txt")), item("gone", 0, target("gone"))}, 0));
        formOpenThenHide = true;
        QVERIFY(shown.triggerAction("actOpen"));
        QVERIFY(shown.form().isHidden());
        shown.form().show();
        // The invalid-target road is not a launch.
        shown.itemList()->setCurrentRow(1);
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(shown.triggerAction("actOpen"));
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(shown.form().isVisible());
    }

    void invalidTargetYesRemovesExactlyThatItem() {
        MainFormFixture shown;
        QVERIFY(show(shown,
                     {item("a", 0, target("notes.txt")), item("gone", 0, target("gone.exe")),
                      item("c", 1, targets.path())},
                     1));
        const QByteArray before = shown.data.readCatalog();
        ModalAnswerer answers;
        answers.press("Yes");
        QVERIFY(shown.triggerAction("actOpen"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("这个目标无效，因为它可能被删除或者移动了\n删除这个无效的项目吗？"));
        QCOMPARE(answers.boxes()[0].buttons, (QStringList{"Yes", "No"}));
        QCOMPARE(texts(shown.itemList()), (QStringList{"a", "c"}));
        QCOMPARE(shown.itemList()->currentRow(), -1);
        QCOMPARE(shown.data.readCatalog(), before);
        QVERIFY(recorder.urls.isEmpty());
    }

    void invalidTargetNoChangesNothing() {
        MainFormFixture shown;
        QVERIFY(show(shown, {item("gone", 1, target("gone")), item("b", 0, target("notes.txt"))}, 0));
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(shown.triggerAction("actOpenDir"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(texts(shown.itemList()), (QStringList{"gone", "b"}));
        QVERIFY(shown.form().saveCatalog());
        QCOMPARE(shown.data.readCatalog(),
                 catalogOf({item("gone", 1, target("gone")), item("b", 0, target("notes.txt"))}));
    }

    void copyPathPutsTheStoredTextOnTheClipboard() {
        MainFormFixture shown;
        QVERIFY(show(shown,
                     {item("web", 2, "https://www.debian.org/doc/"), item("gone", 0, "C:/Old/app.exe")}, 0));
        QVERIFY(shown.triggerAction("actCopyPath"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://www.debian.org/doc/"));
        shown.itemList()->setCurrentRow(1);
        QVERIFY(shown.triggerAction("actCopyPath"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("C:/Old/app.exe"));
    }

    void noCurrentItemDoesNothing() {
        MainFormFixture shown;
        QVERIFY(show(shown, {item("gone", 0, target("gone"))}, -1));
        QGuiApplication::clipboard()->setText("unchanged");
        for (const char* action : {"actOpen", "actOpenDir", "actCopyPath"})
            QVERIFY(shown.triggerAction(action));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(texts(shown.itemList()), QStringList{"gone"});
    }
};

QTEST_MAIN(TestLaunching)
#include "test_launching.moc"
