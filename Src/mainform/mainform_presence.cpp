// SPDX-License-Identifier: GPL-3.0-or-later
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
        configSettings->value(settingkeys::hotKeyShowAndHide, QString(settingkeys::defaultHotKey)).toString();
    hotKey = std::make_unique<GlobalHotkey>(QKeySequence(hotKeyShowAndHide, QKeySequence::NativeText), true);
    // On Wayland the desktop answers later, through hotKeyAnswered().
    connect(hotKey.get(), &GlobalHotkey::registrationFinished, this, &MainForm::hotKeyAnswered);
    const bool registered = hotKey->property("registered").toBool();
    if (registered || hotKey->isPending())
        connect(hotKey.get(), &GlobalHotkey::activated, this, &MainForm::showAndHide);
    else
        reportHotKeyFailure();
    return registered;
}

void MainForm::hotKeyReset() {
    // Released now, not at the next turn of the event loop: a late release of
    // the old grab would also drop the new one when both are the same keys.
    hotKey.reset();
    hotKeyPaused = false;
    announceHotKey = true;
    const bool registered = setupHotKey();
    if (!hotKey->isPending())
        announceHotKey = false;
    if (registered && hotKeyRecording)
        pauseHotKey(true);
    if (registered)
        QMessageBox::information(this, tr("提示"), tr("热键修改成功"), tr("已知晓"), QString(), QString(), 0,
                                 -1);
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
    const WriteOutcome outcome = writeState(&error);
    reportWrite(outcome, error);
    event->ignore();
}

MainForm::WriteOutcome MainForm::writeState(QString* error) {
    configSettings->setValue(settingkeys::formHeight, height());
    configSettings->setValue(settingkeys::formWidth, width());
    QString settingsError;
    const bool settingsSaved = configSettings->sync(&settingsError);
    WriteOutcome outcome = writeCatalog(error);
    if (!settingsSaved) {
        const bool catalogFine = outcome == WriteOutcome::Written || outcome == WriteOutcome::NotNeeded;
        if (error)
            *error = catalogFine ? settingsError : *error + QLatin1Char('\n') + settingsError;
        if (catalogFine)
            outcome = WriteOutcome::Failed;
    }
    return outcome;
}

bool MainForm::saveState(QString* error) {
    const WriteOutcome outcome = writeState(error);
    return outcome == WriteOutcome::Written || outcome == WriteOutcome::NotNeeded;
}

void MainForm::runCommand(InstanceCommand command) {
    switch (command) {
    case InstanceCommand::Show:
        if (isHidden() || isMinimized())
            showAndHide();
        // Asked for by the user's own start of Tarn: bring it forward too.
        raise();
        activateWindow();
        break;
    case InstanceCommand::Hide:
        if (!isHidden())
            setHidden(true);
        break;
    case InstanceCommand::Toggle:
        showAndHide();
        break;
    case InstanceCommand::Quit:
        quitTarn();
        break;
    case InstanceCommand::None:
        break;
    }
}

void MainForm::quitTarn() {
    QString error;
    while (!saveState(&error)) {
        const auto answer = QMessageBox::warning(
            this, tr("警告"), tr("配置文件保存失败：%1\n仍然退出吗？未保存的修改将会丢失。").arg(error),
            QMessageBox::Retry | QMessageBox::Yes | QMessageBox::No, QMessageBox::Retry);
        if (answer == QMessageBox::Yes)
            break;
        if (answer != QMessageBox::Retry)
            return;
    }
    tellKeptCopy();
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
    showDesktopBindingInSettings();
    connect(formSettings, &FormSettings::hotKeyRecording, this, &MainForm::pauseHotKey);
    // Closed while the key editor had the focus: the grab comes back.
    connect(formSettings, &QObject::destroyed, this, [this] { pauseHotKey(false); });
}
