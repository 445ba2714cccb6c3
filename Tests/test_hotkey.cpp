// SPDX-License-Identifier: GPL-3.0-or-later
// The global hotkey against a real X server: grabs, presses and conflicts.
#include "dialogs/formsettings.h"
#include "hotkey/globalhotkey.h"
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/xtools.h"

#include <QAbstractButton>
#include <QKeySequenceEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace x11;

namespace {
QKeySequence native(const char* text) {
    return QKeySequence(QString::fromLatin1(text), QKeySequence::NativeText);
}

// Stores `keys` as the hotkey in the settings window, as a user does: the
// main window registers it afresh and says how that went.
bool applyInSettings(MainFormFixture& shown, const char* keys) {
    FormSettings* settings = shown.openSettings();
    if (!settings)
        return false;
    settings->findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit_showAndHide"))
        ->setKeySequence(QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText));
    QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("pushButton_showAndHide")),
                      Qt::LeftButton);
    settings->close();
    return true;
}
} // namespace

class TestHotkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installModalWatchdog();
        QVERIFY2(tryGrab(kGrave, kAlt) == QStringLiteral("free"),
                 "another client holds alt+` on this display");
    }

    void firesOnARealPressWhateverTheLocks() {
        GlobalHotkey hotkey(native("alt+`"), true);
        QVERIFY(hotkey.property("registered").toBool());
        QSignalSpy activated(&hotkey, &GlobalHotkey::activated);
        QVERIFY(xdotoolKey(QStringLiteral("alt+grave")));
        QTRY_COMPARE(activated.count(), 1);

        // NumLock and CapsLock on: still the hotkey.
        QVERIFY(xdotoolKey(QStringLiteral("Num_Lock")));
        QVERIFY(xdotoolKey(QStringLiteral("Caps_Lock")));
        QVERIFY(xdotoolKey(QStringLiteral("alt+grave")));
        QVERIFY(xdotoolKey(QStringLiteral("Num_Lock")));
        QVERIFY(xdotoolKey(QStringLiteral("Caps_Lock")));
        QTRY_COMPARE(activated.count(), 2);

        // Other combinations are not: once a later press of another hotkey
        // has come through, the earlier ones have too.
        GlobalHotkey sentinel(native("ctrl+alt+k"), true);
        QSignalSpy sentinelActivated(&sentinel, &GlobalHotkey::activated);
        QVERIFY(xdotoolKey("ctrl+alt+grave"));
        QVERIFY(xdotoolKey("grave"));
        QVERIFY(xdotoolKey("ctrl+alt+k"));
        QTRY_COMPARE(sentinelActivated.count(), 1);
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

    // Every modifier and the keys without a character of their own: each
    // grabbed with exactly its X modifiers and fired by a real press.
    void modifiersAndSpecialKeys_data() {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("press");
        QTest::addColumn<unsigned>("keysym");
        QTest::addColumn<unsigned>("mods");
        QTest::newRow("Meta+Shift+F5") << "Meta+Shift+F5"
                                       << "super+shift+F5" << 0xffc2u << (kMod4 | kShift);
        QTest::newRow("Shift+F12") << "Shift+F12"
                                   << "shift+F12" << 0xffc9u << kShift;
        QTest::newRow("Ctrl+F1") << "Ctrl+F1"
                                 << "ctrl+F1" << 0xffbeu << kControl;
        QTest::newRow("Ctrl+Left") << "Ctrl+Left"
                                   << "ctrl+Left" << 0xff51u << kControl;
        QTest::newRow("Meta+Up") << "Meta+Up"
                                 << "super+Up" << 0xff52u << kMod4;
        QTest::newRow("Alt+Right") << "Alt+Right"
                                   << "alt+Right" << 0xff53u << kAlt;
        QTest::newRow("Ctrl+Shift+Down") << "Ctrl+Shift+Down"
                                         << "ctrl+shift+Down" << 0xff54u << (kControl | kShift);
    }
    void modifiersAndSpecialKeys() {
        QFETCH(QString, sequence);
        QFETCH(QString, press);
        QFETCH(unsigned, keysym);
        QFETCH(unsigned, mods);
        GlobalHotkey hotkey(QKeySequence(sequence, QKeySequence::PortableText), true);
        QVERIFY(hotkey.isRegistered());
        QCOMPARE(tryGrab(keysym, mods), QStringLiteral("busy"));
        QSignalSpy activated(&hotkey, &GlobalHotkey::activated);
        QVERIFY(xdotoolKey(press));
        QTRY_COMPARE(activated.count(), 1);
    }

    void theHotkeyTogglesTheWindow() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(shown.form().isHidden());
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(shown.form().isVisible());
    }

    void aConflictIsReported() {
        GrabHolder holder(kGrave, kAlt);
        ModalAnswerer answers;
        answers.press("已知晓");
        MainFormFixture shown;
        QVERIFY(shown.show());
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        // Spelt as the settings window's key editor shows it, not as stored.
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("显示隐藏热键( Alt+` ) 注册失败，可能发生了热键冲突"));
        QCOMPARE(answers.boxes()[0].buttons, QStringList{QStringLiteral("已知晓")});
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("alt+`"));
    }

    void anEmptyStoredHotkeyIsReportedWithNothingBetween() {
        ModalAnswerer answers;
        answers.press("已知晓");
        MainFormFixture shown;
        DataFolder::writeFile(shown.data.configPath(), "[HotKey]\nShowAndHide=\n");
        QVERIFY(shown.show());
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("显示隐藏热键(  ) 注册失败，可能发生了热键冲突"));
    }

    void resetMovesTheGrab() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("busy"));
        ModalAnswerer answers;
        answers.press("已知晓");
        QVERIFY(applyInSettings(shown, "Ctrl+Alt+K"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("Ctrl+Alt+K"));
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("busy"));
        QVERIFY(xdotoolKey("ctrl+alt+k"));
        QTRY_VERIFY(shown.form().isHidden());

        // The same combination again still registers.
        answers.press("已知晓");
        QVERIFY(applyInSettings(shown, "Ctrl+Alt+K"));
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[1].text, QStringLiteral("热键修改成功"));
        QCOMPARE(tryGrab(kK, kControl | kAlt), QStringLiteral("busy"));
    }

    void aFailedResetLeavesNoHotkey() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        GrabHolder holder(kK, kControl | kAlt);
        ModalAnswerer answers;
        answers.press("已知晓");
        QVERIFY(applyInSettings(shown, "Ctrl+Alt+K"));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
    }

    void theKeyEditorRecordsTheHotkeyItself() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
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
        // The combination typed into the editor is not taken for the hotkey
        // once the grab is back.
        QCoreApplication::processEvents();
        QVERIFY(form.isVisible());

        // Closed while recording: the grab comes back. Meanwhile the hotkey
        // still counts as a way back: closing the main window asks nothing.
        settings->activateWindow();
        QTRY_VERIFY(settings->isActiveWindow());
        edit->setFocus();
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("free"));
        QVERIFY(!form.close());
        QVERIFY(form.isHidden());
        QCOMPARE(answers.boxes().size(), 1);
        settings->close();
        QTRY_COMPARE(tryGrab(kGrave, kAlt), QStringLiteral("busy"));
        QVERIFY(xdotoolKey("alt+grave"));
        QTRY_VERIFY(form.isVisible());
    }
};

QTEST_MAIN(TestHotkey)
#include "test_hotkey.moc"
