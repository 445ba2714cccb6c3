// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/desktopentry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

#include <cctype>
#include <optional>

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

// A key as the key-file format allows it: a name without surrounding spaces,
// then at most one [locale]. Anything else makes the whole file unreadable,
// as it does for GLib.
bool isKeyName(const QByteArray& key) {
    int end = 0;
    while (end < key.size() && key.at(end) != '[' && key.at(end) != ']')
        ++end;
    if (end == 0 || key.at(0) == ' ' || key.at(end - 1) == ' ')
        return false;
    if (end == key.size())
        return true;
    if (key.at(end) != '[' || !key.endsWith(']'))
        return false;
    for (int i = end + 1; i < key.size() - 1; ++i) {
        const char c = key.at(i);
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' || c == '@'))
            return false;
    }
    return true;
}

// The keys of the [Desktop Entry] group as raw bytes, the last of a repeated
// key winning; nullopt when the text is no key file or does not start with
// that group.
std::optional<QHash<QByteArray, QByteArray>> entryGroup(const QByteArray& text) {
    QHash<QByteArray, QByteArray> keys;
    bool sawGroup = false;
    bool inEntry = false;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        int first = 0;
        while (first < line.size() && (line.at(first) == ' ' || line.at(first) == '\t'))
            ++first;
        line = line.mid(first);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const int close = line.indexOf(']');
            if (close < 0 || !line.mid(close + 1).trimmed().isEmpty())
                return std::nullopt;
            const QByteArray name = line.mid(1, close - 1);
            if (name.isEmpty() || name.contains('['))
                return std::nullopt;
            // Only an entry that starts with its own group is one.
            if (!sawGroup && name != "Desktop Entry")
                return std::nullopt;
            sawGroup = true;
            inEntry = name == "Desktop Entry";
            continue;
        }
        const int equals = line.indexOf('=');
        if (!sawGroup || equals < 0)
            return std::nullopt;
        QByteArray key = line.left(equals);
        while (key.endsWith(' ') || key.endsWith('\t'))
            key.chop(1);
        if (!isKeyName(key))
            return std::nullopt;
        if (inEntry) {
            QByteArray value = line.mid(equals + 1);
            int lead = 0;
            while (lead < value.size() && (value.at(lead) == ' ' || value.at(lead) == '\t'))
                ++lead;
            keys.insert(key, value.mid(lead));
        }
    }
    if (!sawGroup)
        return std::nullopt;
    return keys;
}

// A value that is not valid UTF-8 counts as absent.
std::optional<QString> stringValue(const QHash<QByteArray, QByteArray>& keys, const QByteArray& key) {
    const auto found = keys.constFind(key);
    if (found == keys.constEnd())
        return std::nullopt;
    const QString text = QString::fromUtf8(*found);
    // Decoding is exact only for valid UTF-8: anything else comes back as
    // replacement characters and encodes differently.
    if (text.toUtf8() != *found)
        return std::nullopt;
    return unescapeValue(text.trimmed());
}

// A list value: items ended by ';' (the last one may lack it), "\\;" for a
// ';' inside one.
QStringList listValue(const QHash<QByteArray, QByteArray>& keys, const QByteArray& key) {
    const auto text = stringValue(keys, key);
    QStringList out;
    if (!text)
        return out;
    QString current;
    for (int i = 0; i < text->size(); ++i) {
        const QChar c = text->at(i);
        if (c == QLatin1Char('\\') && i + 1 < text->size() && text->at(i + 1) == QLatin1Char(';')) {
            current += QLatin1Char(';');
            ++i;
        } else if (c == QLatin1Char(';')) {
            if (!current.isEmpty())
                out << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        out << current;
    return out;
}

// "true" and "1" only, as GLib reads a boolean.
bool booleanValue(const QHash<QByteArray, QByteArray>& keys, const QByteArray& key) {
    const QByteArray value = keys.value(key).trimmed();
    return value == "true" || value == "1";
}

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

bool isEntryFile(const QString& path) {
    return path.endsWith(QLatin1String(".desktop"));
}

Entry parse(const QByteArray& text, const QStringList& languages) {
    Entry entry;
    const auto keys = entryGroup(text);
    if (!keys)
        return entry;
    entry.valid = true;
    QStringList candidates;
    for (const QString& language : languages) {
        for (const QString& candidate : localeCandidates(language)) {
            if (!candidates.contains(candidate))
                candidates << candidate;
        }
    }
    for (const QString& candidate : candidates) {
        if (auto name = stringValue(*keys, "Name[" + candidate.toUtf8() + ']')) {
            entry.name = *name;
            break;
        }
    }
    if (entry.name.isNull())
        entry.name = stringValue(*keys, "Name").value_or(QString());
    entry.type = stringValue(*keys, "Type").value_or(QString());
    entry.exec = stringValue(*keys, "Exec").value_or(QString());
    entry.tryExec = stringValue(*keys, "TryExec").value_or(QString());
    entry.path = stringValue(*keys, "Path").value_or(QString());
    entry.icon = stringValue(*keys, "Icon").value_or(QString());
    entry.hidden = booleanValue(*keys, "Hidden");
    entry.terminal = booleanValue(*keys, "Terminal");
    entry.dbusActivatable = booleanValue(*keys, "DBusActivatable");
    entry.noDisplay = booleanValue(*keys, "NoDisplay");
    entry.categories = listValue(*keys, "Categories");
    entry.onlyShowIn = listValue(*keys, "OnlyShowIn");
    entry.notShowIn = listValue(*keys, "NotShowIn");
    return entry;
}

Entry read(const QString& file, const QStringList& languages) {
    // Never open a pipe or device that merely ends in ".desktop".
    if (!QFileInfo(file).isFile())
        return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxEntryBytes)
        return {};
    return parse(in.read(kMaxEntryBytes), languages);
}

bool splitExec(const QString& exec, QStringList* argv, const FieldValues& fields) {
    // As GLib does it: the field codes are replaced in the text, which is
    // then split as a shell splits words (double and single quotes,
    // backslashes, # comments) without any expansion. A code that stands for
    // nothing leaves nothing, not an empty argument.
    enum class Quote { None, Double, Single } quote = Quote::None;
    QStringList out;
    QString current;
    bool inArgument = false; // something, even "", has started an argument
    auto finish = [&] {
        if (inArgument)
            out << current;
        current.clear();
        inArgument = false;
    };
    // Values that are separate words outside quotes: the first joins what
    // came before it, the last what follows.
    auto insert = [&](const QStringList& values) {
        if (values.isEmpty())
            return;
        if (quote != Quote::None) {
            current += values.join(QLatin1Char(' '));
        } else {
            for (int v = 0; v + 1 < values.size(); ++v) {
                out << current + values.at(v);
                current.clear();
            }
            current += values.last();
        }
        inArgument = true;
    };
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        const bool hasNext = i + 1 < exec.size();
        if (c == QLatin1Char('%') && hasNext) {
            const char16_t code = exec.at(++i).unicode();
            switch (code) {
            case '%':
                insert({QStringLiteral("%")});
                break;
            case 'i':
                if (!fields.icon.isEmpty())
                    insert({QStringLiteral("--icon"), fields.icon});
                break;
            case 'c':
                if (!fields.name.isEmpty())
                    insert({fields.name});
                break;
            case 'k':
                if (!fields.location.isEmpty())
                    insert({fields.location});
                break;
            case 'f':
            case 'u':
                if (!fields.files.isEmpty())
                    insert({fields.files.first()});
                break;
            case 'F':
            case 'U':
                insert(fields.files);
                break;
            default: // deprecated and unknown codes stand for nothing
                break;
            }
        } else if (quote == Quote::Single) {
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                current += c;
        } else if (quote == Quote::Double) {
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && hasNext && exec.at(i + 1) == QLatin1Char('\n')) {
                ++i; // a continued line
            } else if (c == QLatin1Char('\\') && hasNext &&
                       QStringLiteral("\"`$\\").contains(exec.at(i + 1))) {
                current += exec.at(++i);
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            finish();
        } else if (c == QLatin1Char('#') && !inArgument) {
            // A comment, to the end of its line.
            while (i + 1 < exec.size() && exec.at(i + 1) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('"')) {
            quote = Quote::Double;
            inArgument = true;
        } else if (c == QLatin1Char('\'')) {
            quote = Quote::Single;
            inArgument = true;
        } else if (c == QLatin1Char('\\') && hasNext) {
            // Outside quotes a backslash takes the next character as it is;
            // before a line break it continues the line.
            if (exec.at(++i) != QLatin1Char('\n')) {
                current += exec.at(i);
                inArgument = true;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quote != Quote::None)
        return false;
    finish();
    if (out.isEmpty() || out.first().isEmpty())
        return false;
    *argv = out;
    return true;
}

FileCodes fileCodes(const QString& exec) {
    FileCodes found = FileCodes::None;
    for (int i = 0; i + 1 < exec.size(); ++i) {
        if (exec.at(i) != QLatin1Char('%'))
            continue;
        const QChar code = exec.at(++i);
        if (code == QLatin1Char('F') || code == QLatin1Char('U'))
            return FileCodes::Many;
        if (code == QLatin1Char('f') || code == QLatin1Char('u'))
            found = FileCodes::One;
    }
    return found;
}

QString findProgram(const QString& program) {
    if (program.isEmpty())
        return QString();
    if (program.contains(QLatin1Char('/')))
        return isExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    return QStandardPaths::findExecutable(program);
}

namespace {

// The name an entry has on the session bus is its desktop id; only an id
// that is a valid bus name can be one.
bool isBusName(const QString& id) {
    const QStringList elements = id.split(QLatin1Char('.'));
    if (elements.size() < 2 || id.size() > 255)
        return false;
    for (const QString& element : elements) {
        if (element.isEmpty() || element.at(0).isDigit())
            return false;
        for (const QChar c : element) {
            if (!(c.unicode() < 128 &&
                  (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-'))))
                return false;
        }
    }
    return true;
}

} // namespace

Command commandOf(const QString& file, const QStringList& files) {
    return commandFor(read(file), file, files);
}

Command commandFor(const Entry& entry, const QString& file, const QStringList& files) {
    Command command;
    if (!entry.valid || entry.type != QLatin1String("Application"))
        return command;
    command.terminal = entry.terminal;
    command.workingDirectory = entry.path.isEmpty() ? QDir::homePath() : entry.path;
    if (entry.exec.isEmpty() && entry.dbusActivatable) {
        // Such an entry is started by asking the bus for the application.
        const QString id = QFileInfo(file).completeBaseName();
        if (!isBusName(id))
            return command;
        command.status = Command::Activate;
        command.busName = id;
        command.objectPath = QLatin1Char('/') + QString(id)
                                                    .replace(QLatin1Char('.'), QLatin1Char('/'))
                                                    .replace(QLatin1Char('-'), QLatin1Char('_'));
        return command;
    }
    const FieldValues fields{entry.icon, entry.name, QFileInfo(file).absoluteFilePath(), files};
    QStringList argv;
    if (!splitExec(entry.exec, &argv, fields))
        return command;
    command.status = Command::Missing;
    if (!entry.tryExec.isEmpty() && findProgram(entry.tryExec).isEmpty())
        return command;
    command.program = findProgram(argv.takeFirst());
    if (command.program.isEmpty())
        return command;
    command.status = Command::Ready;
    command.arguments = argv;
    // An entry that takes one file at a time is started once for each.
    if (files.size() > 1 && fileCodes(entry.exec) == FileCodes::One) {
        for (int f = 0; f < files.size(); ++f) {
            FieldValues one = fields;
            one.files = QStringList{files.at(f)};
            QStringList more;
            splitExec(entry.exec, &more, one);
            more.removeFirst();
            if (f == 0)
                command.arguments = more;
            else
                command.moreArguments << more;
        }
    }
    return command;
}

bool takesFiles(const QString& file) {
    const Entry entry = read(file, {});
    return entry.valid && entry.type == QLatin1String("Application") &&
           fileCodes(entry.exec) != FileCodes::None;
}

void forEachMenuFile(const QStringList& folders, const QString& nameFilter,
                     const std::function<QString(const QString& relativePath)>& idOf,
                     const std::function<void(const QString& id, const QString& file)>& visit) {
    QSet<QString> seenIds;
    for (const QString& folder : folders) {
        const QDir root(folder);
        QDirIterator files(folder, {nameFilter}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            const QString id = idOf(root.relativeFilePath(file));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            visit(id, file);
        }
    }
}

QString entryId(QString relativePath) {
    return relativePath.replace(QLatin1Char('/'), QLatin1Char('-'));
}

void forEachEntry(const QStringList& applicationFolders,
                  const std::function<void(const QString& id, const QString& file)>& visit) {
    forEachMenuFile(applicationFolders, QStringLiteral("*.desktop"), &entryId, visit);
}

QHash<QString, QString> programIcons(const QStringList& applicationFolders) {
    QHash<QString, QString> icons;
    QSet<QString> ambiguous; // started by entries with different icons: a wrapper such as env
    forEachEntry(applicationFolders, [&](const QString&, const QString& file) {
        // The language does not matter here: no Name is used.
        const Entry entry = read(file, {});
        QStringList argv;
        if (entry.icon.isEmpty() || entry.hidden || entry.type != QLatin1String("Application") ||
            !splitExec(entry.exec, &argv))
            return;
        const QString program = findProgram(argv.first());
        const QString canonical = program.isEmpty() ? QString() : QFileInfo(program).canonicalFilePath();
        if (canonical.isEmpty() || ambiguous.contains(canonical))
            return;
        const auto known = icons.constFind(canonical);
        if (known == icons.constEnd()) {
            icons.insert(canonical, entry.icon);
        } else if (*known != entry.icon) {
            icons.remove(canonical);
            ambiguous.insert(canonical);
        }
    });
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
