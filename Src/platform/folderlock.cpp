// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folderlock.h"

#if defined(Q_OS_UNIX)
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FolderLock::FolderLock(const QString& path) : filePath(path) {}

FolderLock::~FolderLock() {
    // Never removed: a start that opened the file just before would then
    // lock a name no other start can see.
    if (fd >= 0)
        ::close(fd);
}

FolderLock::State FolderLock::tryLock() {
    if (fd >= 0)
        return State::Held;
    const QByteArray name = QFile::encodeName(filePath);
    // Never through a symbolic link: it may name the catalog, which the
    // holder's process id would then replace.
    const int opened = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
    linked = opened < 0 && errno == ELOOP;
    if (opened < 0)
        return State::Unavailable;
    int locked;
    do
        locked = ::flock(opened, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(opened);
        return busy ? State::HeldElsewhere : State::Unavailable;
    }
    // Like every file Tarn opens, a regular file or nothing.
    struct stat info;
    if (::fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(opened);
        return State::Unavailable;
    }
    fd = opened;
    // A second name of another file (a hard link) holds the lock as well,
    // but is never written.
    if (info.st_nlink != 1)
        return State::Held;
    // Who holds it, for a person looking. Nothing reads it back, so it is
    // neither synced nor checked, and cut only when longer: cutting a file
    // costs more than the rest of taking the lock.
    const QByteArray holder = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::pwrite(fd, holder.constData(), static_cast<size_t>(holder.size()), 0) == holder.size() &&
        info.st_size > holder.size()) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, holder.size());
    }
    return State::Held;
}

bool FolderLock::isLocked() const {
    return fd >= 0;
}

#else

FolderLock::FolderLock(const QString& path) : filePath(path), file(path) {}

FolderLock::~FolderLock() = default;

FolderLock::State FolderLock::tryLock() {
    if (file.isLocked() || file.tryLock(0))
        return State::Held;
    return file.error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Unavailable;
}

bool FolderLock::isLocked() const {
    return file.isLocked();
}

#endif
