// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

class FormSettings;
class GlobalHotkey;
class QMessageBox;
class QWidget;

// How Tarn is there while its window is not: the global hotkey (grabbed,
// paused while the settings window records a new one, replaced when it is
// applied), the tray icon, and what the user is told when the hotkey cannot
// be had (a conflict, or a desktop that binds keys itself).
class Presence : public QObject {
    Q_OBJECT

public:
    // Boxes are shown over `window`, which is also the parent.
    explicit Presence(QWidget* window);
    ~Presence() override;

    // Registers the hotkey in the settings; true when it registered.
    bool setupHotKey();
    // Replaces the hotkey by the one now in the settings, and says so.
    void hotKeyReset();
    // Shows the tray icon; `activated` goes to the window's own slot.
    QSystemTrayIcon* setupTray();
    // The settings window: it records new keys (the grab is released
    // meanwhile) and shows how to bind the key on the desktop.
    void attachSettings(FormSettings* settings);
    // Whether the hidden window can be brought back by the hotkey or the
    // tray icon; starting Tarn again always can, but few users know it.
    bool canCallBack() const;

signals:
    void toggleRequested();

private:
    void pauseHotKey(bool pause);
    // The desktop answered a registration it was asked for (Wayland).
    void hotKeyAnswered(bool registered);
    // Tells why the hotkey did not register: a conflict, or a desktop that
    // must bind the key itself.
    void reportHotKeyFailure();
    void tellDesktopBinding(bool always);
    static QString desktopToggleCommand();
    // The key tab's account of the hotkey: what the desktop bound, or how
    // to bind one there.
    void showHotKeyInSettings();
    void announceSuccess();

    QWidget* const window;
    // Parentless: released at once when replaced, not at a later turn.
    std::unique_ptr<GlobalHotkey> hotKey;
    QSystemTrayIcon* trayIcon = nullptr;
    QPointer<FormSettings> settingsWindow;
    // The settings window's key editor has the focus; the grab was released
    // for it (paused) when it was registered.
    bool recording = false;
    bool paused = false;
    // A new hotkey was applied: its answer, when it comes later, is told.
    bool announce = false;
    QPointer<QMessageBox> desktopBindingNotice;
};
