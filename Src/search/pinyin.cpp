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

struct Word {
    std::uint16_t offset; // into kWordText
    std::uint8_t picks[4];
};

#include "search/pinyinwords.inc"

constexpr int kWordTextSize = int(std::size(kWordText));
constexpr int kLongestWord = int(std::size(Word{}.picks));

int wordLength(int w) {
    return (w + 1 < kWordCount ? kWords[w + 1].offset : kWordTextSize) - kWords[w].offset;
}

// The word of exactly `n` characters at `text`, or -1.
int findWord(const char16_t* text, int n) {
    int lo = 0, hi = kWordCount;
    while (lo < hi) { // the first word not below the text
        const int mid = (lo + hi) / 2;
        const char16_t* w = kWordText + kWords[mid].offset;
        if (std::lexicographical_compare(w, w + wordLength(mid), text, text + n))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == kWordCount || wordLength(lo) != n)
        return -1;
    const char16_t* w = kWordText + kWords[lo].offset;
    return std::equal(w, w + n, text) ? lo : -1;
}

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

namespace {

int searchedSet(char32_t codePoint) {
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

// The blocks nearly every Chinese name is written in, looked up directly.
constexpr char32_t kDirectFirst = 0x3400;
constexpr char32_t kDirectLast = 0x9fff;

struct DirectSets {
    std::array<std::uint16_t, kDirectLast - kDirectFirst + 1> sets{};
    DirectSets() {
        for (char32_t c = kDirectFirst; c <= kDirectLast; ++c)
            sets[c - kDirectFirst] = std::uint16_t(searchedSet(c));
    }
};

} // namespace

int readingSet(char32_t codePoint) {
    if (codePoint >= kDirectFirst && codePoint <= kDirectLast) {
        static const DirectSets direct;
        return direct.sets[codePoint - kDirectFirst];
    }
    return searchedSet(codePoint);
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

void commonReadings(const char16_t* text, int n, std::uint8_t* picks) {
    std::fill(picks, picks + n, std::uint8_t(0));
    for (int u = 0; u + 1 < n;) {
        int taken = 1;
        if (readingSet(text[u]) && readingSet(text[u + 1])) {
            for (int len = std::min(kLongestWord, n - u); len >= 2; --len) {
                if (const int w = findWord(text + u, len); w >= 0) {
                    std::copy(kWords[w].picks, kWords[w].picks + len, picks + u);
                    taken = len;
                    break;
                }
            }
        }
        u += taken;
    }
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
