// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// A connection between two processes of one machine, for the few short lines
// one Tarn says to another: a Unix domain socket, made with the system's own
// calls (localsocket_unix.cpp), or a named pipe on Windows through Qt
// Network (localsocket_qt.cpp). Qt Network and the libraries it brings
// (Kerberos, proxies) took about 4 ms of every start to load on Unix, for
// one word and its answer.
class LocalSocket : public QObject {
    Q_OBJECT

public:
    ~LocalSocket() override;

    // A connection to whoever listens at `address`; nullptr when nobody does
    // (yet) or the address cannot be reached within `timeoutMs`.
    static std::unique_ptr<LocalSocket> connectTo(const QString& address, int timeoutMs);

    // The system's handle, for asking who is at the other end.
    qintptr descriptor() const;
    bool isOpen() const;
    qint64 bytesAvailable() const;
    bool canReadLine() const;
    // Up to and including the next newline, at most `maxSize` bytes.
    QByteArray readLine(qint64 maxSize);
    // Hands a short message to the system, waiting at most `timeoutMs`
    // for it to be taken; false when it was not taken whole.
    bool send(const QByteArray& bytes, int timeoutMs = 1000);
    // Ends the connection after what was sent; disconnected() follows.
    void close();

signals:
    // Bytes came in.
    void readyRead();
    // The other end went away or close() was called; emitted once.
    void disconnected();

private:
    friend class LocalServer;
    struct Private;
    explicit LocalSocket(std::unique_ptr<Private> d, QObject* parent = nullptr);
    std::unique_ptr<Private> d;
};

// Listens at an address for LocalSockets. Only the user who made it may
// connect where the system allows saying so (the socket file's mode, the
// pipe's access list).
class LocalServer : public QObject {
    Q_OBJECT

public:
    explicit LocalServer(QObject* parent = nullptr);
    // Stops listening and removes the address it made.
    ~LocalServer() override;

    // False, with errorString() saying why, when the address is taken or
    // cannot be made.
    bool listen(const QString& address);
    QString errorString() const;
    // Removes what a killed listener left at `address`: a socket file, never
    // a file of another kind.
    static void remove(const QString& address);

signals:
    // A new connection, owned by the server until reparented or deleted.
    void newConnection(LocalSocket* socket);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
