// SPDX-License-Identifier: GPL-3.0-or-later
// The local sockets one Tarn talks to another through. Built twice: with
// Tarn's own Unix sockets and with Qt Network's (test_localsocket_qt), as
// Windows builds them.
#include "platform/localsocket.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString addressIn(const QTemporaryDir& folder) {
    return folder.filePath(QStringLiteral("Tarn-socket"));
}

} // namespace

class TestLocalSocket : public QObject {
    Q_OBJECT

private slots:
    // A line out and its answer back, the answer still readable once the
    // server has closed; each end hears the other go exactly once.
    void aLineAndItsAnswer() {
        QTemporaryDir folder;
        LocalServer server;
        QVERIFY(server.listen(addressIn(folder)));
        QByteArray heard;
        int serverSawEnd = 0;
        connect(&server, &LocalServer::newConnection, this, [&](LocalSocket* socket) {
            connect(socket, &LocalSocket::disconnected, this, [&] { ++serverSawEnd; });
            connect(socket, &LocalSocket::readyRead, this, [&heard, socket] {
                if (!socket->canReadLine())
                    return;
                heard = socket->readLine(100);
                QVERIFY(socket->send("ok\n"));
                socket->close();
            });
        });

        std::unique_ptr<LocalSocket> client = LocalSocket::connectTo(addressIn(folder), 2000);
        QVERIFY(client);
        QVERIFY(client->isOpen());
        QSignalSpy clientSawEnd(client.get(), &LocalSocket::disconnected);
        QVERIFY(client->send("show\n"));
        QVERIFY(clientSawEnd.wait(5000));
        QCOMPARE(heard, QByteArray("show\n"));
        QVERIFY(client->canReadLine());
        QCOMPARE(client->readLine(100), QByteArray("ok\n"));
        QCOMPARE(client->bytesAvailable(), 0);
        QVERIFY(!client->isOpen());
        QTRY_COMPARE(serverSawEnd, 1);
        client->close();
        QCOMPARE(clientSawEnd.count(), 1);
    }

    // What Qt's own sockets say reaches this server, and the line is read
    // only up to the limit asked for.
    void qtsSocketsAreHeard() {
        QTemporaryDir folder;
        LocalServer server;
        QVERIFY(server.listen(addressIn(folder)));
        LocalSocket* accepted = nullptr;
        connect(&server, &LocalServer::newConnection, this, [&](LocalSocket* socket) { accepted = socket; });
        QLocalSocket peer;
        peer.connectToServer(addressIn(folder));
        QVERIFY(peer.waitForConnected(2000));
        QTRY_VERIFY(accepted);
        QSignalSpy ended(accepted, &LocalSocket::disconnected);
        peer.write("a-long-word\nnext\n");
        peer.flush();
        QTRY_VERIFY(accepted->canReadLine());
        QCOMPARE(accepted->readLine(4), QByteArray("a-lo"));
        QCOMPARE(accepted->readLine(100), QByteArray("ng-word\n"));
        peer.disconnectFromServer();
        QVERIFY(ended.count() == 1 || ended.wait(5000));
        QCOMPARE(accepted->readLine(100), QByteArray("next\n"));
    }

    // One listener per address; its end frees the address for the next.
    void anAddressHasOneListener() {
        QTemporaryDir folder;
        QVERIFY(!LocalSocket::connectTo(addressIn(folder), 200));
        auto first = std::make_unique<LocalServer>();
        QVERIFY(first->listen(addressIn(folder)));
        LocalServer second;
        QVERIFY(!second.listen(addressIn(folder)));
        QVERIFY(!second.errorString().isEmpty());
        QVERIFY(LocalSocket::connectTo(addressIn(folder), 2000));
        first.reset();
        QVERIFY(!LocalSocket::connectTo(addressIn(folder), 200));
        QVERIFY(second.listen(addressIn(folder)));
    }

#if !defined(TARN_QT_LOCAL_SOCKETS)
    // Clearing a killed listener's address takes its socket file and
    // nothing else that may stand there.
    void onlyASocketFileIsRemoved() {
        QTemporaryDir folder;
        const QString address = addressIn(folder);
        {
            LocalServer killed;
            QVERIFY(killed.listen(address));
            QFile::rename(address, address + QStringLiteral(".left"));
        }
        QFile::rename(address + QStringLiteral(".left"), address);
        QVERIFY(QFileInfo::exists(address));
        LocalServer::remove(address);
        QVERIFY(!QFileInfo::exists(address));

        QFile notes(address);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("the user's");
        notes.close();
        LocalServer::remove(address);
        QVERIFY(QFileInfo::exists(address));
        LocalServer server;
        QVERIFY(!server.listen(address));
        QCOMPARE(QFileInfo(address).size(), 10);
    }
#endif
};

QTEST_GUILESS_MAIN(TestLocalSocket)
#include "test_localsocket.moc"
