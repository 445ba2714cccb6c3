// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdint>

// Toneless Mandarin readings of Han characters, from a table generated out of
// Unihan (scripts/gen_pinyin.py). ü reads both "v" and "u".
namespace search::pinyin {

// The reading set of a code point: 0 when it has no reading, else an id
// below 4096 shared by every character with the same readings.
int readingSet(char32_t codePoint);

// The readings in a set, lowercase ASCII, the customary one first (the one
// a character alone is most often read with).
struct Syllable {
    const char* text = nullptr;
    int length = 0;
};
int readingCount(int set);
Syllable reading(int set, int n);

// Bits 0-25: the letters a-z that occur in any reading of the set.
std::uint32_t letterMask(int set);
// Bits 0-25: the first letters of the set's readings.
std::uint32_t initialMask(int set);

// The common reading of each character of a text, as its index in the
// character's reading set: where a word read otherwise than its characters
// alone covers it (重庆 chongqing, 银行 yinhang), that word's reading, else
// 0. Words are taken greedily, longest first. `picks` has room for `n`.
void commonReadings(const char16_t* text, int n, std::uint8_t* picks);

// Every reading of a code point, for display and tests.
QStringList readingsOf(char32_t codePoint);

// Sizes of the generated table, for the benchmarks.
int tableCodePoints();
std::size_t tableBytes();

} // namespace search::pinyin
