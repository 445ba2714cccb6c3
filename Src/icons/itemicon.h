// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QString>

class QFileIconProvider;

// The one rule that picks an Item's icon, shared by the Item grid and the
// Item dialog's preview. The choice is separate from building the icon so
// that it can be tested without comparing pixels.
enum class ItemIconSource {
    CustomImage,  // "customIcon" names an existing .png/.jpg/.gif: the picture itself
    CustomSystem, // "customIcon" names another existing file or folder: its system icon
    Web,          // kind 2: the built-in web icon
    PathSystem,   // "path" exists: its system icon
    Lost,         // nothing exists: the built-in lost-target icon
};

struct ItemIconChoice {
    ItemIconSource source;
    QString file;   // the file whose picture or system icon is used, if any
    QFileInfo info; // that file, as found when the choice was made
};

ItemIconChoice chooseItemIcon(int kind, const QString& path, const QString& customIcon);
QIcon makeItemIcon(const ItemIconChoice& choice, QFileIconProvider& provider);
QIcon itemIcon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider);

// The rule with a memory: icons are kept by file, with the file's
// modification time and size, so a grid rebuilt over the same files renders
// no icon twice while a file that changed gets a fresh one, and files that
// share a system icon share its rendering. The existence tests of the rule
// still run every time.
class ItemIconCache {
public:
    QIcon icon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider);

private:
    static constexpr int kMaxFiles = 20000;
    QHash<QString, QIcon> byFile;
    QHash<qint64, QIcon> bySystemIcon;
};
