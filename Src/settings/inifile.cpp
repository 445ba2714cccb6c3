// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/inifile.h"

#include <QSet>
#include <QStringList>

namespace inifile {

namespace {

#ifdef Q_OS_WIN
constexpr char kEol[] = "\r\n";
#else
constexpr char kEol[] = "\n";
#endif

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Section and key names: letters, digits, '_', '-' and '.' as they are; a
// slash inside a key as a backslash; anything else as %XX or %UXXXX.
QByteArray escapedKey(const QString& key) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const QChar qc : key) {
        const ushort ch = qc.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                   ch == '_' || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hex[ch / 16];
            out += hex[ch % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(ch >> shift) & 0xF];
        }
    }
    return out;
}

QString unescapedKey(const QByteArray& key) {
    QString out;
    for (int i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (c == '\\') {
            out += QLatin1Char('/');
        } else if (c == '%' && i + 5 < key.size() && key[i + 1] == 'U' && hexValue(key[i + 2]) >= 0 &&
                   hexValue(key[i + 3]) >= 0 && hexValue(key[i + 4]) >= 0 && hexValue(key[i + 5]) >= 0) {
            out += QChar(ushort(hexValue(key[i + 2]) << 12 | hexValue(key[i + 3]) << 8 |
                                hexValue(key[i + 4]) << 4 | hexValue(key[i + 5])));
            i += 5;
        } else if (c == '%' && i + 2 < key.size() && hexValue(key[i + 1]) >= 0 && hexValue(key[i + 2]) >= 0) {
            out += QChar(ushort(hexValue(key[i + 1]) << 4 | hexValue(key[i + 2])));
            i += 2;
        } else {
            out += QLatin1Char(c);
        }
    }
    return out;
}

void escapeInto(const QString& text, QByteArray& out) {
    const int start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (const QChar qc : text) {
        const ushort ch = qc.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        // A hex escape runs on while hex digits follow: escape those too.
        if (escapeNextIfHex && ch < 128 && hexValue(char(ch)) >= 0) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case '\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (ch <= 0x1F || ch >= 0x7F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else {
                out += char(ch);
            }
        }
    }
    if (needsQuotes || (start < out.size() && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

} // namespace

QString sectionOf(const QString& key) {
    const int slash = key.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : key.left(slash);
}

QString nameOf(const QString& key) {
    const int slash = key.indexOf(QLatin1Char('/'));
    return slash < 0 ? key : key.mid(slash + 1);
}

Sections parse(const QByteArray& text) {
    Sections sections;
    auto sectionNamed = [&](const QString& name) -> Section& {
        for (Section& section : sections)
            if (section.name == name)
                return section;
        sections.append(Section{name, {}});
        return sections.last();
    };
    Section* current = &sectionNamed(QString());
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const int end = line.indexOf(']');
            const QByteArray name = line.mid(1, end < 0 ? -1 : end - 1).trimmed();
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                current = &sectionNamed(QString());
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                current = &sectionNamed(QString::fromLatin1(name.mid(1)));
            else
                current = &sectionNamed(unescapedKey(name));
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        current->values.insert(unescapedKey(line.left(equals).trimmed()), line.mid(equals + 1).trimmed());
    }
    // Empty sections are not written back.
    for (int i = sections.size() - 1; i >= 0; --i)
        if (sections[i].values.isEmpty())
            sections.remove(i);
    return sections;
}

bool readsWhole(const QByteArray& text) {
    QSet<QByteArray> keys; // section and key, as written
    QByteArray section;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith('[')) {
            if (!line.endsWith(']'))
                return false;
            section = line;
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals <= 0 || line.startsWith(';') || line.startsWith('#'))
            return false;
        const QByteArray key = section + '\n' + line.left(equals).trimmed();
        if (keys.contains(key))
            return false;
        keys.insert(key);
    }
    return true;
}

QByteArray serialize(const Sections& sections) {
    QByteArray out;
    for (const Section& section : sections) {
        if (section.values.isEmpty())
            continue;
        if (!out.isEmpty())
            out += kEol;
        QByteArray name;
        if (section.name.isEmpty())
            name = "General";
        else if (section.name.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0)
            name = "%General";
        else
            name = escapedKey(section.name);
        out += '[' + name + ']' + kEol;
        for (auto it = section.values.constBegin(); it != section.values.constEnd(); ++it)
            out += escapedKey(it.key()) + '=' + it.value() + kEol;
    }
    return out;
}

QVariant decode(const QByteArray& written) {
    QStringList list;
    QString current;
    bool inQuotes = false;
    int trailingSpaces = 0; // unquoted spaces at the end of `current`
    bool seenText = false;  // of this element: leading spaces are dropped
    auto endElement = [&] {
        current.chop(trailingSpaces);
        list << current;
        current.clear();
        trailingSpaces = 0;
        seenText = false;
    };
    for (int i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            seenText = true;
            trailingSpaces = 0;
            continue;
        }
        if (!inQuotes && c == ';')
            break;
        if (!inQuotes && c == ',') {
            endElement();
            continue;
        }
        if (!inQuotes && (c == ' ' || c == '\t')) {
            if (seenText) {
                current += QLatin1Char(c);
                ++trailingSpaces;
            }
            continue;
        }
        seenText = true;
        trailingSpaces = 0;
        if (c != '\\' || i + 1 == written.size()) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
            // Qt 6's QSettings writes text as UTF-8 where Qt 5's escapes it,
            // and reads it back so: read what it wrote as it does.
            if (uchar(c) >= 0x80) {
                int end = i + 1;
                while (end < written.size() && uchar(written[end]) >= 0x80)
                    ++end;
                current += QString::fromUtf8(written.constData() + i, end - i);
                i = end - 1;
                continue;
            }
#endif
            current += QLatin1Char(c);
            continue;
        }
        const char e = written[++i];
        switch (e) {
        case 'a':
            current += QLatin1Char('\a');
            break;
        case 'b':
            current += QLatin1Char('\b');
            break;
        case 'f':
            current += QLatin1Char('\f');
            break;
        case 'n':
            current += QLatin1Char('\n');
            break;
        case 'r':
            current += QLatin1Char('\r');
            break;
        case 't':
            current += QLatin1Char('\t');
            break;
        case 'v':
            current += QLatin1Char('\v');
            break;
        case 'x': {
            uint value = 0;
            while (i + 1 < written.size() && hexValue(written[i + 1]) >= 0)
                value = (value * 16 + uint(hexValue(written[++i]))) & 0xFFFF;
            current += QChar(ushort(value));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                uint value = uint(e - '0');
                while (i + 1 < written.size() && written[i + 1] >= '0' && written[i + 1] <= '7')
                    value = (value * 8 + uint(written[++i] - '0')) & 0xFFFF;
                current += QChar(ushort(value));
            } else {
                current += QLatin1Char(e);
            }
        }
    }
    endElement();
    if (list.size() > 1)
        return list;
    const QString text = list.first();
    if (text.startsWith(QLatin1String("@@")))
        return text.mid(1);
    if (text == QLatin1String("@Invalid()"))
        return QVariant();
    return text;
}

QByteArray encode(const QVariant& value) {
    if (!value.isValid())
        return "@Invalid()";
    QString text;
    switch (value.userType()) {
    case QMetaType::Bool:
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        break;
    case QMetaType::QStringList: {
        QByteArray out;
        const QStringList list = value.toStringList();
        for (int i = 0; i < list.size(); ++i) {
            if (i > 0)
                out += ", ";
            escapeInto(list[i].startsWith(QLatin1Char('@')) ? QLatin1Char('@') + list[i] : list[i], out);
        }
        return out;
    }
    default:
        text = value.toString();
        if (text.startsWith(QLatin1Char('@')))
            text.prepend(QLatin1Char('@'));
    }
    QByteArray out;
    escapeInto(text, out);
    return out;
}

} // namespace inifile
