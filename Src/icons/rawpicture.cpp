// SPDX-License-Identifier: GPL-3.0-or-later
#include "icons/rawpicture.h"

#include <QResource>

QImage rawPicture(const QString& resource, int side) {
    const QResource file(resource);
    if (!file.isValid() || file.compressionAlgorithm() != QResource::NoCompression || side <= 0 ||
        file.size() != qint64(side) * side * 4)
        return {};
    return QImage(file.data(), side, side, side * 4, QImage::Format_RGBA8888_Premultiplied);
}
