// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

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
};

// An Item whose path ends in ".desktop" is a desktop entry.
bool isEntryFile(const QString& path);

// The locale the localized keys are chosen by, as "lang_COUNTRY.ENCODING@MODIFIER"
// (LC_ALL, LC_MESSAGES, LANG, then the system locale).
QString currentLocale();

// Reads the [Desktop Entry] group. Name[lang_COUNTRY@MODIFIER],
// Name[lang_COUNTRY], Name[lang@MODIFIER], Name[lang] and Name are tried in
// that order.
Entry parse(const QByteArray& text, const QString& locale = currentLocale());
Entry read(const QString& file, const QString& locale = currentLocale());

// What the entry-level field codes stand for: %i (as "--icon" and the
// icon), %c (the translated name) and %k (the entry's own file).
struct FieldValues {
    QString icon;
    QString name;
    QString location;
};

// Splits an Exec value into program and arguments: double quotes group,
// \" \` \$ \\ escape inside them, %i %c %k are expanded from `fields`
// (nothing where empty), the file and URL codes (%f, %U, ...) are dropped
// and %% gives %. False on an unterminated quote or an empty command.
bool splitExec(const QString& exec, QStringList* argv, const FieldValues& fields = {});

// A program as an Exec or TryExec names it: a path is taken as it is, a bare
// name is looked up in PATH. Empty when there is no such executable.
QString findProgram(const QString& program);

// What starting an entry takes.
struct Command {
    enum Status {
        NotStartable, // not an application entry with a usable Exec: open it as a file
        Missing,      // TryExec or the program is not installed
        Ready,
    } status = NotStartable;
    QString program; // absolute
    QStringList arguments;
    QString workingDirectory; // the entry's Path, else the home folder
};
Command commandOf(const QString& file);

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
