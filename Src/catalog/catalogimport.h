// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"
#include "launch/applicationmenu.h"

#include <QStringList>
#include <QVector>

// Filling the catalog with the installed applications, and keeping that
// current, as one edit of the tree.
namespace catalog {

// Where the applications go: the Type's name and a Group name for each
// applicationmenu::Category, in the window's language.
struct ImportNames {
    QString type;
    QStringList groups; // applicationmenu::kCategoryCount names
};

// A catalog as a new Tarn starts it: one Type with at most one Group, and no
// Item anywhere. Such a catalog is offered the import.
bool isUntouchedStart(const Document& doc);

// Adds to the Type named `names.type` (made at the end when there is none)
// an Item for each application not yet anywhere in the catalog: not its
// entry file, no entry of the same desktop id in `applicationFolders`, not
// the program it starts alone. Each goes to the Group of its category (made
// in category order when missing), in the order given. Items already there
// are left as the user made them. Returns how many were added.
int importApplications(Document& doc, const QVector<applicationmenu::Application>& applications,
                       const ImportNames& names, const QStringList& applicationFolders);

// An Item whose menu entry, in one of `applicationFolders`, is no longer
// installed.
struct GoneEntry {
    int type = -1;
    int group = -1;
    int item = -1;
    QString name;
};
// Those Items, in catalog order.
QVector<GoneEntry> goneApplications(const Document& doc, const QStringList& applicationFolders);
// Removes them (as goneApplications() found them, the tree unchanged since).
void removeEntries(Document& doc, const QVector<GoneEntry>& gone);

} // namespace catalog
