// SPDX-License-Identifier: GPL-3.0-or-later
#include "icons/itemicon.h"

#include "catalog/catalogjson.h"

#include <QDateTime>
#include <QFileIconProvider>
#include <QFileInfo>

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

} // namespace

ItemIconChoice chooseItemIcon(int kind, const QString& path, const QString& customIcon) {
    if (!customIcon.isEmpty()) {
        const QFileInfo custom(customIcon);
        if (custom.exists())
            return {isPictureSuffix(custom.suffix()) ? ItemIconSource::CustomImage
                                                     : ItemIconSource::CustomSystem,
                    customIcon, custom};
    }
    if (kind == catalog::KindWeb)
        return {ItemIconSource::Web, QString(), QFileInfo()};
    if (!path.isEmpty()) {
        const QFileInfo target(path);
        if (target.exists())
            return {ItemIconSource::PathSystem, path, target};
    }
    return {ItemIconSource::Lost, QString(), QFileInfo()};
}

QIcon makeItemIcon(const ItemIconChoice& choice, QFileIconProvider& provider) {
    switch (choice.source) {
    case ItemIconSource::CustomImage: {
        QIcon icon;
        icon.addFile(choice.file, QSize(), QIcon::Normal, QIcon::Off);
        return icon;
    }
    case ItemIconSource::CustomSystem:
    case ItemIconSource::PathSystem:
        return rendered(provider.icon(choice.info));
    case ItemIconSource::Web:
        return QIcon(QStringLiteral(":/img/Web.png"));
    case ItemIconSource::Lost:
        break;
    }
    return QIcon(QStringLiteral(":/img/Lost.png"));
}

QIcon itemIcon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider) {
    return makeItemIcon(chooseItemIcon(kind, path, customIcon), provider);
}

QIcon ItemIconCache::icon(int kind, const QString& path, const QString& customIcon,
                          QFileIconProvider& provider) {
    const ItemIconChoice choice = chooseItemIcon(kind, path, customIcon);
    if (choice.file.isEmpty())
        return makeItemIcon(choice, provider);
    // Keyed by what the icon is made from: the road, the file and its state
    // (read by the same look-up that found the file).
    const QFileInfo& info = choice.info;
    const QString key = QString::number(int(choice.source)) + QLatin1Char('|') +
                        QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('|') +
                        QString::number(info.size()) + QLatin1Char('|') + choice.file;
    if (const auto found = byFile.constFind(key); found != byFile.constEnd())
        return *found;
    if (byFile.size() >= kMaxFiles)
        byFile.clear();
    QIcon made;
    if (choice.source == ItemIconSource::CustomImage) {
        made = makeItemIcon(choice, provider);
    } else {
        // Files of one type share one system icon: render it once.
        const QIcon system = provider.icon(info);
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
