// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/datapaths.h"

#include <QDir>
#include <QFileInfo>

namespace datapaths {

namespace {

Locations& settled() {
    static Locations locations = resolve(Layout::Portable);
    return locations;
}

// An XDG base folder: the variable when it holds an absolute path (the
// base-directory rules ignore relative ones), else the usual fallback in home.
QString baseFolder(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + fallback;
}

} // namespace

Layout builtLayout() {
#if TARN_PORTABLE
    return Layout::Portable;
#else
    return Layout::Installed;
#endif
}

Locations resolve(Layout layout, const QString& chosen) {
    Locations locations;
    if (!chosen.isEmpty()) {
        locations.chosenFolder = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
        locations.dataFolder = locations.configFolder = locations.chosenFolder;
    } else if (layout == Layout::Portable) {
        // Kept relative: a working directory that moves takes the data along.
        locations.dataFolder = locations.configFolder = QStringLiteral("../Data");
        locations.followsWorkingDirectory = true;
    } else {
        locations.dataFolder =
            baseFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/tarn");
        locations.configFolder =
            baseFolder("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/tarn");
    }
    return locations;
}

void use(const Locations& locations) {
    settled() = locations;
}

const Locations& current() {
    return settled();
}

bool makeFolders() {
    const Locations& locations = settled();
    if (locations.followsWorkingDirectory)
        return true;
    return QDir().mkpath(locations.dataFolder) && QDir().mkpath(locations.configFolder);
}

QString dataFolder() {
    return settled().dataFolder;
}

QString catalogFile() {
    return settled().dataFolder + QStringLiteral("/Data");
}

QString configFile() {
    return settled().configFolder + QStringLiteral("/Config");
}

QString usageFile() {
    return settled().dataFolder + QStringLiteral("/Usage");
}

QStringList startArguments() {
    const QString& chosen = settled().chosenFolder;
    return chosen.isEmpty() ? QStringList() : QStringList{QStringLiteral("--data"), chosen};
}

QString startFolder() {
    return settled().followsWorkingDirectory ? QDir::currentPath() : QString();
}

} // namespace datapaths
