// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// X keysyms and modifier masks the hotkey suites use.
namespace x11 {
constexpr unsigned kGrave = 0x60;
constexpr unsigned kK = 0x6b;
constexpr unsigned kShift = 0x1, kLock = 0x2, kControl = 0x4, kAlt = 0x8, kNumLock = 0x10, kMod4 = 0x40;
} // namespace x11

// Presses keys through the X server, as a user would (xdotool key ...).
bool xdotoolKey(const QString& keys);

// Asks another X client whether it may grab KEYSYM with exactly MODS now:
// "free" or "busy".
QString tryGrab(unsigned keysym, unsigned mods);

// Another X client that keeps a grab while it runs.
class GrabHolder {
public:
    GrabHolder(unsigned keysym, unsigned mods);
    ~GrabHolder();
    QString answer; // "free" when it got the grab
private:
    QProcess process;
};
