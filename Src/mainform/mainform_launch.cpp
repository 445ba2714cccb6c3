// SPDX-License-Identifier: GPL-3.0-or-later
// Launching Items, opening their folder and copying their path.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "settings/appsettings.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>

void MainForm::openThis() {
    const catalog::Value* item = jsonItem();
    if (!item)
        return;
    launch(launch::planOpen(catalog::kindOf(*item), catalog::memberText(*item, catalog::kPath),
                            catalog::memberText(*item, catalog::kParam)));
}

void MainForm::openThisDir() {
    const catalog::Value* item = jsonItem();
    if (!item)
        return;
    launch(launch::planOpenDir(catalog::kindOf(*item), catalog::memberText(*item, catalog::kPath)));
}

void MainForm::copyThisDir() {
    const catalog::Value* item = jsonItem();
    if (!item)
        return;
    QGuiApplication::clipboard()->setText(catalog::memberText(*item, catalog::kPath), QClipboard::Clipboard);
}

void MainForm::launch(const launch::Plan& plan) {
    switch (plan.road) {
    case launch::Road::StartProgram:
        QProcess::startDetached(plan.program, plan.arguments, plan.workingDirectory);
        break;
    case launch::Road::OpenUrl:
        QDesktopServices::openUrl(plan.url);
        break;
    case launch::Road::InvalidTarget:
        askRemoveInvalidItem();
        return;
    }
    // The hand-over counts as the launch, whether or not the platform succeeds.
    if (formOpenThenHide)
        hide();
}

void MainForm::askRemoveInvalidItem() {
    const auto answer = QMessageBox::question(
        this, QStringLiteral("警告"),
        QStringLiteral("这个目标无效，因为它可能被删除或者移动了\n删除这个无效的项目吗？"));
    if (answer != QMessageBox::Yes)
        return;
    // The rows are read again: the box kept the event loop running.
    catalog::Value* items = jsonItems();
    if (!items || itemRow < 0)
        return;
    jsonEraseAt(*items, itemRow);
    catalogEdited();
    groupCurrentRowChanged(groupRow);
}
