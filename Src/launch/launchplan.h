// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The launch decision, as a plain function of an Item's kind, "path" and
// "param": which road it takes, with which arguments and working directory.
namespace launch {

enum class Road {
    StartProgram,        // QProcess::startDetached(program, arguments, workingDirectory)
    OpenUrl,             // the desktop opener
    InvalidTarget,       // the target is gone: ask whether to remove the Item
    ActivateApplication, // ask the session bus to start the application `busName`
    NoTerminal,          // the program runs in a terminal, and there is none
};

struct Plan {
    Road road = Road::InvalidTarget;
    QString program;
    QStringList arguments;
    // Further starts of the same program, with these arguments.
    QList<QStringList> moreArguments;
    QString workingDirectory;
    QUrl url;
    QString busName;
    QString objectPath;
};

// Splits at every single space, keeping empty parts; no quoting. An empty
// text gives no arguments at all.
QStringList splitParam(const QString& param);

// Whether an existing path is started as a program. Everywhere that is a file
// whose suffix is exactly "exe"; off Windows, where no program ends in ".exe",
// also an executable regular file that is an ELF image or a "#!" script.
// Anything else, exec bit or not, goes to the desktop opener.
bool isProgram(const QString& path);

// What the desktop opener is handed for an Item: a web address as a URL (a
// missing scheme is guessed, "www.example.org" opens as http), anything else
// as a local file.
QUrl urlFor(int kind, const QString& path);

// Double-click and "打开". A ".desktop" file starts the program its Exec
// names, in a terminal when it asks for one, with "param" split into the
// files or URLs it takes (none when it takes none), or takes the
// invalid-target road when that program is not installed.
Plan planOpen(int kind, const QString& path, const QString& param);
// Whether the Item's "param" is passed at all: not to a menu entry that takes
// no files or URLs.
bool takesParam(int kind, const QString& path);
// "打开文件位置": the folder that holds the target.
Plan planOpenDir(int kind, const QString& path);

} // namespace launch
