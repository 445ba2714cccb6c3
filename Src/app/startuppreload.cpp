// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startuppreload.h"

#include "app/systemfonts.h"

#include <QImageReader>

namespace {

QImage decodeSettingsPicture() {
    QImageReader reader(QStringLiteral(":/img/Settings.png"));
    reader.setScaledSize(QSize(StartupPreload::kPictureSize, StartupPreload::kPictureSize));
    return reader.read();
}

} // namespace

StartupPreload* StartupPreload::current = nullptr;

StartupPreload::StartupPreload(const QString& catalogFile, const QString& interfaceFamily)
    : catalogPath(catalogFile), wantedFamily(interfaceFamily), fonts(fontsPromise.get_future()),
      catalog(catalogPromise.get_future()), picture(picturePromise.get_future()) {
    current = this;
    worker = std::thread(&StartupPreload::run, this);
}

StartupPreload::~StartupPreload() {
    current = nullptr;
    if (!applicationSignalled) {
        cancelled = true;
        applicationReady.set_value();
    }
    worker.join();
}

void StartupPreload::run() {
    systemfonts::load();
    // "微软雅黑" and its like are Simplified Chinese faces.
    fontsPromise.set_value(systemfonts::familyFor(wantedFamily, "zh-cn"));
    LoadedCatalog loaded;
    loaded.result = catalogstore::load(catalogPath, loaded.doc);
    catalogPromise.set_value(std::move(loaded));
    applicationReady.get_future().wait();
    picturePromise.set_value(cancelled ? QImage() : decodeSettingsPicture());
}

void StartupPreload::startPictures() {
    if (applicationSignalled)
        return;
    applicationSignalled = true;
    applicationReady.set_value();
}

QString StartupPreload::fontFamily() {
    if (fonts.valid())
        resolvedFamily = fonts.get();
    return resolvedFamily;
}

bool StartupPreload::takeCatalog(const QString& path, catalog::Document& doc,
                                 catalogstore::LoadResult& result) {
    if (!current || !current->catalog.valid() || path != current->catalogPath)
        return false;
    LoadedCatalog loaded = current->catalog.get();
    doc.Swap(loaded.doc);
    result = loaded.result;
    return true;
}

QImage StartupPreload::takeSettingsPicture() {
    // Before startPictures() nothing is on its way: waiting would never end.
    if (!current || !current->applicationSignalled || !current->picture.valid())
        return QImage();
    return current->picture.get();
}
