// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/language.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// Desktop Entry files (the ".desktop" files of application menus): what a
// launcher needs from them, read without ever handing a command to a shell.
namespace desktopentry {

struct Entry {
    bool valid = false; // a [Desktop Entry] group was found
    QString type;
    QString name; // localized
    QString exec; // key-file escapes resolved, Exec quoting still in place
    QString tryExec;
    QString path;
    QString icon;
    bool hidden = false;
    bool terminal = false;        // runs in a terminal
    bool dbusActivatable = false; // started over D-Bus by its id
    bool noDisplay = false;       // installed, but not for the menu
    QStringList categories;
    QStringList onlyShowIn; // desktops (XDG_CURRENT_DESKTOP names)
    QStringList notShowIn;
};

// An Item whose path ends in ".desktop" is a desktop entry.
bool isEntryFile(const QString& path);

// Reads the [Desktop Entry] group as GLib does: a file that does not start
// with it, or holds a line that is no group, key or comment, is no entry; a
// value that is not UTF-8 counts as absent. For each of `languages`
// ("lang_COUNTRY.ENCODING@MODIFIER"), Name[lang_COUNTRY@MODIFIER],
// Name[lang_COUNTRY], Name[lang@MODIFIER] and Name[lang] are tried in that
// order, then Name.
Entry parse(const QByteArray& text, const QStringList& languages = language::lookupOrderFromEnvironment());
Entry read(const QString& file, const QStringList& languages = language::lookupOrderFromEnvironment());

// What the field codes stand for: %i (as "--icon" and the icon), %c (the
// translated name), %k (the entry's own file), %f and %u (the first of
// `files`), %F and %U (all of them).
struct FieldValues {
    QString icon;
    QString name;
    QString location;
    QStringList files;
};

// Splits an Exec value into program and arguments as GLib does: the field
// codes are expanded from `fields` (a code that stands for nothing leaves no
// argument; %% gives %), then the words are split as a shell would without
// expanding anything: double quotes (\" \` \$ \\ escape inside them),
// single quotes, backslashes and # comments. False on an unterminated quote
// or an empty command.
bool splitExec(const QString& exec, QStringList* argv, const FieldValues& fields = {});

// Which files or URLs an Exec takes: none, one per start (%f, %u) or a list
// (%F, %U).
enum class FileCodes { None, One, Many };
FileCodes fileCodes(const QString& exec);

// A program as an Exec or TryExec names it: a path is taken as it is, a bare
// name is looked up in PATH. Empty when there is no such executable.
QString findProgram(const QString& program);

// What starting an entry takes.
struct Command {
    enum Status {
        NotStartable, // not an application entry with a usable Exec: open it as a file
        Missing,      // TryExec or the program is not installed
        Ready,
        Activate, // no Exec, but D-Bus activatable: ask the bus to start it
    } status = NotStartable;
    QString program; // absolute
    QStringList arguments;
    // An entry that takes one file at a time, given more, starts once more
    // with each of these.
    QList<QStringList> moreArguments;
    QString workingDirectory; // the entry's Path, else the home folder
    bool terminal = false;    // the program wants a terminal to run in
    // Activate: the application's name on the session bus and its object.
    QString busName;
    QString objectPath;
};
// `files` (the Item's arguments) go where the Exec takes files or URLs.
Command commandOf(const QString& file, const QStringList& files = {});
// The same for an entry read already from `file`.
Command commandFor(const Entry& entry, const QString& file, const QStringList& files = {});
// Whether the entry takes files or URLs at all; its Item's arguments are
// passed only then.
bool takesFiles(const QString& file);

// Calls `visit` with each file matching `nameFilter` below `folders` and its
// id, `idOf` the path below its folder; an id found in an earlier folder
// shadows the same id in later ones (also when that file is a Hidden entry:
// that is how a user removes one).
void forEachMenuFile(const QStringList& folders, const QString& nameFilter,
                     const std::function<QString(const QString& relativePath)>& idOf,
                     const std::function<void(const QString& id, const QString& file)>& visit);
// The desktop-file id of an entry at `relativePath` below an "applications"
// folder: '/' as '-'.
QString entryId(QString relativePath);
// forEachMenuFile() over the entries of the given "applications" folders.
void forEachEntry(const QStringList& applicationFolders,
                  const std::function<void(const QString& id, const QString& file)>& visit);

// Program (canonical path) -> Icon of the application entries in the given
// "applications" folders; an entry shadows those of the same id in later
// folders. Entries without an Icon, hidden ones and those whose program is
// not installed are left out, and so are programs that entries with
// different icons start.
QHash<QString, QString> programIcons(const QStringList& applicationFolders);
// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS, with the usual
// defaults.
QStringList applicationFolders();

} // namespace desktopentry
