// SPDX-License-Identifier: GPL-3.0-or-later
// Rebuilding the three lists from the Catalog, and the cascade from the
// current Type to its Groups and from the current Group to its Items.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "mainform/framepacer.h"

#include <QHelpEvent>
#include <QScrollBar>

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
    const catalog::Value* types = catalog::types(document.doc());
    if (!types)
        return;
    for (const catalog::Value& type : types->GetArray())
        ui->listWidget_type->addItem(centredEntry(type));
}

void MainForm::typeCurrentRowChanged(int index) {
    ui->listWidget_group->clear();
    ui->listWidget_item->clear();
    gridType = gridGroup = -1;
    if (index < 0)
        return;
    updateCurrentRows();
    const catalog::Value* groups = catalog::groupsOf(document.doc(), index);
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
    iconsDeferred = false;
    updateImportLink();
    if (index < 0)
        return;
    const catalog::Value* items = jsonItems();
    QListWidget* const grid = ui->listWidget_item;
    // The same Group rebuilt after an edit stays where the user had scrolled
    // to; it is filled out of sight and shown once, at that place.
    const bool sameGroup = typeRow == gridType && groupRow == gridGroup;
    const int scrolled = grid->verticalScrollBar()->value();
    const bool keepPlace = sameGroup && scrolled > 0 && grid->updatesEnabled();
    grid->clear();
    gridType = items ? typeRow : -1;
    gridGroup = items ? groupRow : -1;
    if (!items)
        return;
    if (keepPlace)
        grid->setUpdatesEnabled(false);
    // The first frame shows the names only: the system icons would cost it
    // more than the rest of the window. Each cell holds a blank of the icons'
    // size meanwhile, so that no name moves when its icon comes, right after
    // that frame.
    iconsDeferred = !startedUp && !items->Empty();
    FramePacer pacer(grid);
    for (const catalog::Value& item : items->GetArray()) {
        grid->addItem(startedUp ? cells.cell(item) : cells.blankCell(item, grid));
        pacer.entryAdded();
    }
    if (keepPlace) {
        grid->doItemsLayout();
        grid->verticalScrollBar()->setValue(scrolled);
        grid->setUpdatesEnabled(true);
    }
}

void MainForm::fillDeferredIcons() {
    const catalog::Value* items = catalog::itemsOf(document.doc(), gridType, gridGroup);
    QListWidget* const grid = ui->listWidget_item;
    if (!iconsDeferred || !items || int(items->Size()) != grid->count())
        return;
    for (int row = 0; row < grid->count(); ++row)
        grid->item(row)->setIcon(cells.icon((*items)[rapidjson::SizeType(row)]));
    iconsDeferred = false;
}

bool MainForm::gridEvent(QEvent* event) {
    QListWidget* const grid = ui->listWidget_item;
    if (event->type() == QEvent::Paint) {
        if (ui->listWidget_group->currentRow() >= 0)
            ItemCells::paintEmptyGroupHint(grid);
        return false;
    }
    // Made when asked for rather than stored in every cell, so filling the
    // grid costs nothing more.
    auto* help = static_cast<QHelpEvent*>(event);
    const QListWidgetItem* entry = grid->itemAt(help->pos());
    const catalog::Value* item =
        entry ? catalog::itemAt(document.doc(), gridType, gridGroup, grid->row(entry)) : nullptr;
    ItemCells::showToolTip(grid, entry, item, help->globalPos());
    return true;
}
