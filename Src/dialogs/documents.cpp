// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/documents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace documents {

namespace {

// Beside the executable in a build or portable folder; under
// share/doc/tarn when installed.
QString find(const QString& name) {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QLatin1Char('/') + name;
    const QString installed = dir + QStringLiteral("/../share/doc/tarn/") + name;
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace

QString readmePath() {
    return find(QStringLiteral("README.md"));
}

QString changelogPath() {
    return find(QStringLiteral("CHANGELOG.md"));
}

} // namespace documents
