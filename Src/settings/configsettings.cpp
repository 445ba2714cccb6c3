// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/configsettings.h"

#include "catalog/catalogstore.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QHash>

ConfigSettings::ConfigSettings(const QString& file) : path(file) {
    kept = safefile::markedReadOnly(file);
    readFile();
}

void ConfigSettings::readFile() {
    const safefile::Reading reading = safefile::read(path, false);
    stamp = reading.stamp;
    if (reading.status == safefile::Reading::Read) {
        sections = inifile::parse(reading.bytes);
        // What would be lost at the next write is kept as a copy first; a
        // file that cannot be copied is not written at all.
        if (!inifile::readsWhole(reading.bytes)) {
            copy = catalogstore::keepCopy(path, reading.bytes);
            kept = kept || copy.isEmpty();
        }
    } else if (reading.status != safefile::Reading::Missing) {
        kept = true;
    }
}

const QByteArray* ConfigSettings::written(const QString& key) const {
    const QString section = inifile::sectionOf(key);
    for (const inifile::Section& s : sections) {
        if (s.name == section) {
            const auto found = s.values.constFind(inifile::nameOf(key));
            return found == s.values.constEnd() ? nullptr : &*found;
        }
    }
    return nullptr;
}

QVariant ConfigSettings::value(const QString& key, const QVariant& defaultValue) const {
    const QByteArray* text = written(key);
    return text ? inifile::decode(*text) : defaultValue;
}

bool ConfigSettings::contains(const QString& key) const {
    return written(key) != nullptr;
}

void ConfigSettings::put(const QString& key, const QByteArray& text) {
    const QString section = inifile::sectionOf(key);
    auto it = std::find_if(sections.begin(), sections.end(),
                           [&](const inifile::Section& s) { return s.name == section; });
    if (it == sections.end())
        it = sections.insert(sections.end(), inifile::Section{section, {}});
    it->values.insert(inifile::nameOf(key), text);
}

void ConfigSettings::setValue(const QString& key, const QVariant& value) {
    const QByteArray text = inifile::encode(value);
    const QByteArray* old = written(key);
    if (old && *old == text)
        return;
    put(key, text);
    changed.insert(key);
}

bool ConfigSettings::sync(QString* error) {
    if (changed.isEmpty() || kept)
        return true;
    if (safefile::FileStamp::of(path) != stamp) {
        // Changed from outside since Tarn read it: take that, then put
        // Tarn's own changes on top.
        QHash<QString, QByteArray> ours;
        for (const QString& key : qAsConst(changed))
            ours.insert(key, *written(key));
        sections.clear();
        readFile();
        if (kept)
            return true;
        for (auto it = ours.constBegin(); it != ours.constEnd(); ++it)
            put(it.key(), it.value());
    }
    // As QSettings did: the folder is made when missing, so a first start
    // without one still keeps its settings (and the catalog then has a place).
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray bytes = inifile::serialize(sections);
    if (!safefile::replace(path, bytes.constData(), std::size_t(bytes.size()), error, &stamp))
        return false;
    changed.clear();
    return true;
}
