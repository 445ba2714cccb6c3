// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/highdpi.h"

#include <QCoreApplication>

void enableHighDpi() {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Qt's rounding of the screen's own factor stays: unrounded, a screen of
    // 100 dpi without Xft.dpi would be drawn blurred at 1.04x.
}
