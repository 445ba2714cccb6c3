// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Programs that want a terminal (Terminal=true in their menu entry) are
// started inside the user's terminal emulator.
namespace terminal {

// A terminal and what goes before the command it is to run.
struct Emulator {
    QString program; // absolute
    QStringList prefix;
};

// The user's terminal: xdg-terminal-exec where installed (the freedesktop
// way of naming one), else $TERMINAL, else Debian's x-terminal-emulator,
// else the first installed of a few well-known ones. Each gets the command
// the way it takes one. Nothing when there is none.
std::optional<Emulator> find();

// The way a terminal named `program` (a name or a path) takes a command to
// run: "--" for GNOME's, "-x" for Xfce's and MATE's, nothing for those that
// run their arguments, and "-e", the common way, for the rest.
QStringList prefixFor(const QString& program);

} // namespace terminal
