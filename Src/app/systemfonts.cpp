// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/systemfonts.h"

#if defined(TARN_FONTCONFIG)
#include <fontconfig/fontconfig.h>

#include <dlfcn.h>

#include <type_traits>
#endif

namespace systemfonts {

#if defined(TARN_FONTCONFIG)
namespace {

// Only the header is used at build time; the library is the one Qt loads.
struct Library {
    decltype(&FcInit) init = nullptr;
    decltype(&FcPatternCreate) patternCreate = nullptr;
    decltype(&FcPatternDestroy) patternDestroy = nullptr;
    decltype(&FcPatternAddString) patternAddString = nullptr;
    decltype(&FcPatternGetString) patternGetString = nullptr;
    decltype(&FcPatternGetBool) patternGetBool = nullptr;
    decltype(&FcConfigSubstitute) configSubstitute = nullptr;
    decltype(&FcDefaultSubstitute) defaultSubstitute = nullptr;
    decltype(&FcFontMatch) fontMatch = nullptr;

    bool canMatch() const {
        return patternCreate && patternDestroy && patternAddString && patternGetString && configSubstitute &&
               defaultSubstitute && fontMatch;
    }
};

const Library& library() {
    static const Library opened = [] {
        Library lib;
        // Never closed: Qt goes on using it.
        void* handle = ::dlopen("libfontconfig.so.1", RTLD_LAZY);
        if (!handle)
            return lib;
        auto find = [handle](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
        };
        find(lib.init, "FcInit");
        find(lib.patternCreate, "FcPatternCreate");
        find(lib.patternDestroy, "FcPatternDestroy");
        find(lib.patternAddString, "FcPatternAddString");
        find(lib.patternGetString, "FcPatternGetString");
        find(lib.patternGetBool, "FcPatternGetBool");
        find(lib.configSubstitute, "FcConfigSubstitute");
        find(lib.defaultSubstitute, "FcDefaultSubstitute");
        find(lib.fontMatch, "FcFontMatch");
        return lib;
    }();
    return opened;
}

const FcChar8* text(const QByteArray& bytes) {
    return reinterpret_cast<const FcChar8*>(bytes.constData());
}

} // namespace

void load() {
    if (const Library& fc = library(); fc.init)
        fc.init();
}

Face faceFor(const QString& family, const char* language) {
    const Library& fc = library();
    if (!fc.canMatch() || family.isEmpty())
        return {family};
    FcPattern* pattern = fc.patternCreate();
    if (!pattern)
        return {family};
    fc.patternAddString(pattern, FC_FAMILY, text(family.toUtf8()));
    fc.patternAddString(pattern, FC_LANG, text(QByteArray(language)));
    fc.configSubstitute(nullptr, pattern, FcMatchPattern);
    fc.defaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = fc.fontMatch(nullptr, pattern, &result);
    fc.patternDestroy(pattern);
    if (!match)
        return {family};
    // A face has a name per language; any of them being `family` means it
    // is installed, and Qt is asked for it as the caller named it.
    Face face;
    FcChar8* name = nullptr;
    for (int i = 0; fc.patternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        const QString found = QString::fromUtf8(reinterpret_cast<const char*>(name));
        if (found.compare(family, Qt::CaseInsensitive) == 0) {
            face.family = family;
            break;
        }
        if (face.family.isEmpty())
            face.family = found;
    }
    if (face.family.isEmpty())
        face.family = family;
    // The match carries the face's own rules, those for a size at
    // fontconfig's default one, near the interface's.
    FcBool hinting = FcTrue;
    if (fc.patternGetBool && fc.patternGetBool(match, FC_HINTING, 0, &hinting) == FcResultMatch)
        face.hinted = hinting != FcFalse;
    fc.patternDestroy(match);
    return face;
}

#else

void load() {}

Face faceFor(const QString& family, const char*) {
    return {family};
}

#endif

QFont fontOf(const Face& face, int pointSize) {
    QFont font(face.family, pointSize);
    if (!face.hinted)
        font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace systemfonts
