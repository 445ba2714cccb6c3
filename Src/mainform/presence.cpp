// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/presence.h"
#include "dialogs/messagebox.h"

#include "desktop/togglecommand.h"
#include "dialogs/desktopbindingnotice.h"
#include "dialogs/formsettings.h"
#include "hotkey/globalhotkey.h"
#include "hotkey/hotkeyrule.h"
#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSettings>

Presence::Presence(QWidget* parent) : QObject(parent), window(parent) {}

Presence::~Presence() = default;

bool Presence::setupHotKey() {
    hotKeyShowAndHide =
        configSettings->value(settingkeys::hotKeyShowAndHide, QString(settingkeys::defaultHotKey)).toString();
    hotKey = std::make_unique<GlobalHotkey>(QKeySequence(hotKeyShowAndHide, QKeySequence::NativeText));
    // A desktop that asks the user about the key asks over this window.
    hotKey->setParentWindow([this] { return window->winId(); });
    hotKey->setRegistered(true);
    // On Wayland the desktop answers later, through hotKeyAnswered().
    connect(hotKey.get(), &GlobalHotkey::registrationFinished, this, &Presence::hotKeyAnswered);
    connect(hotKey.get(), &GlobalHotkey::triggerDescriptionChanged, this, &Presence::showHotKeyInSettings);
    showHotKeyInSettings();
    const bool registered = hotKey->property("registered").toBool();
    if (registered || hotKey->isPending())
        connect(hotKey.get(), &GlobalHotkey::activated, this, &Presence::toggleRequested);
    else
        reportHotKeyFailure();
    return registered;
}

void Presence::hotKeyReset() {
    // Released now, not at the next turn of the event loop: a late release of
    // the old grab would also drop the new one when both are the same keys.
    hotKey.reset();
    paused = false;
    announce = true;
    const bool registered = setupHotKey();
    if (!hotKey->isPending())
        announce = false;
    if (registered && recording)
        pauseHotKey(true);
    if (registered)
        announceSuccess();
}

void Presence::announceSuccess() {
    messageBox(window, QMessageBox::Information, tr("提示"), tr("热键修改成功"), {tr("已知晓")});
}

void Presence::pauseHotKey(bool pause) {
    // Only a grab this pause released is taken again: a hotkey that failed
    // to register stays as it was.
    recording = pause;
    if (pause && hotKey && hotKey->isRegistered()) {
        hotKey->setRegistered(false);
        paused = true;
    } else if (!pause && paused) {
        paused = false;
        if (hotKey)
            hotKey->setRegistered(true);
    }
}

QSystemTrayIcon* Presence::setupTray() {
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(QIcon(QStringLiteral(":/img/App.ico")));
    trayIcon->setToolTip(QStringLiteral("Tarn"));
    trayIcon->setVisible(true);
    return trayIcon;
}

void Presence::attachSettings(FormSettings* settings) {
    settingsWindow = settings;
    showHotKeyInSettings();
    connect(settings, &FormSettings::hotKeyRecording, this, &Presence::pauseHotKey);
    // Closed while the key editor had the focus: the grab comes back.
    connect(settings, &QObject::destroyed, this, [this] { pauseHotKey(false); });
}

bool Presence::canCallBack() const {
    // A grab released for the key editor comes back when it is done.
    const bool hotKeyWorks = hotKey && (hotKey->isRegistered() || paused);
    return hotKeyWorks || (trayIcon && QSystemTrayIcon::isSystemTrayAvailable());
}

void Presence::hotKeyAnswered(bool registered) {
    if (registered) {
        // Bound while the settings window records a key: let it through.
        if (recording)
            pauseHotKey(true);
        if (announce)
            announceSuccess();
    } else {
        reportHotKeyFailure();
    }
    announce = false;
    showHotKeyInSettings();
}

void Presence::reportHotKeyFailure() {
    if (hotKey && hotKey->needsDesktopBinding()) {
        // Not a conflict: nothing Tarn does can register a key here. Said
        // once (a user who bound the key does not want to hear it at every
        // login), and again whenever the user applies a new hotkey.
        tellDesktopBinding(announce);
        return;
    }
    messageBox(window, QMessageBox::Warning, tr("警告"),
               tr("显示隐藏热键( %1 ) 注册失败，可能发生了热键冲突").arg(hotkeyText(hotKeyShowAndHide)),
               {tr("已知晓")});
}

void Presence::tellDesktopBinding(bool always) {
    const QString told(settingkeys::hotKeyDesktopBindingTold);
    if (!always && configSettings->value(told, false).toBool())
        return;
    configSettings->setValue(told, true);
    configSettings->sync();
    if (desktopBindingNotice)
        desktopBindingNotice->close();
    desktopBindingNotice =
        showDesktopBindingNotice(window, hotkeyText(hotKeyShowAndHide), desktopToggleCommand(),
                                 !QSystemTrayIcon::isSystemTrayAvailable());
}

QString Presence::desktopToggleCommand() {
    return toggleCommand(QCoreApplication::applicationFilePath(), datapaths::startFolder(),
                         datapaths::startArguments());
}

void Presence::showHotKeyInSettings() {
    if (!settingsWindow)
        return;
    settingsWindow->showDesktopBinding(hotKey && hotKey->needsDesktopBinding() ? desktopToggleCommand()
                                                                               : QString());
    using DesktopKey = FormSettings::DesktopKey;
    const DesktopKey key = !hotKey                      ? DesktopKey::None
                           : hotKey->isBoundByDesktop() ? DesktopKey::Bound
                           : hotKey->isPending()        ? DesktopKey::Asking
                                                        : DesktopKey::None;
    settingsWindow->showDesktopKey(key, hotKey ? hotKey->triggerDescription() : QString());
}
