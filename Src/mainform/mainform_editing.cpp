// SPDX-License-Identifier: GPL-3.0-or-later
// Editing commands reached from the context menus. Each asks, changes the
// Catalog through one edit of the document, and rebuilds the list it touched.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "catalog/catalogedit.h"
#include "dialogs/formattribute.h"
#include "dialogs/formmove.h"

#include <QInputDialog>
#include <QMessageBox>

#include <functional>

using namespace std::placeholders;

namespace {

bool confirmed(QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, MainForm::tr("询问"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::NoButton) == QMessageBox::Yes;
}

// The new name, or an empty text for Cancel, an emptied field or no entry.
// Names are taken as typed, blanks included.
QString askName(QWidget* parent, const catalog::Value* entry, Qt::WindowFlags flags) {
    if (!entry)
        return QString();
    return QInputDialog::getText(parent, MainForm::tr("新名称"), MainForm::tr("请输入"), QLineEdit::Normal,
                                 catalog::memberText(*entry, catalog::kName), nullptr, flags);
}

auto renamed(const QString& name) {
    return [name](catalog::Value& entry, catalog::Allocator& allocator) {
        catalog::setName(entry, name, allocator);
    };
}

void erased(int row, catalog::Value& array, catalog::Allocator&) {
    jsonEraseAt(array, row);
}

void cleared(catalog::Value& array, catalog::Allocator&) {
    array.Clear();
}

} // namespace

bool MainForm::change(const Find& find, const Apply& apply) {
    auto edit = document.edit();
    catalog::Value* target = find(edit.doc());
    if (!target) {
        edit.cancel();
        return false;
    }
    apply(*target, edit.allocator());
    return true;
}

void MainForm::jsonTypeItmeAdd() {
    const auto add = [](catalog::Value& types, catalog::Allocator& allocator) {
        types.PushBack(catalog::defaultType(allocator), allocator);
    };
    if (!change([](catalog::Document& doc) { return catalog::types(doc); }, add))
        return;
    fillTypeList();
    ui->listWidget_type->setCurrentRow(ui->listWidget_type->count() - 1);
}

void MainForm::jsonTypeItmeRename() {
    // typeRow was set when the menu opened on the Type.
    renameType(typeRow);
}

void MainForm::renameType(int row) {
    const QString name = askName(this, catalog::elementAt(jsonTypes(), row), Qt::WindowCloseButtonHint);
    if (name.isEmpty() ||
        !change([row](catalog::Document& doc) { return catalog::typeAt(doc, row); }, renamed(name)))
        return;
    fillTypeList();
    ui->listWidget_type->setCurrentRow(row);
}

void MainForm::jsonTypeItmeDelete() {
    deleteType(typeRow);
}

void MainForm::deleteType(int row) {
    if (!catalog::elementAt(jsonTypes(), row) || !confirmed(this, tr("确定要删除这个分类嘛")))
        return;
    change([](catalog::Document& doc) { return catalog::types(doc); }, std::bind(erased, row, _1, _2));
    fillTypeList();
    ui->listWidget_type->setCurrentRow(row);
}

void MainForm::jsonGroupItmeAdd() {
    updateCurrentRows();
    const int type = typeRow;
    const auto add = [](catalog::Value& owner, catalog::Allocator& allocator) {
        catalog::arrayFor(owner, catalog::kGroup, allocator)
            .PushBack(catalog::newGroup(allocator), allocator);
    };
    if (!change([type](catalog::Document& doc) { return catalog::typeAt(doc, type); }, add))
        return;
    typeCurrentRowChanged(type);
    ui->listWidget_group->setCurrentRow(ui->listWidget_group->count() - 1);
}

void MainForm::jsonGroupItmeRename() {
    // groupRow was set when the menu opened on the Group.
    renameGroup(groupRow);
}

void MainForm::renameGroup(int row) {
    const QString name = askName(this, catalog::elementAt(jsonGroups(), row), Qt::WindowFlags());
    const int type = typeRow;
    if (name.isEmpty() ||
        !change([type, row](catalog::Document& doc) { return catalog::groupAt(doc, type, row); },
                renamed(name)))
        return;
    updateCurrentRows();
    const int current = groupRow;
    typeCurrentRowChanged(typeRow);
    ui->listWidget_group->setCurrentRow(current);
}

void MainForm::jsonGroupItmeDelete() {
    const int row = groupRow;
    if (!catalog::elementAt(jsonGroups(), row) || !confirmed(this, tr("确定要删除这个分组嘛")))
        return;
    updateCurrentRows();
    const int type = typeRow;
    change([type](catalog::Document& doc) { return catalog::groupsOf(doc, type); },
           std::bind(erased, row, _1, _2));
    typeCurrentRowChanged(type);
}

void MainForm::jsonGroupItmeDeleteAll() {
    if (!jsonGroups() || !confirmed(this, tr("确定要删除全部分组嘛")))
        return;
    updateCurrentRows();
    const int type = typeRow;
    change([type](catalog::Document& doc) { return catalog::groupsOf(doc, type); }, cleared);
    typeCurrentRowChanged(type);
}

bool MainForm::askDestination(bool typeOnly, int* typeDestination, int* groupDestination) {
    FormMove dialog;
    formMove = &dialog;
    dialog.setWindowFlags(dialog.windowFlags() | Qt::WindowStaysOnTopHint);
    if (typeOnly)
        dialog.hideGroupList();
    dialog.setTypeData(catalog::types(document.doc()));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    formMove = nullptr;
    *typeDestination = dialog.selectedTypeRow;
    *groupDestination = dialog.selectedGroupRow;
    return accepted;
}

bool MainForm::editItem(catalog::Value* item, CatalogDocument::Edit& edit) {
    auto* dialog = new FormAttribute();
    formAttribute = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
    dialog->setItemData(item, &edit.allocator());
    // exec() deletes it on the way out; formAttribute follows by itself.
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!accepted)
        edit.cancel();
    return accepted;
}

void MainForm::jsonGroupItmeMove() {
    jsonTypes();
    const int fromType = typeRow;
    const int fromGroup = groupRow;
    int toType = -1;
    int toGroup = -1;
    if (!catalog::groupAt(document.doc(), fromType, fromGroup) || !askDestination(true, &toType, &toGroup) ||
        !catalog::typeAt(document.doc(), toType))
        return;
    {
        auto edit = document.edit();
        catalog::Value& destination =
            catalog::arrayFor(*catalog::typeAt(edit.doc(), toType), catalog::kGroup, edit.allocator());
        catalog::moveToEnd(*catalog::groupsOf(edit.doc(), fromType), fromGroup, destination,
                           edit.allocator());
    }
    typeCurrentRowChanged(fromType);
}

void MainForm::jsonItmeAdd() {
    updateCurrentRows();
    if (!catalog::itemsOf(document.doc(), typeRow, groupRow)) {
        QMessageBox::information(this, tr("提示"), tr("请先新建一个分组，再添加项目。"));
        return;
    }
    {
        auto edit = document.edit();
        catalog::Value item = catalog::newItem(edit.allocator());
        if (!editItem(&item, edit))
            return;
        // The dialog kept the event loop running: the Group is found again.
        updateCurrentRows();
        catalog::Value* items = catalog::itemsOf(edit.doc(), typeRow, groupRow);
        if (!items) {
            edit.cancel();
            return;
        }
        items->PushBack(item, edit.allocator());
    }
    groupCurrentRowChanged(groupRow);
}

// The Item commands act on currentItemRef(): the current Item of the grid,
// or the selected search result at its own place in the Catalog.

void MainForm::openFormAttribute() {
    const search::ItemRef ref = currentItemRef();
    if (!catalog::itemAt(document.doc(), ref.type, ref.group, ref.item))
        return;
    bool accepted = false;
    {
        auto edit = document.edit();
        accepted = editItem(catalog::itemAt(edit.doc(), ref.type, ref.group, ref.item), edit);
    }
    if (accepted)
        refreshItemGrid();
}

void MainForm::jsonItmeRename() {
    const search::ItemRef ref = currentItemRef();
    const catalog::Value* asked = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
    const QString name = askName(this, asked, Qt::WindowCloseButtonHint);
    // Only the Item that was asked about, still at its place.
    const auto same = [&](catalog::Document& doc) {
        catalog::Value* item = catalog::itemAt(doc, ref.type, ref.group, ref.item);
        return item == asked ? item : nullptr;
    };
    if (!name.isEmpty() && change(same, renamed(name)))
        refreshItemGrid();
}

void MainForm::jsonItmeDelete() {
    const search::ItemRef ref = currentItemRef();
    const catalog::Value* asked = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
    if (asked && confirmed(this, tr("确定要删除这个项目嘛")))
        eraseItem(ref, asked);
}

void MainForm::eraseItem(const search::ItemRef& ref, const catalog::Value* asked) {
    // A question kept the event loop running: only the Item that was asked
    // about, still at its place, is removed.
    const auto holding = [&](catalog::Document& doc) {
        catalog::Value* items = catalog::itemsOf(doc, ref.type, ref.group);
        return asked && catalog::elementAt(items, ref.item) == asked ? items : nullptr;
    };
    if (change(holding, std::bind(erased, ref.item, _1, _2)))
        refreshItemGrid();
}

void MainForm::jsonItmeClear() {
    if (!jsonItems() || !confirmed(this, tr("确定要清空本组所有数据嘛")))
        return;
    updateCurrentRows();
    const int type = typeRow;
    const int group = groupRow;
    change([=](catalog::Document& doc) { return catalog::itemsOf(doc, type, group); }, cleared);
    groupCurrentRowChanged(group);
}

void MainForm::jsonItmeMove() {
    const search::ItemRef ref = currentItemRef();
    int toType = -1;
    int toGroup = -1;
    if (!catalog::itemAt(document.doc(), ref.type, ref.group, ref.item) ||
        !askDestination(false, &toType, &toGroup) ||
        !catalog::itemAt(document.doc(), ref.type, ref.group, ref.item) ||
        !catalog::itemsOf(document.doc(), toType, toGroup))
        return;
    {
        auto edit = document.edit();
        catalog::moveToEnd(*catalog::itemsOf(edit.doc(), ref.type, ref.group), ref.item,
                           *catalog::itemsOf(edit.doc(), toType, toGroup), edit.allocator());
    }
    refreshItemGrid();
}
