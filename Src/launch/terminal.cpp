// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/terminal.h"

#include "launch/desktopentry.h"

#include <QFileInfo>

namespace terminal {

namespace {

struct Known {
    const char* name;
    std::initializer_list<const char*> prefix;
    bool lookedFor; // tried when no better way names the user's terminal
};

// Those looked for in this order: the desktops' own first, then the common
// stand-alone ones. The rest are known only when $TERMINAL names them.
const Known kKnown[] = {
    {"gnome-terminal", {"--"}, true},
    {"konsole", {"-e"}, true},
    {"xfce4-terminal", {"-x"}, true},
    {"mate-terminal", {"-x"}, true},
    {"lxterminal", {"-e"}, true},
    {"qterminal", {"-e"}, true},
    {"alacritty", {"-e"}, true},
    {"kitty", {}, true},
    {"foot", {}, true},
    {"xterm", {"-e"}, true},
    {"xdg-terminal-exec", {}, false},
    {"terminator", {"-x"}, false},
    {"wezterm", {"start", "--"}, false},
    {"ptyxis", {"--"}, false},
    {"kgx", {"--"}, false},
    {"tilix", {"-e"}, false},
};

QStringList toList(std::initializer_list<const char*> words) {
    QStringList out;
    for (const char* word : words)
        out << QLatin1String(word);
    return out;
}

std::optional<Emulator> installed(const QString& program) {
    const QString found = desktopentry::findProgram(program);
    if (found.isEmpty())
        return std::nullopt;
    return Emulator{found, prefixFor(program)};
}

} // namespace

QStringList prefixFor(const QString& program) {
    const QString name = QFileInfo(program).fileName();
    for (const Known& known : kKnown) {
        if (name == QLatin1String(known.name))
            return toList(known.prefix);
    }
    // What x-terminal-emulator promises, and most others understand.
    return {QStringLiteral("-e")};
}

std::optional<Emulator> find() {
    if (auto chosen = installed(QStringLiteral("xdg-terminal-exec")))
        return chosen;
    const QString named = qEnvironmentVariable("TERMINAL").trimmed();
    if (!named.isEmpty()) {
        if (auto chosen = installed(named))
            return chosen;
    }
    if (auto chosen = installed(QStringLiteral("x-terminal-emulator")))
        return chosen;
    for (const Known& known : kKnown) {
        if (!known.lookedFor)
            continue;
        if (auto chosen = installed(QLatin1String(known.name)))
            return chosen;
    }
    return std::nullopt;
}

} // namespace terminal
