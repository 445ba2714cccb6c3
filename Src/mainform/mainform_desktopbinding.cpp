// SPDX-License-Identifier: GPL-3.0-or-later
// What the user hears about the hotkey: a conflict on X11, or, where the
// desktop keeps the keyboard to itself (Wayland), how to bind a key to
// `Tarn --toggle` there.
#include "mainform/mainform.h"

#include "desktop/togglecommand.h"
#include "dialogs/desktopbindingnotice.h"
#include "dialogs/formsettings.h"
#include "hotkey/globalhotkey.h"
#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QSettings>

void MainForm::hotKeyAnswered(bool registered) {
    if (registered) {
        // Bound while the settings window records a key: let it through.
        if (hotKeyRecording)
            pauseHotKey(true);
        if (announceHotKey)
            QMessageBox::information(this, tr("提示"), tr("热键修改成功"), tr("已知晓"), QString(), QString(),
                                     0, -1);
    } else {
        reportHotKeyFailure();
    }
    announceHotKey = false;
    showDesktopBindingInSettings();
}

void MainForm::reportHotKeyFailure() {
    if (hotKey && hotKey->needsDesktopBinding()) {
        // Not a conflict: nothing Tarn does can register a key here. Said
        // once (a user who bound the key does not want to hear it at every
        // login), and again whenever the user applies a new hotkey.
        tellDesktopBinding(announceHotKey);
        return;
    }
    QMessageBox::warning(this, tr("警告"),
                         tr("显示隐藏热键( %1 ) 注册失败，可能发生了热键冲突").arg(hotKeyShowAndHide),
                         tr("已知晓"), QString(), QString(), 0, -1);
}

void MainForm::tellDesktopBinding(bool always) {
    const QString told(settingkeys::hotKeyDesktopBindingTold);
    if (!always && configSettings->value(told, false).toBool())
        return;
    configSettings->setValue(told, true);
    configSettings->sync();
    if (desktopBindingNotice)
        desktopBindingNotice->close();
    desktopBindingNotice = showDesktopBindingNotice(this, hotKeyShowAndHide, desktopToggleCommand());
}

QString MainForm::desktopToggleCommand() {
    return toggleCommand(QCoreApplication::applicationFilePath(), datapaths::startFolder(),
                         datapaths::startArguments());
}

void MainForm::showDesktopBindingInSettings() {
    if (formSettings)
        formSettings->showDesktopBinding(hotKey && hotKey->needsDesktopBinding() ? desktopToggleCommand()
                                                                                 : QString());
}
