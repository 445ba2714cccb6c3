// Showing and hiding the window: hotkey, tray, Esc and the close request.
#include "mainform/mainform.h"

#include "settings/appsettings.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QSettings>

void MainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        showAndHide();
}

void MainForm::closeEvent(QCloseEvent* event) {
    setHidden(true);
    configSettings->setValue(settingkeys::formHeight, height());
    configSettings->setValue(settingkeys::formWidth, width());
    saveCatalog();
    event->ignore();
}

void MainForm::showAndHide() {}
void MainForm::trayAction(QSystemTrayIcon::ActivationReason) {}
void MainForm::openFormSettings() {}
void MainForm::hotKeyReset() {}
