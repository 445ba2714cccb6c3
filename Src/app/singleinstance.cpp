// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include "platform/localsocket.h"
#include "platform/usersocket.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
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
        return error.isEmpty();
    server = new LocalServer(this);
    connect(server, &LocalServer::newConnection, this, &SingleInstance::accept);
    const QString path = address(&error);
    if (path.isEmpty())
        return false;
    // Without the lock only a free name is taken: a live one is another
    // Tarn's.
    if (!lockFile.isLocked() && LocalSocket::connectTo(path, 200)) {
        error = tr("另一个 Tarn 已在 %1 监听。").arg(path);
        return false;
    }
    // What is left there is a killed Tarn's, ours to replace.
    LocalServer::remove(path);
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

void SingleInstance::accept(LocalSocket* socket) {
    connect(socket, &LocalSocket::disconnected, socket, &QObject::deleteLater);
    // Whatever the socket's permissions, no other user gets a command in.
    if (!usersocket::peerIsThisUser(socket->descriptor())) {
        socket->close();
        return;
    }
    // Nor holds the door open by saying nothing.
    auto* idle = new QTimer(socket);
    idle->setObjectName(QLatin1String(kIdleTimer));
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, &LocalSocket::close);
    idle->start(idleTimeoutMs);
    connect(socket, &LocalSocket::readyRead, this, [this, socket] { read(socket); });
    read(socket);
}

void SingleInstance::read(LocalSocket* socket) {
    if (!socket->isOpen())
        return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestWord)
            socket->close();
        return;
    }
    // Said in time: carrying it out may take a box's while.
    delete socket->findChild<QTimer*>(QLatin1String(kIdleTimer), Qt::FindDirectChildrenOnly);
    const InstanceCommand command = commandFromWord(socket->readLine(kLongestWord + 1).trimmed());
    if (command == InstanceCommand::None) {
        socket->send("?\n");
        socket->close();
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

void SingleInstance::answer(LocalSocket* socket) {
    socket->send(kDone);
    socket->close();
}

void SingleInstance::carryOut(LocalSocket* socket, InstanceCommand command) {
    // A receiver may run a modal box, during which the caller can go away.
    QPointer<LocalSocket> guard(socket);
    emit commandReceived(command);
    if (guard && guard->isOpen())
        answer(guard);
}

bool SingleInstance::handOver(InstanceCommand command, int timeoutMs, int findMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const QDeadlineTimer finding(findMs < 0 ? timeoutMs : qMin(findMs, timeoutMs));
    const QString path = address(nullptr);
    if (path.isEmpty())
        return false;
    std::unique_ptr<LocalSocket> socket;
    // The holder may be starting and not listen yet: try again until it does.
    while (!(socket = LocalSocket::connectTo(path, remaining(finding)))) {
        if (finding.hasExpired())
            return false;
        QThread::msleep(20);
    }
    // Whoever made the socket, only this user's own Tarn is told anything.
    if (!usersocket::peerIsThisUser(socket->descriptor()))
        return false;
    if (!socket->send(commandWord(command) + '\n', remaining(deadline)))
        return false;
    // Waits in an event loop, not blocked: the receiving end may be this very
    // process (the tests talk to themselves).
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(socket.get(), &LocalSocket::readyRead, &loop, [&] {
        if (socket->canReadLine())
            loop.quit();
    });
    connect(socket.get(), &LocalSocket::disconnected, &loop, &QEventLoop::quit);
    timer.start(remaining(deadline));
    if (!socket->canReadLine() && socket->isOpen())
        loop.exec();
    return socket->readLine(kLongestWord + 1) == kDone;
}
