// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/commandline.h"
#include "platform/folderlock.h"

#include <QList>
#include <QObject>

class LocalServer;
class LocalSocket;

// One Tarn per data folder. The first start holds a lock file beside the
// catalog and listens on a local socket named after the folder; a later start
// hands its command over that socket and ends. On Unix the socket lives in a
// folder of the user's own (see usersocket.h), and each end talks only to a
// process of the same user. QtCore only (on Windows, Qt Network's pipes).
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // Held: this is the one Tarn for the folder; HeldElsewhere: another
    // Tarn is; Unavailable: no lock can be had there.
    using Lock = FolderLock::State;

    // `dataFolder` holds the catalog file; `lockName` is the lock's file name in it.
    explicit SingleInstance(const QString& dataFolder, const QString& lockName = QStringLiteral("Data.lock"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. A lock left by a Tarn that crashed is taken over. Needs
    // no application object.
    Lock lock();
    // Listens for later starts; needs an application object. False, with
    // listenError() saying why, when later starts cannot reach this one.
    bool listen();
    QString listenError() const { return error; }
    void stopListening();
    // Commands that arrive before this are answered at once and emitted now;
    // later ones are emitted as they come and answered once carried out.
    void setReady();
    // A later start that connects and says nothing within this time is
    // dropped, so it cannot hold a connection open for ever.
    void setIdleTimeout(int ms) { idleTimeoutMs = ms; }

    // Hands `command` to the Tarn holding the folder and waits until it was
    // carried out. False when no Tarn of this user answered within
    // `timeoutMs`, or none was listening within `findMs` (by default the
    // whole `timeoutMs`: the holder may still be starting).
    bool handOver(InstanceCommand command, int timeoutMs = 5000, int findMs = -1);

    QString lockPath() const { return lockFile.path(); }
    // A symbolic link stands where the lock file goes: no lock was taken.
    bool lockIsLink() const { return lockFile.isLink(); }
    QString serverName() const { return name; }
    // Where the socket is: on Unix a full path in the user's own folder
    // (made when missing; empty when that folder is refused), elsewhere the
    // name of a pipe.
    QString socketPath() const;
    // Short and stable: derived from the folder's canonical path.
    static QString serverNameFor(const QString& dataFolder);

signals:
    void commandReceived(InstanceCommand command);

private:
    // socketPath(), and why there is none.
    QString address(QString* refusal) const;
    void accept(LocalSocket* socket);
    void read(LocalSocket* socket);
    void carryOut(LocalSocket* socket, InstanceCommand command);
    static void answer(LocalSocket* socket);

    QString name;
    FolderLock lockFile;
    LocalServer* server = nullptr;
    QString error;
    int idleTimeoutMs = 3000;
    bool ready = false;
    QList<InstanceCommand> waiting;
};
