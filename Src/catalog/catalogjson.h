// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>

#include <QByteArray>
#include <QString>

// The Catalog in memory: one RapidJSON document whose values all come from
// the document's pool allocator. Everything here is plain code on values,
// with no widgets, so it can be tested and benchmarked on its own.
namespace catalog {

using Document = rapidjson::Document;
using Value = rapidjson::Value;
using Allocator = Document::AllocatorType;

// Member names, stored as references to constant text.
inline constexpr char kType[] = "type";
inline constexpr char kName[] = "name";
inline constexpr char kGroup[] = "group";
inline constexpr char kItem[] = "item";
inline constexpr char kParam[] = "param";
inline constexpr char kPath[] = "path";
inline constexpr char kCustomIcon[] = "customIcon";

// Kind codes held in an Item's "type".
enum Kind { KindFile = 0, KindFolder = 1, KindWeb = 2 };

// {"name":"默认分类","group":[{"name":"默认分组","item":[]}]}
Value defaultType(Allocator& allocator);
// {"name":"新分组","item":[]}
Value newGroup(Allocator& allocator);
// {"name":"","type":0,"param":"","path":"","customIcon":""}
Value newItem(Allocator& allocator);

// Parses a NUL-terminated UTF-8 text with the strict default grammar. The
// parser keeps its own stack on the heap, so no nesting depth can overflow
// the call stack. On failure the value of `doc` is left as it was.
bool parse(Document& doc, const char* text);
// Whether `bytes` holds a NUL, where parsing would stop with the rest unread.
bool holdsNul(const QByteArray& bytes);

// The compact form: no whitespace, members in memory order, raw UTF-8,
// the library's escape table. Walks the tree without recursion.
QByteArray serialize(const Value& root);
void serializeTo(const Value& root, rapidjson::StringBuffer& buffer);

// Text at the border: strings out of the Catalog decode as UTF-8 up to the
// first NUL; strings into it are copied as UTF-8 into the allocator.
QString text(const Value& string);
Value string(const QString& text, Allocator& allocator);

// Reads a string member; an absent or non-string member reads as empty.
QString memberText(const Value& object, const char* name);

// An Item's kind code; an Item without an integer kind counts as a file.
int kindOf(const Value& item);

// Index-checked navigation. Each returns nullptr where the row is -1, past
// the end, or the containing value lacks the member, so no row outside the
// arrays ever indexes one.
Value* types(Document& doc);
Value* typeAt(Document& doc, int typeRow);
Value* groupsOf(Document& doc, int typeRow);
Value* groupAt(Document& doc, int typeRow, int groupRow);
Value* itemsOf(Document& doc, int typeRow, int groupRow);
Value* itemAt(Document& doc, int typeRow, int groupRow, int itemRow);
Value* elementAt(Value* array, int index);
Value* arrayMember(Value* object, const char* name);
// The same for reading only.
const Value* types(const Document& doc);
const Value* typeAt(const Document& doc, int typeRow);
const Value* groupsOf(const Document& doc, int typeRow);
const Value* groupAt(const Document& doc, int typeRow, int groupRow);
const Value* itemsOf(const Document& doc, int typeRow, int groupRow);
const Value* itemAt(const Document& doc, int typeRow, int groupRow, int itemRow);
const Value* elementAt(const Value* array, int index);
const Value* arrayMember(const Value* object, const char* name);

} // namespace catalog

// Removes one element of a catalog array, later elements moving up by one.
// Does nothing when `array` is not an array or `index` is outside it.
void jsonEraseAt(rapidjson::Value& array, int index);
