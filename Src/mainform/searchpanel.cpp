// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/searchpanel.h"

#include "catalog/catalogdocument.h"
#include "mainform/itemcells.h"
#include "platform/datapaths.h"
#include "platform/freedmemory.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include <chrono>

namespace {

// More than anyone scrolls through; a short query in a large catalog would
// otherwise fill the grid with tens of thousands of cells.
constexpr int kMaxResults = 1000;
// Results added per turn of the event loop once the first screenful is up,
// so typing goes on while a long list fills.
constexpr int kFillStep = 100;
// Edits that come in a burst (a drop of many files) rebuild the index once.
constexpr int kIndexDelayMs = 150;
// Launch counts are written this long after the last launch.
constexpr int kUsageSaveDelayMs = 1500;
// A scan of the catalog goes on in turns this long, so typing goes on; the
// first is shorter, since the keystroke also shows the field and the cells.
constexpr double kFirstScanSliceMs = 5;
constexpr double kScanSliceMs = 8;

} // namespace

SearchPanel::SearchPanel(CatalogDocument& doc, ItemCells& itemCells, QLineEdit* searchField,
                         QListWidget* resultGrid, QListWidget* itemGrid, QObject* parent)
    : QObject(parent), document(doc), cells(itemCells), field(searchField), results(resultGrid),
      grid(itemGrid), index(std::make_unique<search::ItemIndex>()) {
    usage.load(datapaths::usageFile());
    usageSaveTimer.setSingleShot(true);
    usageSaveTimer.setInterval(kUsageSaveDelayMs);
    connect(&usageSaveTimer, &QTimer::timeout, this, &SearchPanel::saveUsage);
    fillTimer.setInterval(0);
    connect(&fillTimer, &QTimer::timeout, this, [this] { fillResults(kFillStep); });
    scanTimer.setInterval(0);
    connect(&scanTimer, &QTimer::timeout, this, &SearchPanel::continueScan);
    indexTimer.setSingleShot(true);
    indexTimer.setInterval(kIndexDelayMs);
    connect(&indexTimer, &QTimer::timeout, this, &SearchPanel::startIndexBuild);

    // A longer query could match nothing anyway; the field shows what counts.
    field->setMaxLength(search::ItemIndex::kMaxQueryLength);
    document.setReaderWait([this] {
        if (!indexBuilt && indexBuild.valid())
            indexBuild.wait();
    });

    results->setDragEnabled(false);
    results->setSelectionMode(QAbstractItemView::SingleSelection);
    results->viewport()->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, &SearchPanel::textChanged);
    connect(&document, &CatalogDocument::edited, this, &SearchPanel::catalogChanged);
    connect(&document, &CatalogDocument::reloaded, this, &SearchPanel::catalogChanged);
}

SearchPanel::~SearchPanel() {
    // The build's thread reports back to this object: let it end first.
    if (indexBuild.valid())
        indexBuild.wait();
    document.setReaderWait(nullptr);
    saveUsage();
}

bool SearchPanel::isActive() const {
    return !field->isHidden();
}

void SearchPanel::start(const QString& text) {
    if (!isActive()) {
        field->show();
        grid->hide();
        results->show();
    }
    field->setFocus(Qt::OtherFocusReason);
    field->insert(text);
}

void SearchPanel::textChanged(const QString& text) {
    if (text.isEmpty())
        end();
    else if (isActive())
        run();
}

void SearchPanel::end() {
    if (!isActive())
        return;
    fillTimer.stop();
    scanTimer.stop();
    scan.reset();
    const QWidget* focus = field->window()->focusWidget();
    const bool hadFocus = focus == field || focus == results;
    {
        const QSignalBlocker quiet(field);
        field->clear();
    }
    // The Item grid was kept as it was underneath: rows, scroll position
    // and current Item come back untouched.
    grid->show();
    if (hadFocus)
        grid->setFocus(Qt::OtherFocusReason);
    field->hide();
    results->hide();
    results->clear();
    refs.clear();
    filled = 0;
}

search::ItemRef SearchPanel::selectedRef() {
    if (scan) {
        scan->advance(document.doc(), -1);
        continueScan();
    }
    const int row = results->currentRow();
    if (row < 0 || row >= int(refs.size()))
        return {};
    return refs[std::size_t(row)];
}

void SearchPanel::startIndexing() {
    indexing = true;
    // Not at once: start-up's last work (the hotkey, the tray, the icons)
    // goes first, and a search meanwhile scans the catalog.
    indexTimer.start();
}

void SearchPanel::startIndexBuild() {
    // One build at a time: the running one's end looks again.
    if (indexBuild.valid())
        return;
    if (!indexStale) { // a search built it first
        releaseStartUpMemory();
        return;
    }
    // The first build reads the document's own tree: copying 100,000 Items
    // would hold up a keystroke typed right after start. Later ones work
    // from a copy, which costs a fraction of the build, so that edits need
    // not wait for them. The index goes along with what it knows of earlier
    // names.
    std::shared_ptr<catalog::Document> snapshot;
    if (indexBuilt) {
        snapshot = std::make_shared<catalog::Document>();
        snapshot->CopyFrom(document.doc(), snapshot->GetAllocator());
    }
    const catalog::Value* tree = snapshot ? snapshot.get() : &document.doc();
    indexStale = false;
    indexBuild = std::async(std::launch::async, [this, built = std::move(index), snapshot, tree]() mutable {
        built->rebuild(*tree);
        snapshot.reset();
        QMetaObject::invokeMethod(this, &SearchPanel::indexBuildDone, Qt::QueuedConnection);
        return std::move(built);
    });
}

void SearchPanel::indexBuildDone() {
    if (!indexBuild.valid())
        return; // a search took it already
    currentIndex();
    if (indexStale && !isActive())
        indexTimer.start();
}

search::ItemIndex& SearchPanel::currentIndex() {
    if (indexBuild.valid()) {
        index = indexBuild.get();
        indexBuilt = true;
        releaseStartUpMemory();
    }
    return *index;
}

void SearchPanel::releaseStartUpMemory() {
    // The first index is the last of start-up's work.
    if (startUpMemoryReleased)
        return;
    startUpMemoryReleased = true;
    releaseFreedMemory();
}

void SearchPanel::find(const QString& text) {
    scanTimer.stop();
    scan.reset();
    const bool buildDone =
        indexBuild.valid() && indexBuild.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    if (!indexBuilt && !buildDone) {
        if (!indexBuild.valid())
            startIndexBuild();
        // No keystroke waits for the first index: what the first turn of a
        // scan finds is shown at once, the whole ranking a few turns later.
        scan = std::make_unique<search::CatalogScan>(text, &usage);
        if (!scan->advance(document.doc(), kFirstScanSliceMs))
            scanTimer.start();
        refs = search::refsOf(scan->results(kMaxResults));
        if (scan->isDone())
            scan.reset();
        return;
    }
    search::ItemIndex& current = currentIndex();
    if (indexStale) {
        current.rebuild(document.doc());
        indexStale = false;
    }
    refs = current.find(text, &usage, kMaxResults);
}

void SearchPanel::run() {
    find(field->text());
    showResults();
}

void SearchPanel::showResults() {
    fillTimer.stop();
    results->clear();
    filled = 0;
    // The first screenful now, in one go; the rest in later turns.
    fillResults(firstScreenful());
    if (!refs.empty())
        results->setCurrentRow(0);
}

void SearchPanel::continueScan() {
    if (!scan) {
        scanTimer.stop();
        return;
    }
    if (!scan->advance(document.doc(), kScanSliceMs))
        return;
    scanTimer.stop();
    // Every Item seen: the whole ranking, with the Item picked meanwhile
    // (if one was) still picked.
    const int row = results->currentRow();
    const search::ItemRef picked =
        row > 0 && row < int(refs.size()) ? refs[std::size_t(row)] : search::ItemRef{};
    refs = search::refsOf(scan->results(kMaxResults));
    scan.reset();
    showResults();
    const auto at = std::find(refs.begin(), refs.end(), picked);
    if (picked.item >= 0 && at != refs.end() && at - refs.begin() < results->count())
        results->setCurrentRow(int(at - refs.begin()));
}

void SearchPanel::fillResults(int count) {
    const int total = int(refs.size());
    const int end = std::min(total, filled + count);
    for (; filled < end; ++filled) {
        const search::ItemRef& ref = refs[std::size_t(filled)];
        const catalog::Value* item = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
        // While a scan goes on, icons wait for its whole ranking: the first
        // look-ups of a run cost more than the rest of the keystroke.
        QListWidgetItem* entry = !item  ? new QListWidgetItem()
                                 : scan ? cells.blankCell(*item, results)
                                        : cells.cell(*item);
        results->addItem(entry);
    }
    if (filled < total)
        fillTimer.start();
    else
        fillTimer.stop();
}

void SearchPanel::catalogChanged() {
    indexStale = true;
    if (!isActive()) {
        if (indexing)
            indexTimer.start();
        return;
    }
    // The results' places are old now: find them again at once, keeping the
    // selection where it was.
    const int row = results->currentRow();
    run();
    const int count = results->count();
    if (row > 0 && count > 0)
        results->setCurrentRow(std::min(row, count - 1));
}

void SearchPanel::recordLaunch(const catalog::Value& item) {
    usage.recordLaunch(item);
    usageSaveTimer.start();
}

void SearchPanel::saveUsage() {
    usageSaveTimer.stop();
    if (usage.isDirty())
        usage.save(datapaths::usageFile());
}

int SearchPanel::firstScreenful() const {
    const QWidget* window = results->window();
    const int columns = std::max(1, window->width() / 128);
    const int rows = std::max(1, window->height() / 73 + 1);
    return columns * rows;
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != results->viewport())
        return false;
    if (event->type() == QEvent::Paint) {
        if (isActive() && refs.empty() && !scan)
            ItemCells::paintNoMatchHint(results);
    } else if (event->type() == QEvent::ToolTip) {
        // Made when asked for rather than stored in every cell, so filling
        // the grid costs nothing more.
        auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* entry = results->itemAt(help->pos());
        const int row = entry ? results->row(entry) : -1;
        const catalog::Value* item = nullptr;
        if (row >= 0 && row < int(refs.size())) {
            const search::ItemRef& ref = refs[std::size_t(row)];
            item = catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
        }
        ItemCells::showToolTip(results, entry, item, help->globalPos());
        return true;
    }
    return false;
}
