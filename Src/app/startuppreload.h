// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogstore.h"

#include <QImage>
#include <QString>

#include <future>
#include <thread>

// Start-up work that needs neither the display nor a widget, done on the
// second core while the GUI thread connects to the display and builds the
// window: reading the catalog file, loading the font configuration (the
// largest single piece of a Qt program's start) and decoding the settings
// button's picture.
//
// One object lives in main() for the whole run. The window takes what it
// needs through the static functions, which wait for the piece they return;
// where no preload runs (tests, a window made later) they return nothing and
// the caller does the work itself.
class StartupPreload {
public:
    // Starts reading `catalogFile` and loading the fonts' configuration.
    // Nothing else may touch `catalogFile` until the window has taken it.
    explicit StartupPreload(const QString& catalogFile);
    // Waits for whatever is still running; the picture is not decoded if
    // startPictures() never ran.
    ~StartupPreload();
    StartupPreload(const StartupPreload&) = delete;
    StartupPreload& operator=(const StartupPreload&) = delete;

    // Image readers look for plugins in the application's folders, so this
    // starts once the application object exists.
    void startPictures();

    // Returns once the font configuration is loaded; a font look-up before
    // then would load it a second time beside the preload.
    static void waitForFonts();
    // Moves the preloaded catalog into `doc` (which must be empty and hold
    // nothing of its allocator) and its result into `result`. False where
    // nothing was preloaded for `path` or it was taken already.
    static bool takeCatalog(const QString& path, catalog::Document& doc, catalogstore::LoadResult& result);
    // The settings button's picture, decoded at kPictureSize, or a null image
    // (also before startPictures(), and once taken).
    static QImage takeSettingsPicture();

    static constexpr int kPictureSize = 96; // enough for 24 px at 4x

private:
    struct LoadedCatalog {
        catalog::Document doc;
        catalogstore::LoadResult result;
    };
    void run();

    static StartupPreload* current;
    const QString catalogPath;
    // One thread does it all, in the order the window needs it, so that it
    // never takes more than the one core from the GUI thread and the X
    // server.
    std::promise<void> applicationReady;
    bool applicationSignalled = false;
    bool cancelled = false;
    std::promise<void> fontsPromise;
    std::promise<LoadedCatalog> catalogPromise;
    std::promise<QImage> picturePromise;
    std::future<void> fonts;
    std::future<LoadedCatalog> catalog;
    std::future<QImage> picture;
    std::thread worker; // last: started once all the above exist
};
