// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/applicationimport.h"

#include "app/language.h"
#include "catalog/catalogdocument.h"

#include <QApplication>
#include <QMessageBox>

namespace {
// Longer than this, and the pointer says Tarn is busy.
constexpr int kBusyAfterMs = 500;
// The question lists this many names at most.
constexpr int kListedNames = 15;
} // namespace

ApplicationImport::ApplicationImport(CatalogDocument& doc, QWidget* parentWindow)
    : QObject(parentWindow), document(doc), window(parentWindow) {
    busyDelay.setSingleShot(true);
    busyDelay.setInterval(kBusyAfterMs);
    connect(&busyDelay, &QTimer::timeout, this, [this] { setBusy(true); });
    connect(&scan, &ApplicationScan::finished, this, &ApplicationImport::scanned);
}

catalog::ImportNames ApplicationImport::names() {
    return {tr("应用程序"),
            {tr("影音"), tr("开发"), tr("教育"), tr("游戏"), tr("图像"), tr("网络"), tr("办公"), tr("科学"),
             tr("设置"), tr("系统"), tr("工具"), tr("其他")}};
}

void ApplicationImport::start(bool tellOutcome) {
    // A second request while one runs joins it.
    tell = tell || tellOutcome;
    if (scan.isRunning())
        return;
    folders = ApplicationScan::menuFolders();
    scan.start(folders, applicationmenu::currentDesktops(), language::lookupOrderFromEnvironment());
    busyDelay.start();
}

void ApplicationImport::setBusy(bool on) {
    if (on == busy)
        return;
    busy = on;
    if (on)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ApplicationImport::scanned(const QVector<applicationmenu::Application>& applications) {
    busyDelay.stop();
    setBusy(false);
    const catalog::ImportNames typeNames = names();
    int added = 0;
    int typeRow = -1;
    {
        auto edit = document.edit();
        added = catalog::importApplications(edit.doc(), applications, typeNames, folders);
        if (added == 0)
            edit.cancel();
        const catalog::Value* typeList = catalog::types(edit.doc());
        for (int t = 0; typeList && t < int(typeList->Size()); ++t) {
            if (catalog::memberText((*typeList)[t], catalog::kName) == typeNames.type) {
                typeRow = t;
                break;
            }
        }
    }
    if (added > 0)
        emit imported(typeRow);
    const bool told = tell;
    tell = false;
    askAboutGone();
    if (told)
        QMessageBox::information(window, tr("导入应用程序"),
                                 added > 0 ? tr("已导入 %n 个应用程序。", nullptr, added)
                                           : tr("没有新的应用程序。"));
}

void ApplicationImport::askAboutGone() {
    const QVector<catalog::GoneEntry> gone = catalog::goneApplications(document.doc(), folders);
    if (gone.isEmpty())
        return;
    QStringList listed;
    for (const catalog::GoneEntry& entry : gone) {
        if (listed.size() == kListedNames) {
            listed << tr("……以及另外 %n 个", nullptr, gone.size() - kListedNames);
            break;
        }
        listed << entry.name;
    }
    const auto answer =
        QMessageBox::question(window, tr("导入应用程序"),
                              tr("这些项目的应用程序已不再安装：\n\n%1\n\n从目录中删除这些项目吗？")
                                  .arg(listed.join(QLatin1Char('\n'))));
    if (answer != QMessageBox::Yes)
        return;
    {
        // Found again: the catalog may have changed while the question was open.
        auto edit = document.edit();
        const QVector<catalog::GoneEntry> now = catalog::goneApplications(edit.doc(), folders);
        if (now.isEmpty()) {
            edit.cancel();
            return;
        }
        catalog::removeEntries(edit.doc(), now);
    }
    emit imported(-1);
}
