// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Starts a D-Bus activatable application (a menu entry with
// DBusActivatable=true and no Exec) the way the desktop does: the
// org.freedesktop.Application interface of its bus name, which the bus
// starts on demand. The call does not block; `failed` hears the bus's
// reason when it does not work out. Where there is no session bus, it fails
// at once.
void activateApplication(const QString& busName, const QString& objectPath, QObject* context,
                         const std::function<void(const QString& reason)>& failed);
