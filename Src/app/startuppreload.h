// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/systemfonts.h"
#include "catalog/catalogdocument.h"

#include <QString>

#include <future>
#include <thread>

// Start-up work that needs neither the display nor a widget, done on the
// second core while the GUI thread connects to the display and builds the
// window: loading the font configuration (the largest single piece of a Qt
// program's start), finding the interface font's family in it, reading the
// catalog file, and listing the image plugins.
//
// One object lives in main() for the whole run; main() hands the catalog
// to the window, which waits for it when it needs it.
class StartupPreload {
public:
    // Starts loading the fonts' configuration and reading `catalogFile`.
    // `interfaceFamily` is the interface font's family as the program names
    // it. Nothing else may touch `catalogFile` until the window has taken it.
    StartupPreload(const QString& catalogFile, const QString& interfaceFamily);
    // Waits for whatever is still running.
    ~StartupPreload();
    StartupPreload(const StartupPreload&) = delete;
    StartupPreload& operator=(const StartupPreload&) = delete;

    // Image plugins are looked for in the application's folders too, so
    // they are listed only once the application object exists.
    void applicationStarted();

    // Waits for the font configuration (a font look-up before then would
    // load it a second time beside the preload) and returns the face to ask
    // for: the one given, or the installed face standing in for it.
    systemfonts::Face interfaceFace();
    // Waits for the catalog and hands it over; nothing where it was read
    // from another path than `path`, or was taken already.
    std::optional<CatalogDocument::Loaded> takeCatalog(const QString& path);

private:
    using LoadedCatalog = CatalogDocument::Loaded;
    void run();

    const QString catalogPath;
    const QString wantedFamily;
    systemfonts::Face resolvedFace;
    // One thread does it all, in the order the window needs it, so that it
    // never takes more than the one core from the GUI thread and the X
    // server.
    std::promise<bool> applicationReady; // false: the program ends first
    bool applicationSignalled = false;
    std::promise<systemfonts::Face> fontsPromise;
    std::promise<LoadedCatalog> catalogPromise;
    std::future<systemfonts::Face> fonts;
    std::future<LoadedCatalog> catalog;
    std::thread worker; // last: started once all the above exist
};
