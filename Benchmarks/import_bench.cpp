// SPDX-License-Identifier: GPL-3.0-or-later
// Importing the installed applications: reading this machine's menu and a
// generated one of 2,000 entries (the scan runs on a thread of its own), and
// adding them to a new catalog (the one edit the GUI thread makes).
#include "catalog/catalogimport.h"
#include "launch/applicationmenu.h"
#include "launch/desktopentry.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int kEntries = 2000;

const char* const kCategories[] = {
    "AudioVideo;Player;", "Development;IDE;",         "Education;", "Game;ArcadeGame;",
    "Graphics;Viewer;",   "Network;WebBrowser;",      "Office;",    "Science;",
    "Settings;",          "System;TerminalEmulator;", "Utility;",   "X-Own;"};

// A menu the size of a well-filled desktop several times over: entries in
// two folders (a tenth of them in the user's, some shadowing), one in
// eight in a vendor sub-folder, Chinese and English names.
const QTemporaryDir& generatedMenu() {
    static std::unique_ptr<QTemporaryDir> dir;
    if (dir)
        return *dir;
    dir = std::make_unique<QTemporaryDir>();
    for (const char* folder : {"home/applications/vendor", "system/applications/vendor"})
        QDir(dir->path()).mkpath(QLatin1String(folder));
    for (int i = 0; i < kEntries; ++i) {
        const bool home = i % 10 == 0;
        const QString name =
            (i % 8 == 0 ? QStringLiteral("vendor/app%1.desktop") : QStringLiteral("app%1.desktop")).arg(i);
        QFile file(dir->filePath(
            (home ? QStringLiteral("home/applications/") : QStringLiteral("system/applications/")) + name));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(QStringLiteral(
                       "[Desktop Entry]\nType=Application\nName=Application %1\nName[zh_CN]=应用程序%1\n"
                       "GenericName=Tool\nComment=Does thing number %1\nIcon=app%1\nExec=sh -c true %U\n"
                       "Terminal=false\nCategories=%2\nKeywords=one;two;three;\n"
                       "MimeType=text/plain;image/png;\n\n[Desktop Action new]\nName=New\nExec=sh -c new\n")
                       .arg(i)
                       .arg(QLatin1String(kCategories[i % std::size(kCategories)]))
                       .toUtf8());
    }
    return *dir;
}

QStringList generatedFolders() {
    const QTemporaryDir& dir = generatedMenu();
    return {dir.filePath(QStringLiteral("home/applications")),
            dir.filePath(QStringLiteral("system/applications"))};
}

const QStringList kLanguages{QStringLiteral("zh_CN.UTF-8"), QStringLiteral("zh_CN")};

void ImportScanThisMachine(benchmark::State& state) {
    const QStringList folders = desktopentry::applicationFolders();
    int found = 0;
    for (auto _ : state)
        found = applicationmenu::scan(folders, applicationmenu::currentDesktops(), kLanguages).size();
    state.counters["entries"] = found;
}

void ImportScanGenerated(benchmark::State& state) {
    const QStringList folders = generatedFolders();
    int found = 0;
    for (auto _ : state)
        found = applicationmenu::scan(folders, {}, kLanguages).size();
    state.counters["entries"] = found;
}

// The edit itself, into the catalog a new Tarn starts with.
void ImportApplyGenerated(benchmark::State& state) {
    const QStringList folders = generatedFolders();
    const QVector<applicationmenu::Application> applications = applicationmenu::scan(folders, {}, kLanguages);
    catalog::ImportNames names{QStringLiteral("应用程序"), {}};
    for (int c = 0; c < applicationmenu::kCategoryCount; ++c)
        names.groups << QStringLiteral("分组%1").arg(c);
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        catalog::Document doc;
        doc.SetObject();
        catalog::Value types(rapidjson::kArrayType);
        types.PushBack(catalog::defaultType(doc.GetAllocator()), doc.GetAllocator());
        doc.AddMember(rapidjson::StringRef(catalog::kType), types, doc.GetAllocator());
        state.ResumeTiming();
        added = catalog::importApplications(doc, applications, names, folders);
    }
    state.counters["added"] = added;
}

} // namespace

BENCHMARK(ImportScanThisMachine)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportScanGenerated)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportApplyGenerated)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
