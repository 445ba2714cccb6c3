// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

// Edits of catalog arrays that move values rather than copy them: nothing is
// deep-copied, so unknown members of any depth travel along unchanged, no
// memory of the pool is spent twice, and no copy recursion can overflow.
namespace catalog {

// Moves element `index` of `source` to the end of `destination`; the two may
// be the same array, and the element then ends up last. Returns false (and
// changes nothing) when `index` is outside `source`.
bool moveToEnd(Value& source, int index, Value& destination, Allocator& allocator);

// Moves element `from` to index `to`; the elements between shift one place
// towards `from`. Returns false (and changes nothing) unless both are inside
// the array and differ.
bool moveWithin(Value& array, int from, int to, Allocator& allocator);

// Replaces an object's member, or adds it at the end where it is missing.
void setMember(Value& object, const char* name, Value value, Allocator& allocator);
// Replaces an object's "name" with a UTF-8 copy of `name`.
void setName(Value& object, const QString& name, Allocator& allocator);
// The object's array member, added empty where it is missing. (A Type may
// lack "group"; the first Group added or moved to it makes one.)
Value& arrayFor(Value& object, const char* name, Allocator& allocator);

// An Item made from a drop: {"name","type","param":"","path","customIcon":""}.
Value droppedItem(const QString& name, int kind, const QString& path, Allocator& allocator);

} // namespace catalog

// Rebuilds `array` with `value` moved in right after (when `after`) or right
// before the element at `index`; an index outside the array puts it at the
// nearer end.
void jsonArrayInsert(rapidjson::Value& array, int index, bool after, rapidjson::Value& value,
                     catalog::Allocator& allocator);
