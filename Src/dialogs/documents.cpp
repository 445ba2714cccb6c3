// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/documents.h"

#include "app/installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace documents {

namespace {

// Beside the executable in a build or portable folder; where the install
// put them otherwise, which need not be next to the executable's folder.
QString find(const QString& name) {
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    const QString installed = QString::fromUtf8(installpaths::docs) + QLatin1Char('/') + name;
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
