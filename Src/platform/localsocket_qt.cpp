// SPDX-License-Identifier: GPL-3.0-or-later
// The local sockets through Qt Network: named pipes on Windows.
#include "platform/localsocket.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

struct LocalSocket::Private {
    QLocalSocket* socket = nullptr;
    bool announcedEnd = false;
};

LocalSocket::LocalSocket(std::unique_ptr<Private> p, QObject* parent) : QObject(parent), d(std::move(p)) {
    d->socket->setParent(this);
    connect(d->socket, &QLocalSocket::readyRead, this, &LocalSocket::readyRead);
    connect(d->socket, &QLocalSocket::disconnected, this, [this] {
        if (!d->announcedEnd) {
            d->announcedEnd = true;
            emit disconnected();
        }
    });
}

LocalSocket::~LocalSocket() {
    // Gone without a word: no signal from the pipe's end into a half-destroyed object.
    d->socket->disconnect(this);
}

std::unique_ptr<LocalSocket> LocalSocket::connectTo(const QString& address, int timeoutMs) {
    auto p = std::make_unique<Private>();
    p->socket = new QLocalSocket;
    p->socket->connectToServer(address);
    if (!p->socket->waitForConnected(timeoutMs)) {
        delete p->socket;
        return nullptr;
    }
    return std::unique_ptr<LocalSocket>(new LocalSocket(std::move(p)));
}

qintptr LocalSocket::descriptor() const {
    return d->socket->socketDescriptor();
}

bool LocalSocket::isOpen() const {
    return d->socket->state() == QLocalSocket::ConnectedState;
}

qint64 LocalSocket::bytesAvailable() const {
    return d->socket->bytesAvailable();
}

bool LocalSocket::canReadLine() const {
    return d->socket->canReadLine();
}

QByteArray LocalSocket::readLine(qint64 maxSize) {
    return d->socket->readLine(maxSize + 1); // Qt's count leaves room for a NUL
}

bool LocalSocket::send(const QByteArray& bytes, int timeoutMs) {
    if (d->socket->write(bytes) != bytes.size())
        return false;
    return d->socket->waitForBytesWritten(timeoutMs) || d->socket->bytesToWrite() == 0;
}

void LocalSocket::close() {
    QPointer<LocalSocket> alive(this);
    // Writes what is still buffered before the pipe is closed; the pipe's
    // own disconnected() follows, now or once written.
    d->socket->disconnectFromServer();
    if (alive && d->socket->state() == QLocalSocket::UnconnectedState && !d->announcedEnd) {
        d->announcedEnd = true;
        emit disconnected();
    }
}

struct LocalServer::Private {
    QLocalServer server;
    QString error;
};

LocalServer::LocalServer(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {
    d->server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&d->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = d->server.nextPendingConnection()) {
            auto p = std::make_unique<LocalSocket::Private>();
            p->socket = socket;
            emit newConnection(new LocalSocket(std::move(p), this));
        }
    });
}

LocalServer::~LocalServer() = default;

bool LocalServer::listen(const QString& address) {
    // Qt would listen beside (a pipe) or in place of (a socket) a live
    // listener.
    QLocalSocket probe;
    probe.connectToServer(address);
    if (probe.waitForConnected(200)) {
        d->error = tr("%1 已被占用。").arg(address);
        return false;
    }
    if (!d->server.listen(address)) {
        d->error = d->server.errorString();
        return false;
    }
    d->error.clear();
    return true;
}

QString LocalServer::errorString() const {
    return d->error;
}

void LocalServer::remove(const QString& address) {
    QLocalServer::removeServer(address);
}
