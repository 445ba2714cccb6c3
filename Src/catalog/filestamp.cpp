// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/filestamp.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace catalogstore {

namespace {

QByteArray hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

FileStamp statOnly(const QString& path) {
    FileStamp stamp;
    const QFileInfo info(path);
    stamp.exists = info.isFile();
    if (stamp.exists) {
        stamp.size = info.size();
        stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    }
    return stamp;
}

} // namespace

FileStamp FileStamp::of(const QString& path, const FileStamp* previous) {
    FileStamp stamp = statOnly(path);
    if (!stamp.exists)
        return stamp;
    if (previous && previous->exists && previous->size == stamp.size &&
        previous->modifiedMs == stamp.modifiedMs) {
        stamp.hash = previous->hash;
        return stamp;
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        stamp.hash = hashOf(file.readAll());
    return stamp;
}

FileStamp FileStamp::written(const QString& path, const QByteArray& bytes) {
    FileStamp stamp = statOnly(path);
    stamp.hash = hashOf(bytes);
    return stamp;
}

bool FileStamp::sameAs(const FileStamp& other) const {
    if (exists != other.exists)
        return false;
    if (!exists)
        return true;
    if (size != other.size)
        return false;
    return modifiedMs == other.modifiedMs || (!hash.isEmpty() && hash == other.hash);
}

} // namespace catalogstore
