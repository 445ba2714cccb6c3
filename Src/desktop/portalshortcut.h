// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusObjectPath>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusArgument;
class QDBusMessage;
class QDBusPendingCallWatcher;

// One shortcut as the GlobalShortcuts portal passes it: an id and its
// properties (description, preferred_trigger, trigger_description).
struct PortalShortcutEntry {
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcutEntry>;
Q_DECLARE_METATYPE(PortalShortcutEntry)
Q_DECLARE_METATYPE(PortalShortcutList)
QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry);

namespace portal {
inline constexpr char service[] = "org.freedesktop.portal.Desktop";
inline constexpr char path[] = "/org/freedesktop/portal/desktop";
inline constexpr char globalShortcuts[] = "org.freedesktop.portal.GlobalShortcuts";
inline constexpr char request[] = "org.freedesktop.portal.Request";
inline constexpr char session[] = "org.freedesktop.portal.Session";

// Makes the shortcut types known to QtDBus; safe to call more than once.
void registerTypes();

// A key combination (Qt key code with modifiers) in the portal's trigger
// syntax, "CTRL+ALT+grave"; empty when the key has no name there.
QString trigger(int combination);

// The portal's name for the window a dialog of the desktop belongs to:
// "x11:" and the window's id in hex on X11; empty where the window cannot
// be named (Wayland without xdg-foreign, or no window yet).
QString parentWindow(const QString& platformName, quintptr window);
} // namespace portal

// Asks the desktop, through the XDG desktop portal on the session bus, to
// deliver one shortcut to Tarn: CreateSession, then BindShortcuts, each
// answered by a Response signal on its request object. The portal may ask
// the user first, so every step is asynchronous; `finished()` tells the
// outcome, and tells it again (false) should the desktop end the session.
// Deleting the object closes the session.
class PortalShortcut : public QObject {
    Q_OBJECT

public:
    enum class State {
        Idle,
        Asking,  // waiting for the portal (or the user behind it)
        Bound,   // the desktop delivers the shortcut
        Refused, // the portal said no, or closed the session
        Missing, // no session bus, no portal, or a portal without GlobalShortcuts
    };

    // `trigger` may be empty: the desktop then lets the user choose.
    PortalShortcut(const QString& shortcutId, const QString& shortcutDescription, const QString& trigger,
                   QObject* parent = nullptr);
    ~PortalShortcut() override;

    // The window the desktop's question, if it asks one, belongs to, as
    // portal::parentWindow() names it; set before start().
    void setParentWindow(const QString& handle) { parentHandle = handle; }
    void start();
    State state() const { return current; }
    // How the desktop says the shortcut is triggered, when it told: in its
    // answer to the binding, and again whenever the user changes the key in
    // the desktop's settings.
    QString triggerDescription() const { return described; }

signals:
    void activated();
    void finished(bool bound);
    void triggerDescriptionChanged(const QString& description);

private slots:
    void requestAnswered(uint response, const QVariantMap& results);
    void shortcutActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                           const QVariantMap& options);
    void sessionClosed();
    void shortcutsChanged(const QDBusObjectPath& session, const PortalShortcutList& shortcuts);

private:
    enum class Step { None, Creating, Binding };
    void createSession();
    void bindShortcut();
    // Listens for the Response of the request at `requestPath`.
    void awaitResponse(const QString& requestPath);
    void stopAwaiting();
    // A method reply carries the request's real path: follow it if it
    // differs from the one predicted from the token, unless the request of
    // `sent` was answered before its reply came.
    void followRequest(QDBusPendingCallWatcher* watcher, Step sent);
    // Sends a CreateSession or BindShortcuts call made for `sent`.
    void call(const QDBusMessage& message, Step sent);
    QString newToken();
    QString requestPathFor(const QString& token) const;
    void describe(const QString& triggerDescription);
    void finish(State outcome);

    QString id;
    QString description;
    QString preferred;
    QString parentHandle;
    State current = State::Idle;
    Step step = Step::None;
    QString awaited;
    QString sessionPath;
    QString described;
};
