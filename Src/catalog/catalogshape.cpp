// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogshape.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace catalog {

namespace {

class Repairer {
public:
    explicit Repairer(Allocator& documentAllocator) : allocator(documentAllocator) {}

    int repairs = 0;

    // Keeps only the object elements of an array.
    void keepObjects(Value& array) {
        for (rapidjson::SizeType i = 0; i < array.Size();) {
            if (array[i].IsObject()) {
                ++i;
            } else {
                array.Erase(array.Begin() + i);
                ++repairs;
            }
        }
    }

    void requireString(Value& object, const char* name) {
        const auto member = object.FindMember(name);
        if (member == object.MemberEnd())
            addMissing(object, name, Value(""));
        else
            fixString(member->value);
    }

    // Returns the array member, making one where it is missing (when
    // `addWhenMissing`) or of another kind.
    Value* requireArray(Value& object, const char* name, bool addWhenMissing) {
        auto member = object.FindMember(name);
        if (member == object.MemberEnd()) {
            if (!addWhenMissing)
                return nullptr;
            addMissing(object, name, Value(rapidjson::kArrayType));
            return &object[name];
        }
        if (!member->value.IsArray()) {
            member->value.SetArray();
            ++repairs;
        }
        return &member->value;
    }

    // One pass over the Item's members: Items are most of a catalog.
    void repairItem(Value& item) {
        bool name = false, kind = false, path = false, param = false;
        for (auto& member : item.GetObject()) {
            const char* key = member.name.GetString();
            const rapidjson::SizeType length = member.name.GetStringLength();
            if (length == 4 && !name && std::memcmp(key, kName, 4) == 0) {
                name = true;
                fixString(member.value);
            } else if (length == 4 && !kind && std::memcmp(key, kType, 4) == 0) {
                kind = true;
                fixKind(member.value);
            } else if (length == 4 && !path && std::memcmp(key, kPath, 4) == 0) {
                path = true;
                fixString(member.value);
            } else if (length == 5 && !param && std::memcmp(key, kParam, 5) == 0) {
                param = true;
                fixString(member.value);
            }
        }
        if (!name)
            addMissing(item, kName, Value(""));
        if (!kind)
            addMissing(item, kType, Value(static_cast<int>(KindFile)));
        if (!path)
            addMissing(item, kPath, Value(""));
        if (!param)
            addMissing(item, kParam, Value(""));
    }

private:
    void fixString(Value& value) {
        if (!value.IsString()) {
            value.SetString("");
            ++repairs;
        }
    }

    // A kind that is not an integer fitting 32 bits becomes the integer it
    // spells (0.0 -> 0) or, failing that, 0 (file).
    void fixKind(Value& value) {
        if (value.IsInt())
            return;
        int kind = KindFile;
        if (value.IsNumber()) {
            const double d = value.GetDouble();
            if (std::isfinite(d) && d == std::floor(d) && d >= std::numeric_limits<int>::min() &&
                d <= std::numeric_limits<int>::max())
                kind = static_cast<int>(d);
        }
        value.SetInt(kind);
        ++repairs;
    }

    void addMissing(Value& object, const char* name, Value value) {
        object.AddMember(Value(rapidjson::StringRef(name)), value, allocator);
        ++repairs;
    }

    Allocator& allocator;
};

} // namespace

int repairShape(Document& doc) {
    Repairer fix(doc.GetAllocator());
    if (!doc.IsObject()) {
        doc.SetObject();
        return 1;
    }
    // A "type" that is not an array goes; a later member of the same name
    // then comes first, so the check runs until none is left that fails it.
    auto typeMember = doc.FindMember(kType);
    int dropped = 0;
    while (typeMember != doc.MemberEnd() && !typeMember->value.IsArray()) {
        doc.EraseMember(typeMember);
        ++dropped;
        typeMember = doc.FindMember(kType);
    }
    if (typeMember == doc.MemberEnd())
        return dropped;
    fix.repairs += dropped;
    Value& typeArray = typeMember->value;
    fix.keepObjects(typeArray);
    for (Value& type : typeArray.GetArray()) {
        fix.requireString(type, kName);
        Value* groupArray = fix.requireArray(type, kGroup, false);
        if (!groupArray)
            continue;
        fix.keepObjects(*groupArray);
        for (Value& group : groupArray->GetArray()) {
            fix.requireString(group, kName);
            Value* itemArray = fix.requireArray(group, kItem, true);
            fix.keepObjects(*itemArray);
            for (Value& item : itemArray->GetArray())
                fix.repairItem(item);
        }
    }
    return fix.repairs;
}

} // namespace catalog
