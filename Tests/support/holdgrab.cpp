// SPDX-License-Identifier: GPL-3.0-or-later
// Another X client for hotkey tests. Usage: holdgrab KEYSYM MODMASK try|hold
// Grabs KEYSYM with exactly MODMASK on the root window and prints "free" when
// the server allowed it or "busy" when another client holds it. With "hold" it
// keeps the grab until its standard input closes or it is killed.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    const xcb_keysym_t keysym = static_cast<xcb_keysym_t>(std::strtoul(argv[1], nullptr, 0));
    const uint16_t mods = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 0));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 3;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!codes)
        return 4;
    bool busy = false;
    for (xcb_keycode_t* code = codes; *code; ++code) {
        xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection, 1, root, mods, *code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            busy = true;
            std::free(error);
        }
    }
    std::free(codes);
    std::printf(busy ? "busy\n" : "free\n");
    std::fflush(stdout);
    if (argv[3][0] == 'h') {
        char byte;
        while (read(0, &byte, 1) > 0) {
        }
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(connection);
    return 0;
}
