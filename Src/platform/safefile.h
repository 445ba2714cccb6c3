// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>

#ifndef Q_OS_WIN
#include <sys/types.h>
#endif

// Reading and replacing the files Tarn owns. Only regular files (or links to
// them) are ever opened, so a FIFO, a device or a folder in their place never
// blocks or gets written; a replace checks every step and leaves the old file
// byte-identical when any of them fails.
namespace safefile {

// What a file was when it was last read or written: enough to tell that
// someone else has changed it since.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds since the epoch
    quint64 hash = 0;    // of the bytes; 0 for anything but a regular file

    // Reads the file at `path` (regular files only; anything else is
    // stamped by its metadata alone).
    static FileStamp of(const QString& path);
    // Whether the file at `path` is still what this stamp says, reading it
    // only when its size and modification time still agree.
    bool matches(const QString& path) const;

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && modified == other.modified &&
               hash == other.hash;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

quint64 hashOf(const char* bytes, std::size_t size);

struct Reading {
    enum Status {
        Read,       // `bytes` holds the whole file
        Missing,    // nothing at the path
        NotRegular, // a FIFO, socket, device or folder: not opened
        Failed,     // the open or a read failed; `error` says why
    };
    Status status = Failed;
    QByteArray bytes;
    FileStamp stamp;
    int error = 0;
};

// Reads the whole file at `path`. With `forWriting` the file is opened
// read-write and created empty where only the file is missing, so success
// also says that Tarn may write it.
Reading read(const QString& path, bool forWriting);
// The stamp of what is at `path` from its metadata alone (no hash).
Reading metadataOf(const QString& path);

// True when a file exists at `path` and has no write bit: a file the user
// marked read-only stays unwritten even for a process that could write it
// anyway (root, or an administrator on Windows).
bool markedReadOnly(const QString& path);

// Replaces `path` with `bytes` through a temporary file beside it: written,
// flushed and synced with every step checked, given the old file's mode and
// owner, then renamed over it. A read-only or non-regular file at `path` is
// never replaced. Links are followed: the file they name is replaced. On
// failure `error` names the reason and the file, in the user's words.
// `lastLook`, where given, runs right before the rename, once the new bytes
// are safe on disk: false abandons the replace, with `error` as it set it.
bool replace(const QString& path, const char* bytes, std::size_t size, QString* error = nullptr,
             FileStamp* stamp = nullptr, const std::function<bool(QString* error)>& lastLook = {});

// Removes the temporary files a killed replace of `path` left beside it:
// regular files named exactly as `replace` names them, nothing else.
// Returns how many were removed.
int removeLeftovers(const QString& path);

// Reasons beside the system's error numbers.
enum Refusal { ReadOnlyMark = -1, NotRegularFile = -2 };

// "磁盘已满（/home/me/Data/Data）" and the like, for an error number or a
// Refusal.
QString describe(int error, const QString& path);

#ifndef Q_OS_WIN
// The calls that put bytes on disk, swappable so that a test can fail them
// the way a full or broken disk does.
namespace calls {
extern ssize_t (*write)(int fd, const void* bytes, size_t size);
extern int (*sync)(int fd);
extern int (*close)(int fd);
} // namespace calls
#endif

} // namespace safefile
