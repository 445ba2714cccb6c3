// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#if !defined(Q_OS_UNIX)
#include <QLockFile>
#endif

// Which process holds a data folder: a lock on a file in it. On Unix the
// lock is the kernel's (flock) and ends with the process however it ends,
// so a killed Tarn leaves nothing to break and no process id can be
// mistaken for it; the file stays and names the last holder's process.
// Elsewhere it is a QLockFile, which takes over a lock whose process is gone.
class FolderLock {
public:
    enum class State {
        Held,          // this object holds it
        HeldElsewhere, // another holder has it (another process, or another object here)
        Unavailable,   // no lock can be had there (no folder, no write access, no locks)
    };

    explicit FolderLock(const QString& path);
    ~FolderLock(); // releases it
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Tries once, without waiting.
    State tryLock();
    bool isLocked() const;
    // The last try found a symbolic link in the lock file's place, and left
    // it alone.
    bool isLink() const { return linked; }
    QString path() const { return filePath; }

private:
    QString filePath;
    bool linked = false;
#if defined(Q_OS_UNIX)
    int fd = -1;
#else
    QLockFile file;
#endif
};
