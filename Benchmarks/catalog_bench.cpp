// SPDX-License-Identifier: GPL-3.0-or-later
// Catalog load and save against RapidJSON's own parse and writer on the same
// bytes, at 10,000 and 100,000 Items. The save is measured against the
// writer plus a plain write (no durability) and against the writer plus one
// write, fdatasync and rename (the same durability as Tarn's atomic replace).
#include "catalog/catalogedit.h"
#include "catalog/catalogshape.h"
#include "catalog/catalogstore.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <QFile>
#include <QTemporaryDir>

#include "benchsupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray catalogText(int items) {
    catalog::Document doc;
    fillTenByTen(doc, items, [](int i, catalog::Allocator& a) {
        return catalog::droppedItem(QStringLiteral("项目 %1").arg(i), i % 3,
                                    QStringLiteral("/opt/programs/tool-%1/bin/run.exe").arg(i), a);
    });
    return catalog::serialize(doc);
}

const QByteArray& text(int items) {
    static const QByteArray small = catalogText(10000);
    static const QByteArray large = catalogText(100000);
    return items == 10000 ? small : large;
}

void RapidJsonParse(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse(bytes.constData());
        benchmark::DoNotOptimize(doc.IsObject());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void TarnLoad(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        catalog::Document doc;
        catalog::parse(doc, bytes.constData());
        benchmark::DoNotOptimize(catalog::repairShape(doc));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void RapidJsonWriteAndPlainWrite(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    rapidjson::Document doc;
    doc.Parse(bytes.constData());
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("Data")).toLocal8Bit();
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        doc.Accept(writer);
        FILE* file = std::fopen(path.constData(), "wb");
        std::fwrite(buffer.GetString(), 1, buffer.GetSize(), file);
        std::fclose(file);
    }
}

void RapidJsonWriteSyncRename(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    rapidjson::Document doc;
    doc.Parse(bytes.constData());
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("Data")).toLocal8Bit();
    const QByteArray temp = path + ".tmp";
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        doc.Accept(writer);
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool whole = ::write(fd, buffer.GetString(), buffer.GetSize()) == ssize_t(buffer.GetSize());
        benchmark::DoNotOptimize(whole && ::fdatasync(fd) == 0);
        ::close(fd);
        benchmark::DoNotOptimize(std::rename(temp.constData(), path.constData()));
    }
}

// The part of an autosave that stays on the GUI thread: the snapshot.
void TarnSerialise(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    catalog::Document doc;
    catalog::parse(doc, bytes.constData());
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog::serialize(doc).size());
}

// The other way to take it: a copy of the tree, serialised elsewhere.
void TarnCopy(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    catalog::Document doc;
    catalog::parse(doc, bytes.constData());
    for (auto _ : state) {
        catalog::Document copy;
        copy.CopyFrom(doc, copy.GetAllocator());
        benchmark::DoNotOptimize(copy.IsObject());
    }
}

void TarnSave(benchmark::State& state) {
    const QByteArray& bytes = text(static_cast<int>(state.range(0)));
    catalog::Document doc;
    catalog::parse(doc, bytes.constData());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data"));
    for (auto _ : state)
        benchmark::DoNotOptimize(catalogstore::save(path, doc));
}

} // namespace

BENCHMARK(RapidJsonParse)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TarnLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonWriteAndPlainWrite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonWriteSyncRename)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TarnSerialise)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TarnCopy)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TarnSave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
