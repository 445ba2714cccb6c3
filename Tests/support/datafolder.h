// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder laid out as Tarn expects it: run/ is made the working
// directory, so "../Data/Data" and "../Data/Config" land in Data/. The
// previous working directory comes back when the object goes.
class DataFolder {
public:
    explicit DataFolder(bool withDataFolder = true);
    ~DataFolder();

    QString root() const { return dir.path(); }
    QString dataPath() const { return dir.filePath(QStringLiteral("Data")); }
    QString catalogPath() const { return dir.filePath(QStringLiteral("Data/Data")); }
    QString configPath() const { return dir.filePath(QStringLiteral("Data/Config")); }

    void writeCatalog(const QByteArray& bytes) const;
    QByteArray readCatalog() const;
    static void writeFile(const QString& path, const QByteArray& bytes);
    static QByteArray readFile(const QString& path);

private:
    QTemporaryDir dir;
    QString previous;
};
