// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkey/globalhotkey.h"

#include <memory>

// Whether this process runs in a Wayland session: on Qt's wayland platform,
// or on xcb through XWayland (WAYLAND_DISPLAY set), where an X grab only
// sees keys while one of the session's X windows has the focus.
bool waylandSession();

// The hotkey through the desktop portal's GlobalShortcuts.
std::unique_ptr<GlobalHotkey::Backend> createPortalBackend(const QKeySequence& sequence, GlobalHotkey* owner);

// The id and description under which the desktop lists Tarn's shortcut.
inline constexpr char portalShortcutId[] = "show-hide";
