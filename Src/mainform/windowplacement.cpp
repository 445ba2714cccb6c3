// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/windowplacement.h"

#include <QtGlobal>

namespace placement {

QSize fitted(QSize wanted, const QRect& available, const QMargins& frame) {
    if (!wanted.isValid() || !available.isValid())
        return wanted;
    const int width = qMax(1, available.width() - frame.left() - frame.right());
    const int height = qMax(1, available.height() - frame.top() - frame.bottom());
    return wanted.boundedTo(QSize(width, height));
}

QPoint within(QPoint topLeft, QSize frameSize, const QRect& available) {
    if (!available.isValid())
        return topLeft;
    // The right and bottom limits first, so the left and top win when the
    // frame is larger than the area.
    const int x =
        qMax(available.left(), qMin(topLeft.x(), available.left() + available.width() - frameSize.width()));
    const int y =
        qMax(available.top(), qMin(topLeft.y(), available.top() + available.height() - frameSize.height()));
    return QPoint(x, y);
}

QPoint atPointer(QPoint pointer, QSize frameSize, const QRect& available) {
    return within(pointer - QPoint(70, 50), frameSize, available);
}

} // namespace placement
