// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/desktopentry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

namespace desktopentry {

namespace {

// Entries are small; anything far bigger is not one.
constexpr qint64 kMaxEntryBytes = 1 << 20;

// The key-file level: \s \n \t \r \\. Other backslashes are left for the
// Exec quoting to read.
QString unescapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(i + 1);
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

// lang_COUNTRY.ENCODING@MODIFIER -> the suffixes to try, most specific first.
QStringList localeCandidates(const QString& locale) {
    QString lang = locale;
    QString modifier;
    const int at = lang.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        modifier = lang.mid(at + 1);
        lang.truncate(at);
    }
    const int dot = lang.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        lang.truncate(dot);
    QString country;
    const int underscore = lang.indexOf(QLatin1Char('_'));
    if (underscore >= 0) {
        country = lang.mid(underscore + 1);
        lang.truncate(underscore);
    }
    QStringList out;
    if (lang.isEmpty())
        return out;
    if (!country.isEmpty() && !modifier.isEmpty())
        out << lang + QLatin1Char('_') + country + QLatin1Char('@') + modifier;
    if (!country.isEmpty())
        out << lang + QLatin1Char('_') + country;
    if (!modifier.isEmpty())
        out << lang + QLatin1Char('@') + modifier;
    out << lang;
    return out;
}

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

bool isEntryFile(const QString& path) {
    return path.endsWith(QLatin1String(".desktop"));
}

QString currentLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QLocale::system().name();
}

Entry parse(const QByteArray& text, const QString& locale) {
    Entry entry;
    const QStringList candidates = localeCandidates(locale);
    int nameRank = candidates.size() + 1; // lower is better; unlocalized is size()
    bool inGroup = false;
    const QString content = QString::fromUtf8(text);
    for (const QStringRef& raw : content.splitRef(QLatin1Char('\n'))) {
        const QStringRef line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            // The groups after it (actions) are not the entry.
            if (inGroup)
                break;
            inGroup = line == QLatin1String("[Desktop Entry]");
            entry.valid = entry.valid || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QStringRef key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed().toString());
        if (key.startsWith(QLatin1String("Name"))) {
            int rank = -1;
            if (key == QLatin1String("Name")) {
                rank = candidates.size();
            } else if (key.endsWith(QLatin1Char(']')) && key.at(4) == QLatin1Char('[')) {
                rank = candidates.indexOf(key.mid(5, key.size() - 6).toString());
            }
            if (rank >= 0 && rank < nameRank) {
                nameRank = rank;
                entry.name = value;
            }
        } else if (key == QLatin1String("Type")) {
            entry.type = value;
        } else if (key == QLatin1String("Exec")) {
            entry.exec = value;
        } else if (key == QLatin1String("TryExec")) {
            entry.tryExec = value;
        } else if (key == QLatin1String("Path")) {
            entry.path = value;
        } else if (key == QLatin1String("Icon")) {
            entry.icon = value;
        } else if (key == QLatin1String("Hidden")) {
            entry.hidden = value == QLatin1String("true");
        }
    }
    return entry;
}

Entry read(const QString& file, const QString& locale) {
    // Never open a pipe or device that merely ends in ".desktop".
    if (!QFileInfo(file).isFile())
        return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxEntryBytes)
        return {};
    return parse(in.read(kMaxEntryBytes), locale);
}

bool splitExec(const QString& exec, QStringList* argv, const FieldValues& fields) {
    QStringList out;
    QString current;
    bool inArgument = false;   // something, even "", has started an argument
    bool sawFieldCode = false; // a field code was dropped from it
    bool quoted = false;
    auto finish = [&] {
        // An argument that was nothing but field codes goes with them.
        if (inArgument && !(current.isEmpty() && sawFieldCode))
            out << current;
        current.clear();
        inArgument = sawFieldCode = false;
    };
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        const bool hasNext = i + 1 < exec.size();
        if (c == QLatin1Char('%') && hasNext) {
            inArgument = true;
            const QChar code = exec.at(++i);
            if (code == QLatin1Char('%')) {
                current += QLatin1Char('%');
            } else if (code == QLatin1Char('i') && !fields.icon.isEmpty()) {
                // Two arguments, the first joined to what came before it.
                current += QLatin1String("--icon");
                out << current;
                current = fields.icon;
            } else if (code == QLatin1Char('c') && !fields.name.isEmpty()) {
                current += fields.name;
            } else if (code == QLatin1Char('k') && !fields.location.isEmpty()) {
                current += fields.location;
            } else {
                sawFieldCode = true;
            }
        } else if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && hasNext && QStringLiteral("\"`$\\").contains(exec.at(i + 1)))
                current += exec.at(++i);
            else
                current += c;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            finish();
        } else if (c == QLatin1Char('"')) {
            quoted = inArgument = true;
        } else {
            // A backslash outside quotes is not allowed; take the next
            // character as it is, as a shell would.
            if (c == QLatin1Char('\\') && hasNext)
                current += exec.at(++i);
            else
                current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return false;
    finish();
    if (out.isEmpty() || out.first().isEmpty())
        return false;
    *argv = out;
    return true;
}

QString findProgram(const QString& program) {
    if (program.isEmpty())
        return QString();
    if (program.contains(QLatin1Char('/')))
        return isExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    return QStandardPaths::findExecutable(program);
}

Command commandOf(const QString& file) {
    Command command;
    const Entry entry = read(file);
    QStringList argv;
    const FieldValues fields{entry.icon, entry.name, QFileInfo(file).absoluteFilePath()};
    if (!entry.valid || entry.type != QLatin1String("Application") || !splitExec(entry.exec, &argv, fields))
        return command;
    command.status = Command::Missing;
    if (!entry.tryExec.isEmpty() && findProgram(entry.tryExec).isEmpty())
        return command;
    command.program = findProgram(argv.takeFirst());
    if (command.program.isEmpty())
        return command;
    command.status = Command::Ready;
    command.arguments = argv;
    // Not the program's folder (/usr/bin for most): a program started from
    // the menu starts in the home folder, and so it does here.
    command.workingDirectory = entry.path.isEmpty() ? QDir::homePath() : entry.path;
    return command;
}

QHash<QString, QString> programIcons(const QStringList& applicationFolders) {
    QHash<QString, QString> icons;
    QSet<QString> ambiguous; // started by entries with different icons: a wrapper such as env
    QSet<QString> seenIds;
    for (const QString& folder : applicationFolders) {
        const QDir root(folder);
        QDirIterator files(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            // An entry shadows those of the same id in later folders, also
            // when it is hidden (that is how a user removes one).
            const QString id = root.relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            // The language does not matter here: no Name is used.
            const Entry entry = read(file, QString());
            QStringList argv;
            if (entry.icon.isEmpty() || entry.hidden || entry.type != QLatin1String("Application") ||
                !splitExec(entry.exec, &argv))
                continue;
            const QString program = findProgram(argv.first());
            const QString canonical = program.isEmpty() ? QString() : QFileInfo(program).canonicalFilePath();
            if (canonical.isEmpty() || ambiguous.contains(canonical))
                continue;
            const auto known = icons.constFind(canonical);
            if (known == icons.constEnd()) {
                icons.insert(canonical, entry.icon);
            } else if (*known != entry.icon) {
                icons.remove(canonical);
                ambiguous.insert(canonical);
            }
        }
    }
    return icons;
}

QStringList applicationFolders() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders{home + QStringLiteral("/applications")};
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << dir + QStringLiteral("/applications");
    return folders;
}

} // namespace desktopentry
