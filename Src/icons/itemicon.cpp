// SPDX-License-Identifier: GPL-3.0-or-later
#include "icons/itemicon.h"

#include "catalog/catalogjson.h"
#include "icons/desktopicon.h"

#include <QDateTime>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPixmap>
#include <qplatformdefs.h>

namespace {

// The suffix test is case-sensitive: "PNG" gets the file's system icon.
bool isPictureSuffix(const QString& suffix) {
    return suffix == QLatin1String("png") || suffix == QLatin1String("jpg") || suffix == QLatin1String("gif");
}

// A system icon rendered once at 48 x 48, as the grid shows it.
QIcon rendered(const QIcon& system) {
    QIcon icon;
    icon.addPixmap(system.pixmap(48, 48), QIcon::Normal, QIcon::Off);
    return icon;
}

// The art and its @2x version as two sizes of one icon: Qt 6 takes an @2x
// file only at exactly twice the scale, and at 1.5x would scale the small
// art up instead of the large one down.
QIcon builtInArt(const QString& name) {
    QIcon icon;
    for (const QString& file : {name + QStringLiteral(".png"), name + QStringLiteral("@2x.png")}) {
        QPixmap art(file);
        art.setDevicePixelRatio(1);
        icon.addPixmap(art);
    }
    return icon;
}

} // namespace

bool lookUpFile(const QString& path, FileStamp* stamp) {
    *stamp = FileStamp();
    if (path.isEmpty())
        return false;
#ifndef Q_OS_WIN
    // Qt's resource paths are not in the file system.
    if (!path.startsWith(QLatin1Char(':'))) {
        QT_STATBUF status;
        if (QT_STAT(QFile::encodeName(path).constData(), &status) != 0)
            return false;
#ifdef Q_OS_DARWIN
        const timespec modified = status.st_mtimespec;
        const timespec changed = status.st_ctimespec;
#else
        const timespec modified = status.st_mtim;
        const timespec changed = status.st_ctim;
#endif
        stamp->size = status.st_size;
        stamp->modified = qint64(modified.tv_sec) * 1000000000 + modified.tv_nsec;
        stamp->changed = qint64(changed.tv_sec) * 1000000000 + changed.tv_nsec;
        stamp->inode = quint64(status.st_ino);
        stamp->device = quint64(status.st_dev);
        stamp->regular = S_ISREG(status.st_mode);
        stamp->folder = S_ISDIR(status.st_mode);
        return true;
    }
#endif
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    stamp->size = info.size();
    stamp->modified = info.lastModified().toMSecsSinceEpoch();
    stamp->regular = info.isFile();
    stamp->folder = info.isDir();
    return true;
}

ItemIconChoice chooseItemIcon(int kind, const QString& path, const QString& customIcon) {
    FileStamp stamp;
    // Only a regular file is read as a picture; a FIFO, socket or device is
    // passed over (reading one could block), a folder gives its icon.
    if (lookUpFile(customIcon, &stamp) && (stamp.regular || stamp.folder))
        return {stamp.regular && isPictureSuffix(QFileInfo(customIcon).suffix())
                    ? ItemIconSource::CustomImage
                    : ItemIconSource::CustomSystem,
                customIcon, stamp};
    if (kind == catalog::KindWeb)
        return {ItemIconSource::Web, QString(), FileStamp()};
    if (lookUpFile(path, &stamp))
        return {ItemIconSource::PathSystem, path, stamp};
    return {ItemIconSource::Lost, QString(), FileStamp()};
}

QIcon makeItemIcon(const ItemIconChoice& choice, QFileIconProvider& provider) {
    switch (choice.source) {
    case ItemIconSource::CustomImage: {
        QIcon icon;
        icon.addFile(choice.file, QSize(), QIcon::Normal, QIcon::Off);
        return icon;
    }
    case ItemIconSource::PathSystem:
        if (const QIcon entry = desktopicon::forFile(QFileInfo(choice.file)); !entry.isNull())
            return entry;
        [[fallthrough]];
    case ItemIconSource::CustomSystem:
        return rendered(provider.icon(QFileInfo(choice.file)));
    case ItemIconSource::Web:
        return builtInArt(QStringLiteral(":/img/Web"));
    case ItemIconSource::Lost:
        break;
    }
    return builtInArt(QStringLiteral(":/img/Lost"));
}

QIcon itemIcon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider) {
    return makeItemIcon(chooseItemIcon(kind, path, customIcon), provider);
}

QIcon ItemIconCache::icon(int kind, const QString& path, const QString& customIcon,
                          QFileIconProvider& provider) {
    const ItemIconChoice choice = chooseItemIcon(kind, path, customIcon);
    // Icons named by desktop entries come from the theme, which keeps its own.
    if (choice.source == ItemIconSource::PathSystem)
        if (const QIcon entry = desktopicon::forFile(QFileInfo(choice.file)); !entry.isNull())
            return entry;
    if (choice.file.isEmpty())
        return makeItemIcon(choice, provider);
    // Keyed by what the icon is made from: the road, the file and its stamp
    // (read by the same look-up that found the file).
    const FileStamp& stamp = choice.stamp;
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|")
                            .arg(int(choice.source))
                            .arg(stamp.modified)
                            .arg(stamp.size)
                            .arg(stamp.changed)
                            .arg(stamp.inode)
                            .arg(stamp.device) +
                        choice.file;
    if (const auto found = byFile.constFind(key); found != byFile.constEnd())
        return *found;
    if (byFile.size() >= kMaxFiles)
        byFile.clear();
    QIcon made;
    if (choice.source == ItemIconSource::CustomImage) {
        made = makeItemIcon(choice, provider);
    } else {
        // Files of one type share one system icon: render it once.
        const QIcon system = provider.icon(QFileInfo(choice.file));
        const auto shared = bySystemIcon.constFind(system.cacheKey());
        if (shared != bySystemIcon.constEnd()) {
            made = *shared;
        } else {
            made = rendered(system);
            bySystemIcon.insert(system.cacheKey(), made);
        }
    }
    byFile.insert(key, made);
    return made;
}
