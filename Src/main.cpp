// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/highdpi.h"
#include "app/language.h"
#include "app/singleinstance.h"
#include "app/startuppreload.h"
#include "app/systemfonts.h"
#include "app/translations.h"
#include "catalog/catalogstore.h"
#include "mainform/mainform.h"
#include "platform/datapaths.h"
#include "platform/exitsignals.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSessionManager>

#include <cstdio>

namespace {

// How long a start that cannot lock the data folder looks for a Tarn
// listening on it.
constexpr int kLookWithoutLockMs = 300;

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("Tarn"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARN_VERSION));
    // Wayland's app id: a desktop finds the menu entry, and its icon, by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARN_APP_ID));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = parseCommandLine(arguments);
    if (commandLine.parserAnswers) {
        QCoreApplication app(argc, argv);
        return answerCommandLine(arguments);
    }
    const InstanceCommand command = commandLine.command;
    datapaths::use(datapaths::resolve(datapaths::builtLayout(), commandLine.dataFolder));
    datapaths::makeFolders(); // without them Tarn runs as without ../Data

    // One Tarn per data folder: a later start hands its command to the
    // first and ends, without a window, a tray icon or a hotkey of its own.
    SingleInstance instance(datapaths::dataFolder());
    const SingleInstance::Lock lock = instance.lock();
    const InstanceCommand handed = command == InstanceCommand::None ? InstanceCommand::Show : command;
    if (lock == SingleInstance::Lock::HeldElsewhere) {
        QCoreApplication app(argc, argv);
        if (instance.handOver(handed))
            return 0;
        std::fprintf(stderr, "Tarn: another Tarn holds %s but does not answer.\n",
                     qPrintable(instance.lockPath()));
        return 1;
    }
    // Without a lock only the socket tells whether a Tarn runs on the
    // folder. Asked briefly: mostly none does, and the start would wait.
    if (lock == SingleInstance::Lock::Unavailable) {
        QCoreApplication app(argc, argv);
        if (instance.handOver(handed, 5000, kLookWithoutLockMs))
            return 0;
    }
    if (command == InstanceCommand::Hide || command == InstanceCommand::Quit)
        return 0; // no Tarn runs: nothing to hide or end

    // Only the Tarn that holds the folder may clear what a killed save left.
    if (lock == SingleInstance::Lock::Held) {
        catalogstore::removeLeftovers(datapaths::catalogFile());
        catalogstore::removeLeftovers(datapaths::configFile());
    }
    StartupPreload preload(datapaths::catalogFile(), QStringLiteral("微软雅黑"));

    // Tarn draws only widgets: Qt's OpenGL integration would cost start-up
    // time and tens of megabytes for nothing.
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    enableHighDpi();
    QApplication app(argc, argv);
    preload.applicationStarted();
    language::rememberOption(commandLine.language);
    installTranslations(app, language::fromEnvironment(commandLine.language));
    QApplication::setFont(systemfonts::fontOf(preload.interfaceFace(), 10));
    MainForm window(nullptr, [&preload](const QString& path) { return preload.takeCatalog(path); });
    QObject::connect(&instance, &SingleInstance::commandReceived, &window, &MainForm::runCommand);
    if (instance.lockIsLink())
        QMessageBox::warning(
            &window, QCoreApplication::translate("Tarn", "警告"),
            QCoreApplication::translate("Tarn", "数据文件夹里的 Data.lock 是一个链接。为保护它指向的文件，"
                                                "Tarn 不使用它，因此无法发现同一文件夹的另一个 Tarn。\n"
                                                "请删除这个链接：%1")
                .arg(QDir::toNativeSeparators(instance.lockPath())));
    instance.setReady();
    // A later start waits for the door to open; the first frame comes first.
    QObject::connect(&window, &MainForm::startUpFinished, &instance, [&instance, &window] {
        if (!instance.listen())
            QMessageBox::warning(
                &window, MainForm::tr("警告"),
                SingleInstance::tr("无法监听本地连接：%1\n以后启动的 Tarn 无法把命令交给这个 Tarn。")
                    .arg(instance.listenError()));
    });

    // Started to import: the import follows the first frame, as a handed
    // over one would.
    if (command == InstanceCommand::ImportApplications)
        QObject::connect(&window, &MainForm::startUpFinished, &window,
                         [&window] { window.runCommand(InstanceCommand::ImportApplications); });

    // Whatever ends Tarn besides "退出" (logout, shutdown, a signal) still
    // writes the Catalog and the window size first.
    auto saveOnTheWayOut = [&window] {
        QString error;
        if (!window.saveState(&error))
            std::fprintf(stderr, "Tarn: the catalog could not be written: %s\n", qPrintable(error));
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [saveOnTheWayOut](QSessionManager&) { saveOnTheWayOut(); });
    onExitSignals([saveOnTheWayOut] {
        saveOnTheWayOut();
        // Not quit(), which Qt 6 lets the window refuse (see quitTarn()).
        QCoreApplication::exit(0);
    });

    window.show();
    const int code = app.exec();
    instance.stopListening();
    return code;
}
