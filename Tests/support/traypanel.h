// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>

// A system tray on the test's display while it lives, as a desktop's panel
// holds one: trayer. `ready` is false where trayer is not installed or never
// took the tray. Gone, it leaves the display without a tray again.
class TrayPanel {
public:
    TrayPanel();
    ~TrayPanel();

    bool ready = false;

private:
    QProcess process;
};
