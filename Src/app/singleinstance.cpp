// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {

constexpr char kDone[] = "ok\n";
constexpr int kLongestWord = 32;

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, const QString& lockName, QObject* parent)
    : QObject(parent), name(serverNameFor(dataFolder)),
      lockFile(QDir(dataFolder).absoluteFilePath(lockName)) {}

SingleInstance::~SingleInstance() {
    stopListening();
}

QString SingleInstance::serverNameFor(const QString& dataFolder) {
    const QFileInfo info(dataFolder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Tarn-") + QString::fromLatin1(digest.left(16));
}

SingleInstance::Lock SingleInstance::lock() {
    return lockFile.tryLock();
}

bool SingleInstance::listen() {
    if (server)
        return server->isListening();
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    // A socket left by a Tarn that was killed is ours to replace once the
    // lock is; without the lock only a free name is taken.
    if (lockFile.isLocked())
        QLocalServer::removeServer(name);
    return server->listen(name);
}

void SingleInstance::stopListening() {
    delete server;
    server = nullptr;
}

void SingleInstance::setReady() {
    ready = true;
    const auto held = waiting;
    waiting.clear();
    for (InstanceCommand command : held)
        emit commandReceived(command);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestWord)
            socket->abort();
        return;
    }
    const InstanceCommand command = commandFromWord(socket->readLine(kLongestWord + 1).trimmed());
    if (command == InstanceCommand::None) {
        socket->write("?\n");
        socket->disconnectFromServer();
        return;
    }
    if (ready) {
        carryOut(socket, command);
        return;
    }
    // Still starting (perhaps behind a box at start): the caller need not
    // wait, the command is carried out once the window exists.
    waiting.append(command);
    answer(socket);
}

void SingleInstance::answer(QLocalSocket* socket) {
    socket->write(kDone);
    socket->flush();
    socket->disconnectFromServer();
}

void SingleInstance::carryOut(QLocalSocket* socket, InstanceCommand command) {
    // A receiver may run a modal box, during which the caller can go away.
    QPointer<QLocalSocket> guard(socket);
    emit commandReceived(command);
    if (guard)
        answer(guard);
}

bool SingleInstance::handOver(InstanceCommand command, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The holder may be starting and not listen yet: try again until it does.
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1))))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    socket.write(commandWord(command) + '\n');
    if (!socket.waitForBytesWritten(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1))) &&
        socket.bytesToWrite() > 0)
        return false;
    // Waits in an event loop, not blocked: the receiving end may be this very
    // process (the tests talk to themselves).
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        if (socket.canReadLine())
            loop.quit();
    });
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
    if (!socket.canReadLine())
        loop.exec();
    return socket.readLine(kLongestWord + 1) == kDone;
}
