// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/datafolder.h"

#include <QDir>
#include <QFile>

DataFolder::DataFolder(bool withDataFolder) : previous(QDir::currentPath()) {
    QDir base(dir.path());
    base.mkdir(QStringLiteral("run"));
    if (withDataFolder)
        base.mkdir(QStringLiteral("Data"));
    QDir::setCurrent(base.filePath(QStringLiteral("run")));
}

DataFolder::~DataFolder() {
    QDir::setCurrent(previous);
}

void DataFolder::writeCatalog(const QByteArray& bytes) const {
    writeFile(catalogPath(), bytes);
}

QByteArray DataFolder::readCatalog() const {
    return readFile(catalogPath());
}

void DataFolder::writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray DataFolder::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
