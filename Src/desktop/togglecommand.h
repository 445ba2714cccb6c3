// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The command line a desktop's own shortcut settings can run to show or hide
// this Tarn (`Tarn --toggle`), ready to paste. Desktops split it as a shell
// would, without running one. `arguments` (a chosen data folder) come before
// --toggle. With a working directory the command first changes into it,
// because a portable Tarn finds its data relative to the folder it starts in
// and must reach the Tarn that runs on that data.
QString toggleCommand(const QString& executable, const QString& workingDirectory,
                      const QStringList& arguments = QStringList());
