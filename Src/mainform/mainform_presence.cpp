// Showing and hiding the window: hotkey, tray, Esc, the close request, and
// the way out.
#include "mainform/mainform.h"

#include "dialogs/formsettings.h"
#include "hotkey/globalhotkey.h"
#include "mainform/windowplacement.h"
#include "settings/appsettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

bool MainForm::setupHotKey() {
    hotKeyShowAndHide =
        configSettings->value(settingkeys::hotKeyShowAndHide, QString::fromLatin1(settingkeys::defaultHotKey))
            .toString();
    hotKey = new GlobalHotkey(QKeySequence(hotKeyShowAndHide, QKeySequence::NativeText), true, nullptr);
    const bool registered = hotKey->property("registered").toBool();
    if (registered) {
        connect(hotKey, &GlobalHotkey::activated, this, &MainForm::showAndHide);
    } else {
        QMessageBox::warning(this, QStringLiteral("警告"),
                             QStringLiteral("显示隐藏热键( ") + hotKeyShowAndHide +
                                 QStringLiteral(" ) 注册失败，可能发生了热键冲突"),
                             QStringLiteral("已知晓"), QString(), QString(), 0, -1);
    }
    return registered;
}

void MainForm::hotKeyReset() {
    // Released now, not at the next turn of the event loop: a late release of
    // the old grab would also drop the new one when both are the same keys.
    delete hotKey;
    hotKey = nullptr;
    hotKeyPaused = false;
    const bool registered = setupHotKey();
    if (registered && hotKeyRecording)
        pauseHotKey(true);
    if (registered)
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("热键修改成功"),
                                 QStringLiteral("已知晓"), QString(), QString(), 0, -1);
}

void MainForm::pauseHotKey(bool pause) {
    // Only a grab this pause released is taken again: a hotkey that failed
    // to register stays as it was.
    hotKeyRecording = pause;
    if (pause && hotKey && hotKey->isRegistered()) {
        hotKey->setRegistered(false);
        hotKeyPaused = true;
    } else if (!pause && hotKeyPaused) {
        hotKeyPaused = false;
        if (hotKey)
            hotKey->setRegistered(true);
    }
}

void MainForm::setupTray() {
    trayIcon = new QSystemTrayIcon(this);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainForm::trayAction);
    trayIcon->setIcon(QIcon(QStringLiteral(":/img/App.ico")));
    trayIcon->setToolTip(QStringLiteral("Tarn"));
    trayIcon->setVisible(true);
}

void MainForm::trayAction(QSystemTrayIcon::ActivationReason action) {
    if (action == QSystemTrayIcon::Context)
        trayMenu->exec(QCursor::pos());
    else if (action == QSystemTrayIcon::Trigger)
        showAndHide();
}

QRect MainForm::screenAreaAt(QPoint point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void MainForm::showAndHide() {
    if (isHidden() || isMinimized()) {
        showNormal();
        if (formCursorPos) {
            // Wholly on the screen under the pointer, even when it was sized
            // on a larger one.
            const QPoint pointer = QCursor::pos();
            const QRect area = screenAreaAt(pointer);
            const QRect outer = frameGeometry();
            const QRect inner = geometry();
            const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom());
            resize(placement::fitted(size(), area, frame));
            move(placement::atPointer(pointer, size().grownBy(frame), area));
        }
    } else {
        setHidden(true);
    }
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        showAndHide();
}

void MainForm::closeEvent(QCloseEvent* event) {
    setHidden(true);
    QString error;
    if (!saveState(&error))
        QMessageBox::warning(this, QStringLiteral("警告"), QStringLiteral("配置文件保存失败：%1").arg(error));
    event->ignore();
}

bool MainForm::saveState(QString* error) {
    configSettings->setValue(settingkeys::formHeight, height());
    configSettings->setValue(settingkeys::formWidth, width());
    QString settingsError;
    const bool settingsSaved = configSettings->sync(&settingsError);
    // A file kept as found, or one that could not be opened at start, is not
    // written by design; the user was told when Tarn started.
    const bool catalogSaved = saveCatalog(error) || catalogFileKept || catalogOpenFailed;
    if (!settingsSaved && error)
        *error = catalogSaved ? settingsError : *error + QLatin1Char('\n') + settingsError;
    return settingsSaved && catalogSaved;
}

void MainForm::quitTarn() {
    QString error;
    while (!saveState(&error)) {
        const auto answer = QMessageBox::warning(
            this, QStringLiteral("警告"),
            QStringLiteral("配置文件保存失败：%1\n仍然退出吗？未保存的修改将会丢失。").arg(error),
            QMessageBox::Retry | QMessageBox::Yes | QMessageBox::No, QMessageBox::Retry);
        if (answer == QMessageBox::Yes)
            break;
        if (answer != QMessageBox::Retry)
            return;
    }
    qApp->quit();
}

void MainForm::openFormSettings() {
    if (formSettingsOpen && formSettings) {
        formSettings->activateWindow();
        return;
    }
    formSettingsOpen = true;
    formSettings = new FormSettings();
    formSettings->setAttribute(Qt::WA_DeleteOnClose);
    formSettings->setWindowFlags(formSettings->windowFlags() | Qt::WindowStaysOnTopHint);
    formSettings->show();
    connect(formSettings, &FormSettings::hotKeyReset, this, &MainForm::hotKeyReset);
    connect(formSettings, &FormSettings::hotKeyRecording, this, &MainForm::pauseHotKey);
    // Closed while the key editor had the focus: the grab comes back.
    connect(formSettings, &QObject::destroyed, this, [this] { pauseHotKey(false); });
}
