// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// A square picture shipped as bare premultiplied RGBA bytes, row by row, in
// an uncompressed resource. It is shown without decoding: the image wraps
// the resource's own memory. Null where the resource is missing, compressed
// or not `side` pixels square.
QImage rawPicture(const QString& resource, int side);
