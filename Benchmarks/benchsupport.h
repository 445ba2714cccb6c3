// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

// The median of a run of timings; -1 for none.
template <class Timings> double median(Timings values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Lays out Data/ and run/ in `root` and makes run/ the working folder, as
// Tarn is started in its portable layout. Returns the catalog file's path.
inline QString enterRunFolder(const QTemporaryDir& root) {
    QDir(root.path()).mkdir(QStringLiteral("Data"));
    QDir(root.path()).mkdir(QStringLiteral("run"));
    QDir::setCurrent(root.filePath(QStringLiteral("run")));
    return root.filePath(QStringLiteral("Data/Data"));
}
