// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/textmatch.h"

#include "search/pinyin.h"
#include "search/textfold.h"

#include <algorithm>
#include <cstring>

namespace search::textmatch {

namespace {

bool isHan(char32_t c) {
    return (c >= 0x3400 && c <= 0x9fff) || (c >= 0xf900 && c <= 0xfaff) || (c >= 0x20000 && c <= 0x3ffff);
}

bool isSeparator(char32_t c) {
    const QChar::Category cat = QChar::category(c);
    return QChar::isSpace(c) || (cat >= QChar::Punctuation_Connector && cat <= QChar::Symbol_Other);
}

int countTrailingZeros(std::uint32_t v) {
    int n = 0;
    while (!(v & 1u)) {
        v >>= 1;
        ++n;
    }
    return n;
}

// A second filter: one bit (of 64) per pair of characters that can stand
// next to each other in a query the text matches.
std::uint64_t pairBit(char16_t a, char16_t b) {
    return 1ULL << ((std::uint32_t(a) * 31u + b) * 2654435761u >> 26);
}

// Every pair of neighbours a matching query can hold: inside a character
// (a surrogate pair, a reading) and from what can end one character (itself,
// any letter of its readings) to what can start the next (itself, an
// initial), across spaces and punctuation that may be left out.
std::uint64_t pairsOf(const Unit* t, int n) {
    const auto unitLength = [&](int u) { return u + 1 < n && (t[u + 1].info & kTrail) ? 2 : 1; };
    std::uint64_t pairs = 0;
    for (int u = 0; u < n; u += unitLength(u)) {
        const int len = unitLength(u);
        const int set = t[u].info & kSetBits;
        if (len == 2)
            pairs |= pairBit(t[u].c, t[u + 1].c);
        for (int r = 0; r < pinyin::readingCount(set); ++r) {
            const pinyin::Syllable y = pinyin::reading(set, r);
            for (int k = 0; k + 1 < y.length; ++k)
                pairs |= pairBit(char16_t(y.text[k]), char16_t(y.text[k + 1]));
        }
        const std::uint32_t ends = pinyin::letterMask(set);
        for (int v = u + len; v < n; v += unitLength(v)) {
            const std::uint32_t starts = pinyin::initialMask(t[v].info & kSetBits);
            const char16_t last = t[u + len - 1].c;
            pairs |= pairBit(last, t[v].c);
            for (std::uint32_t b = starts; b; b &= b - 1)
                pairs |= pairBit(last, char16_t(u'a' + countTrailingZeros(b)));
            for (std::uint32_t e = ends; e; e &= e - 1) {
                const char16_t end = char16_t(u'a' + countTrailingZeros(e));
                pairs |= pairBit(end, t[v].c);
                for (std::uint32_t b = starts; b; b &= b - 1)
                    pairs |= pairBit(end, char16_t(u'a' + countTrailingZeros(b)));
            }
            if (!(t[v].info & kSkippable))
                break;
        }
    }
    return pairs;
}

enum Outcome : std::uint8_t { Unknown = 0, Fail = 1, PartialRare = 2, Partial = 3, WholeRare = 4, Whole = 5 };

Outcome rarer(Outcome o) {
    return o == Whole ? WholeRare : o == Partial ? PartialRare : o;
}

// Matches a pattern against one text: from unit `u` with the pattern at `p`.
// A character matches itself; a character with readings also matches any
// non-empty start of any reading, so full pinyin, initials and mixes of
// the two all match; spaces and punctuation in the text may be left out,
// and so may the pattern's leading punctuation ("(libre").
struct Run {
    const View& t;
    const char16_t* q;
    int m;
    int lead;
    std::uint8_t* memo; // (n + 1) * (m + 1)

    bool restSkippable(int u) const {
        for (; u < t.n; ++u)
            if (!(t.s[u].info & (kSkippable | kTrail)))
                return false;
        return true;
    }

    Outcome done(int u) const { return u == t.n || restSkippable(u) ? Whole : Partial; }

    int commonReading(int u) const {
        if (!(t.s[u].info & kPicked) || !t.picks)
            return 0;
        const std::uint32_t at = t.base + std::uint32_t(u);
        const auto it =
            std::lower_bound(t.picks->begin(), t.picks->end(), at,
                             [](const Pick& pick, std::uint32_t unit) { return pick.unit < unit; });
        return it != t.picks->end() && it->unit == at ? it->reading : 0;
    }

    // How far the pattern from p runs along a reading.
    int along(const pinyin::Syllable& y, int p) const {
        int k = 0;
        while (k < y.length && p + k < m && q[p + k] == char16_t(y.text[k]))
            ++k;
        return k;
    }

    Outcome go(int u, int p) {
        if (p == m)
            return done(u);
        if (u >= t.n)
            return Fail;
        std::uint8_t& slot = memo[u * (m + 1) + p];
        if (slot != Unknown)
            return Outcome(slot);
        Outcome best = Fail;
        auto consider = [&best](Outcome o) {
            if (o > best)
                best = o;
            return best == Whole;
        };
        const Unit* s = t.s;
        const int len = (u + 1 < t.n && (s[u + 1].info & kTrail)) ? 2 : 1;
        if (p + len <= m && s[u].c == q[p] && (len == 1 || s[u + 1].c == q[p + 1]) &&
            consider(go(u + len, p + len)))
            return Outcome(slot = best);
        if (const int set = s[u].info & kSetBits) {
            const int common = commonReading(u);
            const int commonRun = along(pinyin::reading(set, common), p);
            const int count = pinyin::readingCount(set);
            for (int r = 0; r < count; ++r) {
                // Longest first: the full syllable is the likelier reading.
                for (int k = along(pinyin::reading(set, r), p); k > 0; --k) {
                    const Outcome o = go(u + len, p + k);
                    if (consider(r == common || k <= commonRun ? o : rarer(o)))
                        return Outcome(slot = best);
                }
            }
        }
        if (p > lead && (s[u].info & kSkippable) && consider(go(u + len, p)))
            return Outcome(slot = best);
        if (p < lead && consider(go(u, p + 1)))
            return Outcome(slot = best);
        slot = best;
        return best;
    }

    bool canStartAt(int u, int p) const {
        const std::uint16_t info = t.s[u].info;
        if (info & kTrail)
            return false;
        if (t.s[u].c == q[p])
            return true;
        if (info & kSkippable)
            return false;
        const int set = info & kSetBits;
        return set && q[p] >= u'a' && q[p] <= u'z' && (pinyin::initialMask(set) & (1u << (q[p] - u'a')));
    }

    // Can the pattern start at unit u at all?
    bool canStart(int u) const {
        for (int p = 0; p <= lead && p < m; ++p)
            if (canStartAt(u, p))
                return true;
        return false;
    }
};

} // namespace

std::uint64_t charBit(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return 1ULL << (c - u'a');
    if (c >= u'0' && c <= u'9')
        return 1ULL << (26 + (c - u'0'));
    if (c < 0x80)
        return 0;
    return 1ULL << (36 + (std::uint32_t(c) * 2654435761u >> 16) % 28);
}

std::uint32_t startBit(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return 1u << (c - u'a');
    return c >= u'0' && c <= u'9' ? 1u << 26 : 1u << 27;
}

Facts appendText(const QString& text, std::vector<Unit>& units, std::vector<Pick>& picks, bool withPairs) {
    Facts f;
    const std::size_t base = units.size();
    QString folded;
    folded.reserve(std::min(int(text.size()), kMaxTextUnits) + 8);
    std::vector<std::uint16_t> info;
    info.reserve(std::size_t(folded.capacity()));
    bool prevSkippable = true, prevHan = false, prevLower = false, prevDigit = false;
    int wordStarts = 0;
    const int length = int(text.size());
    for (int i = 0; i < length && folded.size() < kMaxTextUnits;) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < length && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text.at(i + 1).unicode());
        i += c > 0xffff ? 2 : 1;
        const int at = int(folded.size());
        textfold::append(c, folded);
        if (!f.marked && c >= 0x80) {
            const char32_t lower = QChar::toCaseFolded(c);
            f.marked = QStringView(folded).mid(at) != QString::fromUcs4(&lower, 1);
        }
        // Case is read off the original: a hump of camelCase starts a word.
        const bool upper = c < 0x80 ? (c >= 'A' && c <= 'Z') : QChar::isUpper(c);
        for (int u = at; u < int(folded.size());) {
            char32_t fc = folded.at(u).unicode();
            int width = 1;
            if (QChar::isHighSurrogate(fc) && u + 1 < int(folded.size()) &&
                folded.at(u + 1).isLowSurrogate()) {
                fc = QChar::surrogateToUcs4(char16_t(fc), folded.at(u + 1).unicode());
                width = 2;
            }
            const bool skippable =
                fc < 0x80 ? !((fc >= 'a' && fc <= 'z') || (fc >= '0' && fc <= '9')) && isSeparator(fc)
                          : isSeparator(fc);
            const int set = fc < 0x80 ? 0 : pinyin::readingSet(fc);
            const bool han = set != 0 || isHan(fc);
            const bool digit = fc < 0x80 ? (fc >= '0' && fc <= '9') : QChar::isDigit(fc);
            std::uint16_t flag = std::uint16_t(set);
            if (skippable)
                flag |= kSkippable;
            else if (prevSkippable || han || prevHan || (u == at && upper && prevLower) || digit != prevDigit)
                flag |= kWordStart;
            info.push_back(flag);
            if (width == 2)
                info.push_back(kTrail);
            if (set)
                f.chars |= pinyin::letterMask(set);
            if (flag & kWordStart) {
                ++wordStarts;
                f.starts |= pinyin::initialMask(set) | startBit(char16_t(folded.at(u).unicode()));
            }
            prevSkippable = skippable;
            prevHan = han;
            prevDigit = digit;
            u += width;
        }
        prevLower = c < 0x80 ? (c >= 'a' && c <= 'z') : QChar::isLower(c);
    }
    const int n = std::min(int(folded.size()), kMaxTextUnits);
    const char16_t* src = reinterpret_cast<const char16_t*>(folded.utf16());
    for (int u = 0; u < n; ++u) {
        units.push_back(Unit{src[u], info[std::size_t(u)]});
        f.chars |= charBit(src[u]);
        if (info[std::size_t(u)] & kSetBits)
            f.hasReadings = true;
        if (info[std::size_t(u)] & kSkippable)
            f.hasSkippable = true;
    }
    Unit* s = units.data() + base;
    while (f.firstUnit < n && (s[f.firstUnit].info & (kSkippable | kTrail)))
        ++f.firstUnit;
    f.severalWords = wordStarts > 1;
    if (f.hasReadings) {
        std::uint8_t common[kMaxTextUnits];
        pinyin::commonReadings(src, n, common);
        for (int u = 0; u < n; ++u) {
            if (common[u]) {
                s[u].info |= kPicked;
                picks.push_back(Pick{std::uint32_t(base + std::size_t(u)), common[u]});
            }
        }
    }
    f.pairs = withPairs ? pairsOf(s, n) : ~0ULL;
    return f;
}

Pattern pattern(const QString& folded) {
    Pattern p;
    p.q = folded.toStdU16String();
    const int m = int(p.q.size());
    while (p.lead < m && isSeparator(p.q[std::size_t(p.lead)]))
        ++p.lead;
    if (p.lead == m) // nothing but punctuation: typed as it stands
        p.lead = 0;
    for (int k = p.lead; k < m; ++k) {
        p.chars |= charBit(p.q[std::size_t(k)]);
        if (k + 1 < m)
            p.pairs |= pairBit(p.q[std::size_t(k)], p.q[std::size_t(k + 1)]);
    }
    return p;
}

std::uint8_t* Matcher::clearedMemo(int n, int m) {
    const std::size_t need = std::size_t(n + 1) * std::size_t(m + 1);
    if (memo.size() < need)
        memo.resize(need);
    std::memset(memo.data(), 0, need);
    return memo.data();
}

Found Matcher::contiguous(const View& t, const Pattern& pat) {
    Found best;
    const int m = int(pat.q.size());
    if (t.n == 0 || m == 0)
        return best;
    Run run{t, pat.q.data(), m, pat.lead, nullptr};
    const bool literalOnly = t.plain && pat.lead == 0;
    for (int u = 0; u < t.n; ++u) {
        if (!run.canStart(u))
            continue;
        const bool wordStart = t.s[u].info & kWordStart;
        const bool atStart = u <= t.firstUnit;
        // After a match inside a word, only a word start can do better.
        if (best.where >= 0 && !wordStart && !atStart)
            continue;
        Outcome o;
        if (literalOnly) {
            // Plain text: the pattern matches here exactly when it is here.
            int k = 0;
            while (k < m && u + k < t.n && t.s[u + k].c == pat.q[std::size_t(k)])
                ++k;
            o = k < m ? Fail : u + m == t.n ? Whole : Partial;
        } else {
            if (!run.memo)
                run.memo = clearedMemo(t.n, m);
            o = run.go(u, 0);
        }
        if (o == Fail)
            continue;
        const int where = atStart ? (o >= WholeRare ? 0 : 1) : wordStart ? 2 : 3;
        const bool rare = o == WholeRare || o == PartialRare;
        if (best.where < 0 || where < best.where || (where == best.where && best.rare && !rare))
            best = Found{where, rare};
        if (best.where < 2 || (best.where == 2 && !best.rare))
            break;
    }
    return best;
}

int Matcher::firstFrom(const View& t, const Pattern& pat, int from) {
    const int m = int(pat.q.size());
    if (m == 0)
        return -1;
    Run run{t, pat.q.data(), m, pat.lead, nullptr};
    for (int u = std::max(from, 0); u < t.n; ++u) {
        if (!run.canStart(u))
            continue;
        if (!run.memo)
            run.memo = clearedMemo(t.n, m);
        if (run.go(u, 0) != Fail)
            return u;
    }
    return -1;
}

namespace {

// Word starts in order, each with a part of the pattern from its start.
struct Initials {
    const Unit* s;
    int n;
    const char16_t* q;
    int m;
    std::uint8_t* memo;

    bool begins(int v) const { return (s[v].info & (kWordStart | kSkippable)) == kWordStart; }

    bool from(int u, int p) {
        std::uint8_t& slot = memo[u * (m + 1) + p];
        if (slot != Unknown)
            return slot == Whole;
        bool found = false;
        for (int k = 0; !found && p + k < m && u + k < n; ++k) {
            const int w = u + k;
            if ((k > 0 && (s[w].info & (kWordStart | kSkippable))) || s[w].c != q[p + k])
                break;
            if (p + k + 1 == m) {
                found = true;
                break;
            }
            if (w + 1 < n && (s[w + 1].info & kTrail))
                continue; // the rest of the character first
            for (int v = w + 1; !found && v < n; ++v)
                found = begins(v) && from(v, p + k + 1);
        }
        slot = found ? Whole : Fail;
        return found;
    }
};

// Initials are for names, not paragraphs: the search stays quadratic.
constexpr int kMaxInitialsUnits = 128;

} // namespace

bool Matcher::initials(const View& t, const Pattern& pat) {
    const int m = int(pat.q.size()) - pat.lead;
    if (m < 2 || t.n > kMaxInitialsUnits)
        return false;
    Initials run{t.s, t.n, pat.q.data() + pat.lead, m, clearedMemo(t.n, m)};
    for (int u = 0; u < t.n; ++u)
        if (run.begins(u) && t.s[u].c == run.q[0] && run.from(u, 0))
            return true;
    return false;
}

} // namespace search::textmatch
