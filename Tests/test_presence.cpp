// SPDX-License-Identifier: GPL-3.0-or-later
// Showing and hiding the window, the tray, Esc, closing and quitting.
#include "mainform/mainform.h"
#include "mainform/windowplacement.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/diskfaults.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QtTest>

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

namespace {

bool call(MainForm& form, const char* slot) {
    return QMetaObject::invokeMethod(&form, slot);
}

bool tray(MainForm& form, QSystemTrayIcon::ActivationReason reason) {
    return QMetaObject::invokeMethod(&form, "trayAction", Q_ARG(QSystemTrayIcon::ActivationReason, reason));
}

QAction* quitAction(MainForm& form) {
    for (QAction* action : form.findChildren<QAction*>())
        if (action->text() == QStringLiteral("退出"))
            return action;
    return nullptr;
}

// Runs the application's event loop until something quits it, or gives up
// after two seconds: 0 means Tarn quit, 42 that it kept running.
int runUntilQuitOrTimeout(std::function<void()> start) {
    QTimer::singleShot(0, start);
    QTimer::singleShot(2000, [] { QCoreApplication::exit(42); });
    return QCoreApplication::exec();
}

struct ShownForm {
    DataFolder data;
    MainForm form;
    ShownForm() {
        form.show();
        exposed = QTest::qWaitForWindowExposed(&form);
    }
    bool exposed = false;
    // Puts a folder where the catalog file was: no write can succeed.
    bool blockCatalogFile() {
        return QFile::remove(data.catalogPath()) && QDir(data.dataPath()).mkdir(QStringLiteral("Data"));
    }
};

} // namespace

class TestPresence : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installModalWatchdog();
        qRegisterMetaType<QSystemTrayIcon::ActivationReason>();
    }
    void init() { formCursorPos = false; }

    void toggleFromHiddenShownAndMinimised() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        MainForm& form = shown.form;
        QVERIFY(call(form, "showAndHide"));
        QVERIFY(form.isHidden());
        QVERIFY(call(form, "showAndHide"));
        QVERIFY(form.isVisible());
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized());
        QVERIFY(call(form, "showAndHide"));
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void showsAtThePointerWhenAsked() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        MainForm& form = shown.form;
        form.move(200, 150);
        QTRY_COMPARE(form.pos(), QPoint(200, 150));
        QVERIFY(call(form, "showAndHide"));
        QCursor::setPos(10, 10);
        QTRY_COMPARE(QCursor::pos(), QPoint(10, 10));
        QVERIFY(call(form, "showAndHide"));
        QTRY_COMPARE(form.pos(), QPoint(200, 150)); // where it was

        // 70 px left of and 50 px above the pointer, but never off the screen.
        formCursorPos = true;
        auto showAt = [&](QPoint pointer) {
            QCursor::setPos(pointer);
            QTRY_COMPARE(QCursor::pos(), pointer);
            QVERIFY(call(form, "showAndHide"));
            QVERIFY(call(form, "showAndHide"));
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
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=100000\nWidth=100000\n");
        QCursor::setPos(10, 10);
        MainForm form;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(form.width() <= screen.width() && form.height() <= screen.height());
        QVERIFY(form.width() > 848 && form.height() > 507);
    }

    void escHidesAndOtherKeysDoNothing() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        MainForm& form = shown.form;
        auto* list = form.findChild<QListWidget*>("listWidget_type");
        QTest::keyClick(list, Qt::Key_F5);
        QTest::keyClick(&form, Qt::Key_Return);
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(form.isVisible());
        // From a list the key travels up to the window, as a user's press does.
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(form.isHidden());
    }

    void trayClicks() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        MainForm& form = shown.form;
        for (auto reason :
             {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
            QVERIFY(tray(form, reason));
        QVERIFY(form.isVisible());
        QVERIFY(tray(form, QSystemTrayIcon::Trigger));
        QVERIFY(form.isHidden());
        QVERIFY(tray(form, QSystemTrayIcon::Trigger));
        QVERIFY(form.isVisible());

        QStringList shownEntries;
        QTimer::singleShot(200, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions())
                    shownEntries << action->text();
                menu->close();
            }
        });
        QVERIFY(tray(form, QSystemTrayIcon::Context));
        QCOMPARE(shownEntries, QStringList{QStringLiteral("退出")});
        QVERIFY(form.isVisible());
    }

    void closeWritesSizeAndCatalogEvenWhenEmpty() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=400\nWidth=700\n");
        MainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(720, 410);
        data.writeCatalog("stale");
        QVERIFY(!form.close());
        QVERIFY(form.isHidden());
        QCOMPARE(data.readCatalog(), QByteArray(R"({"type":[]})"));
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Form/Height")).toInt(), 410);
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), 720);
    }

    void aFailedWriteAtCloseIsReported() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        QVERIFY(shown.blockCatalogFile());
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        shown.form.close();
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[0].text.startsWith(QStringLiteral("配置文件保存失败：")));
    }

    void aFullDiskAtCloseIsToldNamingTheFiles() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        const QByteArray before = shown.data.readCatalog();
        QVERIFY(call(shown.form, "jsonTypeItmeAdd"));
        ModalAnswerer answers;
        answers.press("OK");
        {
            FullDiskSeam full(0);
            shown.form.close();
        }
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件保存失败：磁盘已满（%1）\n磁盘已满（%2）")
                                              .arg(QDir::toNativeSeparators(shown.data.catalogPath()),
                                                   QDir::toNativeSeparators(shown.data.configPath())));
        QCOMPARE(shown.data.readCatalog(), before);
    }

    void closingAnotherWindowDoesNotEndTarn() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        QVERIFY(call(shown.form, "showAndHide"));
        QWidget other;
        const int result = runUntilQuitOrTimeout([&] {
            other.show();
            QTimer::singleShot(100, &other, &QWidget::close);
        });
        QCOMPARE(result, 42);
    }

    void quitAfterAFailedWriteAsksFirst() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        QVERIFY(shown.blockCatalogFile());
        ModalAnswerer answers;
        answers.press(QStringLiteral("No"));
        QCOMPARE(runUntilQuitOrTimeout([&] { quitAction(shown.form)->trigger(); }), 42);
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(answers.boxes()[0].text.contains(QStringLiteral("仍然退出吗？")));
        answers.press(QStringLiteral("Yes"));
        QCOMPARE(runUntilQuitOrTimeout([&] { quitAction(shown.form)->trigger(); }), 0);
    }

    void quitKeepsTheEdits() {
        ShownForm shown;
        QVERIFY(shown.exposed);
        QVERIFY(call(shown.form, "jsonTypeItmeAdd"));
        shown.form.resize(700, 450);
        QVERIFY(quitAction(shown.form));
        QCOMPARE(runUntilQuitOrTimeout([&] { quitAction(shown.form)->trigger(); }), 0);
        QCOMPARE(shown.data.readCatalog(),
                 QByteArray(R"({"type":[{"name":"默认分类","group":[{"name":"默认分组","item":[]}]},)"
                            R"({"name":"默认分类","group":[{"name":"默认分组","item":[]}]}]})"));
        QSettings written(shown.data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), 700);
    }
};

QTEST_MAIN(TestPresence)
#include "test_presence.moc"
