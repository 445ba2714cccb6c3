// SPDX-License-Identifier: GPL-3.0-or-later
// Editing commands reached from the context menus. Each changes only the
// in-memory Catalog, reports the edit (catalogEdited) and rebuilds the list
// it touched.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "catalog/catalogedit.h"
#include "dialogs/formattribute.h"
#include "dialogs/formmove.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {

bool confirmed(QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, MainForm::tr("询问"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::NoButton) == QMessageBox::Yes;
}

// The new name, or an empty text for Cancel or an emptied field. Names are
// taken as typed, blanks included.
QString askName(QWidget* parent, const catalog::Value& entry, Qt::WindowFlags flags) {
    return QInputDialog::getText(parent, MainForm::tr("新名称"), MainForm::tr("请输入"), QLineEdit::Normal,
                                 catalog::memberText(entry, catalog::kName), nullptr, flags);
}

} // namespace

void MainForm::jsonTypeItmeAdd() {
    catalog::Value* types = jsonTypes();
    if (!types)
        return;
    types->PushBack(catalog::defaultType(catalog.GetAllocator()), catalog.GetAllocator());
    catalogEdited();
    fillTypeList();
    ui->listWidget_type->setCurrentRow(ui->listWidget_type->count() - 1);
}

void MainForm::jsonTypeItmeRename() {
    // typeRow was set when the menu opened on the Type.
    const int row = typeRow;
    catalog::Value* type = catalog::elementAt(jsonTypes(), row);
    if (!type)
        return;
    const QString name = askName(this, *type, Qt::WindowCloseButtonHint);
    if (name.isEmpty())
        return;
    catalog::setName(*type, name, catalog.GetAllocator());
    catalogEdited();
    fillTypeList();
    ui->listWidget_type->setCurrentRow(row);
}

void MainForm::jsonTypeItmeDelete() {
    const int row = typeRow;
    if (!catalog::elementAt(catalog::types(catalog), row) || !confirmed(this, tr("确定要删除这个分类嘛")))
        return;
    if (catalog::Value* types = jsonTypes())
        jsonEraseAt(*types, row);
    catalogEdited();
    initTypeList();
    ui->listWidget_type->setCurrentRow(row);
}

void MainForm::jsonGroupItmeAdd() {
    updateCurrentRows();
    catalog::Value* type = catalog::typeAt(catalog, typeRow);
    if (!type)
        return;
    catalog::arrayFor(*type, catalog::kGroup, catalog.GetAllocator())
        .PushBack(catalog::newGroup(catalog.GetAllocator()), catalog.GetAllocator());
    catalogEdited();
    typeCurrentRowChanged(typeRow);
    ui->listWidget_group->setCurrentRow(ui->listWidget_group->count() - 1);
}

void MainForm::jsonGroupItmeRename() {
    // groupRow was set when the menu opened on the Group.
    const int cached = groupRow;
    catalog::Value* group = catalog::elementAt(jsonGroups(), cached);
    if (!group)
        return;
    const QString name = askName(this, *group, Qt::WindowFlags());
    if (name.isEmpty())
        return;
    catalog::setName(*group, name, catalog.GetAllocator());
    catalogEdited();
    updateCurrentRows();
    const int row = groupRow;
    typeCurrentRowChanged(typeRow);
    ui->listWidget_group->setCurrentRow(row);
}

void MainForm::jsonGroupItmeDelete() {
    catalog::Value* groups = jsonGroups();
    const int row = groupRow;
    if (!catalog::elementAt(groups, row) || !confirmed(this, tr("确定要删除这个分组嘛")))
        return;
    if ((groups = jsonGroups()))
        jsonEraseAt(*groups, row);
    catalogEdited();
    typeCurrentRowChanged(typeRow);
}

void MainForm::jsonGroupItmeDeleteAll() {
    if (!jsonGroups() || !confirmed(this, tr("确定要删除全部分组嘛")))
        return;
    if (catalog::Value* groups = jsonGroups())
        groups->Clear();
    catalogEdited();
    typeCurrentRowChanged(typeRow);
}

bool MainForm::askDestination(bool typeOnly, int* typeDestination, int* groupDestination) {
    FormMove dialog;
    formMove = &dialog;
    dialog.setWindowFlags(dialog.windowFlags() | Qt::WindowStaysOnTopHint);
    if (typeOnly)
        dialog.hideGroupList();
    dialog.setTypeData(catalog::types(catalog));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    formMove = nullptr;
    *typeDestination = dialog.selectedTypeRow;
    *groupDestination = dialog.selectedGroupRow;
    return accepted;
}

bool MainForm::editItem(catalog::Value* item) {
    auto* dialog = new FormAttribute();
    formAttribute = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
    dialog->setItemData(item, &catalog.GetAllocator());
    // exec() deletes it on the way out; formAttribute follows by itself.
    return dialog->exec() == QDialog::Accepted;
}

void MainForm::jsonGroupItmeMove() {
    jsonTypes();
    const int fromType = typeRow;
    const int fromGroup = groupRow;
    int toType = -1;
    int toGroup = -1;
    if (!catalog::groupAt(catalog, fromType, fromGroup) || !askDestination(true, &toType, &toGroup))
        return;
    catalog::Value* destinationType = catalog::typeAt(catalog, toType);
    if (!destinationType)
        return;
    catalog::Value& destination =
        catalog::arrayFor(*destinationType, catalog::kGroup, catalog.GetAllocator());
    if (catalog::Value* source = catalog::groupsOf(catalog, fromType))
        catalog::moveToEnd(*source, fromGroup, destination, catalog.GetAllocator());
    catalogEdited();
    typeCurrentRowChanged(fromType);
}

void MainForm::jsonItmeAdd() {
    updateCurrentRows();
    if (!catalog::itemsOf(catalog, typeRow, groupRow)) {
        QMessageBox::information(this, tr("提示"), tr("请先新建一个分组，再添加项目。"));
        return;
    }
    catalog::Value item = catalog::newItem(catalog.GetAllocator());
    const bool accepted = editItem(&item);
    catalog::Value* items = jsonItems();
    if (!accepted || !items)
        return;
    items->PushBack(item, catalog.GetAllocator());
    catalogEdited();
    groupCurrentRowChanged(groupRow);
}

// The Item commands act on currentItemRef(): the current Item of the grid,
// or the selected search result at its own place in the Catalog.

void MainForm::openFormAttribute() {
    catalog::Value* item = jsonItem();
    if (item && editItem(item)) {
        catalogEdited();
        refreshItemGrid();
    }
}

void MainForm::jsonItmeRename() {
    catalog::Value* item = jsonItem();
    if (!item)
        return;
    const QString name = askName(this, *item, Qt::WindowCloseButtonHint);
    if (name.isEmpty())
        return;
    catalog::setName(*item, name, catalog.GetAllocator());
    catalogEdited();
    refreshItemGrid();
}

void MainForm::jsonItmeDelete() {
    const search::ItemRef ref = currentItemRef();
    const catalog::Value* asked = catalog::itemAt(catalog, ref.type, ref.group, ref.item);
    if (!asked || !confirmed(this, tr("确定要删除这个项目嘛")))
        return;
    // Only the Item that was asked about, still at its place.
    catalog::Value* items = catalog::itemsOf(catalog, ref.type, ref.group);
    if (!items || catalog::elementAt(items, ref.item) != asked)
        return;
    jsonEraseAt(*items, ref.item);
    catalogEdited();
    refreshItemGrid();
}

void MainForm::jsonItmeClear() {
    if (!jsonItems() || !confirmed(this, tr("确定要清空本组所有数据嘛")))
        return;
    if (catalog::Value* items = jsonItems())
        items->Clear();
    catalogEdited();
    groupCurrentRowChanged(groupRow);
}

void MainForm::jsonItmeMove() {
    const search::ItemRef ref = currentItemRef();
    const int fromType = ref.type;
    const int fromGroup = ref.group;
    const int fromItem = ref.item;
    int toType = -1;
    int toGroup = -1;
    if (!catalog::itemAt(catalog, fromType, fromGroup, fromItem) || !askDestination(false, &toType, &toGroup))
        return;
    catalog::Value* source = catalog::itemsOf(catalog, fromType, fromGroup);
    catalog::Value* destination = catalog::itemsOf(catalog, toType, toGroup);
    if (!source || !destination)
        return;
    catalog::moveToEnd(*source, fromItem, *destination, catalog.GetAllocator());
    catalogEdited();
    refreshItemGrid();
}
