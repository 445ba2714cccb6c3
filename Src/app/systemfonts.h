// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

// The system's font configuration (fontconfig where Qt uses it), opened by
// name at run time: a system without it simply goes without what follows.
namespace systemfonts {

// Loads the configuration Qt's font database is built from. It is
// process-wide, built once and safe from any thread, so Qt later finds it
// ready.
void load();

struct Face {
    QString family;
    // False where the configuration turns hinting off for the face, as
    // fonts-wqy-microhei does for WenQuanYi Micro Hei. Qt reads only the
    // hint style and would hint it all the same.
    bool hinted = true;
};

// The face to ask Qt for in place of `family`. Where `family` is not
// installed, Qt would look for its stand-in on every start, sorting every
// installed face twice (once for Latin text, once for Han) on the thread
// that draws the window. Asking the configuration once, for the face it
// gives `family` in `language`, names that stand-in directly. The family is
// `family` itself where it is installed or nothing can be asked.
Face faceFor(const QString& family, const char* language);

// `face` at `pointSize`, hinted as the configuration says: unhinted, text
// looks as it does in the desktop's other programs, and Qt skips FreeType's
// autohinter, which first sorts every character of a Chinese face by
// script.
QFont fontOf(const Face& face, int pointSize);

} // namespace systemfonts
