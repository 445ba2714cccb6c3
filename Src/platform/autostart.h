// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Starting Tarn at login: a desktop entry in the user's autostart folder,
// $XDG_CONFIG_HOME/autostart (~/.config/autostart when unset).
namespace autostart {

QString entryPath();
// The entry is there and not switched off (Hidden=true).
bool isEnabled();

// The entry starts this executable with these arguments, in this folder when
// one is given: a portable Tarn finds its data relative to the folder it
// starts in.
QByteArray entryText(const QString& executable, const QStringList& arguments,
                     const QString& workingDirectory);
bool enable(const QString& executable, const QStringList& arguments, const QString& workingDirectory);
bool disable();

} // namespace autostart
