// SPDX-License-Identifier: GPL-3.0-or-later
// One Tarn per data folder: the lock, the hand-over, the command line.
#include "app/commandline.h"
#include "app/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(InstanceCommand)

namespace {

// The process id of a process that has ended.
qint64 deadProcessId() {
    QProcess shell;
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    shell.waitForFinished();
    return shell.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<InstanceCommand>(); }

    void aSecondStartHandsItsCommandToTheFirst() {
        QTemporaryDir root;
        SingleInstance first(root.path());
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        QSignalSpy received(&first, &SingleInstance::commandReceived);

        // The same folder by another spelling is the same folder.
        SingleInstance second(root.path() + QStringLiteral("/../") + QDir(root.path()).dirName());
        QCOMPARE(second.serverName(), first.serverName());
        QCOMPARE(second.lock(), SingleInstance::Lock::HeldElsewhere);
        QTemporaryDir other;
        QVERIFY(SingleInstance::serverNameFor(other.path()) != first.serverName());
        QVERIFY(first.serverName().size() <= 24);

        // Taken while the first is still starting, carried out once it is ready.
        QVERIFY(second.handOver(InstanceCommand::Toggle));
        QCOMPARE(received.size(), 0);
        first.setReady();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0][0].value<InstanceCommand>(), InstanceCommand::Toggle);
        // Once ready, answered only after the command was carried out.
        QVERIFY(second.handOver(InstanceCommand::Quit));
        QCOMPARE(received.size(), 2);
        QCOMPARE(received[1][0].value<InstanceCommand>(), InstanceCommand::Quit);

        // Gone: the folder is free again, and nobody answers.
        first.stopListening();
        QVERIFY(!second.handOver(InstanceCommand::Show, 300));
    }

    // The lock is the kernel's: held while its process lives, however that
    // process ends, and whatever a crashed Tarn wrote into the file.
    void theLockGoesWithItsProcess() {
        QTemporaryDir root;
        const QString path = root.filePath(QStringLiteral("Data.lock"));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray::number(deadProcessId()) + "\nTarn\n" + QSysInfo::machineHostName().toUtf8() +
                    "\n");
        stale.close();

        // Another process holds it (perl is part of every Debian system).
        QProcess holder;
        holder.start(QStringLiteral("perl"),
                     {QStringLiteral("-e"),
                      QStringLiteral("use Fcntl ':flock'; open(my $f, '>>', $ARGV[0]) or die;"
                                     "flock($f, LOCK_EX) or die; $| = 1; print \"held\\n\"; sleep 60"),
                      path});
        QVERIFY(holder.waitForReadyRead(5000));
        SingleInstance instance(root.path());
        QCOMPARE(instance.lock(), SingleInstance::Lock::HeldElsewhere);
        holder.kill();
        QVERIFY(holder.waitForFinished(5000));
        QCOMPARE(instance.lock(), SingleInstance::Lock::Held);
        QFile holderNamed(path); // the longer stale text cut
        QVERIFY(holderNamed.open(QIODevice::ReadOnly));
        QCOMPARE(holderNamed.readAll(), QByteArray::number(QCoreApplication::applicationPid()) + '\n');

        // An older Tarn's lock file is held the same way.
        QTemporaryDir older;
        QLockFile olderLock(older.filePath(QStringLiteral("Data.lock")));
        QVERIFY(olderLock.tryLock(0));
        QCOMPARE(SingleInstance(older.path()).lock(), SingleInstance::Lock::HeldElsewhere);

        SingleInstance nowhere(root.filePath(QStringLiteral("missing")));
        QCOMPARE(nowhere.lock(), SingleInstance::Lock::Unavailable);
        QDir(root.path()).mkdir(QStringLiteral("fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("fifo/Data.lock"))).constData(),
                         0600) == 0);
        QCOMPARE(SingleInstance(root.filePath(QStringLiteral("fifo"))).lock(),
                 SingleInstance::Lock::Unavailable);
    }

    // A link in the lock file's place is never written through, whatever
    // it names: a symbolic link is left alone, a hard link locked but never
    // written.
    void aLinkedLockLeavesItsTargetAlone() {
        QTemporaryDir root;
        const QString catalog = root.filePath(QStringLiteral("Data"));
        const QString lock = root.filePath(QStringLiteral("Data.lock"));
        const QByteArray text = "{\"type\":[]}";
        QFile file(catalog);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        const auto catalogText = [&] {
            QFile read(catalog);
            return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
        };

        QVERIFY(QFile::link(catalog, lock));
        SingleInstance symbolic(root.path());
        QCOMPARE(symbolic.lock(), SingleInstance::Lock::Unavailable);
        QVERIFY(symbolic.lockIsLink());
        QCOMPARE(catalogText(), text);

        QVERIFY(QFile::remove(lock));
        QVERIFY(::link(QFile::encodeName(catalog).constData(), QFile::encodeName(lock).constData()) == 0);
        SingleInstance hard(root.path());
        QCOMPARE(hard.lock(), SingleInstance::Lock::Held);
        QVERIFY(!hard.lockIsLink());
        QCOMPARE(SingleInstance(root.path()).lock(), SingleInstance::Lock::HeldElsewhere);
        QCOMPARE(catalogText(), text);
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("parserAnswers");
        const auto none = static_cast<int>(InstanceCommand::None);
        QTest::newRow("plain") << QStringList{} << none << false;
        QTest::newRow("show") << QStringList{QStringLiteral("--show")}
                              << static_cast<int>(InstanceCommand::Show) << false;
        QTest::newRow("hide") << QStringList{QStringLiteral("--hide")}
                              << static_cast<int>(InstanceCommand::Hide) << false;
        QTest::newRow("toggle") << QStringList{QStringLiteral("--toggle")}
                                << static_cast<int>(InstanceCommand::Toggle) << false;
        QTest::newRow("quit") << QStringList{QStringLiteral("--quit")}
                              << static_cast<int>(InstanceCommand::Quit) << false;
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << none << true;
        QTest::newRow("help-all") << QStringList{QStringLiteral("--help-all")} << none << true;
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << none << true;
        QTest::newRow("two commands") << QStringList{QStringLiteral("--show"), QStringLiteral("--quit")}
                                      << static_cast<int>(InstanceCommand::Quit) << true;
        QTest::newRow("unknown") << QStringList{QStringLiteral("--nope")} << none << true;
        // Qt's own options are the application object's, not mistakes.
        QTest::newRow("Qt's options pass")
            << QStringList{"-platform", "xcb", "--style=fusion", "-reverse", "--toggle", "-name", "x"}
            << static_cast<int>(InstanceCommand::Toggle) << false;
        QTest::newRow("stray word") << QStringList{QStringLiteral("show")} << none << true;
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, command);
        QFETCH(bool, parserAnswers);
        const CommandLine parsed = parseCommandLine(QStringList{QStringLiteral("Tarn")} + arguments);
        QCOMPARE(parsed.parserAnswers, parserAnswers);
        if (!parserAnswers)
            QCOMPARE(static_cast<int>(parsed.command), command);
        if (!parserAnswers && parsed.command != InstanceCommand::None)
            QCOMPARE(commandFromWord(commandWord(parsed.command)), parsed.command);
    }

    void dataOption() {
        CommandLine parsed = parseCommandLine({"Tarn", "--data", "some folder", "--toggle"});
        QVERIFY(!parsed.parserAnswers);
        QCOMPARE(parsed.dataFolder, QStringLiteral("some folder"));
        QCOMPARE(parsed.command, InstanceCommand::Toggle);
        QCOMPARE(parseCommandLine({"Tarn", "--data=/x"}).dataFolder, QStringLiteral("/x"));
        QCOMPARE(parseCommandLine({"Tarn", "--show"}).dataFolder, QString());
        QVERIFY(parseCommandLine({"Tarn", "--data"}).parserAnswers);
        QVERIFY(parseCommandLine({"Tarn", "--data", ""}).parserAnswers);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
