// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "catalog/catalogstore.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <memory>

// The catalog file as Tarn last read or wrote it. A write finds out whether
// someone else changed the file since and keeps that version as a copy
// first; a change made elsewhere while Tarn runs is announced, so the window
// can follow it. Tarn's own writes are never announced.
class CatalogSync : public QObject {
    Q_OBJECT

public:
    explicit CatalogSync(QObject* parent = nullptr);

    // Follows `path` from now on; `read` is what the file was when Tarn read it.
    // With `watchNow` false the file is only watched from watch() on.
    void follow(const QString& path, const catalogstore::FileStamp& read, bool watchNow = true);
    // Watches the file, and looks at it once for a change made since it was read.
    void watch();
    QString path() const { return file; }

    struct Write {
        bool written = false;
        QString error;
        // Where the version written by someone else was kept, if there was one.
        QString otherVersion;
        // What the file is now as far as the write saw, when it saw it.
        bool stampKnown = false;
        catalogstore::FileStamp stamp;
    };
    // Replaces the file with `doc` through catalogstore::save.
    Write write(const catalog::Value& doc);

    // The same write in three steps, so the slow middle one can run on
    // another thread: prepare() takes a copy of `doc` and what is known of
    // the file, run() (any thread, touching nothing shared) writes it, and
    // take() learns what the file now is.
    struct Job {
        QString file;
        catalogstore::FileStamp known;
        std::shared_ptr<const catalog::Document> doc;
    };
    Job prepare(const catalog::Value& doc) const;
    static Write run(const Job& job);
    void take(const Write& result);

    // Reads the file into `doc` if it holds a whole catalog (parses, needs no
    // repair, has its Types) and takes it as read then; false otherwise.
    bool reread(catalog::Document& doc);

    // Looks at the file again after a while, as a change would.
    void checkLater(int ms);

signals:
    void changedElsewhere();

private:
    void check();
    // Whether the file still holds what Tarn last read or wrote.
    bool unchanged();
    static Write writeTo(const QString& path, catalogstore::FileStamp stamp, const catalog::Value& doc);
    // Whether `path` still holds what `stamp` says; a file touched but not
    // changed updates `stamp`.
    static bool unchanged(const QString& path, catalogstore::FileStamp& stamp);

    QString file;
    catalogstore::FileStamp known;
    QFileSystemWatcher watcher;
    QTimer settle;
};
