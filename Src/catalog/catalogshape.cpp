#include "catalog/catalogshape.h"

#include <cmath>
#include <limits>

namespace catalog {

namespace {

class Repairer {
public:
    explicit Repairer(Allocator& allocator) : allocator(allocator) {}

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
        if (member == object.MemberEnd()) {
            object.AddMember(Value(rapidjson::StringRef(name)), Value(""), allocator);
            ++repairs;
        } else if (!member->value.IsString()) {
            member->value.SetString("");
            ++repairs;
        }
    }

    // Returns the array member, making one where it is missing (when
    // `addWhenMissing`) or of another kind.
    Value* requireArray(Value& object, const char* name, bool addWhenMissing) {
        auto member = object.FindMember(name);
        if (member == object.MemberEnd()) {
            if (!addWhenMissing)
                return nullptr;
            object.AddMember(Value(rapidjson::StringRef(name)), Value(rapidjson::kArrayType), allocator);
            ++repairs;
            return &object[name];
        }
        if (!member->value.IsArray()) {
            member->value.SetArray();
            ++repairs;
        }
        return &member->value;
    }

    void requireKind(Value& item) {
        const auto member = item.FindMember(kType);
        if (member != item.MemberEnd() && member->value.IsInt())
            return;
        int kind = KindFile;
        if (member != item.MemberEnd() && member->value.IsNumber()) {
            const double d = member->value.GetDouble();
            if (std::isfinite(d) && d == std::floor(d) && d >= std::numeric_limits<int>::min() &&
                d <= std::numeric_limits<int>::max())
                kind = static_cast<int>(d);
        }
        if (member == item.MemberEnd())
            item.AddMember(Value(rapidjson::StringRef(kType)), Value(kind), allocator);
        else
            member->value.SetInt(kind);
        ++repairs;
    }

private:
    Allocator& allocator;
};

} // namespace

int repairShape(Document& doc) {
    Repairer fix(doc.GetAllocator());
    if (!doc.IsObject()) {
        doc.SetObject();
        return 1;
    }
    const auto typeMember = doc.FindMember(kType);
    if (typeMember == doc.MemberEnd())
        return 0;
    if (!typeMember->value.IsArray()) {
        doc.EraseMember(typeMember);
        return 1;
    }
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
            for (Value& item : itemArray->GetArray()) {
                fix.requireString(item, kName);
                fix.requireKind(item);
                fix.requireString(item, kPath);
                fix.requireString(item, kParam);
            }
        }
    }
    return fix.repairs;
}

} // namespace catalog
