// SPDX-License-Identifier: GPL-3.0-or-later
// One Tarn per data folder: the lock, the hand-over, the command line.
#include "app/commandline.h"
#include "app/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// Sets environment variables for one test; a null value unsets one.
class Environment {
public:
    Environment& set(const char* name, const QString& value) {
        if (!saved.contains(name))
            saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
        return *this;
    }
    ~Environment() {
        for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
        }
    }

private:
    QMap<QByteArray, QByteArray> saved;
};

bool isSocket(const QString& path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QString ownFolderIn(const QString& temporary) {
    return temporary + QStringLiteral("/tarn-") + QString::number(::getuid());
}

// What a Tarn that was killed leaves: a socket file nobody listens on.
bool leaveStaleSocket(const QString& path) {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= static_cast<int>(sizeof where.sun_path))
        return false;
    qstrcpy(where.sun_path, name.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound && isSocket(path);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qRegisterMetaType<InstanceCommand>();
        qRegisterMetaType<QProcess::ExitStatus>();
    }

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

    // The socket is never in the shared temporary folder, where another
    // user could take its name first.
    void theSocketLivesInTheRuntimeFolder() {
        QTemporaryDir root;
        QTemporaryDir runtime;
        QTemporaryDir temporary;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path()).set("TMPDIR", temporary.path());
        SingleInstance first(root.path());
        QCOMPARE(first.socketPath(), runtime.filePath(first.serverName()));
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        QVERIFY(isSocket(runtime.filePath(first.serverName())));
        QCOMPARE(entries(temporary.path()), QStringList());
    }

    void withoutARuntimeFolderAFolderOfTheUsersOwn_data() {
        QTest::addColumn<QString>("runtime");
        QTest::newRow("unset") << QString();
        QTest::newRow("empty") << QStringLiteral("");
        QTest::newRow("relative") << QStringLiteral("run/user");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/tarn/run");
        QTest::newRow("a file") << QStringLiteral("/dev/null");
    }

    void withoutARuntimeFolderAFolderOfTheUsersOwn() {
        QFETCH(QString, runtime);
        QTemporaryDir root;
        QTemporaryDir temporary;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime).set("TMPDIR", temporary.path());
        SingleInstance first(root.path());
        const QString own = ownFolderIn(temporary.path());
        QCOMPARE(first.socketPath(), own + QLatin1Char('/') + first.serverName());
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        first.setReady();
        QSignalSpy received(&first, &SingleInstance::commandReceived);

        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(own).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, ::getuid());
        QCOMPARE(info.st_mode & 07777, 0700u);
        QVERIFY(isSocket(first.socketPath()));
        QCOMPARE(entries(temporary.path()), QStringList{QFileInfo(own).fileName()});

        SingleInstance second(root.path());
        QVERIFY(second.handOver(InstanceCommand::Show));
        QCOMPARE(received.size(), 1);
    }

    // Another user may have made the folder first, or a link in its place:
    // then nobody listens there and no hand-over goes there.
    void aFolderNotTheUsersAloneIsRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("group may enter") << QStringLiteral("0710");
        QTest::newRow("others may read") << QStringLiteral("0704");
        QTest::newRow("a link to a good folder") << QStringLiteral("link");
        QTest::newRow("another user's") << QStringLiteral("owner");
        QTest::newRow("a file") << QStringLiteral("file");
    }

    void aFolderNotTheUsersAloneIsRefused() {
        QFETCH(QString, kind);
        if (kind == QLatin1String("owner") && ::getuid() != 0)
            QSKIP("needs root, to give the folder to another user");
        QTemporaryDir root;
        QTemporaryDir temporary;
        QTemporaryDir elsewhere;
        Environment environment;
        // A Tarn of this user's listens in the folder the link leads to.
        environment.set("XDG_RUNTIME_DIR", elsewhere.path()).set("TMPDIR", temporary.path());
        SingleInstance reachable(root.path(), QStringLiteral("Other.lock"));
        QVERIFY(reachable.listen());
        reachable.setReady();
        QSignalSpy received(&reachable, &SingleInstance::commandReceived);

        const QString own = ownFolderIn(temporary.path());
        const QByteArray ownName = QFile::encodeName(own);
        if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(elsewhere.path(), own));
        } else if (kind == QLatin1String("file")) {
            QFile file(own);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkdir(own));
            const bool owner = kind == QLatin1String("owner");
            QCOMPARE(::chmod(ownName.constData(), owner ? 0700 : kind.toUInt(nullptr, 8)), 0);
            if (owner)
                QCOMPARE(::chown(ownName.constData(), 65534, 65534), 0);
        }

        environment.set("XDG_RUNTIME_DIR", QString());
        SingleInstance instance(root.path());
        QCOMPARE(instance.socketPath(), QString());
        QCOMPARE(instance.lock(), SingleInstance::Lock::Held);
        QVERIFY(!instance.listen());
        QVERIFY2(instance.listenError().contains(own), qPrintable(instance.listenError()));
        QVERIFY(!instance.handOver(InstanceCommand::Show, 300));
        QCOMPARE(received.size(), 0);
        QCOMPARE(entries(elsewhere.path()), QStringList{reachable.serverName()});
        if (QFileInfo(own).isDir() && !QFileInfo(own).isSymLink())
            QCOMPARE(entries(own), QStringList());
    }

    // Where the socket is does not depend on the temporary folder.
    void startsWithDifferentTemporaryFoldersFindEachOther() {
        QTemporaryDir root;
        QTemporaryDir runtime;
        QTemporaryDir firstTemporary;
        QTemporaryDir secondTemporary;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path()).set("TMPDIR", firstTemporary.path());
        SingleInstance first(root.path());
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        first.setReady();
        QSignalSpy received(&first, &SingleInstance::commandReceived);

        environment.set("TMPDIR", secondTemporary.path());
        SingleInstance second(root.path());
        QCOMPARE(second.lock(), SingleInstance::Lock::HeldElsewhere);
        QVERIFY(second.handOver(InstanceCommand::Toggle, 2000));
        QCOMPARE(received.size(), 1);
    }

    // Where no lock can be had, a Tarn that listens keeps its socket; one
    // that was killed leaves a socket the next takes over.
    void withoutTheLockALiveSocketIsLeftAlone() {
        QTemporaryDir root;
        QTemporaryDir runtime;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path());
        SingleInstance first(root.path());
        QVERIFY(leaveStaleSocket(first.socketPath()));
        QVERIFY(first.listen());
        first.setReady();
        QSignalSpy received(&first, &SingleInstance::commandReceived);

        SingleInstance second(root.path());
        QVERIFY(!second.listen());
        QVERIFY(!second.listenError().isEmpty());
        QVERIFY(second.handOver(InstanceCommand::Hide));
        QCOMPARE(received.size(), 1);
        second.stopListening();
        // The one that failed took nothing down with it.
        QVERIFY(second.handOver(InstanceCommand::Show));
        QCOMPARE(received.size(), 2);
    }

    void aSilentClientIsDropped() {
        QTemporaryDir root;
        QTemporaryDir runtime;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path());
        SingleInstance first(root.path());
        first.setIdleTimeout(100);
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        QLocalSocket silent;
        QLocalSocket halfAWord;
        QSignalSpy silentDropped(&silent, &QLocalSocket::disconnected);
        QSignalSpy halfDropped(&halfAWord, &QLocalSocket::disconnected);
        silent.connectToServer(first.socketPath());
        halfAWord.connectToServer(first.socketPath());
        QVERIFY(silent.waitForConnected(5000));
        QVERIFY(halfAWord.waitForConnected(5000));
        halfAWord.write("sho");
        QVERIFY(silentDropped.wait(5000));
        QVERIFY(halfDropped.count() == 1 || halfDropped.wait(5000));
        QCOMPARE(halfAWord.readAll(), QByteArray());

        // One that spoke in time waits as long as its command takes: here
        // until another silent one was dropped meanwhile.
        first.setReady();
        bool outwaited = false;
        connect(&first, &SingleInstance::commandReceived, this, [&] {
            QLocalSocket later;
            QSignalSpy laterDropped(&later, &QLocalSocket::disconnected);
            later.connectToServer(first.socketPath());
            outwaited = later.waitForConnected(5000) && laterDropped.wait(5000);
        });
        SingleInstance second(root.path());
        QVERIFY(second.handOver(InstanceCommand::Show));
        QVERIFY(outwaited);
    }

    // The user check at both ends: a socket that another user can reach
    // (or made) still carries no command between users.
    void anotherUsersServerIsRefused() {
#if !defined(TARN_OTHERUSER)
        QSKIP("no otheruser helper on this platform");
#else
        if (::getuid() != 0)
            QSKIP("needs root, to run a process as another user");
        QTemporaryDir root;
        QTemporaryDir runtime;
        QTemporaryDir temporary;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path()).set("TMPDIR", temporary.path());
        SingleInstance instance(root.path());
        const QString path = instance.socketPath();
        QVERIFY(!path.isEmpty());
        QProcess other;
        other.start(QStringLiteral(TARN_OTHERUSER), {QStringLiteral("serve"), path});
        QVERIFY(other.waitForReadyRead(5000));
        QCOMPARE(other.readLine(), QByteArray("listening\n"));
        QVERIFY(!instance.handOver(InstanceCommand::Quit, 2000));
        // It was reached, and left without a word.
        QVERIFY(other.waitForFinished(5000));
        QCOMPARE(other.exitCode(), 0);
#endif
    }

    void anotherUsersClientIsDropped() {
#if !defined(TARN_OTHERUSER)
        QSKIP("no otheruser helper on this platform");
#else
        if (::getuid() != 0)
            QSKIP("needs root, to run a process as another user");
        QTemporaryDir root;
        QTemporaryDir runtime;
        QTemporaryDir temporary;
        Environment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path()).set("TMPDIR", temporary.path());
        SingleInstance first(root.path());
        QCOMPARE(first.lock(), SingleInstance::Lock::Held);
        QVERIFY(first.listen());
        first.setReady();
        QSignalSpy received(&first, &SingleInstance::commandReceived);
        // Opened to everyone, as a careless folder would be.
        const QString path = first.socketPath();
        QCOMPARE(::chmod(QFile::encodeName(QFileInfo(path).path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0777), 0);

        QProcess other;
        QSignalSpy finished(&other, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        other.start(QStringLiteral(TARN_OTHERUSER), {QStringLiteral("send"), path, QStringLiteral("quit")});
        QVERIFY(finished.wait(10000));
        QCOMPARE(other.readAllStandardOutput(), QByteArray("answer:"));
        QCOMPARE(received.size(), 0);
        // This user's own still get through.
        SingleInstance second(root.path());
        QVERIFY(second.handOver(InstanceCommand::Show));
        QCOMPARE(received.size(), 1);
#endif
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
