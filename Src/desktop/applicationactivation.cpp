// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/applicationactivation.h"

#ifdef TARN_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#endif

#include <QCoreApplication>

void activateApplication(const QString& busName, const QString& objectPath, QObject* context,
                         const std::function<void(const QString& reason)>& failed) {
#ifdef TARN_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            busName, objectPath, QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
        call << QVariantMap();
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, failed] {
            watcher->deleteLater();
            const QDBusPendingReply<> reply = *watcher;
            if (reply.isError())
                failed(reply.error().message());
        });
        return;
    }
#else
    Q_UNUSED(busName)
    Q_UNUSED(objectPath)
    Q_UNUSED(context)
#endif
    failed(QCoreApplication::translate("Tarn", "没有会话总线。"));
}
