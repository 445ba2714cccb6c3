// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/portalshortcut.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

// The desktop portal's GlobalShortcuts as a desktop would offer it, on its
// own connection to the test's session bus: sessions, binding (granted with
// or without a list of what was bound, refused or never answered), Activated
// and ShortcutsChanged on demand, and what Tarn asked for.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    enum class Answer {
        Grant,
        GrantUnlisted,
        Refuse,
        Silent,
        // Grants, each Response (CreateSession's too) sent before the
        // method's reply, as a busy portal may deliver them.
        GrantEarly,
        // Grants, then the user binds another key in the desktop's settings:
        // ShortcutsChanged with `laterTrigger`, `changeDelay` ms on.
        GrantThenChange,
    };

    FakePortal();
    ~FakePortal() override;

    // Takes the portal's name on the bus; false when that failed.
    bool publish();

    Answer bindAnswer = Answer::Grant;
    QString laterTrigger = QStringLiteral("Meta+F9");
    int changeDelay = 100;
    struct Binding {
        QString session;
        PortalShortcutList shortcuts;
        QString parentWindow;
    };
    QList<Binding> bindings;
    QStringList sessions;
    QStringList closedSessions;

    // Emits Activated for a shortcut of a session, as a key press would.
    void activate(const QString& session, const QString& id);
    // Emits ShortcutsChanged: the shortcut `id` of `session` is now
    // triggered as `triggerDescription` says.
    void change(const QString& session, const QString& id, const QString& triggerDescription);
    uint version() const { return 1; }

signals:
    void bindingAsked();

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const PortalShortcutList& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options);

private:
    friend class FakePortalSession;
    QString objectPathFor(const QString& kind, const QVariantMap& options, const char* tokenKey);
    // Answers a request the way a portal does: a Response signal on the
    // request object, after the method's reply (before it, with GrantEarly).
    void respond(const QString& request, uint code, const QVariantMap& results);
    // A desktop answers a binding before it delivers its key: the Responses
    // still to go out go before any other signal.
    void sendResponses();
    QList<QDBusMessage> unanswered;

    QDBusConnection bus;
};

// A session object: the client closes it with Close().
class FakePortalSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")

public:
    FakePortalSession(FakePortal* owner, const QString& objectPath)
        : QObject(owner), portal(owner), path(objectPath) {}

public slots:
    void Close();

private:
    FakePortal* portal;
    QString path;
};
