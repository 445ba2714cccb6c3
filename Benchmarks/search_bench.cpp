// SPDX-License-Identifier: GPL-3.0-or-later
// Type-to-find over 100,000 Items: building the index (cold, and again after
// an edit), one keystroke's search for the first screenful, and the index's
// memory. Names mix Chinese, ASCII and both, as a real catalog would.
#include "catalog/catalogedit.h"
#include "search/itemindex.h"
#include "search/pinyin.h"
#include "search/usagestore.h"

#include "benchsupport.h"

#include <benchmark/benchmark.h>

#include <QDateTime>

#include <random>

namespace {

constexpr int kItems = 100000;
constexpr int kScreenful = 60;

// Ten Types of ten Groups, `items` Items spread evenly, every path distinct.
void makeCatalog(catalog::Document& doc, int items) {
    NameMaker names(7);
    int made = 0;
    fillTenByTen(doc, items, [&](int, catalog::Allocator& a) {
        const QString name = names.name();
        const QString path = QStringLiteral("C:/Program Files/%1/%2-%3.exe")
                                 .arg(names.word(), names.word().toLower())
                                 .arg(made++);
        return catalog::droppedItem(name, catalog::KindFile, path, a);
    });
}

catalog::Document& sharedCatalog() {
    static catalog::Document doc;
    if (doc.IsNull())
        makeCatalog(doc, kItems);
    return doc;
}

void SearchIndexBuildCold(benchmark::State& state) {
    const catalog::Document& doc = sharedCatalog();
    std::size_t bytes = 0;
    for (auto _ : state) {
        search::ItemIndex index;
        index.rebuild(doc);
        bytes = index.memoryBytes();
        benchmark::DoNotOptimize(index.size());
    }
    state.counters["index_bytes"] = double(bytes);
    state.counters["pinyin_table_bytes"] = double(search::pinyin::tableBytes());
    state.counters["pinyin_code_points"] = search::pinyin::tableCodePoints();
}

// After one rename, as after an edit in the window.
void SearchIndexRebuildWarm(benchmark::State& state) {
    catalog::Document& doc = sharedCatalog();
    search::ItemIndex index;
    index.rebuild(doc);
    catalog::Value& item = doc["type"][3]["group"][4]["item"][5];
    int n = 0;
    for (auto _ : state) {
        item["name"] = catalog::string(QStringLiteral("改名 %1").arg(++n), doc.GetAllocator());
        index.rebuild(doc);
        benchmark::DoNotOptimize(index.size());
    }
    state.counters["index_bytes"] = double(index.memoryBytes());
}

const char* const kQueries[] = {"w", "wd", "qqyy", "note", "chrome", "yinhang", "文档", "vsc"};

void SearchQuery(benchmark::State& state) {
    const catalog::Document& doc = sharedCatalog();
    static search::ItemIndex index;
    static search::UsageStore usage;
    if (index.size() == 0) {
        index.rebuild(doc);
        // A few hundred launched Items, as months of use leave.
        std::mt19937 rng(11);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int i = 0; i < 500; ++i) {
            const catalog::Value& it = doc["type"][rng() % 10]["group"][rng() % 10]["item"][rng() % 1000];
            usage.recordLaunch(it, now - qint64(rng() % 1000) * 3600 * 1000);
        }
    }
    const QString query = QString::fromUtf8(kQueries[state.range(0)]);
    std::size_t found = 0;
    for (auto _ : state) {
        const auto refs = index.find(query, &usage, kScreenful);
        found = refs.size();
        benchmark::DoNotOptimize(refs.data());
    }
    state.SetLabel(kQueries[state.range(0)]);
    state.counters["shown"] = double(found);
    state.counters["matching"] = double(index.find(query, &usage, -1).size());
}

// Before the first index: the catalog searched straight through.
void SearchScan(benchmark::State& state) {
    const catalog::Document& doc = sharedCatalog();
    const QString query = QString::fromUtf8(kQueries[state.range(0)]);
    std::size_t found = 0;
    for (auto _ : state) {
        const auto matches = search::ItemIndex::scan(doc, query, nullptr, kScreenful);
        found = matches.size();
        benchmark::DoNotOptimize(matches.data());
    }
    state.SetLabel(kQueries[state.range(0)]);
    state.counters["shown"] = double(found);
}

} // namespace

BENCHMARK(SearchIndexBuildCold)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchIndexRebuildWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchQuery)->DenseRange(0, int(std::size(kQueries)) - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchScan)->DenseRange(0, int(std::size(kQueries)) - 1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
