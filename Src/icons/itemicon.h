#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

class QFileIconProvider;

// The one rule that picks an Item's icon, shared by the Item grid and the
// Item dialog's preview. The choice is separate from building the icon so
// that it can be tested without comparing pixels.
enum class ItemIconSource {
    CustomImage,  // "customIcon" names a regular .png/.jpg/.gif file: the picture itself
    CustomSystem, // "customIcon" names another regular file or a folder: its system icon
    Web,          // kind 2: the built-in web icon
    PathSystem,   // "path" exists: its desktop entry's icon, else its system icon
    Lost,         // nothing exists: the built-in lost-target icon
};

// What one look-up finds of a file: enough to tell that it was rewritten or
// replaced since, even by one of the same size with the old time put back
// (a replace always changes the inode or its change time).
struct FileStamp {
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds on Unix, milliseconds elsewhere
    qint64 changed = 0;  // inode change time, nanoseconds (Unix)
    quint64 inode = 0;   // (Unix)
    quint64 device = 0;  // (Unix)
    bool regular = false;
    bool folder = false;
};

// Whether `path` names an existing file or folder (links followed), with its
// stamp: a single stat.
bool lookUpFile(const QString& path, FileStamp* stamp);

struct ItemIconChoice {
    ItemIconSource source;
    QString file;    // the file whose picture or system icon is used, if any
    FileStamp stamp; // that file, as found when the choice was made
};

ItemIconChoice chooseItemIcon(int kind, const QString& path, const QString& customIcon);
QIcon makeItemIcon(const ItemIconChoice& choice, QFileIconProvider& provider);
QIcon itemIcon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider);

// The rule with a memory: icons are kept by file, with the file's stamp, so
// a grid rebuilt over the same files renders no icon twice while a file that
// changed gets a fresh one, and files that share a system icon share its
// rendering. The existence tests of the rule still run every time, one stat
// per file.
class ItemIconCache {
public:
    QIcon icon(int kind, const QString& path, const QString& customIcon, QFileIconProvider& provider);

private:
    static constexpr int kMaxFiles = 20000;
    QHash<QString, QIcon> byFile;
    QHash<qint64, QIcon> bySystemIcon;
};
