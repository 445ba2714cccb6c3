// SPDX-License-Identifier: GPL-3.0-or-later
// Context menus, drops from other programs and reordering inside the lists.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "catalog/catalogedit.h"
#include "mainform/droppedurl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    QListWidget* list = qobject_cast<QListWidget*>(watched);
    if (list != ui->listWidget_type && list != ui->listWidget_group && list != ui->listWidget_item)
        return QWidget::eventFilter(watched, event);
    if (list == ui->listWidget_type)
        typeRow = list->currentRow();

    switch (event->type()) {
    case QEvent::ContextMenu:
        showContextMenu(list);
        break;
    case QEvent::ChildAdded: {
        // An internal drag lives as a child object of its list; widgets that
        // join the list are not drags.
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (!child->isWidgetType() && !drag.object) {
            drag.object = child;
            drag.list = list;
            drag.startRow = list->currentRow();
        }
        break;
    }
    case QEvent::ChildRemoved:
        if (static_cast<QChildEvent*>(event)->child() == drag.object && drag.list == list) {
            drag.object = nullptr;
            finishReorder(list, drag.startRow);
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QListWidgetItem* MainForm::entryUnderPointer(QListWidget* list) {
    // Outside the viewport itemAt() still answers, with rows scrolled out of
    // sight: a pointer over another widget or another program is over none.
    const QPoint at = list->viewport()->mapFromGlobal(QCursor::pos());
    return list->viewport()->rect().contains(at) ? list->itemAt(at) : nullptr;
}

void MainForm::showContextMenu(QListWidget* list) {
    // Chosen by what lies under the pointer, also for a menu asked for from
    // the keyboard.
    const QPoint pointer = QCursor::pos();
    const QListWidgetItem* entry = entryUnderPointer(list);
    // The entry under the pointer becomes current, as a right click makes
    // it; a menu asked for from the keyboard then acts on the same entry.
    if (entry && list->currentRow() != list->row(entry))
        list->setCurrentRow(list->row(entry));
    execListMenu(list, entry, pointer);
}

void MainForm::execListMenu(QListWidget* list, const QListWidgetItem* entry, const QPoint& at) {
    createMenus();
    QMenu* menu = nullptr;
    if (list == ui->listWidget_type) {
        if (entry)
            typeRow = list->row(entry);
        menu = entry ? menuTypeEntry : menuTypeBlank;
    } else if (list == ui->listWidget_group) {
        if (entry)
            groupRow = list->row(entry);
        menu = entry ? menuGroupEntry : menuGroupBlank;
    } else {
        menu = entry ? menuItemEntry : menuItemBlank;
    }
    menu->exec(at);
}

void MainForm::finishReorder(QListWidget* list, int from) {
    // The Type and Group lists have moved the row themselves and their
    // current row followed it; the Item grid moves nothing, so its target is
    // the Item under the pointer at release.
    int to = list->currentRow();
    if (list == ui->listWidget_item) {
        const QListWidgetItem* under = entryUnderPointer(list);
        if (!under)
            return;
        to = list->row(under);
    }
    if (to == from)
        return;
    updateCurrentRows();
    bool moved = false;
    {
        auto edit = document.edit();
        catalog::Value* array = list == ui->listWidget_type ? catalog::types(edit.doc())
                                : list == ui->listWidget_group
                                    ? catalog::groupsOf(edit.doc(), typeRow)
                                    : catalog::itemsOf(edit.doc(), typeRow, groupRow);
        moved = array && catalog::moveWithin(*array, from, to, edit.allocator());
        if (!moved)
            edit.cancel();
    }
    // Rebuilt either way, so the list shows the Catalog as it now is.
    const int current = moved ? to : from;
    if (list == ui->listWidget_type) {
        fillTypeList();
        ui->listWidget_type->setCurrentRow(current);
    } else if (list == ui->listWidget_group) {
        typeCurrentRowChanged(typeRow);
        ui->listWidget_group->setCurrentRow(current);
    } else {
        groupCurrentRowChanged(groupRow);
    }
}

void MainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    if (!jsonItems()) {
        QMessageBox::information(this, tr("提示"), tr("请先新建一个分组，再拖入项目。"));
        return;
    }
    const int type = typeRow;
    const int group = groupRow;
    DroppedUrl dropped(this);
    for (const QUrl& url : urls) {
        const std::optional<DroppedUrl::Item> item = dropped.item(url);
        // The questions ran the event loop: find the Group again by its rows.
        const auto add = [&item](catalog::Value& items, catalog::Allocator& allocator) {
            items.PushBack(catalog::droppedItem(item->name, item->kind, item->path, allocator), allocator);
        };
        if (!item || !change([=](catalog::Document& doc) { return catalog::itemsOf(doc, type, group); }, add))
            return;
        groupCurrentRowChanged(group);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
