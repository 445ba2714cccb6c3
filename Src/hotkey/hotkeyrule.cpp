// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkey/hotkeyrule.h"

#include <QChar>

namespace {

bool usedInTyping(int key) {
    if (key < Qt::Key_Escape) // Qt's codes below the special keys are characters
        return QChar::isPrint(uint(key));
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

HotkeyFault hotkeyFault(const QKeySequence& sequence) {
    if (sequence.isEmpty())
        return HotkeyFault::Empty;
    const int combination = firstCombination(sequence);
    const int key = combination & ~Qt::KeyboardModifierMask;
    if (key == 0)
        return HotkeyFault::Empty;
    if (combination & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return HotkeyFault::None;
    return usedInTyping(key) ? HotkeyFault::NoModifier : HotkeyFault::None;
}

QString hotkeyText(const QString& stored) {
    const QString shown = QKeySequence(stored, QKeySequence::NativeText).toString(QKeySequence::NativeText);
    return shown.isEmpty() ? stored : shown;
}
