// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/urlrecorder.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QListWidget>
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

} // namespace

class TestLaunching : public QObject {
    Q_OBJECT

    QTemporaryDir targets;
    UrlRecorder recorder;
    QString dumpFile;

    QString target(const QString& name) const { return targets.filePath(name); }

    // Builds a window on a catalog of one Group and makes an Item current.
    std::unique_ptr<MainForm> formWith(const QList<QByteArray>& items, DataFolder& data, int current) {
        data.writeCatalog(catalogOf(items));
        auto form = std::make_unique<MainForm>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        itemList(*form)->setCurrentRow(current);
        return form;
    }
    static QListWidget* itemList(const MainForm& form) {
        return form.findChild<QListWidget*>(QStringLiteral("listWidget_item"));
    }
    static QStringList names(const MainForm& form) {
        QStringList out;
        for (int i = 0; i < itemList(form)->count(); ++i)
            out << itemList(form)->item(i)->text();
        return out;
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
        DataFolder data;
        auto form = formWith({item(QStringLiteral("p"), 0, target(QStringLiteral("bin/dump.exe")),
                                   QStringLiteral("one  two"))},
                             data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QTRY_COMPARE(dumped(), (QStringList{target(QStringLiteral("bin")), QStringLiteral("[one]"),
                                            QStringLiteral("[]"), QStringLiteral("[two]")}));
        QVERIFY(recorder.urls.isEmpty());
        QVERIFY(form->isVisible());
    }

    void desktopEntryStartsItsExecInItsPath() {
        DataFolder data;
        const QString entry = target("menu/dump.desktop");
        QDir(targets.path()).mkpath("menu");
        DataFolder::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Dump\nExec=\"" +
                                         target("bin/dumper").toUtf8() +
                                         "\" \"a  b\" %U --x=%f\nPath=" + targets.path().toUtf8() + "\n");
        auto form = formWith({item("d", 0, entry, "ignored")}, data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QTRY_COMPARE(dumped(), (QStringList{targets.path(), "[a  b]", "[--x=]"}));
        QVERIFY(recorder.urls.isEmpty());

        // A program that is not installed is an invalid target.
        DataFolder::writeFile(entry, "[Desktop Entry]\nType=Application\nExec=sh\nTryExec=tarn-absent\n");
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(recorder.urls.isEmpty());
    }

    void executableWithoutSuffixStartsOnLinux() {
#ifdef Q_OS_WIN
        QSKIP("programs end in .exe here");
#endif
        DataFolder data;
        auto form = formWith({item(QStringLiteral("p"), 0, target(QStringLiteral("bin/dumper")))}, data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QTRY_COMPARE(dumped(), QStringList{target(QStringLiteral("bin"))});
    }

    void doubleClickLaunchesTheClickedItem() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("a"), 0, target(QStringLiteral("notes.txt"))),
                              item(QStringLiteral("b"), 1, targets.path())},
                             data, -1);
        QVERIFY(form);
        QListWidget* list = itemList(*form);
        const QPoint centre = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTRY_COMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(targets.path())});
    }

    void documentsFoldersAndAddressesGoToTheOpener() {
        DataFolder data;
        auto form = formWith(
            {item(QStringLiteral("doc"), 0, target(QStringLiteral("notes.txt")), QStringLiteral("-x")),
             item(QStringLiteral("dir"), 1, targets.path()),
             item(QStringLiteral("web"), 2, QStringLiteral("www.debian.org"))},
            data, 0);
        QVERIFY(form);
        for (int row = 0; row < 3; ++row) {
            itemList(*form)->setCurrentRow(row);
            QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        }
        QCOMPARE(recorder.urls, (QList<QUrl>{QUrl::fromLocalFile(target(QStringLiteral("notes.txt"))),
                                             QUrl::fromLocalFile(targets.path()),
                                             QUrl(QStringLiteral("http://www.debian.org"))}));
        itemList(*form)->setCurrentRow(0);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThisDir"));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(targets.path()));
    }

    void hidesAfterALaunchOnlyWhenAsked() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("doc"), 0, target(QStringLiteral("notes.txt"))),
                              item(QStringLiteral("gone"), 0, target(QStringLiteral("gone")))},
                             data, 0);
        QVERIFY(form);
        formOpenThenHide = true;
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QVERIFY(form->isHidden());
        form->show();
        // The invalid-target road is not a launch.
        itemList(*form)->setCurrentRow(1);
        ModalAnswerer answers;
        answers.press(QStringLiteral("No"));
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(form->isVisible());
    }

    void invalidTargetYesRemovesExactlyThatItem() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("a"), 0, target(QStringLiteral("notes.txt"))),
                              item(QStringLiteral("gone"), 0, target(QStringLiteral("gone.exe"))),
                              item(QStringLiteral("c"), 1, targets.path())},
                             data, 1);
        QVERIFY(form);
        const QByteArray before = data.readCatalog();
        ModalAnswerer answers;
        answers.press(QStringLiteral("Yes"));
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("这个目标无效，因为它可能被删除或者移动了\n删除这个无效的项目吗？"));
        QCOMPARE(answers.boxes()[0].buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
        QCOMPARE(names(*form), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(itemList(*form)->currentRow(), -1);
        QCOMPARE(data.readCatalog(), before);
        QVERIFY(recorder.urls.isEmpty());
    }

    void invalidTargetNoChangesNothing() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("gone"), 1, target(QStringLiteral("gone"))),
                              item(QStringLiteral("b"), 0, target(QStringLiteral("notes.txt")))},
                             data, 0);
        QVERIFY(form);
        ModalAnswerer answers;
        answers.press(QStringLiteral("No"));
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThisDir"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(names(*form), (QStringList{QStringLiteral("gone"), QStringLiteral("b")}));
        QVERIFY(form->saveCatalog());
        QCOMPARE(data.readCatalog(),
                 catalogOf({item(QStringLiteral("gone"), 1, target(QStringLiteral("gone"))),
                            item(QStringLiteral("b"), 0, target(QStringLiteral("notes.txt")))}));
    }

    void copyPathPutsTheStoredTextOnTheClipboard() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("web"), 2, QStringLiteral("https://www.debian.org/doc/")),
                              item(QStringLiteral("gone"), 0, QStringLiteral("C:/Old/app.exe"))},
                             data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "copyThisDir"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://www.debian.org/doc/"));
        itemList(*form)->setCurrentRow(1);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "copyThisDir"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("C:/Old/app.exe"));
    }

    void noCurrentItemDoesNothing() {
        DataFolder data;
        auto form = formWith({item(QStringLiteral("gone"), 0, target(QStringLiteral("gone")))}, data, -1);
        QVERIFY(form);
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        for (const char* slot : {"openThis", "openThisDir", "copyThisDir"})
            QVERIFY(QMetaObject::invokeMethod(form.get(), slot));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(names(*form), QStringList{QStringLiteral("gone")});
    }
};

QTEST_MAIN(TestLaunching)
#include "test_launching.moc"
