// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include "platform/usersocket.h"

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
constexpr char kIdleTimer[] = "idle";

int remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1));
}

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

QString SingleInstance::socketPath() const {
    return address(nullptr);
}

QString SingleInstance::address(QString* refusal) const {
#if defined(Q_OS_UNIX)
    const usersocket::Folder folder = usersocket::folder();
    if (folder.usable)
        return folder.path + QLatin1Char('/') + name;
    if (refusal)
        *refusal = tr("无法使用文件夹 %1：它须是当前用户自己的、别人不能进入的文件夹。").arg(folder.path);
    return QString();
#else
    Q_UNUSED(refusal)
    return name; // a pipe, which UserAccessOption closes to other users
#endif
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
    const QString path = address(&error);
    if (path.isEmpty())
        return false;
    if (lockFile.isLocked()) {
        // A socket left by a Tarn that was killed is ours to replace once
        // the lock is.
        QLocalServer::removeServer(path);
    } else {
        // Without the lock only a free name is taken: Qt would put its
        // socket in place of a live one.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(200)) {
            error = tr("另一个 Tarn 已在 %1 监听。").arg(path);
            return false;
        }
    }
    if (!server->listen(path)) {
        error = server->errorString();
        return false;
    }
    error.clear();
    return true;
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
        // Whatever the socket's permissions, no other user gets a command in.
        if (!usersocket::peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Nor holds the door open by saying nothing.
        auto* idle = new QTimer(socket);
        idle->setObjectName(QLatin1String(kIdleTimer));
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        idle->start(idleTimeoutMs);
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
    // Said in time: carrying it out may take a box's while.
    delete socket->findChild<QTimer*>(QLatin1String(kIdleTimer), Qt::FindDirectChildrenOnly);
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

bool SingleInstance::handOver(InstanceCommand command, int timeoutMs, int findMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const QDeadlineTimer finding(findMs < 0 ? timeoutMs : qMin(findMs, timeoutMs));
    const QString path = address(nullptr);
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    // The holder may be starting and not listen yet: try again until it does.
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(remaining(finding)))
            break;
        socket.abort();
        if (finding.hasExpired())
            return false;
        QThread::msleep(20);
    }
    // Whoever made the socket, only this user's own Tarn is told anything.
    if (!usersocket::peerIsThisUser(socket.socketDescriptor()))
        return false;
    socket.write(commandWord(command) + '\n');
    if (!socket.waitForBytesWritten(remaining(deadline)) && socket.bytesToWrite() > 0)
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
    timer.start(remaining(deadline));
    if (!socket.canReadLine())
        loop.exec();
    return socket.readLine(kLongestWord + 1) == kDone;
}
