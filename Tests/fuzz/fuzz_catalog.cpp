// libFuzzer target over the catalog path: bytes -> parse -> shape repair ->
// what the lists would show -> serialise -> parse again. What was shown must
// come back the same, and a saved catalog must need no repair.
#include "catalog/catalogedit.h"
#include "catalog/catalogshape.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct Shown {
    QStringList types;
    QStringList groups; // "type/group" for every Group of every Type
    QStringList items;  // "type/group/name|kind|path|param|customIcon"

    bool operator==(const Shown& other) const {
        return types == other.types && groups == other.groups && items == other.items;
    }
};

// Walks the document with the same navigation the three lists use.
Shown show(catalog::Document& doc) {
    Shown shown;
    const catalog::Value* types = catalog::types(doc);
    const int typeCount = types ? static_cast<int>(types->Size()) : 0;
    for (int t = 0; t < typeCount; ++t) {
        shown.types << catalog::memberText(*catalog::typeAt(doc, t), catalog::kName);
        const catalog::Value* groups = catalog::groupsOf(doc, t);
        const int groupCount = groups ? static_cast<int>(groups->Size()) : 0;
        for (int g = 0; g < groupCount; ++g) {
            shown.groups << QString::number(t) + "/" +
                                catalog::memberText(*catalog::groupAt(doc, t, g), catalog::kName);
            const catalog::Value* items = catalog::itemsOf(doc, t, g);
            const int itemCount = items ? static_cast<int>(items->Size()) : 0;
            for (int i = 0; i < itemCount; ++i) {
                const catalog::Value& item = *catalog::itemAt(doc, t, g, i);
                shown.items << QStringLiteral("%1/%2/%3|%4|%5|%6|%7")
                                   .arg(t)
                                   .arg(g)
                                   .arg(catalog::memberText(item, catalog::kName))
                                   .arg(catalog::kindOf(item))
                                   .arg(catalog::memberText(item, catalog::kPath),
                                        catalog::memberText(item, catalog::kParam),
                                        catalog::memberText(item, catalog::kCustomIcon));
            }
        }
    }
    return shown;
}

// The library's own reader gets integers right: ours must read every one
// the same, in value and in kind.
bool sameIntegers(const catalog::Value& ours, const catalog::Value& reference) {
    std::vector<std::pair<const catalog::Value*, const catalog::Value*>> todo{{&ours, &reference}};
    while (!todo.empty()) {
        const auto [a, b] = todo.back();
        todo.pop_back();
        if (a->GetType() != b->GetType())
            return false;
        if (b->IsInt64() || b->IsUint64()) {
            if (a->IsInt64() != b->IsInt64() || a->IsUint64() != b->IsUint64())
                return false;
            if (b->IsInt64() ? a->GetInt64() != b->GetInt64() : a->GetUint64() != b->GetUint64())
                return false;
        } else if (b->IsArray()) {
            if (a->Size() != b->Size())
                return false;
            for (rapidjson::SizeType i = 0; i < b->Size(); ++i)
                todo.push_back({&(*a)[i], &(*b)[i]});
        } else if (b->IsObject()) {
            if (a->MemberCount() != b->MemberCount())
                return false;
            for (auto i = a->MemberBegin(), j = b->MemberBegin(); j != b->MemberEnd(); ++i, ++j)
                todo.push_back({&i->value, &j->value});
        }
    }
    return true;
}

} // namespace

#define require(condition)                                                                                   \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz_catalog: %s does not hold (line %d)\n", #condition, __LINE__);        \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    catalog::Document doc;
    if (!catalog::parse(doc, bytes.constData()))
        return 0;
    catalog::Document reference;
    if (!reference.Parse<rapidjson::kParseIterativeFlag>(bytes.constData()).HasParseError())
        require(sameIntegers(doc, reference));
    catalog::repairShape(doc);
    const Shown before = show(doc);

    const QByteArray saved = catalog::serialize(doc);
    catalog::Document again;
    require(catalog::parse(again, saved.constData()));
    require(catalog::repairShape(again) == 0);
    require(show(again) == before);
    require(catalog::serialize(again) == saved);

    // Reorders and moves keep every Type: a first Type moved to the end and
    // back leaves the document as it was.
    if (catalog::Value* types = catalog::types(again); types && types->Size() > 1) {
        const int last = static_cast<int>(types->Size()) - 1;
        require(catalog::moveWithin(*types, 0, last, again.GetAllocator()));
        require(catalog::moveWithin(*types, last, 0, again.GetAllocator()));
        require(catalog::serialize(again) == saved);
    }
    return 0;
}
