// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/itemindex.h"

#include "search/hashing.h"
#include "search/pinyin.h"
#include "search/textfold.h"
#include "search/textmatch.h"
#include "search/usagestore.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace search {

using textmatch::Facts;
using textmatch::Pattern;
using textmatch::Unit;

namespace {

// One folded text (an Item's name, or the file name of its path), shared by
// every Item that has it.
struct Text {
    std::uint32_t offset = 0; // into units
    std::uint16_t length = 0;
    std::uint16_t firstUnit : 10; // first unit that is not skippable
    std::uint16_t hasReadings : 1;
    std::uint16_t hasSkippable : 1;
    std::uint16_t marked : 1; // its original is kept for literal matches
    std::uint16_t severalWords : 1;
    std::uint32_t starts = 0;
    std::uint64_t chars = 0;
    std::uint64_t pairs = 0;
    std::uint64_t digest = 0; // of the name's or path's bytes
};

struct ItemRec {
    ItemRef ref;
    std::uint32_t name = 0; // Text ids
    std::uint32_t file = 0;
    UsageStore::Key key = 0;
};

// The last part of a path, trailing separators aside; a web address gives
// its last part too ("www.example.com" or a page name).
void fileNameRange(const char* s, std::size_t length, std::size_t* begin, std::size_t* end) {
    *end = length;
    while (*end > 0 && (s[*end - 1] == '/' || s[*end - 1] == '\\'))
        --*end;
    *begin = *end;
    while (*begin > 0 && s[*begin - 1] != '/' && s[*begin - 1] != '\\')
        --*begin;
}

QString fileNameOf(const char* s, std::size_t length) {
    std::size_t begin = 0, end = 0;
    fileNameRange(s, length, &begin, &end);
    return QString::fromUtf8(s + begin, int(end - begin));
}

// The quick filter's bits of UTF-8 text, read straight off its bytes: ASCII
// as it folds, Chinese characters and kana as themselves and their reading
// letters. Anything else might fold into anything: every bit.
std::uint64_t rawChars(const char* s, std::size_t length) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < length;) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            bits |= textmatch::charBit(char16_t(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b));
            ++i;
            continue;
        }
        if ((b & 0xf0) != 0xe0 || i + 2 >= length || (s[i + 1] & 0xc0) != 0x80 || (s[i + 2] & 0xc0) != 0x80)
            return ~0ULL;
        const char32_t c =
            char32_t(b & 0x0f) << 12 | char32_t(s[i + 1] & 0x3f) << 6 | char32_t(s[i + 2] & 0x3f);
        if (c < 0x3040 || c > 0x9fff)
            return ~0ULL;
        bits |= textmatch::charBit(char16_t(c)) | pinyin::letterMask(pinyin::readingSet(c));
        i += 3;
    }
    return bits;
}

const QRegularExpression& spaces() {
    static const QRegularExpression pattern(QStringLiteral("\\s+"));
    return pattern;
}

// A typed query, ready to match: whole with its spaces left out, and word
// by word.
struct Query {
    Pattern joined;
    std::vector<Pattern> words;
    std::uint64_t wordPairs = 0;
    // Each word as typed, case aside, for telling literal matches from
    // matches found only by folding marks or width away.
    QStringList literal;
    bool marked = false;

    explicit Query(const QString& text) {
        if (text.size() > ItemIndex::kMaxQueryLength)
            return;
        QString all;
        for (const QString& word : text.split(spaces(), Qt::SkipEmptyParts)) {
            QString folded = textfold::fold(word);
            folded.remove(QLatin1Char(' '));
            if (folded.isEmpty())
                continue;
            const QString caseFolded = word.toCaseFolded();
            marked = marked || folded != caseFolded;
            literal << caseFolded;
            words.push_back(textmatch::pattern(folded));
            wordPairs |= words.back().pairs;
            all += folded;
        }
        joined = textmatch::pattern(all);
    }
    bool isEmpty() const { return joined.q.empty(); }
    char16_t first() const { return joined.q[std::size_t(joined.lead)]; }
};

enum Quality : std::uint8_t { Literal = 0, Folded = 1, RareReading = 2 };

struct Hit {
    std::uint32_t item;
    std::uint8_t kind;
    std::uint8_t quality;
    double weight;
};

// Best first: the kind of match, then its quality, then launches, then
// catalog order.
void rank(std::vector<Hit>& hits, int limit) {
    const auto better = [](const Hit& a, const Hit& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.quality != b.quality)
            return a.quality < b.quality;
        if (a.weight != b.weight)
            return a.weight > b.weight;
        return a.item < b.item;
    };
    const std::size_t count = limit < 0 ? hits.size() : std::min(hits.size(), std::size_t(limit));
    std::partial_sort(hits.begin(), hits.begin() + std::ptrdiff_t(count), hits.end(), better);
    hits.resize(count);
}

} // namespace

struct ItemIndex::Data {
    std::vector<Unit> units;
    std::vector<textmatch::Pick> picks;
    std::vector<Text> texts;
    std::vector<ItemRec> items;
    // Case-folded originals of the texts whose folding did more than that.
    std::unordered_map<std::uint32_t, QString> originals;
    // What was worked out of each name and path, found by a digest of its
    // bytes: an open-addressed table of Text ids (a power of two in size).
    std::vector<std::uint32_t> memoTable;
    std::uint32_t generation = 0;
    // False for a text matched once and dropped: no pair filter then.
    bool withPairs = true;

    // Usage slots per Item, refreshed when the store or the index changes.
    mutable std::vector<int> usageSlots;
    mutable const UsageStore* usageFor = nullptr;
    mutable std::uint64_t usageRevision = 0;
    mutable std::uint32_t usageGeneration = 0;
    mutable textmatch::Matcher matcher;

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

    textmatch::View view(const Text& text) const {
        textmatch::View v;
        v.s = units.data() + text.offset;
        v.n = text.length;
        v.firstUnit = text.firstUnit;
        v.plain = !text.hasReadings && !text.hasSkippable;
        v.base = text.offset;
        v.picks = &picks;
        return v;
    }
    // How the query matched an Item, or false.
    bool match(const ItemRec& rec, const Query& query, Hit& hit) const;
    int wordsKind(const textmatch::View& name, const Query& query) const;
    bool literal(std::uint32_t textId, const Query& query) const;
};

void ItemIndex::Data::forget() {
    units.clear();
    picks.clear();
    texts.clear();
    originals.clear();
    memoTable.clear();
    units.shrink_to_fit();
    picks.shrink_to_fit();
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
    Text text{};
    text.digest = digest;
    text.offset = std::uint32_t(units.size());
    const Facts f = textmatch::appendText(original, units, picks, withPairs);
    text.length = std::uint16_t(units.size() - text.offset);
    text.firstUnit = std::uint16_t(f.firstUnit);
    text.hasReadings = f.hasReadings;
    text.hasSkippable = f.hasSkippable;
    text.marked = f.marked;
    text.severalWords = f.severalWords;
    text.starts = f.starts;
    text.chars = f.chars;
    text.pairs = f.pairs;
    const std::uint32_t id = std::uint32_t(texts.size());
    if (f.marked)
        originals.emplace(id, original.left(textmatch::kMaxTextUnits).toCaseFolded());
    texts.push_back(text);
    return id;
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
    return *slot = addText(fileNameOf(s, length), digest);
}

bool ItemIndex::Data::literal(std::uint32_t textId, const Query& query) const {
    if (!texts[textId].marked)
        return !query.marked;
    const auto it = originals.find(textId);
    if (it == originals.end())
        return false;
    for (const QString& word : query.literal)
        if (!it->second.contains(word))
            return false;
    return true;
}

int ItemIndex::Data::wordsKind(const textmatch::View& name, const Query& query) const {
    int previous = -1;
    bool inOrder = true;
    for (const Pattern& word : query.words) {
        previous = matcher.firstFrom(name, word, previous + 1);
        if (previous < 0) {
            inOrder = false;
            break;
        }
    }
    if (inOrder)
        return int(MatchKind::Words);
    for (const Pattern& word : query.words)
        if (matcher.firstFrom(name, word, 0) < 0)
            return -1;
    return int(MatchKind::WordsAnyOrder);
}

bool ItemIndex::Data::match(const ItemRec& rec, const Query& query, Hit& hit) const {
    const Pattern& whole = query.joined;
    const Text& name = texts[rec.name];
    int kind = -1;
    bool rare = false;
    std::uint32_t matched = rec.name;
    if ((name.chars & whole.chars) == whole.chars && name.length) {
        const textmatch::View v = view(name);
        if ((name.pairs & whole.pairs) == whole.pairs) {
            const textmatch::Found found = matcher.contiguous(v, whole);
            if (found.where >= 0) {
                kind = found.where < 3 ? found.where : int(MatchKind::Substring);
                rare = found.rare;
            }
        }
        if ((kind < 0 || kind == int(MatchKind::Substring)) && name.severalWords &&
            (name.starts & textmatch::startBit(query.first())) && matcher.initials(v, whole)) {
            kind = int(MatchKind::Initials);
            rare = false;
        }
        if (kind < 0 && query.words.size() > 1 && (name.pairs & query.wordPairs) == query.wordPairs)
            kind = wordsKind(v, query);
    }
    if (kind < 0) {
        const Text& file = texts[rec.file];
        if ((file.chars & whole.chars) != whole.chars || (file.pairs & whole.pairs) != whole.pairs ||
            matcher.firstFrom(view(file), whole, 0) < 0)
            return false;
        kind = int(MatchKind::Path);
        matched = rec.file;
    }
    hit.kind = std::uint8_t(kind);
    hit.quality = rare ? RareReading : Literal;
    if ((query.marked || texts[matched].marked) && !literal(matched, query))
        hit.quality |= Folded;
    hit.weight = 0.0;
    return true;
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

// Where a walk over the Items stands: the array indices of the next one.
struct ItemCursor {
    rapidjson::SizeType type = 0, group = 0, item = 0;
};

// Calls visit(ref, item) for the Items of the Catalog root from `at` on, in
// order, while it returns true; true once every Item is seen. `at` is then
// left on the Item after the last one visited.
template <typename Visit> bool walkItems(const catalog::Value& root, ItemCursor& at, Visit visit) {
    const catalog::Value* types = arrayOf(root, catalog::kType);
    for (; types && at.type < types->Size(); ++at.type, at.group = 0) {
        const catalog::Value* groups = arrayOf((*types)[at.type], catalog::kGroup);
        for (; groups && at.group < groups->Size(); ++at.group, at.item = 0) {
            const catalog::Value* items = arrayOf((*groups)[at.group], catalog::kItem);
            while (items && at.item < items->Size()) {
                const rapidjson::SizeType i = at.item++;
                if ((*items)[i].IsObject() &&
                    !visit(ItemRef{int(at.type), int(at.group), int(i)}, (*items)[i]))
                    return false;
            }
        }
    }
    return true;
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
    ItemCursor from;
    walkItems(root, from, [&](const ItemRef& ref, const catalog::Value& item) {
        ItemRec rec;
        rec.ref = ref;
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
        return true;
    });
    fit(d->items);
    fit(d->texts);
    fit(d->units);
    fit(d->picks);
}

int ItemIndex::size() const {
    return int(d->items.size());
}

std::vector<Match> ItemIndex::findMatches(const QString& text, const UsageStore* usage, int limit) const {
    std::vector<Match> out;
    const Query query(text);
    if (query.isEmpty() || limit == 0)
        return out;
    std::vector<Hit> hits;
    for (std::uint32_t n = 0; n < d->items.size(); ++n) {
        Hit hit{n, 0, 0, 0.0};
        if (d->match(d->items[n], query, hit))
            hits.push_back(hit);
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
    rank(hits, limit);
    out.reserve(hits.size());
    for (const Hit& h : hits)
        out.push_back(Match{d->items[h.item].ref, MatchKind(h.kind), bool(h.quality & RareReading),
                            bool(h.quality & Folded)});
    return out;
}

struct CatalogScan::State {
    explicit State(const QString& text) : query(text) { scratch.d->withPairs = false; }
    Query query;
    const UsageStore* usage = nullptr;
    qint64 now = 0;
    // Each Item's texts are worked out into a scratch index, matched and
    // dropped again.
    ItemIndex scratch;
    std::vector<Hit> hits;
    std::vector<ItemRef> found;
    // Where the next slice goes on.
    ItemCursor at;
    bool done = false;

    void visit(const ItemRef& ref, const catalog::Value& item);
};

void CatalogScan::State::visit(const ItemRef& ref, const catalog::Value& object) {
    ItemIndex::Data& d = *scratch.d;
    std::size_t nameLength = 0, pathLength = 0;
    const char* name = bytesOf(object, catalog::kName, &nameLength);
    const char* path = bytesOf(object, catalog::kPath, &pathLength);
    std::size_t fileBegin = 0, fileEnd = 0;
    fileNameRange(path, pathLength, &fileBegin, &fileEnd);
    // Most Items lack a letter of the query: turned down before their texts
    // are worked out.
    const std::uint64_t need = query.joined.chars;
    const bool nameMay = (rawChars(name, nameLength) & need) == need;
    const bool fileMay = (rawChars(path + fileBegin, fileEnd - fileBegin) & need) == need;
    if (!nameMay && !fileMay)
        return;
    d.units.clear();
    d.picks.clear();
    d.texts.clear();
    d.originals.clear();
    ItemRec rec;
    rec.ref = ref;
    rec.name = d.addText(nameMay ? QString::fromUtf8(name, int(nameLength)) : QString(), 0);
    rec.file =
        d.addText(fileMay ? QString::fromUtf8(path + fileBegin, int(fileEnd - fileBegin)) : QString(), 0);
    Hit hit{0, 0, 0, 0.0};
    if (!d.match(rec, query, hit))
        return;
    if (usage && !usage->isEmpty())
        if (const int slot = usage->slotOf(UsageStore::keyOf(object)); slot >= 0)
            hit.weight = usage->weight(slot, now);
    hit.item = std::uint32_t(found.size());
    found.push_back(ref);
    hits.push_back(hit);
}

CatalogScan::CatalogScan(const QString& query, const UsageStore* usage) : s(new State(query)) {
    s->usage = usage;
    s->now = QDateTime::currentMSecsSinceEpoch();
    s->done = s->query.isEmpty();
}

CatalogScan::~CatalogScan() = default;

bool CatalogScan::isDone() const {
    return s->done;
}

bool CatalogScan::advance(const catalog::Value& root, double budgetMs) {
    if (s->done)
        return true;
    QElapsedTimer clock;
    clock.start();
    const qint64 budgetNs = budgetMs < 0 ? std::numeric_limits<qint64>::max() : qint64(budgetMs * 1e6);
    int sinceLook = 0;
    s->done = walkItems(root, s->at, [&](const ItemRef& ref, const catalog::Value& item) {
        s->visit(ref, item);
        if (++sinceLook < 64)
            return true;
        sinceLook = 0;
        return clock.nsecsElapsed() <= budgetNs;
    });
    return s->done;
}

std::vector<Match> CatalogScan::results(int limit) const {
    std::vector<Hit> hits = s->hits;
    rank(hits, limit);
    std::vector<Match> out;
    out.reserve(hits.size());
    for (const Hit& h : hits)
        out.push_back(Match{s->found[h.item], MatchKind(h.kind), bool(h.quality & RareReading),
                            bool(h.quality & Folded)});
    return out;
}

std::vector<Match> ItemIndex::scan(const catalog::Value& root, const QString& query, const UsageStore* usage,
                                   int limit) {
    CatalogScan scan(query, usage);
    scan.advance(root, -1);
    return scan.results(limit);
}

std::vector<ItemRef> refsOf(const std::vector<Match>& matches) {
    std::vector<ItemRef> refs;
    refs.reserve(matches.size());
    for (const Match& m : matches)
        refs.push_back(m.ref);
    return refs;
}

std::vector<ItemRef> ItemIndex::find(const QString& query, const UsageStore* usage, int limit) const {
    return refsOf(findMatches(query, usage, limit));
}

std::size_t ItemIndex::memoryBytes() const {
    std::size_t originals = d->originals.bucket_count() * sizeof(void*);
    for (const auto& [id, text] : d->originals)
        originals += sizeof(id) + sizeof(text) + 2 * sizeof(void*) + std::size_t(text.capacity()) * 2 + 24;
    return d->units.capacity() * sizeof(Unit) + d->picks.capacity() * sizeof(textmatch::Pick) +
           d->texts.capacity() * sizeof(Text) + d->items.capacity() * sizeof(ItemRec) +
           d->usageSlots.capacity() * sizeof(int) + d->matcher.memoryBytes() +
           d->memoTable.capacity() * sizeof(std::uint32_t) + originals;
}

} // namespace search
