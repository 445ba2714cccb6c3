// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where Tarn's windows may go, as plain arithmetic on the usable area of one
// screen (`available`, without panels), so a window always lies wholly on
// that screen.
namespace placement {

// The client size, shrunk where it and the window frame would not fit.
QSize fitted(QSize wanted, const QRect& available, const QMargins& frame = QMargins());

// The frame's top-left `topLeft`, moved as little as needed to lie inside
// `available`. A frame larger than the area keeps to its top-left corner.
QPoint within(QPoint topLeft, QSize frameSize, const QRect& available);

// The frame's top-left for a window called up at the pointer: 70 px left of
// and 50 px above it, then moved as within() does.
QPoint atPointer(QPoint pointer, QSize frameSize, const QRect& available);

} // namespace placement
