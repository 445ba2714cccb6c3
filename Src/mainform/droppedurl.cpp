// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/droppedurl.h"
#include "dialogs/messagebox.h"

#include "catalog/catalogjson.h"
#include "launch/desktopentry.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

std::optional<DroppedUrl::Item> DroppedUrl::item(const QUrl& url) {
    Item item;
    if (!url.isLocalFile()) {
        item.name = tr("网络书签");
        item.kind = catalog::KindWeb;
        item.path = url.toString();
        return item;
    }
    const QFileInfo info(url.toLocalFile());
    item.kind = info.isDir() ? catalog::KindFolder : catalog::KindFile;
    item.name = info.baseName();
    item.path = info.absoluteFilePath();
    if (info.isSymLink()) {
        if (!info.exists() &&
            QMessageBox::question(parent, tr("提示"),
                                  tr("添加的快捷方式指向的目标是无效的，可能被删除或者更改了\n"
                                     "还要继续添加吗？")) != QMessageBox::Yes)
            return std::nullopt;
        if (yesToAll) {
            item.path = info.symLinkTarget();
        } else {
            const int answer =
                messageBox(parent, QMessageBox::Question, tr("询问"),
                           tr("加入的项目是个快捷方式，要做处理吗？\n是：添加为目标路径\n否：不做处理"),
                           {tr("是"), tr("否"), tr("全部是")});
            if (answer != 1)
                item.path = info.symLinkTarget();
            yesToAll = answer == 2;
        }
    }
    // A menu entry is named as the menu names it.
    if (item.kind == catalog::KindFile && desktopentry::isEntryFile(item.path)) {
        const QString entryName = desktopentry::read(item.path).name;
        if (!entryName.isEmpty())
            item.name = entryName;
    }
    return item;
}
