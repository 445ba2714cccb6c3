#pragma once

#include "settings/configsettings.h"

#include <QSize>
#include <QString>

// The settings file's keys, their defaults, and the process-wide values that
// mirror three of them. Each writer stores a key first and its mirror second.
namespace settingkeys {
inline constexpr char formHeight[] = "Form/Height";
inline constexpr char formWidth[] = "Form/Width";
inline constexpr char formCursorPos[] = "Form/CursorPos";
inline constexpr char formOpenThenHide[] = "Form/OpenThenHide";
inline constexpr char hotKeyShowAndHide[] = "HotKey/ShowAndHide";
inline constexpr char defaultHotKey[] = "alt+`";
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
