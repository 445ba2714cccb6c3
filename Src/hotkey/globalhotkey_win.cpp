// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: RegisterHotKey on the thread, WM_HOTKEY through a native filter.
#include "hotkey/globalhotkey.h"
#include "hotkey/hotkeyrule.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>

#include <windows.h>

#include <utility>

namespace {

UINT modifierFlags(Qt::KeyboardModifiers modifiers) {
    UINT flags = MOD_NOREPEAT;
    if (modifiers & Qt::ShiftModifier)
        flags |= MOD_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MOD_CONTROL;
    if (modifiers & Qt::AltModifier)
        flags |= MOD_ALT;
    if (modifiers & Qt::MetaModifier)
        flags |= MOD_WIN;
    return flags;
}

UINT virtualKeyFor(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<UINT>(VK_F1 + (key - Qt::Key_F1));
    static const std::pair<int, UINT> table[] = {
        {Qt::Key_QuoteLeft, VK_OEM_3},
        {Qt::Key_Space, VK_SPACE},
        {Qt::Key_Escape, VK_ESCAPE},
        {Qt::Key_Tab, VK_TAB},
        {Qt::Key_Backspace, VK_BACK},
        {Qt::Key_Return, VK_RETURN},
        {Qt::Key_Enter, VK_RETURN},
        {Qt::Key_Insert, VK_INSERT},
        {Qt::Key_Delete, VK_DELETE},
        {Qt::Key_Pause, VK_PAUSE},
        {Qt::Key_Print, VK_SNAPSHOT},
        {Qt::Key_Home, VK_HOME},
        {Qt::Key_End, VK_END},
        {Qt::Key_Left, VK_LEFT},
        {Qt::Key_Up, VK_UP},
        {Qt::Key_Right, VK_RIGHT},
        {Qt::Key_Down, VK_DOWN},
        {Qt::Key_PageUp, VK_PRIOR},
        {Qt::Key_PageDown, VK_NEXT},
        {Qt::Key_Minus, VK_OEM_MINUS},
        {Qt::Key_Equal, VK_OEM_PLUS},
        {Qt::Key_Comma, VK_OEM_COMMA},
        {Qt::Key_Period, VK_OEM_PERIOD},
        {Qt::Key_Slash, VK_OEM_2},
        {Qt::Key_Semicolon, VK_OEM_1},
        {Qt::Key_Apostrophe, VK_OEM_7},
        {Qt::Key_BracketLeft, VK_OEM_4},
        {Qt::Key_BracketRight, VK_OEM_6},
        {Qt::Key_Backslash, VK_OEM_5},
    };
    for (const auto& [qtKey, vk] : table)
        if (qtKey == key)
            return vk;
    return 0;
}

class WindowsBackend final : public GlobalHotkey::Backend, public QAbstractNativeEventFilter {
public:
    WindowsBackend(UINT key, UINT modifierBits, GlobalHotkey* hotkey)
        : virtualKey(key), modifiers(modifierBits), owner(hotkey), id(nextId++) {
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    }
    ~WindowsBackend() override {
        release();
        if (auto* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->removeNativeEventFilter(this);
    }

    bool grab() override {
        grabbed = RegisterHotKey(nullptr, id, modifiers, virtualKey) != 0;
        return grabbed;
    }
    void release() override {
        if (grabbed)
            UnregisterHotKey(nullptr, id);
        grabbed = false;
    }
    bool isGrabbed() const override { return grabbed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, GlobalHotkey::NativeResult*) override {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_HOTKEY && static_cast<int>(msg->wParam) == id) {
            emit owner->activated();
            return true;
        }
        return false;
    }

private:
    static inline int nextId = 1;
    UINT virtualKey;
    UINT modifiers;
    GlobalHotkey* owner;
    int id;
    bool grabbed = false;
};

} // namespace

std::unique_ptr<GlobalHotkey::Backend> GlobalHotkey::createBackend(const QKeySequence& sequence,
                                                                   GlobalHotkey* owner) {
    const int combination = firstCombination(sequence);
    const UINT virtualKey = virtualKeyFor(combination & ~Qt::KeyboardModifierMask);
    if (!virtualKey)
        return nullptr;
    return std::make_unique<WindowsBackend>(
        virtualKey, modifierFlags(Qt::KeyboardModifiers(combination & Qt::KeyboardModifierMask)), owner);
}
