// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/safefile.h"
#include "settings/inifile.h"

#include <QSet>
#include <QString>
#include <QVariant>

// The settings file, read once and written only by sync() through the
// checked writer, in the toolkit's INI format. (QSettings is not used for
// the file: its own save cannot report a full disk, and its constructor
// blocks on a FIFO.) A file that is read-only, unreadable or not a regular
// file is kept as found: the settings work for the session and are not
// written.
class ConfigSettings {
public:
    explicit ConfigSettings(const QString& file);

    QString fileName() const { return path; }

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant()) const;
    QVariant value(const char* key, const QVariant& defaultValue = QVariant()) const {
        return value(QString::fromLatin1(key), defaultValue);
    }
    void setValue(const QString& key, const QVariant& value);
    void setValue(const char* key, const QVariant& value) { setValue(QString::fromLatin1(key), value); }
    bool contains(const QString& key) const;

    // Writes the changes not yet written, keeping what someone else wrote
    // meanwhile to the keys Tarn did not change. False, with `error` naming
    // the reason and the file, when they could not be written; they are then
    // tried again at the next sync.
    bool sync(QString* error = nullptr);

    bool keptAsFound() const { return kept; }
    // Where the file was copied because it could not be read whole; empty
    // otherwise.
    QString keptCopy() const { return copy; }

private:
    void readFile();
    void put(const QString& key, const QByteArray& text);
    const QByteArray* written(const QString& key) const;

    QString path;
    inifile::Sections sections;
    QSet<QString> changed;
    bool kept = false;
    QString copy;
    safefile::FileStamp stamp;
};
