// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>
#include <qwindowdefs.h>

#include <memory>

// A system-wide hotkey. Construct it with a key sequence (its first key
// combination counts) and it grabs that combination from the whole desktop;
// `activated()` fires on each press; deleting the object releases the grab.
// A grab the platform refuses (another program holds the combination, the
// sequence is empty, or the platform has no global hotkeys, such as the
// offscreen platform) leaves it not registered. On Wayland the desktop
// delivers the key through its portal: the answer comes later (pending,
// then `registrationFinished()`), and where no portal does it the desktop's
// own shortcut settings must start `Tarn --toggle` (needsDesktopBinding()).
class GlobalHotkey : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool registered READ isRegistered WRITE setRegistered NOTIFY registeredChanged)

public:
    explicit GlobalHotkey(const QKeySequence& sequence, bool autoRegister = false, QObject* parent = nullptr);
    ~GlobalHotkey() override;

    QKeySequence shortcut() const { return sequence; }
    // The window a desktop's question about the key belongs to (the
    // portal's dialogs); set before registering. Asked only by a backend
    // that needs it, so the X11 grab does not make the window native early.
    void setParentWindow(std::function<WId()> window);
    bool isRegistered() const;
    // Grabs or releases the combination; returns whether it is registered now.
    bool setRegistered(bool registered);
    // The desktop has been asked and has not answered yet.
    bool isPending() const;
    // Tarn cannot register keys on this desktop: the user has to bind one
    // to `Tarn --toggle` in the desktop's settings.
    bool needsDesktopBinding() const;
    // The desktop has bound a key of its choosing (the portal's desktops
    // let the user pick another), released or not.
    bool isBoundByDesktop() const;
    // How that desktop says its key is triggered; empty when it did not say.
    QString triggerDescription() const;

    // One platform's way of grabbing a combination; see globalhotkey_*.cpp.
    class Backend {
    public:
        virtual ~Backend() = default;
        virtual bool grab() = 0;
        virtual void release() = 0;
        virtual bool isGrabbed() const = 0;
        virtual void setParentWindow(std::function<WId()>) {}
        virtual bool isPending() const { return false; }
        virtual bool needsDesktopBinding() const { return false; }
        virtual bool isBoundByDesktop() const { return false; }
        virtual QString triggerDescription() const { return QString(); }
    };

    // The result a native event filter may set: Qt 6 widened Qt 5's long.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    using NativeResult = qintptr;
#else
    using NativeResult = long;
#endif

signals:
    void activated();
    void registeredChanged(bool registered);
    // A pending registration came to an end, or a registered one was ended
    // by the desktop (false).
    void registrationFinished(bool registered);
    void triggerDescriptionChanged(const QString& description);

private:
    static std::unique_ptr<Backend> createBackend(const QKeySequence& sequence, GlobalHotkey* owner);

    QKeySequence sequence;
    std::unique_ptr<Backend> backend;
};
