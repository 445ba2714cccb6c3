// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// What the user reads where Tarn cannot register its hotkey itself (Wayland
// without the desktop's GlobalShortcuts portal, or the portal said no): the
// desktop has to bind a key to `Tarn --toggle`.
QString desktopBindingText();

// Where there is no tray either: how the window comes back, and how Tarn
// ends, when its window offers the only way out.
QString withoutTrayText();

// Shows that text with `command`, selectable and with a button that copies
// it, in a notice that does not block: Tarn goes on starting behind it.
// `withoutTray` adds withoutTrayText().
QMessageBox* showDesktopBindingNotice(QWidget* parent, const QString& hotkeyText, const QString& command,
                                      bool withoutTray);
