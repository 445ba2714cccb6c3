// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where Tarn keeps its files. main() settles it once, before anything reads
// or writes them; until then the portable layout holds, which the suites
// rely on.
namespace datapaths {

enum class Layout {
    // ../Data, resolved against the working directory: Tarn is started from
    // a sibling folder of Data/ (the run script lays it out so).
    Portable,
    // The catalog in $XDG_DATA_HOME/tarn, the settings in $XDG_CONFIG_HOME/tarn.
    Installed,
};

// The layout this build was configured for (CMake option TARN_PORTABLE).
Layout builtLayout();

struct Locations {
    QString dataFolder;   // the catalog, its lock, copies and launch counts
    QString configFolder; // the settings
    // The folders depend on where Tarn was started: starting it again must
    // happen in the same folder.
    bool followsWorkingDirectory = false;
    // Chosen with --data: starting it again must name it again.
    QString chosenFolder;
};

// `chosen` (from --data) holds both files and wins over the layout; it is
// made absolute against the working directory.
Locations resolve(Layout layout, const QString& chosen = QString());

void use(const Locations& locations);
const Locations& current();
// Creates the folders of a chosen or installed layout (first run); the
// portable layout is left as the user laid it out. False when one could
// not be made.
bool makeFolders();

QString dataFolder();
QString catalogFile();
QString configFile();
QString usageFile();

// What starting this Tarn again on the same data takes (at login, from a
// desktop shortcut): the arguments to pass and the folder to start in,
// empty when any will do.
QStringList startArguments();
QString startFolder();

} // namespace datapaths
