// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>

// The toolkit's INI settings format, read and written as QSettings does, so
// files written by either read the same in both. Values are kept as written
// (escaped), so whatever Tarn does not read comes back unchanged.
namespace inifile {

struct Section {
    QString name; // "" for keys outside any section ([General])
    QMap<QString, QByteArray> values;
};
using Sections = QVector<Section>; // in the order the file has them

Sections parse(const QByteArray& text);
// Whether parse() takes `text` whole: every line blank, a section header or
// a key with its value, and no key twice in a section. Anything else (a
// comment, a stray line, a broken header) is lost when the file is written
// again.
bool readsWhole(const QByteArray& text);
QByteArray serialize(const Sections& sections);

// A written value as QSettings reads it: a string, a list of strings where
// the value has unquoted commas, or an invalid value for "@Invalid()".
QVariant decode(const QByteArray& written);
// Booleans, numbers and text the way QSettings writes them.
QByteArray encode(const QVariant& value);

// "Form/Height" -> the section "Form" and the key "Height"; a key without a
// slash lives outside any section.
QString sectionOf(const QString& key);
QString nameOf(const QString& key);

} // namespace inifile
