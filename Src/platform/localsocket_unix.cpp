// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/localsocket.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Read per wake-up: the lines said here are a few bytes, and the reader
// cuts off a peer that floods long before this matters.
constexpr int kReadChunk = 4096;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool addressFor(const QString& address, sockaddr_un* where) {
    const QByteArray path = QFile::encodeName(address);
    std::memset(where, 0, sizeof *where);
    where->sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= static_cast<int>(sizeof where->sun_path))
        return false;
    std::memcpy(where->sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// Not inherited by the programs Tarn starts, and never blocking the GUI
// thread. Set apart from socket() and accept(), which not every Unix takes
// the flags in.
int prepared(int fd) {
    if (fd >= 0 && (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0 ||
                    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int newSocket() {
    return prepared(::socket(AF_UNIX, SOCK_STREAM, 0));
}

bool isSocketFile(const char* path) {
    struct stat info;
    return ::lstat(path, &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

struct LocalSocket::Private {
    int fd = -1;
    QByteArray buffer;
    QSocketNotifier* reader = nullptr;
    bool announcedEnd = false;
};

LocalSocket::LocalSocket(std::unique_ptr<Private> p, QObject* parent) : QObject(parent), d(std::move(p)) {
    d->reader = new QSocketNotifier(d->fd, QSocketNotifier::Read, this);
    connect(d->reader, &QSocketNotifier::activated, this, [this] {
        char chunk[kReadChunk];
        ssize_t got;
        do {
            got = ::recv(d->fd, chunk, sizeof chunk, 0);
        } while (got < 0 && errno == EINTR);
        if (got > 0) {
            d->buffer.append(chunk, static_cast<int>(got));
            emit readyRead();
            return;
        }
        // 0: the other end closed; an error other than "nothing yet" ends
        // the connection as well.
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            close();
    });
}

LocalSocket::~LocalSocket() {
    delete d->reader;
    if (d->fd >= 0)
        ::close(d->fd);
}

std::unique_ptr<LocalSocket> LocalSocket::connectTo(const QString& address, int timeoutMs) {
    sockaddr_un where;
    if (!addressFor(address, &where))
        return nullptr;
    const int fd = newSocket();
    if (fd < 0)
        return nullptr;
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    } while (result != 0 && errno == EINTR);
    // A listener whose queue is full refuses for now (EAGAIN), and the
    // caller tries again; elsewhere than Linux the connection may still be
    // under way.
    if (result != 0 && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        if (::poll(&waiting, 1, timeoutMs) == 1 &&
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            result = 0;
    }
    if (result != 0) {
        ::close(fd);
        return nullptr;
    }
    auto p = std::make_unique<Private>();
    p->fd = fd;
    return std::unique_ptr<LocalSocket>(new LocalSocket(std::move(p)));
}

qintptr LocalSocket::descriptor() const {
    return d->fd;
}

bool LocalSocket::isOpen() const {
    return d->fd >= 0;
}

qint64 LocalSocket::bytesAvailable() const {
    return d->buffer.size();
}

bool LocalSocket::canReadLine() const {
    return d->buffer.contains('\n');
}

QByteArray LocalSocket::readLine(qint64 maxSize) {
    const int newline = d->buffer.indexOf('\n');
    const qint64 wanted = newline < 0 ? d->buffer.size() : newline + 1;
    const int size = static_cast<int>(qMin(wanted, maxSize));
    const QByteArray line = d->buffer.left(size);
    d->buffer.remove(0, size);
    return line;
}

bool LocalSocket::send(const QByteArray& bytes, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    qint64 sent = 0;
    while (d->fd >= 0 && sent < bytes.size()) {
        const ssize_t done =
            ::send(d->fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (done > 0) {
            sent += done;
            continue;
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.hasExpired()) {
            pollfd waiting{d->fd, POLLOUT, 0};
            ::poll(&waiting, 1, static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
            continue;
        }
        return false;
    }
    return sent == bytes.size();
}

void LocalSocket::close() {
    if (d->fd >= 0) {
        d->reader->setEnabled(false);
        // Shut first, so that the peer sees the end even where a copy of
        // the descriptor lives on; what was sent stays queued for it.
        ::shutdown(d->fd, SHUT_RDWR);
        ::close(d->fd);
        d->fd = -1;
    }
    if (!d->announcedEnd) {
        d->announcedEnd = true;
        emit disconnected();
    }
}

struct LocalServer::Private {
    int fd = -1;
    QString address;
    QString error;
    QSocketNotifier* acceptor = nullptr;
};

LocalServer::LocalServer(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

LocalServer::~LocalServer() {
    if (d->fd < 0)
        return;
    delete d->acceptor;
    ::close(d->fd);
    remove(d->address);
}

void LocalServer::remove(const QString& address) {
    const QByteArray path = QFile::encodeName(address);
    if (isSocketFile(path.constData()))
        ::unlink(path.constData());
}

QString LocalServer::errorString() const {
    return d->error;
}

bool LocalServer::listen(const QString& address) {
    if (d->fd >= 0) {
        d->error = tr("已在监听。");
        return false;
    }
    sockaddr_un where;
    if (!addressFor(address, &where)) {
        d->error = tr("地址太长或为空：%1").arg(address);
        return false;
    }
    const int fd = newSocket();
    if (fd < 0) {
        d->error = systemError(errno);
        return false;
    }
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    // Only this user may connect, whatever the folder allows; set before
    // listen(), so that nobody is let in meanwhile.
    if (!bound || ::chmod(where.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        d->error = error == EADDRINUSE ? tr("%1 已被占用。").arg(address) : systemError(error);
        if (bound)
            ::unlink(where.sun_path);
        ::close(fd);
        return false;
    }
    d->fd = fd;
    d->address = address;
    d->error.clear();
    d->acceptor = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(d->acceptor, &QSocketNotifier::activated, this, [this] {
        for (;;) {
            const int accepted = ::accept(d->fd, nullptr, nullptr);
            if (accepted < 0 && (errno == EINTR || errno == ECONNABORTED))
                continue;
            const int client = prepared(accepted);
            if (client < 0)
                return;
            auto p = std::make_unique<LocalSocket::Private>();
            p->fd = client;
            emit newConnection(new LocalSocket(std::move(p), this));
            if (d->fd < 0)
                return;
        }
    });
    return true;
}
