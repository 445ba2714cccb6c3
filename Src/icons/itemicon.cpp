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

QIcon systemIcon(const QString& file, QFileIconProvider& provider) {
    QIcon icon;
    icon.addPixmap(provider.icon(QFileInfo(file)).pixmap(48, 48), QIcon::Normal, QIcon::Off);
    return icon;
}

} // namespace

ItemIconChoice chooseItemIcon(int kind, const QString& path, const QString& customIcon) {
    if (!customIcon.isEmpty()) {
        const QFileInfo custom(customIcon);
        if (custom.exists())
            return {isPictureSuffix(custom.suffix()) ? ItemIconSource::CustomImage
                                                     : ItemIconSource::CustomSystem,
                    customIcon};
    }
    if (kind == catalog::KindWeb)
        return {ItemIconSource::Web, QString()};
    if (!path.isEmpty() && QFileInfo::exists(path))
        return {ItemIconSource::PathSystem, path};
    return {ItemIconSource::Lost, QString()};
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
        return systemIcon(choice.file, provider);
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
    const QFileInfo info(choice.file);
    // Keyed by what the icon is made from: the road, the file and its state.
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
        const auto rendered = bySystemIcon.constFind(system.cacheKey());
        if (rendered != bySystemIcon.constEnd()) {
            made = *rendered;
        } else {
            made.addPixmap(system.pixmap(48, 48), QIcon::Normal, QIcon::Off);
            bySystemIcon.insert(system.cacheKey(), made);
        }
    }
    byFile.insert(key, made);
    return made;
}
