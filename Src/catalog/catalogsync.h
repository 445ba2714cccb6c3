// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "catalog/filestamp.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// The catalog file as Tarn last read or wrote it. A write finds out whether
// someone else changed the file since and keeps that version as a copy
// first; a change made elsewhere while Tarn runs is announced, so the window
// can follow it. Tarn's own writes are never announced.
class CatalogSync : public QObject {
    Q_OBJECT

public:
    explicit CatalogSync(QObject* parent = nullptr);

    // Follows `path` from now on; the file as it is now counts as read.
    void follow(const QString& path);
    QString path() const { return file; }

    struct Write {
        bool written = false;
        QString error;
        // Where the version written by someone else was kept, if there was one.
        QString otherVersion;
    };
    // Replaces the file with `doc` through catalogstore::save.
    Write write(const catalog::Value& doc);

    // Reads the file into `doc` if it holds a whole catalog (parses, needs no
    // repair, has its Types) and takes it as read then; false otherwise.
    bool reread(catalog::Document& doc);

    // Looks at the file again after a while, as a change would.
    void checkLater(int ms);

signals:
    void changedElsewhere();

private:
    void check();

    QString file;
    catalogstore::FileStamp known;
    QFileSystemWatcher watcher;
    QTimer settle;
};
