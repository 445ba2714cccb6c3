// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakeportal.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>

namespace {
int connections = 0;
}

FakePortal::FakePortal()
    : bus(QDBusConnection::connectToBus(QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
                                        QStringLiteral("fakeportal%1").arg(++connections))) {
    portal::registerTypes();
}

FakePortal::~FakePortal() {
    bus.unregisterObject(QLatin1String(portal::path));
    bus.unregisterService(QLatin1String(portal::service));
    const QString name = bus.name();
    bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
}

bool FakePortal::publish() {
    return bus.isConnected() &&
           bus.registerObject(QLatin1String(portal::path), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
           bus.registerService(QLatin1String(portal::service));
}

QString FakePortal::objectPathFor(const QString& kind, const QVariantMap& options, const char* tokenKey) {
    QString sender = message().service();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/%1/%2/%3")
        .arg(kind, sender, options.value(QLatin1String(tokenKey)).toString());
}

QDBusObjectPath FakePortal::CreateSession(const QVariantMap& options) {
    const QString request = objectPathFor(QStringLiteral("request"), options, "handle_token");
    const QString session = objectPathFor(QStringLiteral("session"), options, "session_handle_token");
    sessions << session;
    bus.registerObject(session, new FakePortalSession(this, session), QDBusConnection::ExportAllSlots);
    // As the portal of Debian 12 does: the handle as a string.
    respond(request, 0, {{QStringLiteral("session_handle"), session}});
    return QDBusObjectPath(request);
}

QDBusObjectPath FakePortal::BindShortcuts(const QDBusObjectPath& session, const PortalShortcutList& shortcuts,
                                          const QString& parentWindow, const QVariantMap& options) {
    const QString request = objectPathFor(QStringLiteral("request"), options, "handle_token");
    bindings << Binding{session.path(), shortcuts, parentWindow};
    emit bindingAsked();
    if (bindAnswer == Answer::Grant || bindAnswer == Answer::GrantEarly ||
        bindAnswer == Answer::GrantThenChange) {
        PortalShortcutList bound;
        for (const PortalShortcutEntry& entry : shortcuts)
            bound << PortalShortcutEntry{
                entry.id,
                {{QStringLiteral("description"), entry.properties.value(QStringLiteral("description"))},
                 {QStringLiteral("trigger_description"),
                  entry.properties.value(QStringLiteral("preferred_trigger"))}}};
        respond(request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
        if (bindAnswer == Answer::GrantThenChange) {
            QTimer::singleShot(changeDelay, this, [this, session = session.path(), bound] {
                for (const PortalShortcutEntry& entry : bound)
                    change(session, entry.id, laterTrigger);
            });
        }
    } else if (bindAnswer == Answer::GrantUnlisted) {
        respond(request, 0, {});
    } else if (bindAnswer == Answer::Refuse) {
        respond(request, 1, {});
    }
    return QDBusObjectPath(request);
}

void FakePortal::respond(const QString& request, uint code, const QVariantMap& results) {
    QDBusMessage signal =
        QDBusMessage::createSignal(request, QLatin1String(portal::request), QStringLiteral("Response"));
    signal << code << results;
    if (bindAnswer == Answer::GrantEarly) {
        bus.send(signal); // the reply goes out once the slot returns
        return;
    }
    unanswered << signal;
    QTimer::singleShot(0, this, &FakePortal::sendResponses);
}

void FakePortal::sendResponses() {
    while (!unanswered.isEmpty())
        bus.send(unanswered.takeFirst());
}

void FakePortal::activate(const QString& session, const QString& id) {
    sendResponses();
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(portal::path), QLatin1String(portal::globalShortcuts), QStringLiteral("Activated"));
    signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0) << QVariantMap();
    bus.send(signal);
}

void FakePortal::change(const QString& session, const QString& id, const QString& triggerDescription) {
    sendResponses();
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(portal::path), QLatin1String(portal::globalShortcuts),
                                   QStringLiteral("ShortcutsChanged"));
    signal << QVariant::fromValue(QDBusObjectPath(session))
           << QVariant::fromValue(
                  PortalShortcutList{{id, {{QStringLiteral("trigger_description"), triggerDescription}}}});
    bus.send(signal);
}

void FakePortalSession::Close() {
    portal->closedSessions << path;
    portal->bus.unregisterObject(path);
    deleteLater();
}
