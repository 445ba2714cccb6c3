// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// Calls `handler` on the GUI thread when the process is asked to end by a
// signal (SIGTERM at shutdown, SIGHUP when the session's terminal goes,
// SIGINT), so that Tarn can write its data before it goes. No-op on Windows.
void onExitSignals(std::function<void()> handler);
