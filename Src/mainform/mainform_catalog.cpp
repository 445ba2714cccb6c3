// SPDX-License-Identifier: GPL-3.0-or-later
// Loading, normalising and saving the Catalog: the write a moment after each
// edit, and following changes that others make to the file.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "app/startuppreload.h"
#include "catalog/catalogstore.h"
#include "platform/datapaths.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

namespace {

// Long enough to gather a burst of edits into one write, short enough that
// a crash loses next to nothing.
constexpr int kAutosaveDelayMs = 1000;
// A modal dialog or a drag may hold on to a piece of the Catalog: follow a
// change from elsewhere only once it is over.
constexpr int kBusyRetryMs = 500;

} // namespace

void MainForm::loadCatalog() {
    catalogFile.setFileName(datapaths::catalogFile());
    catalogstore::LoadResult result;
    if (!StartupPreload::takeCatalog(catalogFile.fileName(), catalog, result))
        result = catalogstore::load(catalogFile.fileName(), catalog);
    catalogFileKept = result.keepFileAsIs;
    catalogOpenFailed = result.openFailed;
    // Watched once the window is up.
    catalogSync.follow(catalogFile.fileName(), result.stamp, false);
    connect(&catalogSync, &CatalogSync::changedElsewhere, this, &MainForm::followOutsideChange);
    autosaveTimer.setSingleShot(true);
    autosaveTimer.setInterval(kAutosaveDelayMs);
    connect(&autosaveTimer, &QTimer::timeout, this, &MainForm::autosave);
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

void MainForm::initTypeList() {
    if (catalog.IsNull())
        catalog.SetObject();
    if (!catalog.HasMember(catalog::kType)) {
        catalog.AddMember(rapidjson::StringRef(catalog::kType), catalog::Value(rapidjson::kArrayType),
                          catalog.GetAllocator());
        jsonTypeItmeAdd();
    } else {
        fillTypeList();
    }
}

void MainForm::catalogEdited() {
    searchCatalogEdited();
    // Normalising the Catalog while the window is built is no edit.
    if (!tracksEdits)
        return;
    ++edits;
    catalogDirty = true;
    autosaveTimer.start();
}

bool MainForm::saveCatalog(QString* error) {
    // A write under way ends first: the two never race for the file.
    takeBackgroundWrite(nullptr);
    if (catalogFileKept)
        return false;
    return takeWritten(catalogSync.write(catalog), edits, error);
}

bool MainForm::takeWritten(const CatalogSync::Write& result, quint64 editsWritten, QString* error) {
    if (!result.otherVersion.isEmpty())
        keptCopy = result.otherVersion;
    if (error)
        *error = result.error;
    if (result.written && editsWritten == edits) {
        catalogDirty = false;
        autosaveTimer.stop();
    }
    return result.written;
}

bool MainForm::takeBackgroundWrite(QString* error) {
    if (!backgroundWrite.valid())
        return false;
    const CatalogSync::Write result = backgroundWrite.get();
    catalogSync.take(result);
    return takeWritten(result, editsInWrite, error);
}

MainForm::WriteOutcome MainForm::writeCatalog(QString* error) {
    return outcomeOf(saveCatalog(error), error);
}

MainForm::WriteOutcome MainForm::outcomeOf(bool written, QString* error) const {
    if (written)
        return WriteOutcome::Written;
    if (catalogOpenFailed) {
        if (!catalogDirty)
            return WriteOutcome::NotNeeded;
        if (error)
            *error = tr("配置文件在启动时无法打开，修改无法写入。\nTarn 尝试的位置：%1")
                         .arg(QDir::toNativeSeparators(catalogSync.path()));
        return WriteOutcome::CannotOpen;
    }
    // Kept as found by design; the user was told at start.
    return catalogFileKept ? WriteOutcome::NotNeeded : WriteOutcome::Failed;
}

void MainForm::reportWrite(WriteOutcome outcome, const QString& error) {
    switch (outcome) {
    case WriteOutcome::Written:
        saveFailureShown = false;
        break;
    case WriteOutcome::NotNeeded:
        break;
    case WriteOutcome::Failed:
        if (!saveFailureShown) {
            saveFailureShown = true;
            QMessageBox::warning(this, tr("警告"), tr("配置文件保存失败：%1").arg(error));
        }
        break;
    case WriteOutcome::CannotOpen:
        if (!cannotOpenShown) {
            cannotOpenShown = true;
            QMessageBox::warning(this, tr("警告"), error);
        }
        break;
    }
    tellKeptCopy();
}

void MainForm::tellKeptCopy() {
    if (keptCopy.isEmpty() || keptCopy == toldCopy)
        return;
    toldCopy = keptCopy;
    QMessageBox::information(this, tr("提示"),
                             tr("配置文件在 Tarn 之外被修改过。那个版本已保留在：\n%1\n"
                                "Tarn 的内容已写入配置文件。")
                                 .arg(QDir::toNativeSeparators(keptCopy)));
}

void MainForm::autosave() {
    // One write at a time; its end starts the timer again if edits came meanwhile.
    if (backgroundWrite.valid())
        return;
    if (catalogFileKept) {
        QString error;
        const WriteOutcome outcome = writeCatalog(&error);
        reportWrite(outcome, error);
        return;
    }
    // The copy is the snapshot: taking it is quick, serialising and the
    // checked replace are not.
    editsInWrite = edits;
    const CatalogSync::Job job = catalogSync.prepare(catalog);
    backgroundWrite = std::async(std::launch::async, [this, job] {
        CatalogSync::Write result = CatalogSync::run(job);
        QMetaObject::invokeMethod(this, &MainForm::backgroundWriteDone, Qt::QueuedConnection);
        return result;
    });
}

void MainForm::backgroundWriteDone() {
    if (!backgroundWrite.valid())
        return; // already taken by a synchronous write
    QString error;
    const bool written = takeBackgroundWrite(&error);
    reportWrite(outcomeOf(written, &error), error);
    if (catalogDirty && !autosaveTimer.isActive())
        autosaveTimer.start();
}

void MainForm::followOutsideChange() {
    // Edits not yet written win; the next write keeps the other version.
    if (catalogDirty || autosaveTimer.isActive() || backgroundWrite.valid())
        return;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || drag.object) {
        catalogSync.checkLater(kBusyRetryMs);
        return;
    }
    catalog::Document fresh;
    // A file that is not whole is left to the next write, which keeps a copy.
    if (!catalogSync.reread(fresh))
        return;
    updateCurrentRows();
    const int type = typeRow;
    const int group = groupRow;
    // Swapped, not copied: a copy would stay in the pool beside the old tree
    // for as long as Tarn runs, once more for every change from elsewhere.
    catalog.Swap(fresh);
    // Not an edit of Tarn's (nothing to write), but the index's places are old.
    searchCatalogEdited();
    fillTypeList();
    QListWidget* types = ui->listWidget_type;
    if (types->count() > 0)
        types->setCurrentRow(type >= 0 && type < types->count() ? type : 0);
    QListWidget* groups = ui->listWidget_group;
    if (group >= 0 && group < groups->count())
        groups->setCurrentRow(group);
}
