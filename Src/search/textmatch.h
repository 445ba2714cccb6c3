// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// One text as the search sees it (folded, with its word starts, separators
// and the readings of its Chinese characters) and the matching of a typed
// query against it. The index keeps many such texts side by side.
namespace search::textmatch {

// Per code unit: the reading set of the character that starts there
// (12 bits) and what the matcher needs to know about it.
constexpr std::uint16_t kSetBits = 0x0fff;
constexpr std::uint16_t kWordStart = 0x1000; // a word or syllable begins here
constexpr std::uint16_t kSkippable = 0x2000; // space or punctuation: typed or not
constexpr std::uint16_t kTrail = 0x4000;     // second half of a surrogate pair
constexpr std::uint16_t kPicked = 0x8000;    // read here other than customarily: see Pick

// Longer texts are matched on their start only; nobody types further.
constexpr int kMaxTextUnits = 512;

struct Unit {
    char16_t c;
    std::uint16_t info;
};

// The common reading of a character in this text where it is not the
// customary one (the 重 of 重庆), by the unit's place among all units.
struct Pick {
    std::uint32_t unit;
    std::uint8_t reading;
};

// What the quick filters know of a text.
struct Facts {
    std::uint64_t chars = 0;  // characters a query must hold to match it
    std::uint64_t pairs = 0;  // pairs of neighbours in any matching query
    std::uint32_t starts = 0; // letters and digits that can begin a word
    int firstUnit = 0;        // the first unit that is not a separator
    bool hasReadings = false;
    bool hasSkippable = false;
    bool marked = false; // folding did more than lowercase
    bool severalWords = false;
};

// Appends the folded units of a text (its first kMaxTextUnits) to `units`,
// and its uncommon readings to `picks`. Without pairs, `pairs` lets any
// query through (for a text matched once and dropped).
Facts appendText(const QString& text, std::vector<Unit>& units, std::vector<Pick>& picks,
                 bool withPairs = true);

// A quick filter's bit for one character.
std::uint64_t charBit(char16_t c);
std::uint32_t startBit(char16_t c);

// A folded query word, or the whole query with its spaces left out.
struct Pattern {
    std::u16string q;
    int lead = 0; // punctuation it starts with: typed or not
    std::uint64_t chars = 0;
    std::uint64_t pairs = 0;
};
Pattern pattern(const QString& folded);

struct View {
    const Unit* s = nullptr;
    int n = 0;
    int firstUnit = 0;
    bool plain = false;     // no readings, no separators
    std::uint32_t base = 0; // place of s[0] among all units, for picks
    const std::vector<Pick>* picks = nullptr;
};

// How a pattern matched a text, best first: 0 the whole text, 1 its
// start, 2 a word start, 3 elsewhere; -1 not at all.
struct Found {
    int where = -1;
    bool rare = false; // only by a reading that is not the common one here
};

class Matcher {
public:
    Found contiguous(const View& text, const Pattern& p);
    // The leftmost place from `from` on where the pattern matches, or -1.
    int firstFrom(const View& text, const Pattern& p, int from);
    // The pattern as starts of words taken in order, each typed in part
    // (vsc, vscode for Visual Studio Code; ps for PhotoShop); words may be
    // passed over. Spelled literally: readings already give Chinese names
    // their initials.
    bool initials(const View& text, const Pattern& p);

    std::size_t memoryBytes() const { return memo.capacity(); }

private:
    std::uint8_t* clearedMemo(int n, int m);
    std::vector<std::uint8_t> memo;
};

} // namespace search::textmatch
