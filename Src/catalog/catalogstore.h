// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "platform/safefile.h"

#include <QString>

// The catalog file on disk. Reading never changes the file, except that
// opening it read-write creates it empty where only the file is missing;
// writing replaces it whole or not at all.
namespace catalogstore {

// What the file was when Tarn last read or wrote it.
using FileStamp = safefile::FileStamp;

struct LoadResult {
    // The file could not be opened read-write, or is not a regular file:
    // the user is warned.
    bool openFailed = false;
    // Saving must not touch the file: it is read-only, unreadable, not a
    // regular file, or held text that could not be copied before being
    // replaced.
    bool keepFileAsIs = false;
    // The file held text that is not shown whole (did not parse, or needed
    // repairs); its bytes were copied here before anything could replace them.
    QString backupPath;
    bool backupFailed = false;
    int repairs = 0;
    // The file as it was read.
    FileStamp stamp;
};

// Reads `path` into `doc`. `doc` stays null when nothing usable was read.
// A FIFO, device or folder at `path` is never opened.
LoadResult load(const QString& path, catalog::Document& doc);

// Serialises `doc` and replaces `path` atomically: a failed write, a full disk
// or a kill leaves the previous file whole, and a file marked read-only is
// never replaced. Returns false on any failure, with `error` naming the reason
// and the file; on success `stamp` holds what the file now is.
// `lastLook` as for safefile::replace.
bool save(const QString& path, const catalog::Value& doc, QString* error = nullptr,
          FileStamp* stamp = nullptr, const std::function<bool(QString* error)>& lastLook = {});

// Writes `bytes` to `path` atomically, as `save` does.
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                     FileStamp* stamp = nullptr);

// Keeps a copy of `bytes` beside `path` ("Data.bak", then "Data-2.bak", ...),
// reusing an existing copy with the same content. Returns the copy's absolute
// path, or an empty string when no copy could be written whole.
QString keepCopy(const QString& path, const QByteArray& bytes);

// The same for a file too large to read whole: copied as it is on disk.
QString keepFileCopy(const QString& path);

// Removes what a killed save left beside `path`: the save's temporary files
// and nothing else. Call it only while this Tarn alone may write the folder.
// Returns how many were removed.
int removeLeftovers(const QString& path);

} // namespace catalogstore
