// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's font configuration (fontconfig where Qt uses it), opened by
// name at run time: a system without it simply goes without what follows.
namespace systemfonts {

// Loads the configuration Qt's font database is built from. It is
// process-wide, built once and safe from any thread, so Qt later finds it
// ready.
void load();

// The family to ask Qt for in place of `family`. Where `family` is not
// installed, Qt would look for its stand-in on every start, sorting every
// installed face twice (once for Latin text, once for Han) on the thread
// that draws the window. Asking the configuration once, for the face it
// gives `family` in `language`, names that stand-in directly. Returns
// `family` itself where it is installed or nothing can be asked.
QString familyFor(const QString& family, const char* language);

} // namespace systemfonts
