// SPDX-License-Identifier: GPL-3.0-or-later
// The built Tarn in a Wayland session: a headless weston, Qt's wayland
// platform and a private session bus (CTest runs this under dbus-run-session),
// first without a portal, then with the fake GlobalShortcuts portal. What is
// on screen is read from weston's scene graph.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestWayland : public QObject {
    Q_OBJECT

    QTemporaryDir runtime; // XDG_RUNTIME_DIR: made 0700, as Wayland wants
    QTemporaryDir root;
    QProcess compositor;
    QProcessEnvironment environment;
    QString socket;

    // The top-level windows of process `pid` titled `title` that weston shows.
    int windows(qint64 pid, const QString& title) {
        QProcess debug;
        debug.setProcessEnvironment(environment);
        debug.start(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")});
        if (!debug.waitForFinished(5000)) {
            debug.kill();
            debug.waitForFinished(1000);
        }
        const QString graph = QString::fromUtf8(debug.readAllStandardOutput());
        const QRegularExpression view(
            QStringLiteral("PID (\\d+), surface ID \\d+, top-level window '([^']*)'"));
        int count = 0;
        for (auto match = view.globalMatch(graph); match.hasNext();) {
            const auto found = match.next();
            if (found.captured(1).toLongLong() == pid && found.captured(2) == title)
                ++count;
        }
        return count;
    }

    // Starts Tarn from run/ beside a Data/ folder in `folder`.
    void startTarn(QProcess& tarn, const QString& folder) {
        QVERIFY(QDir(folder).mkpath(QStringLiteral("run")));
        QVERIFY(QDir(folder).mkpath(QStringLiteral("Data")));
        tarn.setProcessEnvironment(environment);
        tarn.setWorkingDirectory(folder + QStringLiteral("/run"));
        tarn.setProcessChannelMode(QProcess::ForwardedChannels);
        tarn.start(QStringLiteral(TARN_EXECUTABLE), QStringList());
        QVERIFY(tarn.waitForStarted());
    }

    static void stop(QProcess& process) {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(2000);
    }

    // A second start of Tarn with a command; true when it was carried out.
    bool command(const QString& word, const QString& folder) {
        QProcess tarn;
        tarn.setProcessEnvironment(environment);
        tarn.setWorkingDirectory(folder + QStringLiteral("/run"));
        tarn.setProcessChannelMode(QProcess::ForwardedChannels);
        tarn.start(QStringLiteral(TARN_EXECUTABLE), {word});
        if (!tarn.waitForFinished(15000)) {
            tarn.kill();
            tarn.waitForFinished(1000);
            return false;
        }
        return tarn.exitStatus() == QProcess::NormalExit && tarn.exitCode() == 0;
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"weston", "weston-debug", "dbus-daemon"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
        QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
                 "run by CTest, under dbus-run-session");
        QVERIFY(runtime.isValid() && root.isValid());
        socket = QStringLiteral("tarn-wayland-%1").arg(QCoreApplication::applicationPid());
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.remove(QStringLiteral("DISPLAY")); // nothing may fall back to X

        compositor.setProcessEnvironment(environment);
        compositor.setProcessChannelMode(QProcess::MergedChannels);
        compositor.start(QStringLiteral("weston"),
                         {QStringLiteral("--backend=headless-backend.so"),
                          QStringLiteral("--socket=") + socket, QStringLiteral("--idle-time=0"),
                          QStringLiteral("--no-config"), QStringLiteral("--debug")});
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(socket)), 15000);
        QVERIFY2(compositor.state() == QProcess::Running, compositor.readAll().constData());
    }

    void cleanupTestCase() {
        compositor.terminate();
        if (!compositor.waitForFinished(5000)) {
            compositor.kill();
            compositor.waitForFinished(1000);
        }
    }

    void startsTogglesAndWritesOnTheWayOut() {
        QProcess tarn;
        auto cleanup = qScopeGuard([&tarn] { stop(tarn); });
        startTarn(tarn, root.path());
        const qint64 pid = tarn.processId();

        // Shown at start; no portal on this bus, so no conflict is reported:
        // a notice, beside the window, tells how to bind the key instead.
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("提示")), 1, 10000);
        QCOMPARE(QSettings(root.filePath(QStringLiteral("Data/Config")), QSettings::IniFormat)
                     .value(QStringLiteral("HotKey/DesktopBindingTold"))
                     .toBool(),
                 true);

        QVERIFY(command(QStringLiteral("--toggle"), root.path()));
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 0, 10000);
        QVERIFY(command(QStringLiteral("--toggle"), root.path()));
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 1, 10000);

        QVERIFY(command(QStringLiteral("--quit"), root.path()));
        QVERIFY(tarn.waitForFinished(15000));
        QCOMPARE(tarn.exitCode(), 0);
        QFile catalog(root.filePath(QStringLiteral("Data/Data")));
        QVERIFY(catalog.open(QIODevice::ReadOnly));
        QVERIFY(QJsonDocument::fromJson(catalog.readAll()).object().contains(QStringLiteral("type")));
        QVERIFY(QSettings(root.filePath(QStringLiteral("Data/Config")), QSettings::IniFormat)
                    .value(QStringLiteral("Form/Width"))
                    .toInt() > 0);
    }

    void thePortalsKeyTogglesTheWindow() {
        QProcess portal;
        auto cleanupPortal = qScopeGuard([&portal] { stop(portal); });
        portal.setProcessEnvironment(environment);
        portal.start(QStringLiteral(TARN_FAKEPORTAL), QStringList());
        QVERIFY(portal.waitForStarted());
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += portal.readAllStandardOutput()).contains("ready\n"), 10000);

        QTemporaryDir folder;
        QProcess tarn;
        auto cleanupTarn = qScopeGuard([&tarn] { stop(tarn); });
        startTarn(tarn, folder.path());
        const qint64 pid = tarn.processId();
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += portal.readAllStandardOutput()).contains("bound show-hide ALT+grave\n"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 1, 20000);

        // The desktop's key, as the portal delivers it, toggles the window.
        portal.write("activate\n");
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 0, 10000);
        portal.write("activate\n");
        QTRY_COMPARE_WITH_TIMEOUT(windows(pid, QStringLiteral("Tarn")), 1, 10000);
        QCOMPARE(windows(pid, QStringLiteral("提示")), 0); // bound: nothing to tell

        QVERIFY(command(QStringLiteral("--quit"), folder.path()));
        QVERIFY(tarn.waitForFinished(15000));
        portal.closeWriteChannel();
        QVERIFY(portal.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(TestWayland)
#include "test_wayland.moc"
