// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "icons/itemicon.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QIcon>

class QListWidget;
class QListWidgetItem;
class QPoint;

// The cells of the Item grid and of the search results: name, icon (or a
// blank of its size until the icons may be looked up), the tooltip made when
// asked for, and the hint painted where there are none.
class ItemCells {
    Q_DECLARE_TR_FUNCTIONS(ItemCells)

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
    // How to fill an empty Group, across the grid while it has no cells.
    static void paintEmptyGroupHint(QListWidget* grid);
    // That nothing matched, across the results while there are none.
    static void paintNoMatchHint(QListWidget* results);

private:
    static void paintHint(QListWidget* list, const QString& hint);

    QFileIconProvider iconProvider;
    ItemIconCache icons;
    QIcon blank;
};
