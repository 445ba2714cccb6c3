// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/itemindex.h"

#include "search/hashing.h"
#include "search/pinyin.h"
#include "search/usagestore.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace search {

namespace {

// Per code unit of an indexed text: the reading set of the character that
// starts there (12 bits) and what the matcher needs to know about it.
constexpr std::uint16_t kSetBits = 0x0fff;
constexpr std::uint16_t kWordStart = 0x1000; // a word or syllable begins here
constexpr std::uint16_t kSkippable = 0x2000; // space or punctuation: typed or not
constexpr std::uint16_t kTrail = 0x4000;     // second half of a surrogate pair

// Longer texts are matched on their start only; nobody types further.
constexpr int kMaxTextUnits = 512;
constexpr int kMaxQueryUnits = 64;

// A character of an indexed text with what the matcher needs to know of it,
// side by side so that one cache line serves both.
struct Unit {
    char16_t c;
    std::uint16_t info;
};

// One lowercase text (an Item's name, or the file name of its path), shared
// by every Item that has it.
struct Text {
    std::uint32_t offset = 0; // into units
    std::uint16_t length = 0;
    std::uint16_t firstUnit : 14; // first unit that is not skippable
    std::uint16_t hasReadings : 1;
    std::uint16_t hasSkippable : 1;
    std::uint64_t chars = 0;  // characters a query must hold to match it
    std::uint64_t pairs = 0;  // pairs of neighbours in any matching query
    std::uint64_t digest = 0; // of the name's or path's bytes
};

struct ItemRec {
    ItemRef ref;
    std::uint32_t name = 0; // Text ids
    std::uint32_t file = 0;
    UsageStore::Key key = 0;
};

// A quick filter: bits for the characters a text can match (letters and
// digits one each, other characters by a hash), so a query whose bits are
// not all there is turned down without looking at the text.
std::uint64_t charBit(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return 1ULL << (c - u'a');
    if (c >= u'0' && c <= u'9')
        return 1ULL << (26 + (c - u'0'));
    if (c < 0x80)
        return 0;
    return 1ULL << (36 + (std::uint32_t(c) * 2654435761u >> 16) % 28);
}

bool isHan(char32_t c) {
    return (c >= 0x3400 && c <= 0x9fff) || (c >= 0xf900 && c <= 0xfaff) || (c >= 0x20000 && c <= 0x3ffff);
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
std::uint64_t pairsOf(const char16_t* t, const std::uint16_t* info, int n) {
    const auto unitLength = [&](int u) { return u + 1 < n && (info[u + 1] & kTrail) ? 2 : 1; };
    std::uint64_t pairs = 0;
    for (int u = 0; u < n; u += unitLength(u)) {
        const int len = unitLength(u);
        const int set = info[u] & kSetBits;
        if (len == 2)
            pairs |= pairBit(t[u], t[u + 1]);
        for (int r = 0; r < pinyin::readingCount(set); ++r) {
            const pinyin::Syllable y = pinyin::reading(set, r);
            for (int k = 0; k + 1 < y.length; ++k)
                pairs |= pairBit(char16_t(y.text[k]), char16_t(y.text[k + 1]));
        }
        const std::uint32_t ends = pinyin::letterMask(set);
        for (int v = u + len; v < n; v += unitLength(v)) {
            const std::uint32_t starts = pinyin::initialMask(info[v] & kSetBits);
            const char16_t last = t[u + len - 1];
            pairs |= pairBit(last, t[v]);
            for (std::uint32_t b = starts; b; b &= b - 1)
                pairs |= pairBit(last, char16_t(u'a' + countTrailingZeros(b)));
            for (std::uint32_t e = ends; e; e &= e - 1) {
                const char16_t end = char16_t(u'a' + countTrailingZeros(e));
                pairs |= pairBit(end, t[v]);
                for (std::uint32_t b = starts; b; b &= b - 1)
                    pairs |= pairBit(end, char16_t(u'a' + countTrailingZeros(b)));
            }
            if (!(info[v] & kSkippable))
                break;
        }
    }
    return pairs;
}

enum Outcome : std::uint8_t { Unknown = 0, Fail = 1, Partial = 2, Whole = 3 };

// Matches a query against one text: from unit `u` with the query at `p`.
// A character matches itself; a character with readings also matches any
// non-empty start of any reading, so full pinyin, initials and mixes of
// the two all match; spaces and punctuation in the text may be left out.
struct Matcher {
    const Unit* s;
    int n;
    const char16_t* q;
    int m;
    std::uint8_t* memo; // (n + 1) * (m + 1)

    bool restSkippable(int u) const {
        for (; u < n; ++u)
            if (!(s[u].info & (kSkippable | kTrail)))
                return false;
        return true;
    }

    Outcome go(int u, int p) {
        if (p == m)
            return u == n || restSkippable(u) ? Whole : Partial;
        if (u >= n)
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
        const int len = (u + 1 < n && (s[u + 1].info & kTrail)) ? 2 : 1;
        if (p + len <= m && s[u].c == q[p] && (len == 1 || s[u + 1].c == q[p + 1]) &&
            consider(go(u + len, p + len)))
            return Outcome(slot = best);
        if (const int set = s[u].info & kSetBits) {
            const int count = pinyin::readingCount(set);
            for (int r = 0; r < count; ++r) {
                const pinyin::Syllable y = pinyin::reading(set, r);
                int k = 0;
                while (k < y.length && p + k < m && q[p + k] == char16_t(y.text[k]))
                    ++k;
                // Longest first: the full syllable is the likelier reading.
                for (; k > 0; --k)
                    if (consider(go(u + len, p + k)))
                        return Outcome(slot = best);
            }
        }
        if (p > 0 && (s[u].info & kSkippable) && consider(go(u + len, p)))
            return Outcome(slot = best);
        slot = best;
        return best;
    }

    // Can the query start at unit u at all?
    bool canStart(int u) const {
        if (s[u].info & (kSkippable | kTrail))
            return false;
        if (s[u].c == q[0])
            return true;
        const int set = s[u].info & kSetBits;
        return set && q[0] >= u'a' && q[0] <= u'z' && (pinyin::initialMask(set) & (1u << (q[0] - u'a')));
    }
};

} // namespace

struct ItemIndex::Data {
    std::vector<Unit> units;
    std::vector<Text> texts;
    std::vector<ItemRec> items;
    // What was worked out of each name and path, found by a digest of its
    // bytes: an open-addressed table of Text ids (a power of two in size).
    std::vector<std::uint32_t> memoTable;
    std::uint32_t generation = 0;

    // Usage slots per Item, refreshed when the store or the index changes.
    mutable std::vector<int> usageSlots;
    mutable const UsageStore* usageFor = nullptr;
    mutable std::uint64_t usageRevision = 0;
    mutable std::uint32_t usageGeneration = 0;
    mutable std::vector<std::uint8_t> memo;

    std::uint32_t addText(const QString& original, std::uint64_t digest);
    std::uint32_t* memoSlot(std::uint64_t digest);
    // The Text of a name or path; `hint` is the id the same Item had at the
    // last rebuild, tried before the memo since most Items are unchanged.
    std::uint32_t nameText(const char* s, std::size_t length, std::uint32_t hint);
    std::uint32_t fileText(const char* s, std::size_t length, std::uint32_t hint);
    bool sameText(std::uint32_t id, std::uint64_t digest) const {
        return id < texts.size() && texts[id].digest == digest;
    }
    void forget();

    // Best outcome of the query on one text: the match kind, or -1.
    int matchText(const Text& text, const char16_t* q, int m, bool isName) const;
};

void ItemIndex::Data::forget() {
    units.clear();
    texts.clear();
    memoTable.clear();
    units.shrink_to_fit();
    texts.shrink_to_fit();
    memoTable.shrink_to_fit();
}

constexpr std::uint32_t kEmpty = 0xffffffffu;

std::uint32_t* ItemIndex::Data::memoSlot(std::uint64_t digest) {
    if (memoTable.size() < 2 * (texts.size() + 1)) {
        std::vector<std::uint32_t> grown(std::max<std::size_t>(1024, memoTable.size() * 2), kEmpty);
        const std::size_t mask = grown.size() - 1;
        for (std::uint32_t id = 0; id < texts.size(); ++id) {
            std::size_t at = texts[id].digest & mask;
            while (grown[at] != kEmpty)
                at = (at + 1) & mask;
            grown[at] = id;
        }
        memoTable.swap(grown);
    }
    const std::size_t mask = memoTable.size() - 1;
    std::size_t at = digest & mask;
    while (memoTable[at] != kEmpty && texts[memoTable[at]].digest != digest)
        at = (at + 1) & mask;
    return &memoTable[at];
}

std::uint32_t ItemIndex::Data::addText(const QString& original, std::uint64_t digest) {
    const QString head = original.left(kMaxTextUnits);
    const QString lower = head.toLower();
    const int n = qMin(int(lower.size()), kMaxTextUnits);
    Text text{};
    text.digest = digest;
    text.offset = std::uint32_t(units.size());
    text.length = std::uint16_t(n);
    const char16_t* src = reinterpret_cast<const char16_t*>(lower.utf16());
    std::vector<std::uint16_t> flags(std::size_t(n), 0);
    std::uint16_t* inf = flags.data();
    // Word starts are read off the original case (camelCase) where the
    // lowercase text lines up with it.
    const bool sameLength = lower.size() == head.size();
    bool prevSkippable = true, prevHan = false, prevLower = false, prevDigit = false;
    for (int u = 0; u < n; ++u) {
        char32_t c = src[u];
        int len = 1;
        if (QChar::isHighSurrogate(c) && u + 1 < n && QChar::isLowSurrogate(src[u + 1])) {
            c = QChar::surrogateToUcs4(src[u], src[u + 1]);
            len = 2;
            inf[u + 1] = kTrail;
        }
        const QChar::Category cat = QChar::category(c);
        const bool skippable =
            QChar::isSpace(c) || (cat >= QChar::Punctuation_Connector && cat <= QChar::Symbol_Other);
        const int set = pinyin::readingSet(c);
        const bool han = set != 0 || isHan(c);
        const bool upper = sameLength && head.at(u).isUpper();
        const bool digit = QChar::isDigit(c);
        std::uint16_t f = std::uint16_t(set);
        if (skippable)
            f |= kSkippable;
        else if (prevSkippable || han || prevHan || (upper && prevLower) || (digit != prevDigit))
            f |= kWordStart;
        inf[u] |= f;
        if (set)
            text.chars |= pinyin::letterMask(set);
        text.chars |= charBit(src[u]);
        if (len == 2)
            text.chars |= charBit(src[u + 1]);
        prevSkippable = skippable;
        prevHan = han;
        prevLower = QChar::isLower(c);
        prevDigit = digit;
        u += len - 1;
    }
    int first = 0;
    while (first < n && (inf[first] & (kSkippable | kTrail)))
        ++first;
    text.firstUnit = std::uint16_t(first);
    text.hasReadings = std::any_of(inf, inf + n, [](std::uint16_t f) { return (f & kSetBits) != 0; });
    text.hasSkippable = std::any_of(inf, inf + n, [](std::uint16_t f) { return (f & kSkippable) != 0; });
    text.pairs = pairsOf(src, inf, n);
    for (int u = 0; u < n; ++u)
        units.push_back(Unit{src[u], inf[u]});
    texts.push_back(text);
    return std::uint32_t(texts.size() - 1);
}

std::uint32_t ItemIndex::Data::nameText(const char* s, std::size_t length, std::uint32_t hint) {
    const std::uint64_t digest = hashBytes(s, length, 0x6e616d65ULL);
    if (sameText(hint, digest))
        return hint;
    std::uint32_t* slot = memoSlot(digest);
    if (*slot == kEmpty)
        *slot = addText(QString::fromUtf8(s, int(length)), digest);
    return *slot;
}

std::uint32_t ItemIndex::Data::fileText(const char* s, std::size_t length, std::uint32_t hint) {
    const std::uint64_t digest = hashBytes(s, length, 0x70617468ULL);
    if (sameText(hint, digest))
        return hint;
    std::uint32_t* slot = memoSlot(digest);
    if (*slot != kEmpty)
        return *slot;
    // The last part of the path, trailing separators aside; a web address
    // gives its last part too ("www.example.com" or a page name).
    std::size_t end = length;
    while (end > 0 && (s[end - 1] == '/' || s[end - 1] == '\\'))
        --end;
    std::size_t begin = end;
    while (begin > 0 && s[begin - 1] != '/' && s[begin - 1] != '\\')
        --begin;
    return *slot = addText(QString::fromUtf8(s + begin, int(end - begin)), digest);
}

ItemIndex::ItemIndex() : d(new Data) {}
ItemIndex::~ItemIndex() = default;

void ItemIndex::clear() {
    d->items.clear();
    d->forget();
    ++d->generation;
}

namespace {

// A string member's bytes up to the first NUL; empty when absent.
const char* bytesOf(const catalog::Value& object, const char* name, std::size_t* length) {
    const auto it = object.FindMember(name);
    if (it == object.MemberEnd() || !it->value.IsString()) {
        *length = 0;
        return "";
    }
    *length = qstrnlen(it->value.GetString(), it->value.GetStringLength());
    return it->value.GetString();
}

const catalog::Value* arrayOf(const catalog::Value& object, const char* name) {
    if (!object.IsObject())
        return nullptr;
    const auto it = object.FindMember(name);
    return it != object.MemberEnd() && it->value.IsArray() ? &it->value : nullptr;
}

} // namespace

namespace {

// Drops spare capacity left by growth, keeping a little room for edits.
template <typename T> void fit(std::vector<T>& v) {
    const std::size_t room = v.size() / 16 + 256;
    if (v.capacity() <= v.size() + 2 * room)
        return;
    std::vector<T> fitted;
    fitted.reserve(v.size() + room);
    fitted.assign(v.begin(), v.end());
    v.swap(fitted);
}

} // namespace

void ItemIndex::rebuild(const catalog::Value& root) {
    // Text of names and paths no longer in the Catalog stays in the memo;
    // once it outweighs the live text, start over.
    std::size_t liveUnits = 0;
    for (const ItemRec& r : d->items)
        liveUnits += d->texts[r.name].length + d->texts[r.file].length;
    std::vector<ItemRec> previous;
    if (d->units.size() > 2 * liveUnits + (1u << 20))
        d->forget();
    else
        previous.swap(d->items);
    d->items.clear();
    d->items.reserve(previous.size());
    ++d->generation;

    // Walks the previous Items alongside: an Item is most often where it
    // was, or one place off after an insertion or removal before it.
    std::size_t next = 0;
    const auto hintFor = [&previous, &next](std::size_t ahead) -> const ItemRec* {
        return next + ahead < previous.size() ? &previous[next + ahead] : nullptr;
    };
    const catalog::Value* types = arrayOf(root, catalog::kType);
    for (rapidjson::SizeType t = 0; types && t < types->Size(); ++t) {
        const catalog::Value* groups = arrayOf((*types)[t], catalog::kGroup);
        for (rapidjson::SizeType g = 0; groups && g < groups->Size(); ++g) {
            const catalog::Value* items = arrayOf((*groups)[g], catalog::kItem);
            for (rapidjson::SizeType i = 0; items && i < items->Size(); ++i) {
                const catalog::Value& item = (*items)[i];
                if (!item.IsObject())
                    continue;
                ItemRec rec;
                rec.ref = ItemRef{int(t), int(g), int(i)};
                const ItemRec* here = hintFor(0);
                const ItemRec* after = hintFor(1);
                std::size_t length = 0;
                const char* s = bytesOf(item, catalog::kName, &length);
                rec.name = d->nameText(s, length, here ? here->name : kEmpty);
                if (here && rec.name == here->name) {
                    ++next;
                } else if (after && rec.name == after->name) {
                    here = after;
                    next += 2;
                } else {
                    here = nullptr;
                }
                s = bytesOf(item, catalog::kPath, &length);
                rec.file = d->fileText(s, length, here ? here->file : kEmpty);
                rec.key = UsageStore::keyOf(item);
                d->items.push_back(rec);
            }
        }
    }
    fit(d->items);
    fit(d->texts);
    fit(d->units);
}

int ItemIndex::size() const {
    return int(d->items.size());
}

int ItemIndex::Data::matchText(const Text& text, const char16_t* q, int m, bool isName) const {
    if (text.length == 0)
        return -1;
    const int n = text.length;
    Matcher mt{units.data() + text.offset, n, q, m, nullptr};
    bool memoReady = false;
    int best = -1;
    for (int u = text.firstUnit; u < n; ++u) {
        if (!mt.canStart(u))
            continue;
        const bool wordStart = mt.s[u].info & kWordStart;
        // After a match inside a word, only a word start can do better.
        if (best >= 0 && !wordStart)
            continue;
        Outcome o;
        if (!text.hasReadings && !text.hasSkippable) {
            // Plain text: the query matches here exactly when it is here.
            int k = 0;
            while (k < m && u + k < n && mt.s[u + k].c == q[k])
                ++k;
            o = k < m ? Fail : u + m == n ? Whole : Partial;
        } else {
            if (!memoReady) {
                const std::size_t need = std::size_t(n + 1) * std::size_t(m + 1);
                if (memo.size() < need)
                    memo.resize(need);
                std::memset(memo.data(), 0, need);
                memoReady = true;
            }
            mt.memo = memo.data();
            o = mt.go(u, 0);
        }
        if (o == Fail)
            continue;
        int kind;
        if (!isName)
            kind = int(MatchKind::Path);
        else if (u == text.firstUnit)
            kind = o == Whole ? int(MatchKind::Exact) : int(MatchKind::Prefix);
        else
            kind = wordStart ? int(MatchKind::WordStart) : int(MatchKind::Substring);
        if (best < 0 || kind < best)
            best = kind;
        if (!isName || best <= int(MatchKind::WordStart))
            break;
    }
    return best;
}

std::vector<Match> ItemIndex::findMatches(const QString& query, const UsageStore* usage, int limit) const {
    std::vector<Match> out;
    // Spaces in the query are ignored: they may or may not be in the name.
    QString q;
    q.reserve(query.size());
    for (const QChar c : query)
        if (!c.isSpace())
            q.append(c);
    q = q.left(kMaxQueryUnits).toLower();
    if (q.isEmpty() || limit == 0)
        return out;
    const char16_t* qs = reinterpret_cast<const char16_t*>(q.utf16());
    const int m = int(q.size());
    std::uint64_t need = 0;
    for (int p = 0; p < m; ++p)
        need |= charBit(qs[p]);
    std::uint64_t needPairs = 0;
    for (int p = 0; p + 1 < m; ++p)
        needPairs |= pairBit(qs[p], qs[p + 1]);

    struct Hit {
        std::uint32_t item;
        std::uint8_t kind;
        double weight;
    };
    std::vector<Hit> hits;
    for (std::uint32_t n = 0; n < d->items.size(); ++n) {
        const ItemRec& r = d->items[n];
        const Text& name = d->texts[r.name];
        int kind = -1;
        if ((name.chars & need) == need && (name.pairs & needPairs) == needPairs)
            kind = d->matchText(name, qs, m, true);
        if (kind < 0) {
            const Text& file = d->texts[r.file];
            if ((file.chars & need) == need && (file.pairs & needPairs) == needPairs)
                kind = d->matchText(file, qs, m, false);
        }
        if (kind >= 0)
            hits.push_back(Hit{n, std::uint8_t(kind), 0.0});
    }

    if (usage && !usage->isEmpty()) {
        if (d->usageFor != usage || d->usageRevision != usage->revision() ||
            d->usageGeneration != d->generation || d->usageSlots.size() != d->items.size()) {
            d->usageSlots.resize(d->items.size());
            for (std::size_t n = 0; n < d->items.size(); ++n)
                d->usageSlots[n] = usage->slotOf(d->items[n].key);
            d->usageFor = usage;
            d->usageRevision = usage->revision();
            d->usageGeneration = d->generation;
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (Hit& h : hits)
            if (const int slot = d->usageSlots[h.item]; slot >= 0)
                h.weight = usage->weight(slot, now);
    }

    const auto better = [](const Hit& a, const Hit& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.weight != b.weight)
            return a.weight > b.weight;
        return a.item < b.item;
    };
    const std::size_t count = limit < 0 ? hits.size() : std::min(hits.size(), std::size_t(limit));
    std::partial_sort(hits.begin(), hits.begin() + std::ptrdiff_t(count), hits.end(), better);
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(Match{d->items[hits[i].item].ref, MatchKind(hits[i].kind)});
    return out;
}

std::vector<ItemRef> ItemIndex::find(const QString& query, const UsageStore* usage, int limit) const {
    std::vector<ItemRef> refs;
    const std::vector<Match> matches = findMatches(query, usage, limit);
    refs.reserve(matches.size());
    for (const Match& m : matches)
        refs.push_back(m.ref);
    return refs;
}

std::size_t ItemIndex::memoryBytes() const {
    return d->units.capacity() * sizeof(Unit) + d->texts.capacity() * sizeof(Text) +
           d->items.capacity() * sizeof(ItemRec) + d->usageSlots.capacity() * sizeof(int) +
           d->memo.capacity() + d->memoTable.capacity() * sizeof(std::uint32_t);
}

} // namespace search
