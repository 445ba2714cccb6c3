// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target over type-to-find: bytes -> a catalog of names and paths
// and a query -> the index and the scan before it. Neither may read out of
// bounds, and both must find the same Items in the same order.
#include "catalog/catalogedit.h"
#include "search/itemindex.h"

#include <QByteArrayList>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // First line the query, then names and paths in turn, one per line.
    const QByteArrayList lines = QByteArray(reinterpret_cast<const char*>(data), int(size)).split('\n');
    const QString query = QString::fromUtf8(lines.value(0));
    catalog::Document doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value items(rapidjson::kArrayType);
    for (int i = 1; i < lines.size(); i += 2) {
        catalog::Value item = catalog::newItem(a);
        item[catalog::kName].SetString(lines[i].constData(), rapidjson::SizeType(lines[i].size()), a);
        const QByteArray path = lines.value(i + 1);
        item[catalog::kPath].SetString(path.constData(), rapidjson::SizeType(path.size()), a);
        items.PushBack(item, a);
    }
    catalog::Value group = catalog::newGroup(a);
    group[catalog::kItem] = items;
    catalog::Value groups(rapidjson::kArrayType);
    groups.PushBack(group, a);
    catalog::Value type = catalog::defaultType(a);
    type[catalog::kGroup] = groups;
    catalog::Value types(rapidjson::kArrayType);
    types.PushBack(type, a);
    doc.AddMember(rapidjson::StringRef(catalog::kType), types, a);

    search::ItemIndex index;
    index.rebuild(doc);
    const std::vector<search::Match> indexed = index.findMatches(query, nullptr, -1);
    const std::vector<search::Match> scanned = search::ItemIndex::scan(doc, query, nullptr, -1);
    if (indexed.size() != scanned.size())
        std::abort();
    for (std::size_t i = 0; i < indexed.size(); ++i)
        if (indexed[i].ref != scanned[i].ref || indexed[i].kind != scanned[i].kind)
            std::abort();
    return 0;
}
