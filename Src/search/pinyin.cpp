// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/pinyin.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace search::pinyin {

namespace {

struct Run {
    std::uint32_t first;
    std::uint16_t length;
    std::uint16_t index;
};

#include "search/pinyintable.inc"

struct Syllables {
    std::array<Syllable, kSyllableCount> list;
    Syllables() {
        const char* p = kSyllables;
        for (Syllable& s : list) {
            s.text = p;
            while (*p)
                ++p;
            s.length = int(p - s.text);
            ++p;
        }
    }
};

const Syllables& syllables() {
    static const Syllables table;
    return table;
}

constexpr int kSetsSize = int(std::size(kSets));

bool validSet(int set) {
    return set > 0 && set <= kSetsSize;
}

} // namespace

int readingSet(char32_t codePoint) {
    const Run* end = std::end(kRanges);
    const Run* run = std::upper_bound(std::begin(kRanges), end, codePoint,
                                      [](char32_t cp, const Run& r) { return cp < r.first; });
    if (run == std::begin(kRanges))
        return 0;
    --run;
    if (codePoint >= run->first + run->length)
        return 0;
    return kSetOfCode[run->index + (codePoint - run->first)] + 1;
}

int readingCount(int set) {
    return validSet(set) ? kSets[set - 1] : 0;
}

Syllable reading(int set, int n) {
    if (n < 0 || n >= readingCount(set))
        return Syllable{};
    return syllables().list[kSets[set + n]];
}

namespace {

struct Masks {
    std::array<std::uint32_t, std::size(kSets) + 1> letters{};
    std::array<std::uint32_t, std::size(kSets) + 1> initials{};
    Masks() {
        for (int s = 1; s <= kSetsSize; s += readingCount(s) + 1) {
            for (int n = 0; n < readingCount(s); ++n) {
                const Syllable y = reading(s, n);
                initials[size_t(s)] |= 1u << (y.text[0] - 'a');
                for (int i = 0; i < y.length; ++i)
                    letters[size_t(s)] |= 1u << (y.text[i] - 'a');
            }
        }
    }
};

const Masks& masks() {
    static const Masks m;
    return m;
}

} // namespace

std::uint32_t letterMask(int set) {
    return validSet(set) ? masks().letters[size_t(set)] : 0;
}

std::uint32_t initialMask(int set) {
    return validSet(set) ? masks().initials[size_t(set)] : 0;
}

QStringList readingsOf(char32_t codePoint) {
    QStringList out;
    const int set = readingSet(codePoint);
    for (int n = 0; n < readingCount(set); ++n) {
        const Syllable y = reading(set, n);
        out << QString::fromLatin1(y.text, y.length);
    }
    return out;
}

int tableCodePoints() {
    return int(std::size(kSetOfCode));
}

std::size_t tableBytes() {
    return sizeof(kSyllables) + sizeof(kSets) + sizeof(kRanges) + sizeof(kSetOfCode);
}

} // namespace search::pinyin
