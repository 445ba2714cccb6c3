// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/autostart.h"

#include "launch/desktopentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace autostart {

namespace {

// The key-file level: backslashes and control characters, and a leading
// space, which readers would trim.
QString escapeValue(const QString& value) {
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

// One Exec argument, quoted when it holds anything the Exec syntax reserves.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString escaped;
    bool quote = argument.isEmpty();
    for (const QChar c : argument) {
        if (reserved.contains(c))
            quote = true;
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
        if (c == QLatin1Char('%'))
            escaped += QLatin1Char('%');
    }
    return quote ? QLatin1Char('"') + escaped + QLatin1Char('"') : escaped;
}

} // namespace

QString entryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + QStringLiteral(TARN_APP_ID) + QStringLiteral(".desktop");
}

bool isEnabled() {
    const desktopentry::Entry entry = desktopentry::read(entryPath());
    return entry.valid && !entry.hidden;
}

QByteArray entryText(const QString& executable, const QStringList& arguments,
                     const QString& workingDirectory) {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Tarn\n"
                                  "Comment=Quick launcher\n"
                                  "Icon=" TARN_APP_ID "\n");
    QString exec = execArgument(executable);
    for (const QString& argument : arguments)
        exec += QLatin1Char(' ') + execArgument(argument);
    text += QStringLiteral("Exec=") + escapeValue(exec) + QLatin1Char('\n');
    if (!workingDirectory.isEmpty())
        text += QStringLiteral("Path=") + escapeValue(workingDirectory) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text.toUtf8();
}

bool enable(const QString& executable, const QStringList& arguments, const QString& workingDirectory) {
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) &&
           out.write(entryText(executable, arguments, workingDirectory)) >= 0 && out.commit();
}

bool disable() {
    const QString path = entryPath();
    return !QFileInfo::exists(path) || QFile::remove(path);
}

} // namespace autostart
