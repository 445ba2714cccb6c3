// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The applications the user's menu shows, read by the freedesktop rules, for
// filling the catalog with them.
namespace applicationmenu {

// The menu's main categories, in the order their Groups are made; what fits
// none is Other.
enum class Category {
    AudioVideo,
    Development,
    Education,
    Game,
    Graphics,
    Network,
    Office,
    Science,
    Settings,
    System,
    Utility,
    Other,
};
inline constexpr int kCategoryCount = int(Category::Other) + 1;

// The first main category an entry lists; "Audio" and "Video" count as
// AudioVideo.
Category mainCategory(const QStringList& categories);

struct Application {
    QString id;   // as menuId() gives it
    QString file; // the entry, absolute
    QString name; // as the menu names it
    // The program it starts (canonical) when it starts nothing but that
    // program: an Item for the program itself is the same application.
    QString program;
    Category category = Category::Other;
    // Where the menu itself groups its entries in folders (the Windows
    // Start Menu): the top folder, which names the Group instead.
    QString folder;
};

// The desktops named in $XDG_CURRENT_DESKTOP.
QStringList currentDesktops();

// Every application entry of the folders (see desktopentry::forEachEntry)
// the menu would show on `desktops`: Type=Application and startable, not
// Hidden or NoDisplay, not shut out by OnlyShowIn or NotShowIn, its TryExec
// installed. Named in `languages`, and sorted by name as a speaker of the
// first of them expects (Chinese by pinyin).
QVector<Application> scan(const QStringList& applicationFolders, const QStringList& desktops,
                          const QStringList& languages);

// The Windows Start Menu: the shortcuts (.lnk) below each root ("Programs"
// of the user's and of all users' Start Menu), a path found in an earlier
// root shadowing the same one in later roots; grouped by their top folder,
// named by their file name, sorted as scan() sorts.
QVector<Application> scanStartMenu(const QStringList& roots, const QStringList& languages);
// The id the scans give the menu file at `path` below one of `roots`: a
// desktop entry's desktop-file id, a Start Menu shortcut's path below its
// root in lower case (Windows compares paths without case); empty for
// anything else.
QString menuId(const QString& path, const QStringList& roots);

// The user's and all users' Start Menu "Programs" folders (from APPDATA and
// ProgramData); empty where those are not set.
QStringList startMenuFolders();

} // namespace applicationmenu
