// SPDX-License-Identifier: GPL-3.0-or-later
// X11: a passive key grab on the root window, for the combination with every
// state of NumLock and CapsLock, so the hotkey works whatever the locks are.
#include "hotkey/globalhotkey.h"
#include "hotkey/hotkeyrule.h"
#include "hotkey/portalbackend.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QVector>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QX11Info>
#endif

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <utility>

namespace {

constexpr uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kIgnoredMasks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;

uint16_t modifierMask(Qt::KeyboardModifiers modifiers) {
    uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// X keysyms for the keys a hotkey is made of; 0 for a key with none.
xcb_keysym_t keysymFor(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<xcb_keysym_t>(key - Qt::Key_A + 'a');
    if (key >= 0x20 && key <= 0xff)
        return static_cast<xcb_keysym_t>(key); // Latin-1 keysyms equal their code
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return static_cast<xcb_keysym_t>(0xffbe + (key - Qt::Key_F1));
    static const std::pair<int, xcb_keysym_t> table[] = {
        {Qt::Key_Escape, 0xff1b},     {Qt::Key_Tab, 0xff09},      {Qt::Key_Backspace, 0xff08},
        {Qt::Key_Return, 0xff0d},     {Qt::Key_Enter, 0xff8d},    {Qt::Key_Insert, 0xff63},
        {Qt::Key_Delete, 0xffff},     {Qt::Key_Pause, 0xff13},    {Qt::Key_Print, 0xff61},
        {Qt::Key_Home, 0xff50},       {Qt::Key_End, 0xff57},      {Qt::Key_Left, 0xff51},
        {Qt::Key_Up, 0xff52},         {Qt::Key_Right, 0xff53},    {Qt::Key_Down, 0xff54},
        {Qt::Key_PageUp, 0xff55},     {Qt::Key_PageDown, 0xff56}, {Qt::Key_Menu, 0xff67},
        {Qt::Key_ScrollLock, 0xff14},
    };
    for (const auto& [qtKey, keysym] : table)
        if (qtKey == key)
            return keysym;
    return 0;
}

class X11Backend final : public GlobalHotkey::Backend, public QAbstractNativeEventFilter {
public:
    X11Backend(xcb_connection_t* xcb, xcb_window_t rootWindow, xcb_keysym_t key, uint16_t modifierBits,
               GlobalHotkey* hotkey)
        : connection(xcb), root(rootWindow), keysym(key), modifiers(modifierBits), owner(hotkey),
          symbols(xcb_key_symbols_alloc(xcb)) {
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    }

    ~X11Backend() override {
        release();
        if (auto* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->removeNativeEventFilter(this);
        xcb_key_symbols_free(symbols);
    }

    bool grab() override {
        release();
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        bool refused = !codes || codes[0] == XCB_NO_SYMBOL;
        QVector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t* code = codes; !refused && *code != XCB_NO_SYMBOL; ++code) {
            if (keycodes.contains(*code))
                continue;
            keycodes.append(*code);
            for (uint16_t locks : kLockMasks)
                cookies.append(xcb_grab_key_checked(connection, 1, root, modifiers | locks, *code,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
        free(codes);
        // Every request is checked: one refused variant means another client
        // holds the combination, and a partial grab would be worse than none.
        for (const xcb_void_cookie_t& cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
                refused = true;
                free(error);
            }
        }
        grabbed = !refused;
        if (!grabbed)
            release();
        return grabbed;
    }

    void release() override {
        for (xcb_keycode_t code : std::as_const(keycodes))
            for (uint16_t locks : kLockMasks)
                xcb_ungrab_key(connection, code, root, modifiers | locks);
        if (!keycodes.isEmpty())
            xcb_flush(connection);
        keycodes.clear();
        grabbed = false;
    }

    bool isGrabbed() const override { return grabbed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, GlobalHotkey::NativeResult*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        switch (event->response_type & ~0x80) {
        case XCB_KEY_PRESS: {
            auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            // Only what the grab on the root window delivers: the same keys
            // typed into one of Tarn's own windows (a key editor recording
            // them while the grab was paused) are not the hotkey.
            if (grabbed && press->event == root && keycodes.contains(press->detail) &&
                (press->state & ~kIgnoredMasks) == modifiers) {
                emit owner->activated();
                return true;
            }
            break;
        }
        case XCB_MAPPING_NOTIFY: {
            auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            xcb_refresh_keyboard_mapping(symbols, mapping);
            // The key may sit on other keycodes now: grab it afresh.
            if (grabbed && mapping->request != XCB_MAPPING_POINTER)
                grab();
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    xcb_connection_t* connection;
    xcb_window_t root;
    xcb_keysym_t keysym;
    uint16_t modifiers;
    GlobalHotkey* owner;
    xcb_key_symbols_t* symbols;
    QVector<xcb_keycode_t> keycodes;
    bool grabbed = false;
};

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
xcb_connection_t* x11Connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Qt 6 does not tell which screen it took: the one DISPLAY names, as
// xcb_connect() does.
xcb_window_t x11Root(xcb_connection_t* connection) {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        screen = 0;
    free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 1 && screen > 0; --screen)
        xcb_screen_next(&it);
    return it.data->root;
}
#else
xcb_connection_t* x11Connection() {
    return QX11Info::connection();
}

xcb_window_t x11Root(xcb_connection_t*) {
    return QX11Info::appRootWindow();
}
#endif

} // namespace

std::unique_ptr<GlobalHotkey::Backend> GlobalHotkey::createBackend(const QKeySequence& sequence,
                                                                   GlobalHotkey* owner) {
    if (waylandSession())
        return createPortalBackend(sequence, owner);
    xcb_connection_t* connection =
        QGuiApplication::platformName() == QLatin1String("xcb") ? x11Connection() : nullptr;
    if (!connection)
        return nullptr;
    const int combination = firstCombination(sequence);
    const xcb_keysym_t keysym = keysymFor(combination & ~Qt::KeyboardModifierMask);
    if (!keysym)
        return nullptr;
    return std::make_unique<X11Backend>(
        connection, x11Root(connection), keysym,
        modifierMask(Qt::KeyboardModifiers(combination & Qt::KeyboardModifierMask)), owner);
}
