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
        return form.findChild<QListWidget*>("listWidget_item");
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
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        installModalWatchdog();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &recorder, "open");
        dumpFile = target("argv.txt");
        qputenv("TARN_ARGV_DUMP", dumpFile.toUtf8());
        QDir(targets.path()).mkdir("bin");
        QVERIFY(QFile::copy(TARN_ARGVDUMP, target("bin/dump.exe")));
        QVERIFY(QFile::copy(TARN_ARGVDUMP, target("bin/dumper")));
        DataFolder::writeFile(target("notes.txt"), "x");
    }
    void init() {
        recorder.urls.clear();
        QFile::remove(dumpFile);
        formOpenThenHide = false;
    }

    void programStartsDetachedWithArgumentsInItsFolder() {
        DataFolder data;
        auto form = formWith({item("p", 0, target("bin/dump.exe"), "one  two")}, data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QTRY_COMPARE(dumped(), (QStringList{target("bin"), "[one]", "[]", "[two]"}));
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
        auto form = formWith({item("p", 0, target("bin/dumper"))}, data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QTRY_COMPARE(dumped(), QStringList{target("bin")});
    }

    void doubleClickLaunchesTheClickedItem() {
        DataFolder data;
        auto form = formWith({item("a", 0, target("notes.txt")), item("b", 1, targets.path())}, data, -1);
        QVERIFY(form);
        QListWidget* list = itemList(*form);
        const QPoint centre = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTRY_COMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(targets.path())});
    }

    void documentsFoldersAndAddressesGoToTheOpener() {
        DataFolder data;
        auto form = formWith({item("doc", 0, target("notes.txt"), "-x"), item("dir", 1, targets.path()),
                              item("web", 2, "www.debian.org")},
                             data, 0);
        QVERIFY(form);
        for (int row = 0; row < 3; ++row) {
            itemList(*form)->setCurrentRow(row);
            QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        }
        QCOMPARE(recorder.urls,
                 (QList<QUrl>{QUrl::fromLocalFile(target("notes.txt")), QUrl::fromLocalFile(targets.path()),
                              QUrl("http://www.debian.org")}));
        itemList(*form)->setCurrentRow(0);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThisDir"));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(targets.path()));
    }

    void hidesAfterALaunchOnlyWhenAsked() {
        DataFolder data;
        auto form = formWith({item("doc", 0, target("notes.txt")), item("gone", 0, target("gone"))}, data, 0);
        QVERIFY(form);
        formOpenThenHide = true;
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QVERIFY(form->isHidden());
        form->show();
        // The invalid-target road is not a launch.
        itemList(*form)->setCurrentRow(1);
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(form->isVisible());
    }

    void invalidTargetYesRemovesExactlyThatItem() {
        DataFolder data;
        auto form = formWith({item("a", 0, target("notes.txt")), item("gone", 0, target("gone.exe")),
                              item("c", 1, targets.path())},
                             data, 1);
        QVERIFY(form);
        const QByteArray before = data.readCatalog();
        ModalAnswerer answers;
        answers.press("Yes");
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThis"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("这个目标无效，因为它可能被删除或者移动了\n删除这个无效的项目吗？"));
        QCOMPARE(answers.boxes()[0].buttons, (QStringList{"Yes", "No"}));
        QCOMPARE(names(*form), (QStringList{"a", "c"}));
        QCOMPARE(itemList(*form)->currentRow(), -1);
        QCOMPARE(data.readCatalog(), before);
        QVERIFY(recorder.urls.isEmpty());
    }

    void invalidTargetNoChangesNothing() {
        DataFolder data;
        auto form = formWith({item("gone", 1, target("gone")), item("b", 0, target("notes.txt"))}, data, 0);
        QVERIFY(form);
        ModalAnswerer answers;
        answers.press("No");
        QVERIFY(QMetaObject::invokeMethod(form.get(), "openThisDir"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(names(*form), (QStringList{"gone", "b"}));
        QVERIFY(form->saveCatalog());
        QCOMPARE(data.readCatalog(),
                 catalogOf({item("gone", 1, target("gone")), item("b", 0, target("notes.txt"))}));
    }

    void copyPathPutsTheStoredTextOnTheClipboard() {
        DataFolder data;
        auto form = formWith(
            {item("web", 2, "https://www.debian.org/doc/"), item("gone", 0, "C:/Old/app.exe")}, data, 0);
        QVERIFY(form);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "copyThisDir"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://www.debian.org/doc/"));
        itemList(*form)->setCurrentRow(1);
        QVERIFY(QMetaObject::invokeMethod(form.get(), "copyThisDir"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("C:/Old/app.exe"));
    }

    void noCurrentItemDoesNothing() {
        DataFolder data;
        auto form = formWith({item("gone", 0, target("gone"))}, data, -1);
        QVERIFY(form);
        QGuiApplication::clipboard()->setText("unchanged");
        for (const char* slot : {"openThis", "openThisDir", "copyThisDir"})
            QVERIFY(QMetaObject::invokeMethod(form.get(), slot));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(names(*form), QStringList{"gone"});
    }
};

QTEST_MAIN(TestLaunching)
#include "test_launching.moc"
