// SPDX-License-Identifier: GPL-3.0-or-later
// The built Tarn on a desktop of its own: a private X server with a window
// manager (openbox) and a tray (trayer), driven only from outside with
// xdotool and the X tools, as a user's hands and eyes would.
#include "support/jsontext.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess xserver;
    QProcess windowManager;
    QProcess tray;
    QString display;
    QProcessEnvironment environment;
    QList<QProcess*> tarns;

    // Runs an X tool on our display and returns what it printed.
    QString x(const QString& program, const QStringList& arguments, int timeoutMs = 10000) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(timeoutMs))
            process.kill();
        process.waitForFinished(1000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    void start(QProcess& process, const QString& program, const QStringList& arguments) {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(program));
    }

    // Starts Tarn in the given folder.
    QProcess* startTarnIn(const QString& folder, const QStringList& arguments) {
        auto* tarn = new QProcess(this);
        tarn->setWorkingDirectory(folder);
        tarns << tarn;
        start(*tarn, TARN_EXECUTABLE, arguments);
        return tarn;
    }

    // Starts Tarn from run/ beside the given Data/ folder.
    QProcess* startTarn(const QString& root, const QStringList& arguments = {}) {
        QDir(root).mkpath("Data");
        QDir(root).mkpath("run");
        return startTarnIn(root + QStringLiteral("/run"), arguments);
    }

    // Runs a start of Tarn that is expected to end by itself; its exit code,
    // or -1 when it did not end in time. `root` as for startTarn(), or with
    // `inFolder` the working directory itself.
    int runTarn(const QString& root, const QStringList& arguments, QByteArray* output = nullptr,
                bool inFolder = false) {
        QProcess* tarn = inFolder ? startTarnIn(root, arguments) : startTarn(root, arguments);
        tarn->setProcessChannelMode(QProcess::SeparateChannels);
        if (!waitFinished(tarn))
            return -1;
        if (output)
            *output = tarn->readAllStandardOutput();
        return tarn->exitStatus() == QProcess::NormalExit ? tarn->exitCode() : -1;
    }

    // "新建分类" from the Type list's blank space, by hand.
    bool addTypeByHand(QProcess* tarn, const QString& window) {
        const QRect frame = geometry(window);
        const int shown = shownWindows(tarn);
        if (!openMenu(tarn, frame.topLeft() + QPoint(60, frame.height() - 40)))
            return false;
        x("xdotool", {"key", "Down", "Return"});
        return waitUntil([&] { return shownWindows(tarn) == shown; });
    }

    // The main window of the Tarn with this process id, once it is mapped.
    // (--all: xdotool otherwise takes a window that passes any one test.)
    QString mainWindow(QProcess* tarn) {
        for (int tries = 0; tries < 100; ++tries) {
            const QStringList ids =
                x(QStringLiteral("xdotool"),
                  {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                   QStringLiteral("--pid"), QString::number(tarn->processId()), QStringLiteral("--name"),
                   QStringLiteral("^Tarn$")})
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString& id : ids)
                if (geometry(id).width() > 200)
                    return id;
            QTest::qWait(100);
        }
        return QString();
    }

    QRect geometry(const QString& window) {
        const QString info = x(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        auto number = [&](const char* label) {
            const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral("\\s*(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        return QRect(number("Absolute upper-left X:"), number("Absolute upper-left Y:"), number("Width:"),
                     number("Height:"));
    }

    bool viewable(const QString& window) {
        return x(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
            .contains(QStringLiteral("IsViewable"));
    }

    bool waitViewable(const QString& window, bool wanted) {
        for (int tries = 0; tries < 100; ++tries) {
            if (viewable(window) == wanted)
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    // The tray icon: a small "Tarn" window inside trayer's panel.
    QPoint trayIcon() {
        const QRegularExpression line(
            QStringLiteral("\"Tarn\": \\(\"Tarn\" "
                           "\"Tarn\"\\)\\s+(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"));
        for (int tries = 0; tries < 100; ++tries) {
            const QString tree =
                x(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
            for (auto it = line.globalMatch(tree); it.hasNext();) {
                const auto m = it.next();
                const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
                if (w <= 64 && h <= 64 && w > 4)
                    return QPoint(m.captured(3).toInt() + w / 2, m.captured(4).toInt() + h / 2);
            }
            QTest::qWait(100);
        }
        return QPoint();
    }

    // The windows of this Tarn on screen (main window, menus, boxes).
    int shownWindows(QProcess* tarn) {
        return x("xdotool", {"search", "--onlyvisible", "--pid", QString::number(tarn->processId())})
            .split('\n', Qt::SkipEmptyParts)
            .size();
    }

    // Clicks and waits for the menu the click opens.
    bool openMenu(QProcess* tarn, QPoint at) {
        const int before = shownWindows(tarn);
        click(at, 3);
        return waitUntil([&] { return shownWindows(tarn) > before; }, 5000);
    }

    void click(QPoint at, int button) {
        x(QStringLiteral("xdotool"),
          {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
           QStringLiteral("click"), QString::number(button)});
    }

    template <class Condition> static bool waitUntil(Condition condition, int ms = 8000) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!condition()) {
            if (elapsed.elapsed() > ms)
                return false;
            QTest::qWait(100);
        }
        return true;
    }

    // Gives the window the keyboard, as a click on it would, and waits until
    // the window manager says it has it.
    bool activate(const QString& window) {
        for (int tries = 0; tries < 40; ++tries) {
            x(QStringLiteral("xdotool"),
              {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
            if (x(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}) == window)
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    bool waitFinished(QProcess* process, int ms = 10000) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (process->state() != QProcess::NotRunning && elapsed.elapsed() < ms)
            QTest::qWait(50);
        return process->state() == QProcess::NotRunning;
    }

private slots:
    void initTestCase() {
        // A display of our own, so the window manager and tray stay here.
        xserver.setProcessChannelMode(QProcess::SeparateChannels);
        xserver.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp")});
        QVERIFY(xserver.waitForStarted());
        QVERIFY(xserver.waitForReadyRead(10000));
        display = QStringLiteral(":") + QString::fromLatin1(xserver.readLine()).trimmed();
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.remove(QStringLiteral("XAUTHORITY"));
        QVERIFY(waitUntil([&] {
            return x(QStringLiteral("xprop"),
                     {QStringLiteral("-root"), QStringLiteral("-len"), QStringLiteral("1")}, 2000)
                .contains(QStringLiteral("="));
        }));
        // Ready once it has announced itself on the root window; a window
        // manager that did not come up in time is started once more.
        auto managed = [&] {
            return x(QStringLiteral("xprop"),
                     {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, 2000)
                .contains(QStringLiteral("window id"));
        };
        for (int attempt = 0; attempt < 3 && !managed(); ++attempt) {
            if (windowManager.state() != QProcess::NotRunning) {
                windowManager.kill();
                windowManager.waitForFinished(3000);
            }
            start(windowManager, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
            waitUntil(managed, 15000);
        }
        if (!managed())
            qWarning("display %s: window manager %s (exit %d), root says: %s", qPrintable(display),
                     windowManager.state() == QProcess::Running ? "running" : "gone",
                     windowManager.exitCode(),
                     qPrintable(x("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, 2000)));
        QVERIFY(managed());
        start(tray, "trayer",
              {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
               "--SetDockType", "true", "--transparent", "false"});
        QVERIFY(waitUntil([&] {
            return !x("xdotool", {"search", "--onlyvisible", "--class", "trayer"}).isEmpty();
        }));
    }

    void cleanup() {
        // Every Tarn this test started goes, by its process id.
        for (QProcess* tarn : std::as_const(tarns)) {
            if (tarn->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(tarn->processId()), SIGKILL);
                tarn->waitForFinished(3000);
            }
            delete tarn;
        }
        tarns.clear();
    }

    void cleanupTestCase() {
        for (QProcess* process : {&tray, &windowManager, &xserver}) {
            if (process->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
                if (!process->waitForFinished(3000)) {
                    ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
                    process->waitForFinished(3000);
                }
            }
        }
    }

    void firstRunWritesTheDefaultCatalogAtAltF4() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        QCOMPARE(readFile(root.filePath(QStringLiteral("Data/Data"))), QByteArray());
        // The window manager takes its key bindings a moment after it says
        // it is there: a press that came too early is made again.
        bool closed = false;
        for (int attempt = 0; attempt < 3 && !closed; ++attempt) {
            QVERIFY(activate(window));
            x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
            closed = waitUntil([&] { return !viewable(window); }, 2000);
        }
        QVERIFY(closed);
        QTRY_COMPARE(readFile(root.filePath(QStringLiteral("Data/Data"))),
                     json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
        QSettings config(root.filePath(QStringLiteral("Data/Config")), QSettings::IniFormat);
        QCOMPARE(config.value(QStringLiteral("Form/Height")).toInt(), 507);
        QCOMPARE(config.value(QStringLiteral("Form/Width")).toInt(), 848);
        QCOMPARE(tarn->state(), QProcess::Running);
    }

    void hotkeyEscAndTrayShowAndHide() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+grave")});
        QVERIFY(waitViewable(window, false));
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+grave")});
        QVERIFY(waitViewable(window, true));

        QVERIFY(activate(window));
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        QVERIFY(waitViewable(window, false));

        const QPoint icon = trayIcon();
        QVERIFY(!icon.isNull());
        QElapsedTimer sinceClick;
        sinceClick.start();
        click(icon, 1);
        QVERIFY(waitViewable(window, true));
        // Past the double-click interval: a double click does nothing.
        QTest::qWait(qMax<qint64>(0, 600 - sinceClick.elapsed()));
        click(icon, 1);
        QVERIFY(waitViewable(window, false));
    }

    void quitFromTheTrayKeepsTheEdits() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        QVERIFY(addTypeByHand(tarn, window));

        const QPoint icon = trayIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(openMenu(tarn, icon));
        x("xdotool", {"key", "Down", "Return"});
        QVERIFY(waitFinished(tarn));
        QCOMPARE(tarn->exitStatus(), QProcess::NormalExit);
        QCOMPARE(readFile(root.filePath(QStringLiteral("Data/Data"))),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]},"
                      "{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
    }

    void aSecondTarnReportsTheTakenHotkey() {
        QTemporaryDir first;
        QTemporaryDir second;
        QProcess* holder = startTarn(first.path());
        QVERIFY(!mainWindow(holder).isEmpty());
        QProcess* latecomer = startTarn(second.path());
        QString box;
        for (int tries = 0; tries < 100 && box.isEmpty(); ++tries) {
            box = x(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(latecomer->processId()),
                     QStringLiteral("--name"), QStringLiteral("^警告$")});
            QTest::qWait(100);
        }
        QVERIFY2(!box.isEmpty(), "no warning box from the second Tarn");
        // The first one still owns the hotkey.
        const QString window = mainWindow(holder);
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+grave")});
        QVERIFY(waitViewable(window, false));
    }

    void oneTarnPerDataFolder() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        QCOMPARE(runTarn(root.path(), {"--hide"}), 0);
        QVERIFY(waitViewable(window, false));
        // A plain second start shows the first one's window and ends; it
        // has no window, tray icon or hotkey warning of its own.
        QCOMPARE(runTarn(root.path(), {}), 0);
        QVERIFY(waitViewable(window, true));
        QCOMPARE(tarn->state(), QProcess::Running);
        QVERIFY(x("xdotool", {"search", "--onlyvisible", "--name", "^警告$"}).isEmpty());
        QCOMPARE(runTarn(root.path(), {"--toggle"}), 0);
        QVERIFY(waitViewable(window, false));
        QCOMPARE(runTarn(root.path(), {"--toggle"}), 0);
        QVERIFY(waitViewable(window, true));

        // --quit writes as "退出" does (the window size goes with it), then ends.
        QVERIFY(addTypeByHand(tarn, window));
        QCOMPARE(runTarn(root.path(), {"--quit"}), 0);
        QVERIFY(waitFinished(tarn));
        QCOMPARE(tarn->exitCode(), 0);
        QCOMPARE(QSettings(root.filePath("Data/Config"), QSettings::IniFormat).value("Form/Width").toInt(),
                 848);
        QCOMPARE(readFile(root.filePath("Data/Data")),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]},"
                      "{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));

        // With none running, --hide and --quit end quietly; --toggle starts one.
        QCOMPARE(runTarn(root.path(), {"--hide"}), 0);
        QCOMPARE(runTarn(root.path(), {"--quit"}), 0);
        QProcess* started = startTarn(root.path(), {"--toggle"});
        QVERIFY(!mainWindow(started).isEmpty());

        QByteArray version;
        QCOMPARE(runTarn(root.path(), {"--version"}, &version), 0);
        QVERIFY2(
            QRegularExpression("^Tarn \\d+\\.\\d+\\.\\d+\n$").match(QString::fromUtf8(version)).hasMatch(),
            version.constData());
    }

    // Where no lock can be had (here a folder stands in the lock file's
    // place), the socket alone keeps it to one Tarn.
    void oneTarnWhereNoLockCanBeHad() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("Data/Data.lock"));
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        // It listens once its first frame is up: a --hide that came
        // before is made again.
        bool hidden = false;
        for (int attempt = 0; attempt < 3 && !hidden; ++attempt) {
            QCOMPARE(runTarn(root.path(), {"--hide"}), 0);
            hidden = waitUntil([&] { return !viewable(window); }, 2000);
        }
        QVERIFY2(hidden, "--hide did not reach the running Tarn");
        QCOMPARE(runTarn(root.path(), {}), 0);
        QVERIFY(waitViewable(window, true));
        QCOMPARE(runTarn(root.path(), {"--quit"}), 0);
        QVERIFY(waitFinished(tarn));
        QCOMPARE(tarn->exitCode(), 0);
    }

    // A Tarn that later starts cannot reach says so once, and runs on.
    void aSocketThatCannotBeMadeIsTold() {
        struct Restore {
            QProcessEnvironment& environment;
            const QProcessEnvironment saved;
            ~Restore() { environment = saved; }
        } restore{environment, environment};
        QTemporaryDir root;
        QTemporaryDir temporary;
        // Tarn's own folder in the temporary folder, opened to everyone.
        const QString own = temporary.filePath("tarn-" + QString::number(::getuid()));
        QVERIFY(QDir().mkdir(own));
        QVERIFY(QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther));
        environment.remove("XDG_RUNTIME_DIR");
        environment.insert("TMPDIR", temporary.path());
        QProcess* tarn = startTarn(root.path());
        QString box;
        for (int tries = 0; tries < 100 && box.isEmpty(); ++tries) {
            // --all: by default xdotool takes a window that meets any one test.
            box = x("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                                QString::number(tarn->processId()), "--name", "^警告$"})
                      .section('\n', 0, 0);
            QTest::qWait(100);
        }
        QVERIFY2(!box.isEmpty(), "no warning that later starts cannot reach this Tarn");
        QVERIFY(activate(box));
        x("xdotool", {"key", "Return"});
        QVERIFY(waitUntil([&] { return !viewable(box); }));
        QVERIFY(!mainWindow(tarn).isEmpty());
        QCOMPARE(tarn->state(), QProcess::Running);
        QCOMPARE(entries(own), QStringList());
    }

    void aChosenDataFolderFromAnywhere() {
        // Started from a folder that has nothing to do with the data, which
        // does not exist yet: Tarn makes it and keeps everything there.
        QTemporaryDir root;
        QDir(root.path()).mkpath("elsewhere/run");
        const QString data = root.filePath("my data");
        QProcess* tarn = startTarnIn(root.filePath("elsewhere/run"), {"--data", data});
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        QVERIFY(QFileInfo::exists(data + "/Data.lock"));
        QVERIFY(addTypeByHand(tarn, window));
        // The same folder named relatively from another place reaches this Tarn.
        QCOMPARE(runTarn(root.path(), {"--data", "elsewhere/../my data", "--quit"}, nullptr, true), 0);
        QVERIFY(waitFinished(tarn));
        QCOMPARE(tarn->exitCode(), 0);
        QCOMPARE(readFile(data + "/Data"),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]},"
                      "{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
        QCOMPARE(QSettings(data + "/Config", QSettings::IniFormat).value("Form/Width").toInt(), 848);
        QVERIFY(!QFileInfo::exists(root.filePath("elsewhere/Data")));
        QVERIFY(!QFileInfo::exists(root.filePath("Data")));
    }

    void killedTwoSecondsAfterAnEditLosesNothing() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        QVERIFY(addTypeByHand(tarn, window));
        QTest::qWait(2000);
        ::kill(static_cast<pid_t>(tarn->processId()), SIGKILL);
        QVERIFY(waitFinished(tarn));
        QCOMPARE(readFile(root.filePath("Data/Data")),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]},"
                      "{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
        // The killed Tarn's lock and socket are taken over by the next start.
        QProcess* next = startTarn(root.path());
        const QString nextWindow = mainWindow(next);
        QVERIFY(!nextWindow.isEmpty());
        QCOMPARE(runTarn(root.path(), {"--hide"}), 0);
        QVERIFY(waitViewable(nextWindow, false));
        QCOMPARE(next->state(), QProcess::Running);
    }

    void hotkeyTypeEnterLaunchesThenEscEscHides() {
        QTemporaryDir root;
        QDir(root.path()).mkpath("Data");
        QDir(root.path()).mkpath("bin");
        const QString program = root.filePath("bin/recorder.exe");
        QVERIFY(QFile::copy(TARN_ARGVDUMP, program));
        const QString dump = root.filePath("argv.txt");
        // The program sits in another Type than the one shown at start.
        QFile catalog(root.filePath("Data/Data"));
        QVERIFY(catalog.open(QIODevice::WriteOnly));
        catalog.write(
            json(QStringLiteral("{'type':[{'name':'T1','group':[{'name':'G1','item':["
                                "{'name':'other','type':2,'param':'','path':'example.org'}]}]},"
                                "{'name':'T2','group':[{'name':'G2','item':["
                                "{'name':'Recorder','type':0,'param':'--from e2e','path':'%1'}]}]}]}")
                     .arg(program)));
        catalog.close();
        environment.insert("TARN_ARGV_DUMP", dump);
        QProcess* tarn = startTarn(root.path());
        environment.remove("TARN_ARGV_DUMP");
        const QString window = mainWindow(tarn);
        QVERIFY(!window.isEmpty());
        x("xdotool", {"key", "alt+grave"});
        QVERIFY(waitViewable(window, false));
        x("xdotool", {"key", "alt+grave"});
        QVERIFY(waitViewable(window, true));
        // Straight from the hotkey to typing: the keyboard is already there.
        QVERIFY(waitUntil([&] { return x("xdotool", {"getactivewindow"}) == window; }));
        x("xdotool", {"type", "--delay", "40", "recor"});
        x("xdotool", {"key", "Return"});
        QTRY_COMPARE(readFile(dump), (root.filePath("bin") + "\n[--from]\n[e2e]\n").toUtf8());
        QTRY_VERIFY(readFile(root.filePath("Data/Usage")).contains(program.toUtf8()));

        // The first Esc empties the search, the second hides.
        x("xdotool", {"key", "Escape"});
        QVERIFY(!waitUntil([&] { return !viewable(window); }, 400));
        x("xdotool", {"key", "Escape"});
        QVERIFY(waitViewable(window, false));
    }

    // A set-up script fills the catalog of a running Tarn from the menu; the
    // imported entry starts from the search like any Item.
    void importedApplicationStartsFromTheSearch() {
        QTemporaryDir root;
        QDir(root.path()).mkpath("share/applications");
        QDir(root.path()).mkpath("home");
        const QString entry = root.filePath("share/applications/tarn-recorder.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Menu Recorder\nCategories=Utility;\nExec=" +
                   QByteArray(TARN_ARGVDUMP) + " --from-menu %F\n");
        file.close();
        const QProcessEnvironment saved = environment;
        const QString dump = root.filePath("argv.txt");
        environment.insert("TARN_ARGV_DUMP", dump);
        environment.insert("XDG_DATA_HOME", root.filePath("home"));
        environment.insert("XDG_DATA_DIRS", root.filePath("share"));
        QProcess* tarn = startTarn(root.path());
        const QString window = mainWindow(tarn);
        QCOMPARE(runTarn(root.path(), {"--import-applications"}), 0);
        environment = saved;
        QVERIFY(!window.isEmpty());
        QVERIFY(waitUntil([&] { return readFile(root.filePath("Data/Data")).contains(entry.toUtf8()); }));
        x("xdotool", {"key", "alt+grave"});
        QVERIFY(waitViewable(window, false));
        x("xdotool", {"key", "alt+grave"});
        QVERIFY(waitViewable(window, true));
        QVERIFY(waitUntil([&] { return x("xdotool", {"getactivewindow"}) == window; }));
        x("xdotool", {"type", "--delay", "40", "menu rec"});
        x("xdotool", {"key", "Return"});
        QTRY_COMPARE(readFile(dump), (QDir::homePath() + "\n[--from-menu]\n").toUtf8());
    }

    void terminationWritesTheCatalog() {
        QTemporaryDir root;
        QProcess* tarn = startTarn(root.path());
        QVERIFY(!mainWindow(tarn).isEmpty());
        ::kill(static_cast<pid_t>(tarn->processId()), SIGTERM);
        QVERIFY(waitFinished(tarn));
        QCOMPARE(tarn->exitCode(), 0);
        QCOMPARE(readFile(root.filePath(QStringLiteral("Data/Data"))),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
    }

    // The language is picked at start: under a German locale a Tarn speaks
    // English, from its warnings to the names of a first run; --lang wins.
    void theLocalePicksTheLanguage() {
        struct Restore {
            QProcessEnvironment& environment;
            const QProcessEnvironment saved;
            ~Restore() { environment = saved; }
        } restore{environment, environment};
        environment.remove("LANGUAGE");
        environment.remove("LC_ALL");
        environment.remove("LC_MESSAGES");
        environment.insert("LANG", "de_DE.UTF-8");
        QTemporaryDir first;
        QTemporaryDir second;
        QProcess* chinese = startTarn(first.path(), {"--lang", "zh_CN"});
        QVERIFY(!mainWindow(chinese).isEmpty());
        // The second one cannot take the hotkey the first holds, and says so.
        QProcess* english = startTarn(second.path());
        QString box;
        for (int tries = 0; tries < 100 && box.isEmpty(); ++tries) {
            box = x("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                                QString::number(english->processId()), "--name", "^Warning$"});
            QTest::qWait(100);
        }
        QVERIFY2(!box.isEmpty(), "no English warning box from the second Tarn");
        // Until the box is answered the second Tarn is still being built.
        QVERIFY(activate(box));
        x("xdotool", {"key", "Return"});
        QVERIFY(!mainWindow(english).isEmpty());
        for (QProcess* tarn : {chinese, english}) {
            ::kill(static_cast<pid_t>(tarn->processId()), SIGTERM);
            QVERIFY(waitFinished(tarn));
        }
        QCOMPARE(readFile(first.filePath("Data/Data")),
                 json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}"));
        QCOMPARE(readFile(second.filePath("Data/Data")),
                 json("{'type':[{'name':'Default category','group':[{'name':'Default group','item':[]}]}]}"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
