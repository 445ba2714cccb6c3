// Loading, normalising and saving the Catalog.
#include "mainform/mainform.h"

#include "app/datapaths.h"
#include "catalog/catalogstore.h"

#include <QDir>
#include <QMessageBox>

void MainForm::loadCatalog() {
    catalogFile.setFileName(QString::fromLatin1(datapaths::catalogFile));
    const catalogstore::LoadResult result = catalogstore::load(catalogFile.fileName(), catalog);
    catalogFileKept = result.keepFileAsIs;
    catalogOpenFailed = result.openFailed;
    if (result.openFailed)
        QMessageBox::warning(this, QStringLiteral("警告"), QStringLiteral("配置文件打开出现错误！"),
                             QMessageBox::Ok, QMessageBox::NoButton);
    if (!result.backupPath.isEmpty()) {
        QMessageBox::information(
            this, QStringLiteral("提示"),
            QStringLiteral("配置文件不能完整读取，只显示了其中可用的内容。\n原文件已复制到：\n%1")
                .arg(QDir::toNativeSeparators(result.backupPath)));
    } else if (result.backupFailed) {
        QMessageBox::information(this, QStringLiteral("提示"),
                                 QStringLiteral("配置文件不能完整读取，且无法复制原文件。\n"
                                                "为保护原文件，本次运行不会写入它。"));
    }
}

void MainForm::initTypeList() {
    if (catalog.IsNull())
        catalog.SetObject();
    if (!catalog.HasMember(catalog::kType)) {
        catalog.AddMember(rapidjson::StringRef(catalog::kType), catalog::Value(rapidjson::kArrayType),
                          catalogAllocator);
        jsonTypeItmeAdd();
    } else {
        fillTypeList();
    }
}

void MainForm::catalogEdited() {
    searchCatalogEdited();
}

bool MainForm::saveCatalog(QString* error) {
    if (catalogFileKept)
        return false;
    return catalogstore::save(catalogFile.fileName(), catalog, error);
}
