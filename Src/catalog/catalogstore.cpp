// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogstore.h"

#include "catalog/catalogshape.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace catalogstore {

LoadResult load(const QString& path, catalog::Document& doc) {
    LoadResult result;
    safefile::Reading reading;
    if (!safefile::markedReadOnly(path))
        reading = safefile::read(path, true);
    if (reading.status == safefile::Reading::NotRegular) {
        // Never opened, never written over.
        result.openFailed = true;
        result.keepFileAsIs = true;
        result.stamp = reading.stamp;
        return result;
    }
    if (reading.status != safefile::Reading::Read) {
        result.openFailed = true;
        // Still show a file that can be read; never write over one that exists.
        const bool existed = QFileInfo::exists(path);
        result.keepFileAsIs = existed;
        if (!existed)
            return result;
        reading = safefile::read(path, false);
        result.stamp = reading.stamp;
        if (reading.status != safefile::Reading::Read)
            return result;
    }
    result.stamp = reading.stamp;
    const QByteArray& bytes = reading.bytes;
    if (bytes.isEmpty())
        return result;

    bool whole = catalog::parse(doc, bytes.constData());
    // Parsing stops at the first NUL; anything behind it would be lost.
    if (whole && catalog::holdsNul(bytes))
        whole = false;
    if (!doc.IsNull()) {
        result.repairs = catalog::repairShape(doc);
        if (result.repairs > 0)
            whole = false;
    }
    if (whole)
        return result;

    if (!result.keepFileAsIs) {
        result.backupPath = keepCopy(path, bytes);
        if (result.backupPath.isEmpty()) {
            result.backupFailed = true;
            result.keepFileAsIs = true;
        }
    }
    return result;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error, FileStamp* stamp) {
    return safefile::replace(path, bytes.constData(), std::size_t(bytes.size()), error, stamp);
}

bool save(const QString& path, const catalog::Value& doc, QString* error, FileStamp* stamp,
          const std::function<bool(QString* error)>& lastLook) {
    rapidjson::StringBuffer buffer;
    catalog::serializeTo(doc, buffer);
    return safefile::replace(path, buffer.GetString(), buffer.GetSize(), error, stamp, lastLook);
}

namespace {

// The first of "Data.bak", "Data-2.bak", ... beside `path` that is free or
// already holds the copy (`holds`), made there by `make`.
template <typename Holds, typename Make>
QString copyBeside(const QString& path, qint64 size, Holds holds, Make make) {
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? info.fileName() + QStringLiteral(".bak")
                                    : QStringLiteral("%1-%2.bak").arg(info.fileName()).arg(n);
        const QString candidate = dir.absoluteFilePath(name);
        const QFileInfo existing(candidate);
        if (existing.exists() || existing.isSymLink()) {
            if (existing.isFile() && existing.size() == size && holds(candidate))
                return candidate;
            continue;
        }
        return make(candidate) ? candidate : QString();
    }
    return QString();
}

bool sameFiles(const QString& a, const QString& b) {
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return false;
    while (!first.atEnd()) {
        const QByteArray chunk = first.read(1 << 20);
        if (chunk.isEmpty() || chunk != second.read(chunk.size()))
            return false;
    }
    return second.atEnd();
}

} // namespace

QString keepCopy(const QString& path, const QByteArray& bytes) {
    return copyBeside(
        path, bytes.size(),
        [&](const QString& candidate) {
            const safefile::Reading copy = safefile::read(candidate, false);
            return copy.status == safefile::Reading::Read && copy.bytes == bytes;
        },
        [&](const QString& candidate) { return writeAtomically(candidate, bytes); });
}

QString keepFileCopy(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return QString();
    return copyBeside(
        path, info.size(), [&](const QString& candidate) { return sameFiles(path, candidate); },
        [&](const QString& candidate) { return QFile::copy(path, candidate); });
}

int removeLeftovers(const QString& path) {
    return safefile::removeLeftovers(path);
}

} // namespace catalogstore
