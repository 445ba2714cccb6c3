// SPDX-License-Identifier: GPL-3.0-or-later
// Type to find: the search field, the results grid, the search index kept in
// step with the Catalog, and the launch counts that rank the results.
#include "mainform/mainform.h"

#include "platform/datapaths.h"
#include "platform/freedmemory.h"
#include "ui_mainform.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolTip>

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

} // namespace

void MainForm::setupSearch() {
    usage.load(datapaths::usageFile());
    usageSaveTimer.setSingleShot(true);
    usageSaveTimer.setInterval(kUsageSaveDelayMs);
    connect(&usageSaveTimer, &QTimer::timeout, this, &MainForm::saveUsage);
    resultFillTimer.setInterval(0);
    connect(&resultFillTimer, &QTimer::timeout, this, [this] { fillResults(kFillStep); });
    // The first index is built once the window is up (started with the rest
    // of start-up), off the start-up path; a search started sooner builds it
    // itself.
    searchIndex = std::make_unique<search::ItemIndex>();
    searchIndexTimer.setSingleShot(true);
    searchIndexTimer.setInterval(kIndexDelayMs);
    connect(&searchIndexTimer, &QTimer::timeout, this, &MainForm::startIndexBuild);

    QListWidget* const results = ui->listWidget_result;
    results->setDragEnabled(false);
    results->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(results, &QListWidget::itemDoubleClicked, this, &MainForm::openThis);
    connect(ui->lineEdit_search, &QLineEdit::textChanged, this, &MainForm::searchTextChanged);
}

bool MainForm::searching() const {
    return !ui->lineEdit_search->isHidden();
}

void MainForm::startSearch(const QString& text) {
    QLineEdit* const field = ui->lineEdit_search;
    if (!searching()) {
        field->show();
        field->setFocus(Qt::OtherFocusReason);
        ui->listWidget_item->hide();
        ui->listWidget_result->show();
    }
    field->setFocus(Qt::OtherFocusReason);
    field->insert(text);
}

void MainForm::searchTextChanged(const QString& text) {
    if (text.isEmpty())
        endSearch();
    else if (searching())
        runSearch();
}

void MainForm::endSearch() {
    if (!searching())
        return;
    resultFillTimer.stop();
    const QWidget* focus = focusWidget();
    const bool hadFocus = focus == ui->lineEdit_search || focus == ui->listWidget_result;
    {
        const QSignalBlocker quiet(ui->lineEdit_search);
        ui->lineEdit_search->clear();
    }
    // The Item grid was kept as it was underneath: rows, scroll position
    // and current Item come back untouched.
    ui->listWidget_item->show();
    if (hadFocus)
        ui->listWidget_item->setFocus(Qt::OtherFocusReason);
    ui->lineEdit_search->hide();
    ui->listWidget_result->hide();
    ui->listWidget_result->clear();
    resultRefs.clear();
    resultsFilled = 0;
}

void MainForm::startIndexBuild() {
    // One build at a time: the running one's end looks again.
    if (indexBuild.valid())
        return;
    if (!searchIndexStale) { // a search built it first
        releaseStartUpMemory();
        return;
    }
    // The copy costs a fraction of the build, which works out every name's
    // readings. The index goes along with what it knows of earlier names.
    auto snapshot = std::make_shared<catalog::Document>();
    snapshot->CopyFrom(catalog, snapshot->GetAllocator());
    searchIndexStale = false;
    indexBuild = std::async(std::launch::async, [this, index = std::move(searchIndex), snapshot]() mutable {
        index->rebuild(*snapshot);
        snapshot.reset();
        QMetaObject::invokeMethod(this, &MainForm::indexBuildDone, Qt::QueuedConnection);
        return std::move(index);
    });
}

void MainForm::indexBuildDone() {
    if (!indexBuild.valid())
        return; // a search took it already
    currentIndex();
    if (searchIndexStale && !searching())
        searchIndexTimer.start();
}

search::ItemIndex& MainForm::currentIndex() {
    if (indexBuild.valid()) {
        searchIndex = indexBuild.get();
        releaseStartUpMemory();
    }
    return *searchIndex;
}

void MainForm::releaseStartUpMemory() {
    // The first index is the last of start-up's work.
    if (startUpMemoryReleased)
        return;
    startUpMemoryReleased = true;
    releaseFreedMemory();
}

void MainForm::runSearch() {
    search::ItemIndex& index = currentIndex();
    if (searchIndexStale) {
        index.rebuild(catalog);
        searchIndexStale = false;
    }
    resultFillTimer.stop();
    resultRefs = index.find(ui->lineEdit_search->text(), &usage, kMaxResults);
    ui->listWidget_result->clear();
    resultsFilled = 0;
    // The first screenful now, in one go; the rest in later turns.
    fillResults(firstScreenful());
    if (!resultRefs.empty())
        ui->listWidget_result->setCurrentRow(0);
}

void MainForm::fillResults(int count) {
    const int total = int(resultRefs.size());
    const int end = std::min(total, resultsFilled + count);
    for (; resultsFilled < end; ++resultsFilled) {
        const search::ItemRef& ref = resultRefs[resultsFilled];
        const catalog::Value* item = catalog::itemAt(catalog, ref.type, ref.group, ref.item);
        ui->listWidget_result->addItem(item ? itemEntry(*item) : new QListWidgetItem());
    }
    if (resultsFilled < total)
        resultFillTimer.start();
    else
        resultFillTimer.stop();
}

void MainForm::searchCatalogEdited() {
    searchIndexStale = true;
    if (!searching()) {
        if (startedUp)
            searchIndexTimer.start();
        return;
    }
    // The results' places are old now: find them again at once, keeping the
    // selection where it was.
    const int row = ui->listWidget_result->currentRow();
    runSearch();
    const int count = ui->listWidget_result->count();
    if (row > 0 && count > 0)
        ui->listWidget_result->setCurrentRow(std::min(row, count - 1));
}

void MainForm::windowShown() {
    endSearch();
    ui->listWidget_item->setFocus(Qt::OtherFocusReason);
    // Keyboard-first: typing right after the hotkey has to land here.
    activateWindow();
}

search::ItemRef MainForm::currentItemRef() {
    updateCurrentRows();
    if (!searching())
        return {typeRow, groupRow, itemRow};
    const int row = ui->listWidget_result->currentRow();
    if (row < 0 || row >= int(resultRefs.size()))
        return {};
    return resultRefs[std::size_t(row)];
}

void MainForm::recordLaunch(const catalog::Value& item) {
    usage.recordLaunch(item);
    usageSaveTimer.start();
}

void MainForm::saveUsage() {
    usageSaveTimer.stop();
    if (usage.isDirty())
        usage.save(datapaths::usageFile());
}

int MainForm::firstScreenful() const {
    const int columns = std::max(1, width() / 128);
    const int rows = std::max(1, height() / 73 + 1);
    return columns * rows;
}

QListWidgetItem* MainForm::itemEntry(const catalog::Value& item, bool withIcon) {
    auto* entry = new QListWidgetItem(catalog::memberText(item, catalog::kName));
    if (withIcon)
        entry->setIcon(itemIcons.icon(catalog::kindOf(item), catalog::memberText(item, catalog::kPath),
                                      catalog::memberText(item, catalog::kCustomIcon), iconProvider));
    return entry;
}

bool MainForm::showItemToolTip(QListWidget* list, const QPoint& at, const QPoint& globalAt) {
    // Made when asked for rather than stored in every cell, so filling the
    // grid costs nothing more.
    const QListWidgetItem* entry = list->itemAt(at);
    const int row = entry ? list->row(entry) : -1;
    const catalog::Value* item = nullptr;
    if (list == ui->listWidget_result && row >= 0 && row < int(resultRefs.size())) {
        const search::ItemRef& ref = resultRefs[std::size_t(row)];
        item = catalog::itemAt(catalog, ref.type, ref.group, ref.item);
    } else if (list == ui->listWidget_item && row >= 0) {
        item = catalog::itemAt(catalog, gridType, gridGroup, row);
    }
    if (!item) {
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
