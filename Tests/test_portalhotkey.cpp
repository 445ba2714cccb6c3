// SPDX-License-Identifier: GPL-3.0-or-later
// The hotkey in a Wayland session: bound through a desktop portal (a fake one
// on the test's private session bus), or, without one, the user is shown how
// to bind `Tarn --toggle` in the desktop's settings. CTest runs this under
// dbus-run-session with WAYLAND_DISPLAY set, on Xvfb.
#include "desktop/portalshortcut.h"
#include "desktop/togglecommand.h"
#include "dialogs/formsettings.h"
#include "hotkey/globalhotkey.h"
#include "hotkey/hotkeyrule.h"
#include "mainform/mainform.h"
#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include "support/datafolder.h"
#include "support/fakeportal.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/traypanel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

QKeySequence native(const char* text) {
    return QKeySequence(QString::fromLatin1(text), QKeySequence::NativeText);
}

QMessageBox* notice() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("desktopBindingNotice") && widget->isVisible())
            return qobject_cast<QMessageBox*>(widget);
    return nullptr;
}

// Applies the key editor's combination in the settings window, as a user
// does; the main window registers it afresh.
bool applyInSettings(MainFormFixture& shown, const QKeySequence& keys) {
    FormSettings* settings = shown.openSettings();
    if (!settings)
        return false;
    settings->findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit_showAndHide"))
        ->setKeySequence(keys);
    QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("pushButton_showAndHide")),
                      Qt::LeftButton);
    settings->close();
    return true;
}

QString commandHere() {
    return toggleCommand(QCoreApplication::applicationFilePath(), datapaths::startFolder());
}

} // namespace

class TestPortalHotkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installModalWatchdog();
        QVERIFY2(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), "run by CTest, under dbus-run-session");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void triggersInThePortalsSyntax_data() {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("default") << "alt+`"
                                 << "ALT+grave";
        QTest::newRow("letter") << "Ctrl+Alt+K"
                                << "CTRL+ALT+k";
        QTest::newRow("shift") << "Shift+Meta+F12"
                               << "SHIFT+LOGO+F12";
        QTest::newRow("punctuation") << "Ctrl+["
                                     << "CTRL+bracketleft";
        QTest::newRow("at") << "Ctrl+@"
                            << "CTRL+at";
        QTest::newRow("special") << "Ctrl+PgDown"
                                 << "CTRL+Page_Down";
        QTest::newRow("unnamed") << "Ctrl+VolumeUp"
                                 << "";
    }
    void triggersInThePortalsSyntax() {
        QFETCH(QString, sequence);
        QFETCH(QString, trigger);
        QCOMPARE(portal::trigger(firstCombination(QKeySequence(sequence, QKeySequence::PortableText))),
                 trigger);
    }

    void parentWindowsNamedAsThePortalNamesThem_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<quintptr>("window");
        QTest::addColumn<QString>("handle");
        QTest::newRow("x11") << "xcb" << quintptr(0x1a0000b) << "x11:1a0000b";
        QTest::newRow("no window yet") << "xcb" << quintptr(0) << "";
        // Qt's ids there are its own, not the compositor's handles.
        QTest::newRow("wayland") << "wayland" << quintptr(0x1a0000b) << "";
        QTest::newRow("offscreen") << "offscreen" << quintptr(1) << "";
    }
    void parentWindowsNamedAsThePortalNamesThem() {
        QFETCH(QString, platform);
        QFETCH(quintptr, window);
        QFETCH(QString, handle);
        QCOMPARE(portal::parentWindow(platform, window), handle);
    }

    void theDesktopBindsTheShortcutAndDeliversIt() {
        FakePortal portal;
        QVERIFY(portal.publish());
        auto* hotkey = new GlobalHotkey(native("alt+`"), true);
        QSignalSpy finished(hotkey, &GlobalHotkey::registrationFinished);
        QSignalSpy activated(hotkey, &GlobalHotkey::activated);
        QVERIFY(hotkey->isPending());
        QVERIFY(!hotkey->isRegistered());
        QTRY_VERIFY(hotkey->property("registered").toBool());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toBool(), true);
        QVERIFY(!hotkey->needsDesktopBinding());

        QCOMPARE(portal.bindings.size(), 1);
        const FakePortal::Binding binding = portal.bindings[0];
        QCOMPARE(binding.session, portal.sessions.value(0));
        QCOMPARE(binding.shortcuts.size(), 1);
        QCOMPARE(binding.shortcuts[0].id, QStringLiteral("show-hide"));
        QCOMPARE(binding.shortcuts[0].properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("ALT+grave"));
        QVERIFY(!binding.shortcuts[0].properties.value(QStringLiteral("description")).toString().isEmpty());

        // Only this session's shortcut counts; signals arrive in order, so
        // once the right one is in, the others were seen and ignored.
        portal.activate(binding.session, QStringLiteral("other"));
        portal.activate(QStringLiteral("/org/freedesktop/portal/desktop/session/x/y"),
                        QStringLiteral("show-hide"));
        portal.activate(binding.session, QStringLiteral("show-hide"));
        QTRY_COMPARE(activated.count(), 1);

        // Muted while released, heard again without a second binding.
        QVERIFY(!hotkey->setRegistered(false));
        portal.activate(binding.session, QStringLiteral("show-hide"));
        QTest::qWait(200);
        QCOMPARE(activated.count(), 1);
        QVERIFY(hotkey->setRegistered(true));
        portal.activate(binding.session, QStringLiteral("show-hide"));
        QTRY_COMPARE(activated.count(), 2);
        QCOMPARE(portal.bindings.size(), 1);

        delete hotkey;
        QTRY_COMPARE(portal.closedSessions, QStringList{binding.session});
    }

    void aRefusalOrNoPortalAsksForADesktopBinding() {
        {
            FakePortal portal;
            portal.bindAnswer = FakePortal::Answer::Refuse;
            QVERIFY(portal.publish());
            GlobalHotkey hotkey(native("alt+`"), true);
            QSignalSpy finished(&hotkey, &GlobalHotkey::registrationFinished);
            QTRY_COMPARE(finished.count(), 1);
            QCOMPARE(finished[0][0].toBool(), false);
            QVERIFY(!hotkey.isRegistered());
            QVERIFY(!hotkey.isPending());
            QVERIFY(hotkey.needsDesktopBinding());
        }
        GlobalHotkey hotkey(native("alt+`"), true);
        QTRY_VERIFY(!hotkey.isPending());
        QVERIFY(hotkey.needsDesktopBinding());
        QVERIFY(!hotkey.isRegistered());
    }

    // Grants as portals differ in giving them: some answer with an empty
    // result (no desktop binding is asked of the user then), a busy one may
    // send a request's Response before the method's reply that names the
    // request.
    void unusualGrantsStillBind_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("no shortcuts listed") << int(FakePortal::Answer::GrantUnlisted);
        QTest::newRow("response before the reply") << int(FakePortal::Answer::GrantEarly);
    }
    void unusualGrantsStillBind() {
        QFETCH(int, answer);
        FakePortal portal;
        portal.bindAnswer = FakePortal::Answer(answer);
        QVERIFY(portal.publish());
        GlobalHotkey hotkey(native("alt+`"), true);
        QSignalSpy finished(&hotkey, &GlobalHotkey::registrationFinished);
        QSignalSpy activated(&hotkey, &GlobalHotkey::activated);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toBool(), true);
        QVERIFY(hotkey.isRegistered());
        QVERIFY(!hotkey.needsDesktopBinding());
        QCOMPARE(portal.bindings.size(), 1);
        portal.activate(portal.bindings[0].session, QStringLiteral("show-hide"));
        QTRY_COMPARE(activated.count(), 1);
    }

    void aKeyChangedOnTheDesktopIsFollowed() {
        // The user picks another key in the desktop's settings; the desktop
        // tells every session's changes on one signal.
        FakePortal portal;
        QVERIFY(portal.publish());
        GlobalHotkey hotkey(native("alt+`"), true);
        QTRY_VERIFY(hotkey.isRegistered());
        QVERIFY(hotkey.isBoundByDesktop());
        QCOMPARE(hotkey.triggerDescription(), QStringLiteral("ALT+grave"));
        QSignalSpy changed(&hotkey, &GlobalHotkey::triggerDescriptionChanged);
        const QString session = portal.bindings.value(0).session;
        portal.change(QStringLiteral("/org/freedesktop/portal/desktop/session/x/y"),
                      QStringLiteral("show-hide"), QStringLiteral("Ctrl+Q"));
        portal.change(session, QStringLiteral("other"), QStringLiteral("Ctrl+W"));
        portal.change(session, QStringLiteral("show-hide"), QStringLiteral("Meta+F9"));
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toString(), QStringLiteral("Meta+F9"));
        QCOMPARE(hotkey.triggerDescription(), QStringLiteral("Meta+F9"));
        // Released for the key editor, the desktop's key is still its own.
        QVERIFY(!hotkey.setRegistered(false));
        QVERIFY(hotkey.isBoundByDesktop());
    }

    void thePortalsKeyTogglesTheWindow() {
        FakePortal portal;
        QVERIFY(portal.publish());
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QTRY_COMPARE(portal.bindings.size(), 1);
        const QString session = portal.bindings[0].session;
        portal.activate(session, QStringLiteral("show-hide"));
        QTRY_VERIFY(form.isHidden());
        portal.activate(session, QStringLiteral("show-hide"));
        QTRY_VERIFY(form.isVisible());

        // Bound: no conflict, no notice, nothing to bind in the key tab.
        QVERIFY(answers.boxes().isEmpty());
        QVERIFY(!notice());
        FormSettings* settings = shown.openSettings();
        QVERIFY(settings);
        QVERIFY(settings->findChild<QWidget*>(QStringLiteral("widget_desktopBinding"))->isHidden());
        settings->close();

        // A new hotkey is a new session; the old one is closed.
        answers.press(QStringLiteral("已知晓"));
        QVERIFY(applyInSettings(shown, QKeySequence(QStringLiteral("Ctrl+Alt+K"))));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QCOMPARE(portal.bindings.size(), 2);
        QCOMPARE(
            portal.bindings[1].shortcuts[0].properties.value(QStringLiteral("preferred_trigger")).toString(),
            QStringLiteral("CTRL+ALT+k"));
        QTRY_COMPARE(portal.closedSessions, QStringList{session});
        portal.activate(portal.bindings[1].session, QStringLiteral("show-hide"));
        QTRY_VERIFY(form.isHidden());
    }

    void theKeyTabShowsTheKeyTheDesktopBound() {
        // The desktop may bind another key than the one asked for, and the
        // user may change it there at any time: the key tab says which key
        // works, as the desktop words it, while it is open.
        FakePortal portal;
        portal.bindAnswer = FakePortal::Answer::GrantThenChange;
        QVERIFY(portal.publish());
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show());
        FormSettings* settings = shown.openSettings();
        QVERIFY(settings);
        auto* bound = settings->findChild<QLabel*>(QStringLiteral("label_desktopKey"));
        QVERIFY(bound);
        QTRY_COMPARE(bound->text(), QStringLiteral("桌面实际绑定：Meta+F9"));
        QVERIFY(!bound->isHidden());
        QVERIFY(settings->findChild<QWidget*>(QStringLiteral("widget_desktopBinding"))->isHidden());

        // A new hotkey applied with the tab open: asked, bound, changed.
        portal.laterTrigger = QStringLiteral("Meta+F10");
        answers.press(QStringLiteral("已知晓"));
        settings->findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit_showAndHide"))
            ->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+K")));
        QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("pushButton_showAndHide")),
                          Qt::LeftButton);
        QCOMPARE(bound->text(), QStringLiteral("桌面实际绑定：等待桌面答复…"));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QTRY_COMPARE(bound->text(), QStringLiteral("桌面实际绑定：Meta+F10"));
        QCOMPARE(portal.bindings.size(), 2);
        settings->close();
    }

    void theDesktopsQuestionsBelongToTheMainWindow() {
        // A desktop that asks the user about the key puts its dialog over
        // Tarn's window, named as the portal names X11 windows.
        FakePortal portal;
        QVERIFY(portal.publish());
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show());
        QTRY_COMPARE(portal.bindings.size(), 1);
        QCOMPARE(portal.bindings[0].parentWindow,
                 QStringLiteral("x11:") + QString::number(shown.form().winId(), 16));
    }

    void withoutAPortalTheUserIsToldOnceHowToBindTheKey() {
        MainFormFixture shown;
        const QString command = commandHere();
        {
            ModalAnswerer answers;
            QVERIFY(shown.show());
            QTRY_VERIFY(notice());
            QMessageBox* box = notice();
            QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
            QVERIFY(box->text().contains(QStringLiteral("( Alt+` )")));
            QVERIFY(box->text().endsWith(QLatin1Char('\n') + command));
            QVERIFY(!box->isModal());
            QVERIFY(answers.boxes().isEmpty()); // no conflict reported

            QApplication::clipboard()->clear();
            QPushButton* copy = nullptr;
            for (QAbstractButton* button : box->buttons())
                if (button->text().remove(QLatin1Char('&')) == QStringLiteral("复制命令"))
                    copy = qobject_cast<QPushButton*>(button);
            QVERIFY(copy);
            copy->click();
            QCOMPARE(QApplication::clipboard()->text(), command);
            QTRY_VERIFY(!notice());

            FormSettings* settings = shown.openSettings();
            QVERIFY(settings);
            QVERIFY(!settings->findChild<QWidget*>(QStringLiteral("widget_desktopBinding"))->isHidden());
            QVERIFY(settings->findChild<QLabel*>(QStringLiteral("label_desktopKey"))->isHidden());
            QCOMPARE(settings->findChild<QLineEdit*>(QStringLiteral("lineEdit_toggleCommand"))->text(),
                     command);
            QApplication::clipboard()->clear();
            settings->findChild<QPushButton*>(QStringLiteral("pushButton_copyCommand"))->click();
            QCOMPARE(QApplication::clipboard()->text(), command);
            settings->close();
        }
        QCOMPARE(QSettings(shown.data.configPath(), QSettings::IniFormat)
                     .value(QStringLiteral("HotKey/DesktopBindingTold"))
                     .toBool(),
                 true);

        // Told once: the next start keeps quiet, the key tab still says it,
        // and applying a new hotkey is answered again.
        ModalAnswerer answers;
        QVERIFY(shown.show());
        FormSettings* settings = shown.openSettings();
        QVERIFY(settings);
        QTRY_VERIFY(!settings->findChild<QWidget*>(QStringLiteral("widget_desktopBinding"))->isHidden());
        QVERIFY(!notice());
        QVERIFY(applyInSettings(shown, QKeySequence(QStringLiteral("alt+`"), QKeySequence::PortableText)));
        QTRY_VERIFY(notice());
        QVERIFY(answers.boxes().isEmpty());
    }

    void withoutATrayTheNoticeAlsoTellsTheWayBackAndOut() {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this display has a tray already");
        MainFormFixture shown;
        ModalAnswerer answers;
        QVERIFY(shown.show());
        QTRY_VERIFY(notice());
        const QString told = notice()->informativeText();
        QVERIFY2(told.contains(QStringLiteral("再次启动 Tarn")), qPrintable(told));
        QVERIFY2(told.contains(QStringLiteral("Ctrl+Q")), qPrintable(told));
        QVERIFY2(told.contains(QStringLiteral("“退出”")), qPrintable(told));
        for (QAbstractButton* button : notice()->buttons())
            if (button->text().remove(QLatin1Char('&')) == QStringLiteral("已知晓"))
                button->click();
        QTRY_VERIFY(!notice());

        // With a tray, the tray icon is the way back and out.
        TrayPanel tray;
        if (!tray.ready)
            QSKIP("no tray could be put on this display (trayer)");
        QVERIFY(applyInSettings(shown, QKeySequence(QStringLiteral("alt+`"), QKeySequence::PortableText)));
        QTRY_VERIFY(notice());
        QCOMPARE(notice()->informativeText(), QString());
        QVERIFY(answers.boxes().isEmpty());
    }

    void theCommandRunsTarnOnItsOwnData() {
        // Split as a desktop's shortcut settings split it, whatever the path.
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("it's a \"run\" $HOME"));
        QVERIFY(QDir().mkpath(folder));
        const QString executable = folder + QStringLiteral("/Tarn");
        QVERIFY(QFile::copy(QStringLiteral(TARN_ARGVDUMP), executable));
        const QString dump = dir.filePath(QStringLiteral("dump"));
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARN_ARGV_DUMP"), dump);
        shell.setProcessEnvironment(environment);
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec ") + toggleCommand(executable, folder)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(DataFolder::readFile(dump), (folder + QStringLiteral("\n[--toggle]\n")).toUtf8());
        QCOMPARE(toggleCommand(QStringLiteral("/opt/tarn/bin/Tarn"), QStringLiteral("/opt/tarn/bin")),
                 QStringLiteral("sh -c 'cd /opt/tarn/bin && exec /opt/tarn/bin/Tarn --toggle'"));
        // Installed, or with a chosen folder: no folder to change into.
        QCOMPARE(toggleCommand(QStringLiteral("/usr/bin/Tarn"), QString()),
                 QStringLiteral("/usr/bin/Tarn --toggle"));
        shell.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), toggleCommand(executable, QString(), {QStringLiteral("--data"), folder})});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(DataFolder::readFile(dump), (QDir::currentPath() + QStringLiteral("\n[--data]\n[") + folder +
                                              QStringLiteral("]\n[--toggle]\n"))
                                                 .toUtf8());
    }
};

QTEST_MAIN(TestPortalHotkey)
#include "test_portalhotkey.moc"
