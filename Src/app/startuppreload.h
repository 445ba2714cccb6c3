// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogstore.h"

#include <QImage>
#include <QString>

#include <future>
#include <thread>

// Start-up work that needs neither the display nor a widget, done on the
// second core while the GUI thread connects to the display and builds the
// window: loading the font configuration (the largest single piece of a Qt
// program's start) and finding the interface font's family in it, reading
// the catalog file and decoding the settings button's picture.
//
// One object lives in main() for the whole run. The window takes what it
// needs through the static functions, which wait for the piece they return;
// where no preload runs (tests, a window made later) they return nothing and
// the caller does the work itself.
class StartupPreload {
public:
    // Starts loading the fonts' configuration and reading `catalogFile`.
    // Nothing else may touch `catalogFile` until the window has taken it.
    // `interfaceFamily` is the interface font's family as the program names it.
    StartupPreload(const QString& catalogFile, const QString& interfaceFamily);
    // Waits for whatever is still running; the picture is not decoded if
    // startPictures() never ran.
    ~StartupPreload();
    StartupPreload(const StartupPreload&) = delete;
    StartupPreload& operator=(const StartupPreload&) = delete;

    // Image readers look for plugins in the application's folders, so this
    // starts once the application object exists.
    void startPictures();

    // Waits for the font configuration (a font look-up before then would
    // load it a second time beside the preload) and returns the family to
    // ask for: the one given, or the installed face standing in for it.
    QString fontFamily();
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
    const QString wantedFamily;
    QString resolvedFamily;
    // One thread does it all, in the order the window needs it, so that it
    // never takes more than the one core from the GUI thread and the X
    // server.
    std::promise<void> applicationReady;
    bool applicationSignalled = false;
    bool cancelled = false;
    std::promise<QString> fontsPromise;
    std::promise<LoadedCatalog> catalogPromise;
    std::promise<QImage> picturePromise;
    std::future<QString> fonts;
    std::future<LoadedCatalog> catalog;
    std::future<QImage> picture;
    std::thread worker; // last: started once all the above exist
};
