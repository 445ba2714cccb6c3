// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/itemcells.h"

#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>

QListWidgetItem* ItemCells::cell(const catalog::Value& item) {
    auto* entry = new QListWidgetItem(catalog::memberText(item, catalog::kName));
    entry->setIcon(icon(item));
    return entry;
}

QListWidgetItem* ItemCells::blankCell(const catalog::Value& item, const QListWidget* grid) {
    if (blank.isNull()) {
        // The size the grid draws icons at when none is set.
        const int side = grid->style()->pixelMetric(QStyle::PM_IconViewIconSize, nullptr, grid);
        QPixmap pixmap(grid->iconSize().isValid() ? grid->iconSize() : QSize(side, side));
        pixmap.fill(Qt::transparent);
        blank = QIcon(pixmap);
    }
    auto* entry = new QListWidgetItem(catalog::memberText(item, catalog::kName));
    entry->setIcon(blank);
    return entry;
}

QIcon ItemCells::icon(const catalog::Value& item) {
    return icons.icon(catalog::kindOf(item), catalog::memberText(item, catalog::kPath),
                      catalog::memberText(item, catalog::kCustomIcon), iconProvider);
}

bool ItemCells::showToolTip(QListWidget* list, const QListWidgetItem* entry, const catalog::Value* item,
                            const QPoint& globalAt) {
    if (!item || !entry) {
        QToolTip::hideText();
        return false;
    }
    const QString name = catalog::memberText(*item, catalog::kName);
    const QString path = catalog::memberText(*item, catalog::kPath);
    // Names and paths are shown as typed, never read as markup.
    QToolTip::showText(globalAt,
                       Qt::convertFromPlainText(path.isEmpty() ? name : name + QLatin1Char('\n') + path,
                                                Qt::WhiteSpaceNoWrap),
                       list->viewport(), list->visualItemRect(entry));
    return true;
}

void ItemCells::paintEmptyGroupHint(QListWidget* grid) {
    paintHint(grid, tr("这个分组还没有项目\n右键点击空白处选择“新建”，或把文件拖到这里"));
}

void ItemCells::paintNoMatchHint(QListWidget* results) {
    paintHint(results, tr("没有找到匹配的项目"));
}

void ItemCells::paintHint(QListWidget* list, const QString& hint) {
    if (list->count() > 0)
        return;
    QPainter painter(list->viewport());
    painter.setPen(QColor(0xb4, 0xb4, 0xb4));
    painter.drawText(list->viewport()->rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
                     hint);
}
