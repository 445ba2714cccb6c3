// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/documents.h"

#include <QCoreApplication>

namespace documents {

QString readmePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/README.md");
}

QString changelogPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/CHANGELOG.md");
}

} // namespace documents
