// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "search/itemindex.h"
#include "search/usagestore.h"

#include <QObject>
#include <QTimer>

#include <future>
#include <memory>
#include <vector>

class CatalogDocument;
class ItemCells;
class QLineEdit;
class QListWidget;

// Type to find. While a search runs, its results fill a grid of their own in
// place of the Item grid, which keeps the current Group as it was
// underneath; each result row keeps the real place of its Item. The index
// follows the document, rebuilt on another thread a moment after an edit,
// and launch counts rank the results. Until the first index is there, a
// search goes straight through the catalog.
class SearchPanel : public QObject {
    Q_OBJECT

public:
    SearchPanel(CatalogDocument& document, ItemCells& cells, QLineEdit* field, QListWidget* results,
                QListWidget* grid, QObject* parent = nullptr);
    // Waits for an index build under way; writes the launch counts.
    ~SearchPanel() override;

    bool isActive() const;
    // Shows the field and the results in place of the grid, and types `text`.
    void start(const QString& text);
    // Empties the field and brings the grid back as it was.
    void end();
    // The place of the selected result; rows of -1 where there is none. A
    // search still going through the catalog is finished first, so that
    // what is launched is the best match.
    search::ItemRef selectedRef();
    void recordLaunch(const catalog::Value& item);
    // Builds the first index in a moment, and follows edits from then on.
    void startIndexing();
    void saveUsage();
    // Where the launch counts were copied because they could not be read
    // whole; empty otherwise.
    QString usageCopy() const { return usage.keptCopy(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textChanged(const QString& text);
    void run();
    // Finds `text`: in the index, or before the first index is built by a
    // scan of the catalog, whose first turn's results come at once.
    void find(const QString& text);
    void continueScan();
    void showResults();
    void fillResults(int count);
    void catalogChanged();
    void startIndexBuild();
    void indexBuildDone();
    // Waits for the build in flight, if any, and makes the index current.
    search::ItemIndex& currentIndex();
    void releaseStartUpMemory();
    // How many cells of the results fit the window.
    int firstScreenful() const;

    CatalogDocument& document;
    ItemCells& cells;
    QLineEdit* const field;
    QListWidget* const results;
    QListWidget* const grid;
    // Built on another thread, so that neither the first build after start
    // nor the one after an edit holds up input: the first straight from the
    // document's tree (which waits for it before any change), the rest from
    // a copy. A search started meanwhile waits for a rebuild; before the
    // first index it searches the catalog instead. Null while that thread
    // has it.
    std::unique_ptr<search::ItemIndex> index;
    std::unique_ptr<search::CatalogScan> scan;
    QTimer scanTimer;
    std::future<std::unique_ptr<search::ItemIndex>> indexBuild;
    // The build in flight while this is false is the one that reads the tree.
    bool indexBuilt = false;
    bool indexStale = true;
    bool indexing = false;
    bool startUpMemoryReleased = false;
    QTimer indexTimer;
    search::UsageStore usage;
    QTimer usageSaveTimer;
    // The place of the Item in each row of the results, and how many rows
    // are filled so far (the rest follow in turns of the event loop).
    std::vector<search::ItemRef> refs;
    int filled = 0;
    QTimer fillTimer;
};
