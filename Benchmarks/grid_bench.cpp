// SPDX-License-Identifier: GPL-3.0-or-later
// The Item grid and the Group strip against the clock: a Group of 1,000
// existing-file Items, and a Type with 100 Groups. Prints medians of 7.
#include "catalog/catalogedit.h"
#include "catalog/catalogstore.h"
#include "mainform/mainform.h"

#include "benchsupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Records when the grid first paints with at least one entry in it.
class FirstPaint : public QObject {
public:
    QListWidget* list = nullptr;
    QElapsedTimer* clock = nullptr;
    qint64 at = -1;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && at < 0 && list->count() > 0)
            at = clock->nsecsElapsed();
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir root;
    enterRunFolder(root);

    QStringList files;
    for (const char* dir : {"/usr/bin", "/usr/lib/x86_64-linux-gnu", "/usr/share/doc"}) {
        QDirIterator it(QString::fromLatin1(dir), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext() && files.size() < 1000)
            files << it.next();
    }
    catalog::Document doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value types(rapidjson::kArrayType);
    catalog::Value first = catalog::defaultType(a);
    first["group"].PushBack(catalog::newGroup(a), a);
    for (const QString& file : files)
        first["group"][1]["item"].PushBack(catalog::droppedItem(QFileInfo(file).baseName(), 0, file, a), a);
    types.PushBack(first, a);
    catalog::Value many = catalog::defaultType(a);
    for (int g = 1; g < 100; ++g)
        many["group"].PushBack(catalog::newGroup(a), a);
    for (int i = 0; i < 10; ++i)
        many["group"][0]["item"].PushBack(catalog::droppedItem(QStringLiteral("x"), 0, files[i], a), a);
    types.PushBack(many, a);
    doc.AddMember("type", types, a);
    catalogstore::save(root.filePath(QStringLiteral("Data/Data")), doc);

    MainForm form;
    form.show();
    QCoreApplication::processEvents();
    auto* typeList = form.findChild<QListWidget*>(QStringLiteral("listWidget_type"));
    auto* groupList = form.findChild<QListWidget*>(QStringLiteral("listWidget_group"));
    auto* itemList = form.findChild<QListWidget*>(QStringLiteral("listWidget_item"));
    QElapsedTimer clock;
    FirstPaint paint;
    paint.list = itemList;
    paint.clock = &clock;
    itemList->viewport()->installEventFilter(&paint);

    QVector<double> grid, firstRow, strip;
    double coldGrid = -1;
    for (int round = 0; round < 8; ++round) {
        groupList->setCurrentRow(0);
        QCoreApplication::processEvents();
        paint.at = -1;
        clock.start();
        groupList->setCurrentRow(1);
        const double ms = clock.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
        if (round == 0) {
            coldGrid = ms;
            continue;
        }
        grid << ms;
        firstRow << paint.at / 1e6;
    }
    for (int round = 0; round < 7; ++round) {
        typeList->setCurrentRow(0);
        QCoreApplication::processEvents();
        clock.start();
        typeList->setCurrentRow(1);
        strip << clock.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    std::printf(
        "grid_1000_first_ms %.2f\ngrid_1000_ms %.2f\nfirst_row_painted_ms %.2f\ntype_100_groups_ms %.2f\n",
        coldGrid, median(grid), median(firstRow), median(strip));
    std::printf("items_shown %d groups_shown %d\n", itemList->count(), groupList->count());
    return 0;
}
