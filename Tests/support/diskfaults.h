// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Disks that fail the way real ones do, and a bound on code that might block.

#include "platform/safefile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// A small tmpfs mounted on an existing folder, for a disk that really fills
// up. Needs the right to mount (root in the test container); `mounted` says
// whether it worked.
class SmallTmpfs {
public:
    SmallTmpfs(const QString& folder, int kilobytes) : path(QFile::encodeName(folder)) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted = ::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallTmpfs() {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
    bool mounted = false;

    // Fills the disk, then frees `spare` bytes of it.
    void fill(qint64 spare) const {
        QFile filler(QFile::decodeName(path) + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        filler.resize(qMax<qint64>(0, filler.size() - spare));
    }

private:
    QByteArray path;
};

// Every write past the first `room` bytes fails as on a full disk.
class FullDiskSeam {
public:
    explicit FullDiskSeam(size_t room) : saved(safefile::calls::write) {
        left() = room;
        safefile::calls::write = [](int fd, const void* bytes, size_t size) -> ssize_t {
            if (left() == 0) {
                errno = ENOSPC;
                return -1;
            }
            const ssize_t n = ::write(fd, bytes, qMin(size, left()));
            if (n > 0)
                left() -= size_t(n);
            return n;
        };
    }
    ~FullDiskSeam() { safefile::calls::write = saved; }

private:
    static size_t& left() {
        static size_t bytes = 0;
        return bytes;
    }
    ssize_t (*saved)(int, const void*, size_t);
};

// Every close of a file being written fails with `error`, the file closed
// all the same, as a write-back that fails late (NFS, FUSE) reports it.
class FailedCloseSeam {
public:
    explicit FailedCloseSeam(int error) : saved(safefile::calls::close) {
        code() = error;
        safefile::calls::close = [](int fd) {
            ::close(fd);
            errno = code();
            return -1;
        };
    }
    ~FailedCloseSeam() { safefile::calls::close = saved; }

private:
    static int& code() {
        static int error = 0;
        return error;
    }
    int (*saved)(int);
};

// Files of this process may not grow past `bytes` (RLIMIT_FSIZE): a write
// beyond fails with EFBIG instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

// Ends the whole test run with a message if it is still alive after
// `seconds`: code that blocks fails instead of hanging the suite.
class Deadline {
public:
    Deadline(int seconds, const char* what)
        : watcher([this, seconds, what] {
              std::unique_lock<std::mutex> lock(mutex);
              if (!done.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished; })) {
                  std::fprintf(stderr, "FAIL: still blocked after %d s: %s\n", seconds, what);
                  std::_Exit(1);
              }
          }) {}
    ~Deadline() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        done.notify_one();
        watcher.join();
    }

private:
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread watcher;
};
