// SPDX-License-Identifier: GPL-3.0-or-later
// Showing and hiding the window: the hotkey's and the tray's requests, Esc,
// the close request, and the way out.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "dialogs/formsettings.h"
#include "mainform/applicationimport.h"
#include "mainform/presence.h"
#include "mainform/searchpanel.h"
#include "mainform/windowplacement.h"
#include "settings/appsettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

void MainForm::hotKeyReset() {
    presence->hotKeyReset();
}

void MainForm::trayAction(QSystemTrayIcon::ActivationReason action) {
    if (action == QSystemTrayIcon::Context) {
        createMenus();
        trayMenu->exec(QCursor::pos());
    } else if (action == QSystemTrayIcon::Trigger) {
        showAndHide();
    }
}

namespace {

// The window manager's frame around `window`, as far as it is known yet.
QMargins frameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

} // namespace

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
            const QMargins frame = frameOf(this);
            resize(placement::fitted(size(), area, frame));
            move(placement::atPointer(pointer, size().grownBy(frame), area));
        }
    } else {
        setHidden(true);
    }
}

void MainForm::windowShown() {
    searchPanel->end();
    ui->listWidget_item->setFocus(Qt::OtherFocusReason);
    // Keyboard-first: typing right after the hotkey has to land here.
    activateWindow();
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        leaveWindow();
}

MainForm::Leaving MainForm::askHowToLeave() {
    if (presence->canCallBack())
        return Leaving::Hide;
    QMessageBox box(QMessageBox::Question, tr("提示"),
                    tr("没有托盘图标和快捷键可以唤回窗口。隐藏窗口还是退出 Tarn？"), QMessageBox::NoButton,
                    this);
    box.setInformativeText(tr("隐藏后，再次启动 Tarn 可以唤回窗口。"));
    QPushButton* hide = box.addButton(tr("隐藏窗口"), QMessageBox::AcceptRole);
    QPushButton* quit = box.addButton(tr("退出 Tarn"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(tr("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(hide);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == hide)
        return Leaving::Hide;
    return box.clickedButton() == quit ? Leaving::Quit : Leaving::Stay;
}

void MainForm::leaveWindow() {
    switch (askHowToLeave()) {
    case Leaving::Hide:
        setHidden(true);
        break;
    case Leaving::Quit:
        quitTarn();
        break;
    case Leaving::Stay:
        break;
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    // At logout the session closes every window: no time for questions.
    const Leaving leaving = qApp->isSavingSession() ? Leaving::Hide : askHowToLeave();
    if (leaving == Leaving::Quit)
        quitTarn();
    if (leaving != Leaving::Hide)
        return;
    setHidden(true);
    QString error;
    const CatalogDocument::Outcome outcome = writeState(&error);
    writeReporter.report(outcome, error, document.takeUntoldCopy());
}

CatalogDocument::Outcome MainForm::writeState(QString* error) {
    using Outcome = CatalogDocument::Outcome;
    configSettings->setValue(settingkeys::formHeight, height());
    configSettings->setValue(settingkeys::formWidth, width());
    QString settingsError;
    const bool settingsSaved = configSettings->sync(&settingsError);
    Outcome outcome = document.write(error);
    if (!settingsSaved) {
        const bool catalogFine = outcome == Outcome::Written || outcome == Outcome::NotNeeded;
        if (error)
            *error = catalogFine ? settingsError : *error + QLatin1Char('\n') + settingsError;
        if (catalogFine)
            outcome = Outcome::Failed;
    }
    return outcome;
}

bool MainForm::saveState(QString* error) {
    const CatalogDocument::Outcome outcome = writeState(error);
    return outcome == CatalogDocument::Outcome::Written || outcome == CatalogDocument::Outcome::NotNeeded;
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
    case InstanceCommand::ImportApplications:
        importer().start(false);
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
    writeReporter.tellKeptCopy(document.takeUntoldCopy());
    // Not quit(): Qt 6 makes that a request which closes the windows first,
    // and closing this one asks how to leave or hides it.
    QCoreApplication::exit(0);
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
    // Wholly on the screen, as this window is: at a large scale the screen
    // may be smaller than the settings window's own size. It is not framed
    // before it is shown; this window's frame, from the same window manager,
    // stands in for its own.
    const QRect area = screenAreaAt(QCursor::pos());
    formSettings->fitInto(placement::fitted(formSettings->size(), area, frameOf(this)));
    formSettings->show();
    const QRect outer = formSettings->frameGeometry();
    if (area.isValid() && !area.contains(outer))
        formSettings->move(placement::within(outer.topLeft(), outer.size(), area));
    connect(formSettings, &FormSettings::hotKeyReset, this, &MainForm::hotKeyReset);
    presence->attachSettings(formSettings);
}
