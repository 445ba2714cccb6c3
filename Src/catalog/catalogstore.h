// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QString>

// The catalog file on disk. Reading never changes the file, except that
// opening it read-write creates it empty where only the file is missing;
// writing replaces it whole or not at all.
namespace catalogstore {

struct LoadResult {
    // The file could not be opened read-write: the user is warned.
    bool openFailed = false;
    // Saving must not touch the file: it is read-only, unreadable, or held
    // text that could not be copied before being replaced.
    bool keepFileAsIs = false;
    // The file held text that is not shown whole (did not parse, or needed
    // repairs); its bytes were copied here before anything could replace them.
    QString backupPath;
    bool backupFailed = false;
    int repairs = 0;
};

// Reads `path` into `doc`. `doc` stays null when nothing usable was read.
LoadResult load(const QString& path, catalog::Document& doc);

// Serialises `doc` and replaces `path` atomically: a failed write, a full disk
// or a kill leaves the previous file whole. Returns false on any failure.
bool save(const QString& path, const catalog::Value& doc, QString* error = nullptr);

// Writes `bytes` to `path` atomically.
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Keeps a copy of `bytes` beside `path` ("Data.bak", then "Data-2.bak", ...),
// reusing an existing copy with the same content. Returns the copy's absolute
// path, or an empty string when no copy could be written.
QString keepCopy(const QString& path, const QByteArray& bytes);

} // namespace catalogstore
