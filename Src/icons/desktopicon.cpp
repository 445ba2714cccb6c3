// SPDX-License-Identifier: GPL-3.0-or-later
#include "icons/desktopicon.h"

#include "launch/desktopentry.h"

#include <QDateTime>
#include <QDir>
#include <QHash>

namespace desktopicon {

namespace {

constexpr int kMaxRemembered = 20000;

// The Icon value last read from each ".desktop" file, with the file's
// modification time, so a grid rebuild reads no unchanged entry again.
struct EntryIcon {
    qint64 modified;
    QString icon;
};

QString entryIcon(const QFileInfo& file) {
    static QHash<QString, EntryIcon> remembered;
    const qint64 modified = file.lastModified().toMSecsSinceEpoch();
    const QString path = file.absoluteFilePath();
    const auto found = remembered.constFind(path);
    if (found != remembered.constEnd() && found->modified == modified)
        return found->icon;
    if (remembered.size() >= kMaxRemembered)
        remembered.clear();
    const QString icon = desktopentry::read(path, {}).icon;
    remembered.insert(path, {modified, icon});
    return icon;
}

// The installed entries are read once, the first time a program needs
// them; each program's canonical path is then looked up once.
QString programIcon(const QFileInfo& file) {
    static const QHash<QString, QString> byProgram =
        desktopentry::programIcons(desktopentry::applicationFolders());
    static QHash<QString, QString> byPath;
    const QString path = file.absoluteFilePath();
    const auto found = byPath.constFind(path);
    if (found != byPath.constEnd())
        return *found;
    if (byPath.size() >= kMaxRemembered)
        byPath.clear();
    const QString icon = byProgram.value(file.canonicalFilePath());
    byPath.insert(path, icon);
    return icon;
}

} // namespace

QIcon fromIconValue(const QString& value) {
    if (value.isEmpty())
        return QIcon();
    if (QDir::isAbsolutePath(value))
        return QFileInfo(value).isFile() ? QIcon(value) : QIcon();
    QIcon icon = QIcon::fromTheme(value);
    // Older entries name the theme icon with its file's suffix.
    if (icon.isNull() && (value.endsWith(QLatin1String(".png")) || value.endsWith(QLatin1String(".svg")) ||
                          value.endsWith(QLatin1String(".xpm"))))
        icon = QIcon::fromTheme(value.left(value.size() - 4));
    return icon;
}

QIcon forFile(const QFileInfo& file) {
    if (!file.isFile())
        return QIcon();
    if (desktopentry::isEntryFile(file.fileName()))
        return fromIconValue(entryIcon(file));
    if (file.isExecutable())
        return fromIconValue(programIcon(file));
    return QIcon();
}

} // namespace desktopicon
