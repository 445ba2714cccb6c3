// SPDX-License-Identifier: GPL-3.0-or-later
// Context menus, drops from other programs and reordering inside the lists.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "catalog/catalogedit.h"
#include "launch/desktopentry.h"

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
    bool yesToAll = false;
    for (const QUrl& url : urls) {
        QString name;
        QString path;
        int kind = catalog::KindWeb;
        if (url.isLocalFile()) {
            pathInfo.setFile(url.toLocalFile());
            kind = pathInfo.isDir() ? catalog::KindFolder : catalog::KindFile;
            name = pathInfo.baseName();
            path = pathInfo.absoluteFilePath();
            if (pathInfo.isSymLink()) {
                if (!pathInfo.exists() &&
                    QMessageBox::question(this, tr("提示"),
                                          tr("添加的快捷方式指向的目标是无效的，可能被删除或者更改了\n"
                                             "还要继续添加吗？")) != QMessageBox::Yes)
                    return;
                if (yesToAll) {
                    path = pathInfo.symLinkTarget();
                } else {
                    const int answer = QMessageBox::question(
                        this, tr("询问"),
                        tr("加入的项目是个快捷方式，要做处理吗？\n是：添加为目标路径\n否：不做处理"),
                        tr("是"), tr("否"), tr("全部是"), 0, -1);
                    if (answer != 1)
                        path = pathInfo.symLinkTarget();
                    yesToAll = answer == 2;
                }
            }
            // A menu entry is named as the menu names it.
            if (kind == catalog::KindFile && desktopentry::isEntryFile(path)) {
                const QString entryName = desktopentry::read(path).name;
                if (!entryName.isEmpty())
                    name = entryName;
            }
        } else {
            name = tr("网络书签");
            path = url.toString();
        }
        {
            // The questions ran the event loop: find the Group again by its rows.
            auto edit = document.edit();
            catalog::Value* items = catalog::itemsOf(edit.doc(), type, group);
            if (!items) {
                edit.cancel();
                return;
            }
            items->PushBack(catalog::droppedItem(name, kind, path, edit.allocator()), edit.allocator());
        }
        groupCurrentRowChanged(group);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
