// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "icons/itemicon.h"

#include <QFileIconProvider>
#include <QIcon>

class QListWidget;
class QListWidgetItem;
class QPoint;

// The cells of the Item grid and of the search results: name, icon (or a
// blank of its size until the icons may be looked up), the tooltip made when
// asked for, and the hint painted where there are none.
class ItemCells {
public:
    QListWidgetItem* cell(const catalog::Value& item);
    // A cell whose icon is a blank of the size `grid` draws icons at, so
    // that no name moves when the icon comes.
    QListWidgetItem* blankCell(const catalog::Value& item, const QListWidget* grid);
    QIcon icon(const catalog::Value& item);

    // The name and path of `item` (at `entry` of `list`) as a tooltip; hides
    // any tooltip and returns false where there is no Item.
    static bool showToolTip(QListWidget* list, const QListWidgetItem* entry, const catalog::Value* item,
                            const QPoint& globalAt);
    // `hint` across an empty list; nothing where the list has cells.
    static void paintHint(QListWidget* list, const QString& hint);

private:
    QFileIconProvider iconProvider;
    ItemIconCache icons;
    QIcon blank;
};
