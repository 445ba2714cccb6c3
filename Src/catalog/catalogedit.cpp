// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogedit.h"

namespace catalog {

bool moveToEnd(Value& source, int index, Value& destination, Allocator& allocator) {
    if (!elementAt(&source, index) || !destination.IsArray())
        return false;
    // Taken out first: appending may reallocate the array it came from.
    Value moved;
    moved = source[static_cast<rapidjson::SizeType>(index)];
    destination.PushBack(moved, allocator);
    jsonEraseAt(source, index);
    return true;
}

bool moveWithin(Value& array, int from, int to, Allocator& allocator) {
    if (from == to || !elementAt(&array, from) || !elementAt(&array, to))
        return false;
    Value moved;
    moved = array[static_cast<rapidjson::SizeType>(from)];
    jsonArrayInsert(array, to, to > from, moved, allocator);
    // The emptied place is at `from`, one further when inserted before it.
    jsonEraseAt(array, to > from ? from : from + 1);
    return true;
}

void setMember(Value& object, const char* name, Value value, Allocator& allocator) {
    if (!object.IsObject())
        return;
    const auto member = object.FindMember(name);
    if (member != object.MemberEnd())
        member->value = value;
    else
        object.AddMember(Value(rapidjson::StringRef(name)), value, allocator);
}

void setName(Value& object, const QString& name, Allocator& allocator) {
    setMember(object, kName, string(name, allocator), allocator);
}

Value& arrayFor(Value& object, const char* name, Allocator& allocator) {
    if (Value* array = arrayMember(&object, name))
        return *array;
    setMember(object, name, Value(rapidjson::kArrayType), allocator);
    return *arrayMember(&object, name);
}

Value droppedItem(const QString& name, int kind, const QString& path, Allocator& allocator) {
    Value item = newItem(allocator);
    item[kName] = string(name, allocator);
    item[kType].SetInt(kind);
    item[kPath] = string(path, allocator);
    return item;
}

} // namespace catalog

void jsonArrayInsert(rapidjson::Value& array, int index, bool after, rapidjson::Value& value,
                     catalog::Allocator& allocator) {
    if (!array.IsArray())
        return;
    rapidjson::Value old(rapidjson::kArrayType);
    old.Swap(array);
    array.Reserve(old.Size() + 1, allocator);
    if (old.Empty()) {
        array.PushBack(value, allocator);
        return;
    }
    const int last = static_cast<int>(old.Size()) - 1;
    if (index < 0) {
        index = 0;
        after = false;
    } else if (index > last) {
        index = last;
        after = true;
    }
    for (int i = 0; i <= last; ++i) {
        rapidjson::Value& element = old[static_cast<rapidjson::SizeType>(i)];
        if (i == index && !after)
            array.PushBack(value, allocator);
        array.PushBack(element, allocator);
        if (i == index && after)
            array.PushBack(value, allocator);
    }
}
