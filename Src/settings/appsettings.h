// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/configsettings.h"

#include <QLatin1String>
#include <QSize>
#include <QString>

// The settings file's keys, their defaults, and the process-wide values that
// mirror three of them. Each writer stores a key first and its mirror second.
namespace settingkeys {
// Sized from the array: QLatin1String(const char*) counts with strlen, which
// not every compiler evaluates at compile time.
template <int N> constexpr QLatin1String latin1(const char (&text)[N]) {
    return QLatin1String(text, N - 1);
}
inline constexpr QLatin1String formHeight = latin1("Form/Height");
inline constexpr QLatin1String formWidth = latin1("Form/Width");
inline constexpr QLatin1String formCursorPos = latin1("Form/CursorPos");
inline constexpr QLatin1String formOpenThenHide = latin1("Form/OpenThenHide");
inline constexpr QLatin1String hotKeyShowAndHide = latin1("HotKey/ShowAndHide");
inline constexpr QLatin1String defaultHotKey = latin1("alt+`");
// True once the user was told to bind the hotkey in the desktop's settings.
inline constexpr QLatin1String hotKeyDesktopBindingTold = latin1("HotKey/DesktopBindingTold");
} // namespace settingkeys

extern ConfigSettings* configSettings;
extern QString hotKeyShowAndHide;
extern bool formCursorPos;
extern bool formOpenThenHide;
extern bool formSettingsOpen;

// Opens `configSettings` on `path` (INI) and reads the two boolean mirrors.
// Changes reach the file at configSettings->sync().
// A second call, as in a test that builds several windows, replaces the
// settings object of the first.
void loadSettings(const QString& path);

// The stored window size, or an invalid size unless both values are positive
// integers (a missing, zero or damaged value leaves the designed size).
QSize storedWindowSize();
