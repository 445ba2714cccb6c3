// SPDX-License-Identifier: GPL-3.0-or-later
// Platforms without global hotkeys: nothing ever registers.
#include "hotkey/globalhotkey.h"

std::unique_ptr<GlobalHotkey::Backend> GlobalHotkey::createBackend(const QKeySequence&, GlobalHotkey*) {
    return nullptr;
}
