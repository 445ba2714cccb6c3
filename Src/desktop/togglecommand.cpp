// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/togglecommand.h"

namespace {

// Quoted for a POSIX shell only when it holds more than plain path characters.
QString shellWord(const QString& word) {
    bool plain = !word.isEmpty();
    for (const QChar c : word)
        if (!(c.isLetterOrNumber() || QStringLiteral("/._-+,:@%=").contains(c)))
            plain = false;
    if (plain)
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString toggleCommand(const QString& executable, const QString& workingDirectory,
                      const QStringList& arguments) {
    QString run = shellWord(executable);
    for (const QString& argument : arguments)
        run += QLatin1Char(' ') + shellWord(argument);
    run += QLatin1String(" --toggle");
    if (workingDirectory.isEmpty())
        return run;
    return QLatin1String("sh -c ") +
           shellWord(QLatin1String("cd ") + shellWord(workingDirectory) + QLatin1String(" && exec ") + run);
}
