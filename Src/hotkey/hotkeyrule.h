// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QString>

// What makes a key combination unfit to be grabbed from the whole desktop.
enum class HotkeyFault {
    None,
    Empty,      // nothing recorded
    NoModifier, // a key every program needs for typing, without Ctrl, Alt or Meta
};

// The first combination of `sequence` as one int, key and modifiers, 0 when
// it is empty: Qt 6 gives a QKeyCombination where Qt 5 gave the int.
inline int firstCombination(const QKeySequence& sequence) {
    if (sequence.isEmpty())
        return 0;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return sequence[0].toCombined();
#else
    return sequence[0];
#endif
}

// Judges the first combination of `sequence` (the one that is grabbed).
// Without Ctrl, Alt or Meta (Shift alone does not count) a printable key or
// a key used in typing (Esc, Tab, Return, Backspace, the arrows, ...) is
// refused; a function key F1-F35 alone, or another special key, is fine.
HotkeyFault hotkeyFault(const QKeySequence& sequence);

// A stored hotkey ("alt+`") spelt as the settings window's key editor shows
// it ("Alt+`"), so every message names it the same way; a text that names
// no key is given as it is, for the user to find in the settings file.
QString hotkeyText(const QString& stored);
