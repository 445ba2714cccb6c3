// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startuppreload.h"

#include "app/systemfonts.h"

#include <QImageReader>

StartupPreload::StartupPreload(const QString& catalogFile, const QString& interfaceFamily)
    : catalogPath(catalogFile), wantedFamily(interfaceFamily), fonts(fontsPromise.get_future()),
      catalog(catalogPromise.get_future()) {
    worker = std::thread(&StartupPreload::run, this);
}

StartupPreload::~StartupPreload() {
    if (!applicationSignalled)
        applicationReady.set_value(false);
    worker.join();
}

void StartupPreload::run() {
    systemfonts::load();
    // "微软雅黑" and its like are Simplified Chinese faces.
    fontsPromise.set_value(systemfonts::faceFor(wantedFamily, "zh-cn"));
    LoadedCatalog loaded;
    loaded.result = catalogstore::load(catalogPath, loaded.doc);
    catalogPromise.set_value(std::move(loaded));
    // Qt looks through its image plugins when the first picture is read;
    // done here, the window's first picture finds them listed.
    if (applicationReady.get_future().get())
        QImageReader::supportedImageFormats();
}

void StartupPreload::applicationStarted() {
    if (applicationSignalled)
        return;
    applicationSignalled = true;
    applicationReady.set_value(true);
}

systemfonts::Face StartupPreload::interfaceFace() {
    if (fonts.valid())
        resolvedFace = fonts.get();
    return resolvedFace;
}

std::optional<CatalogDocument::Loaded> StartupPreload::takeCatalog(const QString& path) {
    if (!catalog.valid() || path != catalogPath)
        return std::nullopt;
    return catalog.get();
}
