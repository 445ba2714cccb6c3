// SPDX-License-Identifier: GPL-3.0-or-later
// Showing and hiding the window, the tray, Esc, closing and quitting.
#include "mainform/mainform.h"
#include "mainform/windowplacement.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/diskfaults.h"
#include "support/mainformfixture.h"
#include "support/menupicker.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/traypanel.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QtTest>

namespace {

// The tray icon's click, as the tray reports it.
// The icon is set up once the first frame is painted.
void clickTray(MainForm& form, QSystemTrayIcon::ActivationReason reason) {
    QSystemTrayIcon* tray = nullptr;
    QTRY_VERIFY((tray = form.findChild<QSystemTrayIcon*>()));
    emit tray->activated(reason);
}

// Runs the application's event loop around `start` until whatever `start`
// set going has settled: 0 when Tarn quit, 42 when it kept running. A quit
// request, direct or posted, is taken before the check that ends the loop.
int runUntilQuitOrSettled(const std::function<void()>& start) {
    QObject settle;
    QTimer::singleShot(0, &settle, [&] {
        start();
        QMetaObject::invokeMethod(
            &settle,
            [] {
                // An event loop started after a quit request returns at once.
                QEventLoop probe;
                QTimer::singleShot(0, &probe, &QEventLoop::quit);
                if (probe.exec() != -1)
                    QCoreApplication::exit(42);
            },
            Qt::QueuedConnection);
    });
    return QCoreApplication::exec();
}

// The list's context menu asked for with the pointer over blank space, as a
// right click there does; `entry` is picked from it.
QStringList blankMenu(QListWidget* list, const QString& entry) {
    const QPoint at = list->viewport()->mapToGlobal(list->viewport()->rect().bottomRight() - QPoint(3, 3));
    QCursor::setPos(at);
    MenuPicker picker(entry);
    QContextMenuEvent event(QContextMenuEvent::Mouse, list->mapFromGlobal(at), at);
    QApplication::sendEvent(list, &event);
    return picker.shown;
}

// Puts a folder where the catalog file was: no write can succeed.
bool blockCatalogFile(MainFormFixture& shown) {
    return QFile::remove(shown.data.catalogPath()) && QDir(shown.data.dataPath()).mkdir("Data");
}

} // namespace

class TestPresence : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }
    void init() { formCursorPos = false; }

    void toggleFromHiddenShownAndMinimised() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        clickTray(form, QSystemTrayIcon::Trigger);
        QVERIFY(form.isHidden());
        clickTray(form, QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized());
        clickTray(form, QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void showsAtThePointerWhenAsked() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        form.move(200, 150);
        QTRY_COMPARE(form.pos(), QPoint(200, 150));
        clickTray(form, QSystemTrayIcon::Trigger);
        QCursor::setPos(10, 10);
        QTRY_COMPARE(QCursor::pos(), QPoint(10, 10));
        clickTray(form, QSystemTrayIcon::Trigger);
        QTRY_COMPARE(form.pos(), QPoint(200, 150)); // where it was

        // 70 px left of and 50 px above the pointer, but never off the screen.
        formCursorPos = true;
        auto showAt = [&](QPoint pointer) {
            QCursor::setPos(pointer);
            QTRY_COMPARE(QCursor::pos(), pointer);
            clickTray(form, QSystemTrayIcon::Trigger);
            clickTray(form, QSystemTrayIcon::Trigger);
        };
        showAt(QPoint(400, 300));
        QTRY_COMPARE(form.pos(), QPoint(330, 250));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        showAt(QPoint(10, 10));
        QTRY_COMPARE(form.pos(), screen.topLeft());
        showAt(screen.bottomRight());
        QTRY_COMPARE(form.frameGeometry().bottomRight(), screen.bottomRight());
    }

    void placementKeepsTheWindowOnOneScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("placed");
        const QRect right(1920, 0, 1280, 1000); // a second screen, right of the first
        QTest::newRow("room enough") << right << QPoint(2400, 400) << QSize(300, 200) << QPoint(2330, 350);
        QTest::newRow("top-left corner") << right << QPoint(1925, 5) << QSize(300, 200) << QPoint(1920, 0);
        QTest::newRow("bottom-right corner")
            << right << QPoint(3199, 999) << QSize(300, 200) << QPoint(2900, 800);
        QTest::newRow("exactly the area")
            << right << QPoint(2500, 500) << QSize(1280, 1000) << QPoint(1920, 0);
        QTest::newRow("larger keeps the top-left")
            << right << QPoint(2500, 500) << QSize(2000, 2000) << QPoint(1920, 0);
        QTest::newRow("above a panel")
            << QRect(0, 30, 800, 570) << QPoint(100, 40) << QSize(300, 200) << QPoint(30, 30);
        QTest::newRow("no screen: as asked")
            << QRect() << QPoint(10, 10) << QSize(300, 200) << QPoint(-60, -40);
    }
    void placementKeepsTheWindowOnOneScreen() {
        QFETCH(QRect, area);
        QFETCH(QPoint, pointer);
        QFETCH(QSize, frame);
        QFETCH(QPoint, placed);
        QCOMPARE(placement::atPointer(pointer, frame, area), placed);
    }

    void sizeIsFittedToOneScreen() {
        const QRect area(1920, 0, 1280, 1000);
        QCOMPARE(placement::fitted(QSize(100000, 100000), area), QSize(1280, 1000));
        QCOMPARE(placement::fitted(QSize(100000, 600), area, QMargins(4, 30, 4, 4)), QSize(1272, 600));
        QCOMPARE(placement::fitted(QSize(900, 100000), area, QMargins(4, 30, 4, 4)), QSize(900, 966));
        QCOMPARE(placement::fitted(QSize(900, 600), area), QSize(900, 600));
        QCOMPARE(placement::fitted(QSize(900, 600), QRect()), QSize(900, 600));
    }

    void aHugeStoredSizeStillFitsTheScreen() {
        MainFormFixture shown;
        DataFolder::writeFile(shown.data.configPath(), "[Form]\nHeight=100000\nWidth=100000\n");
        QCursor::setPos(10, 10);
        QVERIFY(shown.show());
        const MainForm& form = shown.form();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(form.width() <= screen.width() && form.height() <= screen.height());
        QVERIFY(form.width() > 848 && form.height() > 507);
    }

    void escHidesAndOtherKeysDoNothing() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QListWidget* list = shown.typeList();
        QTest::keyClick(list, Qt::Key_F5);
        QTest::keyClick(&form, Qt::Key_Return);
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(form.isVisible());
        // From a list the key travels up to the window, as a user's press does.
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(form.isHidden());
    }

    void trayClicks() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        for (auto reason :
             {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
            clickTray(form, reason);
        QVERIFY(form.isVisible());
        clickTray(form, QSystemTrayIcon::Trigger);
        QVERIFY(form.isHidden());
        clickTray(form, QSystemTrayIcon::Trigger);
        QVERIFY(form.isVisible());

        MenuPicker picker;
        clickTray(form, QSystemTrayIcon::Context);
        QVERIFY(picker.done);
        QCOMPARE(picker.shown, QStringList{"退出"});
        QVERIFY(form.isVisible());
    }

    void closeWritesTheSizeAndLeavesAnUneditedCatalog() {
        MainFormFixture shown;
        DataFolder& data = shown.data;
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=400\nWidth=700\n");
        QVERIFY(shown.show(R"({"type":[]})"));
        MainForm& form = shown.form();
        form.resize(720, 410);
        // Text put there by someone else, not followed (not whole): with no
        // edit of Tarn's, nothing replaces it.
        data.writeCatalog("stale");
        ModalAnswerer answers;
        QVERIFY(!form.close());
        QVERIFY(form.isHidden());
        QCOMPARE(answers.boxes().size(), 0);
        QCOMPARE(data.readCatalog(), QByteArray("stale"));
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Form/Height")).toInt(), 410);
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), 720);
    }

    void aFailedWriteAtCloseIsReported() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QVERIFY(blockCatalogFile(shown));
        ModalAnswerer answers;
        answers.press("OK");
        shown.form().close();
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[0].text.startsWith(QStringLiteral("配置文件保存失败：")));
    }

    void aFullDiskAtCloseIsToldNamingTheFiles() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        const QByteArray before = shown.data.readCatalog();
        QVERIFY(shown.triggerAction("actTypeAdd"));
        ModalAnswerer answers;
        answers.press("OK");
        {
            FullDiskSeam full(0);
            shown.form().close();
        }
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件保存失败：磁盘已满（%1）\n磁盘已满（%2）")
                                              .arg(QDir::toNativeSeparators(shown.data.catalogPath()),
                                                   QDir::toNativeSeparators(shown.data.configPath())));
        QCOMPARE(shown.data.readCatalog(), before);
    }

    void closingAsksOnlyWhileNothingCanCallTheWindowBack() {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this display has a tray already");
        ModalAnswerer answers;
        answers.press("已知晓"); // no hotkey to register
        MainFormFixture shown;
        DataFolder::writeFile(shown.data.configPath(), "[HotKey]\nShowAndHide=\n");
        QVERIFY(shown.show());
        QCOMPARE(answers.boxes().size(), 1);
        MainForm& form = shown.form();

        answers.press("取消");
        QVERIFY(!form.close());
        QCOMPARE(answers.boxes().size(), 2);
        const ModalAnswerer::Box asked = answers.boxes()[1];
        QCOMPARE(asked.text, QStringLiteral("没有托盘图标和快捷键可以唤回窗口。隐藏窗口还是退出 Tarn？"));
        QStringList buttons = asked.buttons;
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"取消", "退出 Tarn", "隐藏窗口"}));
        QVERIFY(form.isVisible());

        // Esc, with no search under way, is asked about too.
        answers.press("取消");
        QTest::keyClick(shown.typeList(), Qt::Key_Escape);
        QCOMPARE(answers.boxes().size(), 3);
        QCOMPARE(answers.boxes()[2].text, asked.text);
        QVERIFY(form.isVisible());
        answers.press("隐藏窗口");
        QTest::keyClick(shown.typeList(), Qt::Key_Escape);
        QVERIFY(form.isHidden());

        // Hidden at the close request, the size written as before.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(710, 430);
        answers.press("隐藏窗口");
        QVERIFY(!form.close());
        QCOMPARE(answers.boxes().size(), 5);
        QVERIFY(form.isHidden());
        QCOMPARE(QSettings(shown.data.configPath(), QSettings::IniFormat).value("Form/Width").toInt(), 710);

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(shown.triggerAction("actTypeAdd"));
        answers.press("退出 Tarn");
        QCOMPARE(runUntilQuitOrSettled([&] { form.close(); }), 0);
        QCOMPARE(answers.boxes().size(), 6);
        QCOMPARE(shown.data.readCatalog().count("默认分类"), 2);

        // A tray icon brings the window back: hidden without a question.
        TrayPanel tray;
        if (!tray.ready)
            QSKIP("no tray could be put on this display (trayer)");
        QVERIFY(!form.close());
        QVERIFY(form.isHidden());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(shown.typeList(), Qt::Key_Escape);
        QVERIFY(form.isHidden());
        QCOMPARE(answers.boxes().size(), 6);
    }

    // The menus are made after the first frame; one asked for before it is
    // made then.
    void aMenuAskedForBeforeTheFirstFrame() {
        DataFolder data;
        MainForm form;
        const QStringList entries =
            blankMenu(form.findChild<QListWidget*>(QStringLiteral("listWidget_type")), {});
        QCOMPARE(entries.value(0), QStringLiteral("新建分类"));
    }

    void theWindowsOwnMenusOfferQuitWithItsKey() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QCOMPARE(form.findChild<QAction*>("actQuit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        // Last in each list's blank-space menu, set apart from the list's own.
        for (QListWidget* list : {shown.typeList(), shown.groupList(), shown.itemList()}) {
            const QStringList entries = blankMenu(list, QString());
            QCOMPARE(entries.mid(entries.size() - 2), (QStringList{"-", "退出"}));
        }
        QVERIFY(shown.triggerAction("actTypeAdd"));
        QCOMPARE(runUntilQuitOrSettled([&] { blankMenu(shown.groupList(), "退出"); }), 0);
        QCOMPARE(shown.data.readCatalog().count("默认分类"), 2);
    }

    void closingAnotherWindowDoesNotEndTarn() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        clickTray(shown.form(), QSystemTrayIcon::Trigger);
        QVERIFY(shown.form().isHidden());
        QWidget other;
        const int result = runUntilQuitOrSettled([&] {
            other.show();
            other.close();
        });
        QCOMPARE(result, 42);
    }

    void quitAfterAFailedWriteAsksFirst() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QVERIFY(blockCatalogFile(shown));
        ModalAnswerer answers;
        answers.press("No");
        QCOMPARE(runUntilQuitOrSettled([&] { QVERIFY(shown.triggerAction("actQuit")); }), 42);
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(answers.boxes()[0].text.contains(QStringLiteral("仍然退出吗？")));
        answers.press("Yes");
        QCOMPARE(runUntilQuitOrSettled([&] { QVERIFY(shown.triggerAction("actQuit")); }), 0);
    }

    void quitKeepsTheEdits() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QVERIFY(shown.triggerAction("actTypeAdd"));
        shown.form().resize(700, 450);
        QCOMPARE(runUntilQuitOrSettled([&] { QVERIFY(shown.triggerAction("actQuit")); }), 0);
        QCOMPARE(shown.data.readCatalog(),
                 QByteArray(R"({"type":[{"name":"默认分类","group":[{"name":"默认分组","item":[]}]},)"
                            R"({"name":"默认分类","group":[{"name":"默认分组","item":[]}]}]})"));
        QSettings written(shown.data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), 700);
    }
};

QTEST_MAIN(TestPresence)
#include "test_presence.moc"
