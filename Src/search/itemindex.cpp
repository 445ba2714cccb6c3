// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/itemindex.h"

#include "search/usagestore.h"

namespace search {

// Interim: plain case-insensitive substring matching on names.
struct ItemIndex::Data {
    std::vector<ItemRef> refs;
    std::vector<QString> names;
};

ItemIndex::ItemIndex() : d(new Data) {}
ItemIndex::~ItemIndex() = default;

void ItemIndex::clear() {
    d->refs.clear();
    d->names.clear();
}

void ItemIndex::rebuild(const catalog::Value& root) {
    clear();
    if (!root.IsObject())
        return;
    const auto types = root.FindMember(catalog::kType);
    if (types == root.MemberEnd() || !types->value.IsArray())
        return;
    for (rapidjson::SizeType t = 0; t < types->value.Size(); ++t) {
        const catalog::Value& type = types->value[t];
        if (!type.IsObject())
            continue;
        const auto groups = type.FindMember(catalog::kGroup);
        if (groups == type.MemberEnd() || !groups->value.IsArray())
            continue;
        for (rapidjson::SizeType g = 0; g < groups->value.Size(); ++g) {
            const catalog::Value& group = groups->value[g];
            if (!group.IsObject())
                continue;
            const auto items = group.FindMember(catalog::kItem);
            if (items == group.MemberEnd() || !items->value.IsArray())
                continue;
            for (rapidjson::SizeType i = 0; i < items->value.Size(); ++i) {
                const catalog::Value& item = items->value[i];
                if (!item.IsObject())
                    continue;
                d->refs.push_back(ItemRef{int(t), int(g), int(i)});
                d->names.push_back(catalog::memberText(item, catalog::kName).toLower());
            }
        }
    }
}

int ItemIndex::size() const {
    return int(d->refs.size());
}

std::vector<Match> ItemIndex::findMatches(const QString& query, const UsageStore*, int limit) const {
    std::vector<Match> out;
    const QString q = query.trimmed().toLower();
    if (q.isEmpty())
        return out;
    for (size_t n = 0; n < d->refs.size() && (limit < 0 || int(out.size()) < limit); ++n) {
        const int at = d->names[n].indexOf(q);
        if (at < 0)
            continue;
        const MatchKind kind = d->names[n] == q ? MatchKind::Exact
                               : at == 0        ? MatchKind::Prefix
                                                : MatchKind::Substring;
        out.push_back(Match{d->refs[n], kind});
    }
    return out;
}

std::vector<ItemRef> ItemIndex::find(const QString& query, const UsageStore* usage, int limit) const {
    std::vector<ItemRef> refs;
    for (const Match& m : findMatches(query, usage, limit))
        refs.push_back(m.ref);
    return refs;
}

std::size_t ItemIndex::memoryBytes() const {
    return 0;
}

} // namespace search
