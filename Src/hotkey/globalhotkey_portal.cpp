// SPDX-License-Identifier: GPL-3.0-or-later
// Wayland: the desktop owns the keyboard and delivers the combination through
// the portal. Releasing only mutes it: closing the session and binding anew
// could make the desktop ask the user again each time.
#include "hotkey/hotkeyrule.h"
#include "hotkey/portalbackend.h"

#include "desktop/portalshortcut.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

class PortalBackend final : public GlobalHotkey::Backend {
public:
    PortalBackend(const QKeySequence& sequence, GlobalHotkey* hotkey)
        : owner(hotkey), shortcut(std::make_unique<PortalShortcut>(
                             QLatin1String(portalShortcutId),
                             QCoreApplication::translate("GlobalHotkey", "显示或隐藏 Tarn 窗口"),
                             portal::trigger(firstCombination(sequence)))) {
        QObject::connect(shortcut.get(), &PortalShortcut::activated, hotkey, [this] {
            if (!muted)
                emit owner->activated();
        });
        QObject::connect(shortcut.get(), &PortalShortcut::finished, hotkey, [this](bool) {
            emit owner->registrationFinished(isGrabbed());
            emit owner->registeredChanged(isGrabbed());
        });
        QObject::connect(shortcut.get(), &PortalShortcut::triggerDescriptionChanged, hotkey,
                         &GlobalHotkey::triggerDescriptionChanged);
    }

    void setParentWindow(std::function<WId()> window) override { parentWindow = std::move(window); }

    bool grab() override {
        muted = false;
        if (parentWindow)
            shortcut->setParentWindow(portal::parentWindow(QGuiApplication::platformName(), parentWindow()));
        shortcut->start();
        return isGrabbed();
    }

    void release() override { muted = true; }

    bool isGrabbed() const override { return !muted && shortcut->state() == PortalShortcut::State::Bound; }
    bool isPending() const override { return shortcut->state() == PortalShortcut::State::Asking; }
    bool needsDesktopBinding() const override {
        return shortcut->state() == PortalShortcut::State::Missing ||
               shortcut->state() == PortalShortcut::State::Refused;
    }
    bool isBoundByDesktop() const override { return shortcut->state() == PortalShortcut::State::Bound; }
    QString triggerDescription() const override { return shortcut->triggerDescription(); }

private:
    GlobalHotkey* owner;
    std::unique_ptr<PortalShortcut> shortcut;
    std::function<WId()> parentWindow;
    bool muted = true;
};

} // namespace

bool waylandSession() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
    return platform == QLatin1String("xcb") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::unique_ptr<GlobalHotkey::Backend> createPortalBackend(const QKeySequence& sequence,
                                                           GlobalHotkey* owner) {
    return std::make_unique<PortalBackend>(sequence, owner);
}
