// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogstore.h"

#include "catalog/catalogshape.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace catalogstore {

namespace {

constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// A file the user marked read-only stays unwritten even for a process that
// could write it anyway (root, or an administrator on Windows).
bool markedReadOnly(const QFile& file) {
    return file.exists() && !(file.permissions() & kAnyWrite);
}

} // namespace

LoadResult load(const QString& path, catalog::Document& doc) {
    LoadResult result;
    QFile file(path);
    const bool existed = file.exists();
    QByteArray bytes;
    if (!markedReadOnly(file) && file.open(QIODevice::ReadWrite)) {
        bytes = file.readAll();
        file.close();
    } else {
        result.openFailed = true;
        // Still show a file that can be read; never write over one that exists.
        result.keepFileAsIs = existed;
        if (!existed || !file.open(QIODevice::ReadOnly))
            return result;
        bytes = file.readAll();
        file.close();
    }
    if (bytes.isEmpty())
        return result;

    bool whole = catalog::parse(doc, bytes.constData());
    // Parsing stops at the first NUL; anything behind it would be lost.
    if (whole && bytes.indexOf('\0') >= 0)
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

namespace {

bool writeAtomically(const QString& path, const char* bytes, qint64 size, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes, size) != size || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    return writeAtomically(path, bytes.constData(), bytes.size(), error);
}

bool save(const QString& path, const catalog::Value& doc, QString* error) {
    rapidjson::StringBuffer buffer;
    catalog::serializeTo(doc, buffer);
    return writeAtomically(path, buffer.GetString(), static_cast<qint64>(buffer.GetSize()), error);
}

QString keepCopy(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? info.fileName() + QStringLiteral(".bak")
                                    : QStringLiteral("%1-%2.bak").arg(info.fileName()).arg(n);
        const QString candidate = dir.absoluteFilePath(name);
        QFile existing(candidate);
        if (existing.exists()) {
            if (existing.size() == bytes.size() && existing.open(QIODevice::ReadOnly) &&
                existing.readAll() == bytes)
                return candidate;
            continue;
        }
        return writeAtomically(candidate, bytes) ? candidate : QString();
    }
    return QString();
}

} // namespace catalogstore
