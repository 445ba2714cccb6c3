// SPDX-License-Identifier: GPL-3.0-or-later
// A small X client that times windows as the X server sees them: it starts a
// program or presses keys through XTEST, and waits for the server's
// MapNotify / UnmapNotify events (no polling).
//
//   mapwatch launch DIR PROGRAM...   start PROGRAM in DIR; print the time to
//                                    its first mapped window (ms) and its RSS
//                                    (KiB) half a second later
//   mapwatch hotkey DIR ROUNDS PROGRAM...
//                                    start PROGRAM, then ROUNDS times: Alt+`
//                                    to hide, Alt+` to show, Esc to hide,
//                                    Alt+` to show; print the medians (ms)
//   mapwatch hotkeylive DIR PROGRAM...
//                                    start PROGRAM and, from its window's
//                                    map on, press Alt+` every millisecond
//                                    until the window unmaps: print the time
//                                    from map to unmap (ms), when the hotkey
//                                    first worked
//   mapwatch handover DIR ROUNDS PROGRAM
//                                    start PROGRAM, then ROUNDS times: hide it
//                                    (PROGRAM --hide), start PROGRAM again and
//                                    time the first one's window mapped and
//                                    the second start's exit; print medians (ms)
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

xcb_connection_t* connection;
xcb_window_t root;

// Waits for a map or unmap of `window` (any window of width >= 100 when 0).
// Returns the window, or 0 after `timeoutMs`.
xcb_window_t waitFor(uint8_t type, xcb_window_t window, double timeoutMs) {
    const double deadline = now() + timeoutMs;
    while (now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            usleep(100);
            continue;
        }
        const uint8_t kind = event->response_type & ~0x80;
        xcb_window_t seen = 0;
        if (kind == XCB_MAP_NOTIFY && type == XCB_MAP_NOTIFY)
            seen = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        if (kind == XCB_UNMAP_NOTIFY && type == XCB_UNMAP_NOTIFY)
            seen = reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window;
        free(event);
        if (!seen)
            continue;
        if (window && seen == window)
            return seen;
        if (!window) {
            xcb_get_geometry_reply_t* g =
                xcb_get_geometry_reply(connection, xcb_get_geometry(connection, seen), nullptr);
            const bool big = g && g->width >= 100;
            free(g);
            if (big)
                return seen;
        }
    }
    return 0;
}

pid_t launch(const char* dir, char** argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir) != 0)
            _exit(127);
        execvp(argv[0], argv);
        _exit(127);
    }
    return pid;
}

long rssKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Ended as a desktop session ends it, so that the next start finds what a
// normal end leaves (no stale lock); killed if it does not end in 2 s.
void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int waited = 0; waited < 200; ++waited) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

xcb_keycode_t keycode(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t code = codes ? codes[0] : 0;
    free(codes);
    return code;
}

void press(const std::vector<xcb_keycode_t>& keys) {
    for (xcb_keycode_t k : keys)
        xcb_test_fake_input(connection, XCB_KEY_PRESS, k, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        xcb_test_fake_input(connection, XCB_KEY_RELEASE, *it, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4)
        return 2;
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 3;
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const std::string mode = argv[1];
    if (mode == "launch") {
        const double start = now();
        const pid_t pid = launch(argv[2], argv + 3);
        const xcb_window_t window = waitFor(XCB_MAP_NOTIFY, 0, 10000);
        const double mapped = now() - start;
        usleep(500000);
        const long rss = rssKiB(pid);
        stop(pid);
        if (!window)
            return 1;
        std::printf("%.2f %ld\n", mapped, rss);
        return 0;
    }
    if (mode == "hotkey") {
        const int rounds = std::atoi(argv[3]);
        const pid_t pid = launch(argv[2], argv + 4);
        const xcb_window_t window = waitFor(XCB_MAP_NOTIFY, 0, 10000);
        if (!window) {
            stop(pid);
            return 1;
        }
        usleep(300000); // let it settle: the hotkey is grabbed before the window shows
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        const std::vector<xcb_keycode_t> hotkey{keycode(symbols, 0xffe9 /* Alt_L */), keycode(symbols, 0x60)};
        const std::vector<xcb_keycode_t> escape{keycode(symbols, 0xff1b)};
        std::vector<double> hide, show, esc;
        for (int i = 0; i < rounds; ++i) {
            double t = now();
            press(hotkey);
            if (!waitFor(XCB_UNMAP_NOTIFY, window, 2000))
                break;
            hide.push_back(now() - t);
            t = now();
            press(hotkey);
            if (!waitFor(XCB_MAP_NOTIFY, window, 2000))
                break;
            show.push_back(now() - t);
            usleep(50000);
            xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
            xcb_flush(connection);
            usleep(50000);
            t = now();
            press(escape);
            if (!waitFor(XCB_UNMAP_NOTIFY, window, 2000))
                break;
            esc.push_back(now() - t);
            press(hotkey);
            if (!waitFor(XCB_MAP_NOTIFY, window, 2000))
                break;
            usleep(50000);
        }
        xcb_key_symbols_free(symbols);
        stop(pid);
        std::printf("%.3f %.3f %.3f %zu\n", median(show), median(hide), median(esc), esc.size());
        return esc.size() == static_cast<size_t>(rounds) ? 0 : 1;
    }
    if (mode == "hotkeylive") {
        const pid_t pid = launch(argv[2], argv + 3);
        const xcb_window_t window = waitFor(XCB_MAP_NOTIFY, 0, 10000);
        const double mapped = now();
        if (!window) {
            stop(pid);
            return 1;
        }
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        const std::vector<xcb_keycode_t> hotkey{keycode(symbols, 0xffe9 /* Alt_L */), keycode(symbols, 0x60)};
        bool unmapped = false;
        while (!unmapped && now() - mapped < 2000) {
            press(hotkey);
            unmapped = waitFor(XCB_UNMAP_NOTIFY, window, 1) != 0;
        }
        const double live = now() - mapped;
        xcb_key_symbols_free(symbols);
        stop(pid);
        if (!unmapped)
            return 1;
        std::printf("%.2f\n", live);
        return 0;
    }
    if (mode == "handover") {
        const int rounds = std::atoi(argv[3]);
        char* plain[] = {argv[4], nullptr};
        char hideWord[] = "--hide";
        char* hide[] = {argv[4], hideWord, nullptr};
        const pid_t pid = launch(argv[2], plain);
        const xcb_window_t window = waitFor(XCB_MAP_NOTIFY, 0, 10000);
        if (!window) {
            stop(pid);
            return 1;
        }
        std::vector<double> mapped, exited;
        for (int i = 0; i < rounds; ++i) {
            waitpid(launch(argv[2], hide), nullptr, 0);
            if (!waitFor(XCB_UNMAP_NOTIFY, window, 2000))
                break;
            const double t = now();
            const pid_t second = launch(argv[2], plain);
            if (!waitFor(XCB_MAP_NOTIFY, window, 5000))
                break;
            mapped.push_back(now() - t);
            waitpid(second, nullptr, 0);
            exited.push_back(now() - t);
        }
        stop(pid);
        std::printf("%.2f %.2f %zu\n", median(mapped), median(exited), exited.size());
        return exited.size() == static_cast<size_t>(rounds) ? 0 : 1;
    }
    return 2;
}
