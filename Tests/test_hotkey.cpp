// The global hotkey against a real X server: grabs, presses and conflicts.
#include "hotkey/globalhotkey.h"
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/xtools.h"

#include <QAbstractButton>
#include <QKeySequenceEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

using namespace x11;

namespace {
QKeySequence native(const char* text) {
    return QKeySequence(QString::fromLatin1(text), QKeySequence::NativeText);
}
} // namespace

class TestHotkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installModalWatchdog();
        QVERIFY2(tryGrab(kGrave, kAlt) == "free", "another client holds alt+` on this display");
    }

    void firesOnARealPressWhateverTheLocks() {
        GlobalHotkey hotkey(native("alt+`"), true);
        QVERIFY(hotkey.property("registered").toBool());
        QSignalSpy activated(&hotkey, &GlobalHotkey::activated);
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_COMPARE(activated.count(), 1);

        // NumLock and CapsLock on: still the hotkey.
        QVERIFY(xdotoolKey("Num_Lock"));
        QVERIFY(xdotoolKey("Caps_Lock"));
        QVERIFY(xdotoolKey("alt+grave"));
        QVERIFY(xdotoolKey("Num_Lock"));
        QVERIFY(xdotoolKey("Caps_Lock"));
        QTRY_COMPARE(activated.count(), 2);

        // Other combinations are not.
        QVERIFY(xdotoolKey("ctrl+alt+grave"));
        QVERIFY(xdotoolKey("grave"));
        QTest::qWait(200);
        QCOMPARE(activated.count(), 2);
    }

    void grabsEveryLockVariantAndDeletionReleasesThem() {
        auto* hotkey = new GlobalHotkey(native("alt+`"), true);
        QVERIFY(hotkey->isRegistered());
        for (unsigned locks : {0u, kLock, kNumLock, kLock | kNumLock})
            QCOMPARE(tryGrab(kGrave, kAlt | locks), QStringLiteral("busy"));
        delete hotkey;
        for (unsigned locks : {0u, kLock, kNumLock, kLock | kNumLock})
            QCOMPARE(tryGrab(kGrave, kAlt | locks), QStringLiteral("free"));
    }

    void aRefusedGrabIsFullyUndone() {
        GrabHolder holder(kGrave, kAlt); // only the variant without locks
        QCOMPARE(holder.answer, QStringLiteral("free"));
        GlobalHotkey hotkey(native("alt+`"), true);
        QVERIFY(!hotkey.property("registered").toBool());
        // The variants it could have taken were given back.
        QCOMPARE(tryGrab(kGrave, kAlt | kNumLock), QStringLiteral("free"));
        QCOMPARE(tryGrab(kGrave, kAlt | kLock), QStringLiteral("free"));
    }

    void unusableSequencesDoNotRegister() {
        QVERIFY(!GlobalHotkey(QKeySequence(), true).isRegistered());
        QVERIFY(!GlobalHotkey(native("not a key"), true).isRegistered());
        GlobalHotkey later(native("ctrl+alt+k"), false);
        QVERIFY(!later.isRegistered());
        QSignalSpy changed(&later, &GlobalHotkey::registeredChanged);
        QVERIFY(later.setRegistered(true));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("busy"));
        QVERIFY(!later.setRegistered(false));
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("free"));
    }

    void theHotkeyTogglesTheWindow() {
        DataFolder data;
        MainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(form.isHidden());
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(form.isVisible());
    }

    void aConflictIsReported() {
        GrabHolder holder(kGrave, kAlt);
        DataFolder data;
        ModalAnswerer answers;
        answers.press("已知晓");
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("显示隐藏热键( alt+` ) 注册失败，可能发生了热键冲突"));
        QCOMPARE(answers.boxes()[0].buttons, QStringList{"已知晓"});
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("alt+`"));
    }

    void anEmptyStoredHotkeyIsReportedWithNothingBetween() {
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[HotKey]\nShowAndHide=\n");
        ModalAnswerer answers;
        answers.press("已知晓");
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("显示隐藏热键(  ) 注册失败，可能发生了热键冲突"));
    }

    void resetMovesTheGrab() {
        DataFolder data;
        MainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("busy"));
        configSettings->setValue(settingkeys::hotKeyShowAndHide, "Ctrl+Alt+K");
        ModalAnswerer answers;
        answers.press("已知晓");
        QVERIFY(QMetaObject::invokeMethod(&form, "hotKeyReset"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("Ctrl+Alt+K"));
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("busy"));
        QVERIFY(xdotoolKey("ctrl+alt+k"));
        QTRY_VERIFY(form.isHidden());

        // The same combination again still registers.
        answers.press("已知晓");
        QVERIFY(QMetaObject::invokeMethod(&form, "hotKeyReset"));
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[1].text, QStringLiteral("热键修改成功"));
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("busy"));
    }

    void theKeyEditorRecordsTheHotkeyItself() {
        DataFolder data;
        MainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.findChild<QAbstractButton*>("toolButton_settings"), Qt::LeftButton);
        QWidget* settings = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == QStringLiteral("FormSettings"))
                settings = window;
        QVERIFY(settings);
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        settings->findChild<QTabWidget*>("tabWidget")->setCurrentIndex(2);
        auto* edit = settings->findChild<QKeySequenceEdit*>("keySequenceEdit_showAndHide");
        settings->activateWindow();
        QTRY_VERIFY(settings->isActiveWindow());

        // While the editor has the focus the combination reaches it, not the
        // grab, and the window stays.
        edit->setFocus();
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_COMPARE(edit->keySequence(), QKeySequence(Qt::ALT | Qt::Key_QuoteLeft));
        QVERIFY(form.isVisible());

        ModalAnswerer answers;
        answers.press("已知晓");
        QTest::mouseClick(settings->findChild<QPushButton*>("pushButton_showAndHide"), Qt::LeftButton);
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("Alt+`"));
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("busy"));

        // Closed while recording: the grab comes back.
        settings->activateWindow();
        QTRY_VERIFY(settings->isActiveWindow());
        edit->setFocus();
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
        settings->close();
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("busy"));
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(form.isHidden());
    }

    void aFailedResetLeavesNoHotkey() {
        DataFolder data;
        MainForm form;
        GrabHolder holder(kK, kControl | kAlt);
        configSettings->setValue(settingkeys::hotKeyShowAndHide, "Ctrl+Alt+K");
        ModalAnswerer answers;
        answers.press("已知晓");
        QVERIFY(QMetaObject::invokeMethod(&form, "hotKeyReset"));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
    }
};

QTEST_MAIN(TestHotkey)
#include "test_hotkey.moc"
