// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// Finding Items by typing: a flat index over every Item of the Catalog,
// matched on the Item's name and on the file name of its path, with pinyin
// for Chinese names. Plain code over the Catalog values, no widgets.
namespace search {

class UsageStore;

// Where an Item sits in the Catalog: the array indices of its Type, Group and
// Item. Valid until the Catalog is next edited (rebuild the index then).
struct ItemRef {
    int type = -1;
    int group = -1;
    int item = -1;
    bool operator==(const ItemRef& o) const { return type == o.type && group == o.group && item == o.item; }
    bool operator!=(const ItemRef& o) const { return !(*this == o); }
};

// How well an Item matched, best first.
enum class MatchKind {
    Exact,         // the whole name: its text, its full pinyin or its initials
    Prefix,        // the start of the name
    WordStart,     // the start of a word or of a Chinese character's syllable
    Initials,      // starts of words in order: "vsc", "vscode", "ps" (PhotoShop)
    Substring,     // anywhere else in the name
    Words,         // every word of the query somewhere in the name, in order
    WordsAnyOrder, // every word of the query somewhere in the name
    Path,          // the file name of the Item's path
};

struct Match {
    ItemRef ref;
    MatchKind kind = MatchKind::Substring;
    // Within a kind: matched by a character's rare reading (重要 as "c"), or
    // only once marks or width were folded away ("cafe" for Café).
    bool rareReading = false;
    bool folded = false;
};

// The places of matches, in their order.
std::vector<ItemRef> refsOf(const std::vector<Match>& matches);

class ItemIndex {
public:
    // Longer queries match nothing (the search field holds no more).
    static constexpr int kMaxQueryLength = 256;

    ItemIndex();
    ~ItemIndex();
    ItemIndex(const ItemIndex&) = delete;
    ItemIndex& operator=(const ItemIndex&) = delete;

    // Walks the Catalog root (the value holding "type"). Cheap enough to call
    // after every edit: what is read from each name and path is kept across
    // rebuilds, so only new or changed text is worked out again. A root of
    // any other shape gives an empty index.
    void rebuild(const catalog::Value& root);
    void clear();

    // Number of Items indexed.
    int size() const;

    // Matching Items, best first, at most `limit` (a negative limit: all).
    // Case, width and the marks on letters are folded away in names and
    // queries. From any character but a separator, each character of the
    // name is typed as itself or, for a Chinese character, as any non-empty
    // start of any of its readings ("文档": wendang, wd, wdang, wendan; ü as
    // v or u); separators (spaces, punctuation) inside the name may be typed
    // or left out, and so may punctuation that begins or ends the query.
    // The query is first matched with its spaces left out; failing that,
    // each of its words on its own. An empty or blank query matches nothing.
    // Ties within a MatchKind go to common readings and literal matches,
    // then to the Item launched more often and more recently (`usage` may
    // be null), then to catalog order.
    std::vector<ItemRef> find(const QString& query, const UsageStore* usage, int limit) const;
    std::vector<Match> findMatches(const QString& query, const UsageStore* usage, int limit) const;

    // The same search straight over a Catalog root, with no index (see
    // CatalogScan).
    static std::vector<Match> scan(const catalog::Value& root, const QString& query, const UsageStore* usage,
                                   int limit);

    // Bytes held by the index (text, readings, per-Item records, memo).
    std::size_t memoryBytes() const;

private:
    friend class CatalogScan;
    struct Data;
    std::unique_ptr<Data> d;
};

// The search straight over a Catalog root, for the moments before the first
// index is built: slower than an index's by far, but needs no build first,
// and goes in slices so that input is not held up.
class CatalogScan {
public:
    CatalogScan(const QString& query, const UsageStore* usage);
    ~CatalogScan();
    CatalogScan(const CatalogScan&) = delete;
    CatalogScan& operator=(const CatalogScan&) = delete;

    // Goes on through the Items of `root` for about `budgetMs` (negative:
    // to the end); true once every Item is seen. The root must be the same,
    // unchanged, at every call.
    bool advance(const catalog::Value& root, double budgetMs);
    bool isDone() const;
    // What matched so far, best first, as ItemIndex::findMatches().
    std::vector<Match> results(int limit) const;

private:
    struct State;
    std::unique_ptr<State> s;
};

} // namespace search
