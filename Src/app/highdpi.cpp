// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/highdpi.h"

#include <QCoreApplication>

void enableHighDpi() {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Always on in Qt 6, which deprecates the switches.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    // Qt's rounding of the screen's own factor stays: unrounded, a screen of
    // 100 dpi without Xft.dpi would be drawn blurred at 1.04x.
}
