// Editing commands reached from the context menus.
#include "mainform/mainform.h"

#include "ui_mainform.h"

void MainForm::jsonTypeItmeAdd() {
    catalog::Value* types = jsonTypes();
    if (!types)
        return;
    types->PushBack(catalog::defaultType(catalogAllocator), catalogAllocator);
    fillTypeList();
    ui->listWidget_type->setCurrentRow(ui->listWidget_type->count() - 1);
}

void MainForm::jsonTypeItmeRename() {}
void MainForm::jsonTypeItmeDelete() {}
void MainForm::jsonGroupItmeAdd() {}
void MainForm::jsonGroupItmeMove() {}
void MainForm::jsonGroupItmeDelete() {}
void MainForm::jsonGroupItmeDeleteAll() {}
void MainForm::jsonGroupItmeRename() {}
void MainForm::jsonItmeAdd() {}
void MainForm::jsonItmeDelete() {}
void MainForm::jsonItmeRename() {}
void MainForm::jsonItmeMove() {}
void MainForm::jsonItmeClear() {}
void MainForm::openFormAttribute() {}
