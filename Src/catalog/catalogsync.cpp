// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogsync.h"

#include "catalog/catalogshape.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Writers often replace a file in several steps; look once they are done.
constexpr int kSettleMs = 150;

bool sameContent(const catalogstore::FileStamp& a, const catalogstore::FileStamp& b) {
    return a.exists == b.exists && a.size == b.size && a.hash == b.hash;
}

} // namespace

CatalogSync::CatalogSync(QObject* parent) : QObject(parent) {
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, this, &CatalogSync::check);
    auto soon = [this] { checkLater(kSettleMs); };
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, soon);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, soon);
}

void CatalogSync::follow(const QString& path, const catalogstore::FileStamp& read, bool watchNow) {
    file = QFileInfo(path).absoluteFilePath();
    known = read;
    if (watchNow)
        watch();
}

void CatalogSync::watch() {
    if (file.isEmpty())
        return;
    const bool first = watcher.files().isEmpty() && watcher.directories().isEmpty();
    if (!watcher.files().isEmpty())
        watcher.removePaths(watcher.files());
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    // The folder too: a replace puts a new file under the name, which a
    // watch on the old one does not see.
    const QString folder = QFileInfo(file).absolutePath();
    if (QFileInfo(folder).isDir())
        watcher.addPath(folder);
    if (QFileInfo(file).isFile())
        watcher.addPath(file);
    if (first)
        checkLater(0);
}

CatalogSync::Write CatalogSync::write(const catalog::Value& doc) {
    const Write result = writeTo(file, known, doc);
    take(result);
    return result;
}

CatalogSync::Job CatalogSync::prepare(const catalog::Value& doc) const {
    auto copy = std::make_shared<catalog::Document>();
    copy->CopyFrom(doc, copy->GetAllocator());
    return {file, known, std::move(copy)};
}

CatalogSync::Write CatalogSync::run(const Job& job) {
    return writeTo(job.file, job.known, *job.doc);
}

void CatalogSync::take(const Write& result) {
    if (result.stampKnown)
        known = result.stamp;
}

CatalogSync::Write CatalogSync::writeTo(const QString& path, catalogstore::FileStamp stamp,
                                        const catalog::Value& doc) {
    Write result;
    // A version someone else wrote since `stamp` is kept as a copy first;
    // false when it could not be kept.
    const auto keepTheirs = [&](QString* error) {
        if (unchanged(path, stamp))
            return true;
        const safefile::Reading theirs = safefile::read(path, false);
        if (theirs.status == safefile::Reading::Read && !theirs.bytes.isEmpty()) {
            const QString copy = catalogstore::keepCopy(path, theirs.bytes);
            if (copy.isEmpty()) {
                if (error)
                    *error = QCoreApplication::translate("CatalogSync",
                                                         "配置文件在别处被修改过，且无法保留那个版本的副本");
                return false;
            }
            result.otherVersion = copy;
        }
        stamp = theirs.stamp;
        return true;
    };
    if (unchanged(path, stamp)) {
        result.stampKnown = true;
        result.stamp = stamp;
    } else if (!keepTheirs(&result.error)) {
        return result;
    }
    // The file may change while the tree is written (most of a second for a
    // large catalog): a last look right before the rename keeps that too.
    catalogstore::FileStamp written;
    if (!catalogstore::save(path, doc, &result.error, &written, keepTheirs))
        return result;
    result.stampKnown = true;
    result.stamp = written;
    result.written = true;
    return result;
}

bool CatalogSync::reread(catalog::Document& doc) {
    const safefile::Reading reading = safefile::read(file, false);
    const QByteArray& bytes = reading.bytes;
    if (reading.status != safefile::Reading::Read || bytes.isEmpty() || catalog::holdsNul(bytes))
        return false;
    catalog::Document fresh;
    if (!catalog::parse(fresh, bytes.constData()) || catalog::repairShape(fresh) > 0 ||
        !catalog::types(fresh))
        return false;
    doc.Swap(fresh);
    known = reading.stamp;
    return true;
}

bool CatalogSync::unchanged() {
    return unchanged(file, known);
}

bool CatalogSync::unchanged(const QString& path, catalogstore::FileStamp& stamp) {
    // The size and time alone settle the common case without reading.
    const catalogstore::FileStamp look = safefile::metadataOf(path).stamp;
    if (stamp.exists && look.exists && look.size == stamp.size && look.modified == stamp.modified)
        return true;
    const catalogstore::FileStamp now = catalogstore::FileStamp::of(path);
    if (!sameContent(now, stamp))
        return false;
    // Touched but not changed: remember the new time, so the next look is cheap.
    stamp = now;
    return true;
}

void CatalogSync::checkLater(int ms) {
    settle.start(ms);
}

void CatalogSync::check() {
    // A replaced file is a new file: watch it again.
    if (QFileInfo(file).isFile() && !watcher.files().contains(file))
        watcher.addPath(file);
    const QString folder = QFileInfo(file).absolutePath();
    if (watcher.directories().isEmpty() && QFileInfo(folder).isDir())
        watcher.addPath(folder);
    if (!unchanged())
        emit changedElsewhere();
}
