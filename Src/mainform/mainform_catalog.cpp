// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the catalog document: what loading it found, and the
// lists following a change made to the file elsewhere.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

void MainForm::loadCatalog(const CatalogSource& preloaded) {
    const QString path = datapaths::catalogFile();
    const catalogstore::LoadResult result = document.open(path, preloaded ? preloaded(path) : std::nullopt);
    // A modal dialog or a drag may hold on to a piece of the Catalog.
    document.setBusyCheck([this] {
        return QApplication::activeModalWidget() || QApplication::activePopupWidget() || dragging();
    });
    connect(&document, &CatalogDocument::reloaded, this, &MainForm::catalogReloaded);
    connect(&document, &CatalogDocument::writeFinished, this,
            [this](CatalogDocument::Outcome outcome, const QString& error, const QString& keptCopy) {
                writeReporter.report(outcome, error, keptCopy);
            });
    if (result.openFailed)
        QMessageBox::warning(this, tr("警告"), tr("配置文件打开出现错误！"), QMessageBox::Ok,
                             QMessageBox::NoButton);
    if (!result.backupPath.isEmpty()) {
        QMessageBox::information(this, tr("提示"),
                                 tr("配置文件不能完整读取，只显示了其中可用的内容。\n原文件已复制到：\n%1")
                                     .arg(QDir::toNativeSeparators(result.backupPath)));
    } else if (result.backupFailed) {
        QMessageBox::information(this, tr("提示"),
                                 tr("配置文件不能完整读取，且无法复制原文件。\n"
                                    "为保护原文件，本次运行不会写入它。"));
    }
}

void MainForm::tellSideFilesKept() {
    const std::pair<QString, QString> kept[] = {
        {configSettings->keptCopy(),
         tr("设置文件不能完整读取，Tarn 只使用了其中可用的设置。\n原文件已复制到：\n%1")},
        {searchPanel->usageCopy(),
         tr("启动次数记录不能完整读取，Tarn 只使用了其中可用的记录。\n原文件已复制到：\n%1")},
    };
    for (const auto& [copy, text] : kept)
        if (!copy.isEmpty())
            QMessageBox::information(this, tr("提示"), text.arg(QDir::toNativeSeparators(copy)));
}

void MainForm::catalogReloaded() {
    // The lists still show the old tree: its rows are the ones to keep.
    const int type = ui->listWidget_type->currentRow();
    const int group = ui->listWidget_group->currentRow();
    fillTypeList();
    QListWidget* types = ui->listWidget_type;
    if (types->count() > 0)
        types->setCurrentRow(type >= 0 && type < types->count() ? type : 0);
    QListWidget* groups = ui->listWidget_group;
    if (group >= 0 && group < groups->count())
        groups->setCurrentRow(group);
}

bool MainForm::saveCatalog(QString* error) {
    return document.save(error);
}
