// SPDX-License-Identifier: GPL-3.0-or-later
// Launching Items, opening their folder and copying their path.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "desktop/applicationactivation.h"
#include "mainform/searchpanel.h"
#include "settings/appsettings.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>

void MainForm::openThis() {
    const search::ItemRef ref = currentItemRef();
    const catalog::Value* item = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
    if (!item)
        return;
    const launch::Plan plan =
        launch::planOpen(catalog::kindOf(*item), catalog::memberText(*item, catalog::kPath),
                         catalog::memberText(*item, catalog::kParam));
    if (plan.road != launch::Road::InvalidTarget && plan.road != launch::Road::NoTerminal)
        searchPanel->recordLaunch(*item);
    launch(plan, ref);
}

void MainForm::openThisDir() {
    const search::ItemRef ref = currentItemRef();
    const catalog::Value* item = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
    if (!item)
        return;
    launch(launch::planOpenDir(catalog::kindOf(*item), catalog::memberText(*item, catalog::kPath)), ref);
}

void MainForm::copyThisDir() {
    const catalog::Value* item = jsonItem();
    if (!item)
        return;
    QGuiApplication::clipboard()->setText(catalog::memberText(*item, catalog::kPath), QClipboard::Clipboard);
}

void MainForm::launch(const launch::Plan& plan, const search::ItemRef& ref) {
    switch (plan.road) {
    case launch::Road::StartProgram:
        QProcess::startDetached(plan.program, plan.arguments, plan.workingDirectory);
        for (const QStringList& arguments : plan.moreArguments)
            QProcess::startDetached(plan.program, arguments, plan.workingDirectory);
        break;
    case launch::Road::ActivateApplication:
        activateApplication(plan.busName, plan.objectPath, this, [this](const QString& reason) {
            QMessageBox::warning(this, tr("警告"), tr("无法启动这个应用程序：%1").arg(reason));
        });
        break;
    case launch::Road::NoTerminal:
        QMessageBox::warning(this, tr("警告"),
                             tr("这个程序要在终端里运行，但没有找到终端程序。\n"
                                "请安装一个终端（如 xterm），或用环境变量 TERMINAL 指定它。"));
        return;
    case launch::Road::OpenUrl:
        QDesktopServices::openUrl(plan.url);
        break;
    case launch::Road::InvalidTarget:
        askRemoveInvalidItem(ref);
        return;
    }
    // The hand-over counts as the launch, whether or not the platform succeeds.
    if (formOpenThenHide)
        hide();
}

void MainForm::askRemoveInvalidItem(const search::ItemRef& ref) {
    const catalog::Value* asked = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
    const auto answer = QMessageBox::question(
        this, tr("警告"), tr("这个目标无效，因为它可能被删除或者移动了\n删除这个无效的项目吗？"));
    if (answer == QMessageBox::Yes)
        eraseItem(ref, asked);
}

void MainForm::refreshItemGrid() {
    updateCurrentRows();
    groupCurrentRowChanged(groupRow);
}
