// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startuppreload.h"

#include <QImageReader>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#endif

namespace {

// Qt's platform plugin loads fontconfig for its fonts. Its configuration is
// process-wide and built once, safely from any thread: built here, Qt finds
// it ready. Opened by name so that Tarn needs no fontconfig headers, and a
// system without the library just skips it.
void loadFontConfiguration() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Never closed: Qt goes on using the library.
    void* library = ::dlopen("libfontconfig.so.1", RTLD_LAZY);
    if (!library)
        return;
    using Init = int (*)();
    if (const auto init = reinterpret_cast<Init>(::dlsym(library, "FcInit")))
        init();
#endif
}

QImage decodeSettingsPicture() {
    QImageReader reader(QStringLiteral(":/img/Settings.png"));
    reader.setScaledSize(QSize(StartupPreload::kPictureSize, StartupPreload::kPictureSize));
    return reader.read();
}

} // namespace

StartupPreload* StartupPreload::current = nullptr;

StartupPreload::StartupPreload(const QString& catalogFile)
    : catalogPath(catalogFile), fonts(fontsPromise.get_future()), catalog(catalogPromise.get_future()),
      picture(picturePromise.get_future()) {
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
    loadFontConfiguration();
    fontsPromise.set_value();
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

void StartupPreload::waitForFonts() {
    if (current && current->fonts.valid())
        current->fonts.wait();
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
