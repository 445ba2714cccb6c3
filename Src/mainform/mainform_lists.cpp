// SPDX-License-Identifier: GPL-3.0-or-later
// Rebuilding the three lists from the Catalog, and the cascade from the
// current Type to its Groups and from the current Group to its Items.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "app/framepacer.h"
#include "icons/itemicon.h"

namespace {

QListWidgetItem* centredEntry(const catalog::Value& object) {
    auto* entry = new QListWidgetItem(catalog::memberText(object, catalog::kName));
    entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return entry;
}

} // namespace

void MainForm::fillTypeList() {
    updateCurrentRows();
    ui->listWidget_type->clear();
    const catalog::Value* types = catalog::types(catalog);
    if (!types)
        return;
    for (const catalog::Value& type : types->GetArray())
        ui->listWidget_type->addItem(centredEntry(type));
}

void MainForm::typeCurrentRowChanged(int index) {
    ui->listWidget_group->clear();
    ui->listWidget_item->clear();
    if (index < 0)
        return;
    updateCurrentRows();
    const catalog::Value* groups = catalog::groupsOf(catalog, index);
    if (!groups)
        return;
    FramePacer pacer(ui->listWidget_group);
    for (const catalog::Value& group : groups->GetArray()) {
        ui->listWidget_group->addItem(centredEntry(group));
        pacer.entryAdded();
    }
    ui->listWidget_group->setCurrentRow(0);
}

void MainForm::groupCurrentRowChanged(int index) {
    if (index < 0)
        return;
    const catalog::Value* items = jsonItems();
    ui->listWidget_item->clear();
    if (!items)
        return;
    FramePacer pacer(ui->listWidget_item);
    for (const catalog::Value& item : items->GetArray()) {
        auto* entry = new QListWidgetItem(catalog::memberText(item, catalog::kName));
        entry->setIcon(itemIcons.icon(catalog::kindOf(item), catalog::memberText(item, catalog::kPath),
                                      catalog::memberText(item, catalog::kCustomIcon), iconProvider));
        ui->listWidget_item->addItem(entry);
        pacer.entryAdded();
    }
}
