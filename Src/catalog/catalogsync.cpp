// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogsync.h"

#include "catalog/catalogshape.h"
#include "catalog/catalogstore.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Writers often replace a file in several steps; look once they are done.
constexpr int kSettleMs = 150;

QByteArray readRegularFile(const QString& path, bool* ok) {
    QFile file(path);
    *ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

} // namespace

CatalogSync::CatalogSync(QObject* parent) : QObject(parent) {
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, this, &CatalogSync::check);
    auto soon = [this] { checkLater(kSettleMs); };
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, soon);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, soon);
}

void CatalogSync::follow(const QString& path) {
    file = QFileInfo(path).absoluteFilePath();
    known = catalogstore::FileStamp::of(file);
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
}

CatalogSync::Write CatalogSync::write(const catalog::Value& doc) {
    Write result;
    const catalogstore::FileStamp now = catalogstore::FileStamp::of(file, &known);
    if (!now.sameAs(known) && now.exists && now.size > 0) {
        bool read = false;
        const QByteArray theirs = readRegularFile(file, &read);
        result.otherVersion = read ? catalogstore::keepCopy(file, theirs) : QString();
        if (result.otherVersion.isEmpty()) {
            result.error = QStringLiteral("配置文件在别处被修改过，且无法保留那个版本的副本");
            return result;
        }
    }
    if (!catalogstore::save(file, doc, &result.error))
        return result;
    known = catalogstore::FileStamp::of(file);
    result.written = true;
    return result;
}

bool CatalogSync::reread(catalog::Document& doc) {
    bool read = false;
    const QByteArray bytes = readRegularFile(file, &read);
    if (!read || bytes.isEmpty() || bytes.indexOf('\0') >= 0)
        return false;
    catalog::Document fresh;
    if (!catalog::parse(fresh, bytes.constData()) || catalog::repairShape(fresh) > 0 ||
        !catalog::types(fresh))
        return false;
    doc.Swap(fresh);
    known = catalogstore::FileStamp::written(file, bytes);
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
    if (!catalogstore::FileStamp::of(file, &known).sameAs(known))
        emit changedElsewhere();
}
