// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogjson.h"

#include <QCoreApplication>

#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

namespace catalog {

namespace {

Value ref(const char* constant) {
    return Value(rapidjson::StringRef(constant));
}

// A name new entries get, in the language Tarn speaks; copied, since a
// translation lives only as long as its translator.
Value shownName(const char* source, Allocator& allocator) {
    const QByteArray name = QCoreApplication::translate("catalog", source).toUtf8();
    return Value(name.constData(), rapidjson::SizeType(name.size()), allocator);
}

Value namedWithArray(const char* name, const char* arrayMember, Allocator& allocator) {
    Value object(rapidjson::kObjectType);
    object.AddMember(ref(kName), shownName(name, allocator), allocator);
    object.AddMember(ref(arrayMember), Value(rapidjson::kArrayType), allocator);
    return object;
}

} // namespace

Value defaultType(Allocator& allocator) {
    Value type(rapidjson::kObjectType);
    type.AddMember(ref(kName), shownName(QT_TRANSLATE_NOOP("catalog", "默认分类"), allocator), allocator);
    Value groups(rapidjson::kArrayType);
    groups.PushBack(namedWithArray(QT_TRANSLATE_NOOP("catalog", "默认分组"), kItem, allocator), allocator);
    type.AddMember(ref(kGroup), groups, allocator);
    return type;
}

Value newGroup(Allocator& allocator) {
    return namedWithArray(QT_TRANSLATE_NOOP("catalog", "新分组"), kItem, allocator);
}

Value newItem(Allocator& allocator) {
    Value item(rapidjson::kObjectType);
    item.AddMember(ref(kName), Value(""), allocator);
    item.AddMember(ref(kType), Value(static_cast<int>(KindFile)), allocator);
    item.AddMember(ref(kParam), Value(""), allocator);
    item.AddMember(ref(kPath), Value(""), allocator);
    item.AddMember(ref(kCustomIcon), Value(""), allocator);
    return item;
}

namespace {

// Hands every event of the reader to the document, reading numbers itself:
// the library's default number reading can be off by one unit in the last
// place, so a fraction would drift a little at every save, and its exact
// mode has undefined behaviour on inputs such as 0e93.
//
// It also counts the nesting: the library's recursive reader is the faster
// one but recurses once per level, so past kMaxRecursion it stops and the
// caller reads again with the iterative reader, which keeps its stack on the
// heap.
class ExactNumbers {
public:
    static constexpr int kMaxRecursion = 256;

    ExactNumbers(Document& target, bool limitNesting) : doc(target), limitDepth(limitNesting) {}
    bool tooDeep = false;

    bool Null() { return doc.Null(); }
    bool Bool(bool b) { return doc.Bool(b); }
    bool Int(int i) { return doc.Int(i); }
    bool Uint(unsigned u) { return doc.Uint(u); }
    bool Int64(int64_t i) { return doc.Int64(i); }
    bool Uint64(uint64_t u) { return doc.Uint64(u); }
    bool Double(double d) { return doc.Double(d); }
    bool String(const char* str, rapidjson::SizeType length, bool copy) {
        return doc.String(str, length, copy);
    }
    bool StartObject() { return enter() && doc.StartObject(); }
    bool Key(const char* str, rapidjson::SizeType length, bool copy) { return doc.Key(str, length, copy); }
    bool EndObject(rapidjson::SizeType members) {
        --depth;
        return doc.EndObject(members);
    }
    bool StartArray() { return enter() && doc.StartArray(); }
    bool EndArray(rapidjson::SizeType elements) {
        --depth;
        return doc.EndArray(elements);
    }

    // The reader has checked the grammar; integers keep the library's
    // choice of kind, everything else is read correctly rounded.
    bool RawNumber(const char* str, rapidjson::SizeType length, bool) {
        const char* end = str + length;
        if (std::find_if(str, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) == end) {
            if (int64_t i; std::from_chars(str, end, i).ec == std::errc()) {
                if (i >= std::numeric_limits<int>::min() && i <= std::numeric_limits<int>::max())
                    return doc.Int(static_cast<int>(i));
                if (i >= 0 && i <= std::numeric_limits<unsigned>::max())
                    return doc.Uint(static_cast<unsigned>(i));
                return doc.Int64(i);
            }
            if (uint64_t u; std::from_chars(str, end, u).ec == std::errc())
                return doc.Uint64(u);
        }
        double d = 0;
        const auto [rest, error] = std::from_chars(str, end, d);
        if (error == std::errc::result_out_of_range) {
            // Too small to hold is zero; too large is not JSON Tarn can keep.
            const char* exponent = std::find_if(str, end, [](char c) { return c == 'e' || c == 'E'; });
            const bool tiny = exponent + 1 < end && exponent[1] == '-';
            if (!tiny)
                return false;
            d = str[0] == '-' ? -0.0 : 0.0;
        } else if (error != std::errc() || rest != end) {
            return false;
        }
        return doc.Double(d);
    }

private:
    bool enter() {
        if (limitDepth && ++depth > kMaxRecursion) {
            tooDeep = true;
            return false;
        }
        return true;
    }

    Document& doc;
    const bool limitDepth;
    int depth = 0;
};

template <unsigned flags> bool parseWith(Document& doc, const char* text, bool* tooDeep) {
    constexpr unsigned kFlags = flags | rapidjson::kParseNumbersAsStringsFlag;
    rapidjson::ParseResult result;
    auto generator = [&](Document& target) {
        rapidjson::Reader reader;
        rapidjson::StringStream stream(text);
        ExactNumbers handler(target, !(flags & rapidjson::kParseIterativeFlag));
        result = reader.Parse<kFlags>(stream, handler);
        *tooDeep = handler.tooDeep;
        return !result.IsError();
    };
    // A failed read leaves the document's value untouched.
    doc.Populate(generator);
    return !result.IsError();
}

} // namespace

bool holdsNul(const QByteArray& bytes) {
    // memchr scans a word or more at a time; a 9 MB catalog is read at start.
    return std::memchr(bytes.constData(), 0, std::size_t(bytes.size())) != nullptr;
}

bool parse(Document& doc, const char* text) {
    // Read in place: the document keeps its allocator, which callers hold
    // references to.
    bool tooDeep = false;
    if (parseWith<rapidjson::kParseDefaultFlags>(doc, text, &tooDeep))
        return true;
    return tooDeep && parseWith<rapidjson::kParseIterativeFlag>(doc, text, &tooDeep);
}

QByteArray serialize(const Value& root) {
    rapidjson::StringBuffer buffer;
    serializeTo(root, buffer);
    return QByteArray(buffer.GetString(), static_cast<int>(buffer.GetSize()));
}

void serializeTo(const Value& root, rapidjson::StringBuffer& buffer) {
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);

    struct Frame {
        const Value* container;
        rapidjson::SizeType next;
    };
    std::vector<Frame> open;

    // Scalars are written at once; containers are opened and pushed, to be
    // walked by the loop below instead of by recursion.
    auto visit = [&](const Value& v) {
        switch (v.GetType()) {
        case rapidjson::kNullType:
            writer.Null();
            break;
        case rapidjson::kFalseType:
            writer.Bool(false);
            break;
        case rapidjson::kTrueType:
            writer.Bool(true);
            break;
        case rapidjson::kStringType:
            writer.String(v.GetString(), v.GetStringLength());
            break;
        case rapidjson::kNumberType:
            if (v.IsDouble())
                writer.Double(v.GetDouble());
            else if (v.IsInt())
                writer.Int(v.GetInt());
            else if (v.IsUint())
                writer.Uint(v.GetUint());
            else if (v.IsInt64())
                writer.Int64(v.GetInt64());
            else
                writer.Uint64(v.GetUint64());
            break;
        case rapidjson::kObjectType:
            writer.StartObject();
            open.push_back({&v, 0});
            break;
        case rapidjson::kArrayType:
            writer.StartArray();
            open.push_back({&v, 0});
            break;
        }
    };

    visit(root);
    while (!open.empty()) {
        const std::size_t top = open.size() - 1;
        const Value& container = *open[top].container;
        const rapidjson::SizeType index = open[top].next++;
        if (container.IsObject()) {
            if (index < container.MemberCount()) {
                const auto member = container.MemberBegin() + index;
                writer.Key(member->name.GetString(), member->name.GetStringLength());
                visit(member->value);
            } else {
                writer.EndObject(container.MemberCount());
                open.pop_back();
            }
        } else {
            if (index < container.Size()) {
                visit(container[index]);
            } else {
                writer.EndArray(container.Size());
                open.pop_back();
            }
        }
    }
}

QString text(const Value& string) {
    if (!string.IsString())
        return QString();
    const char* bytes = string.GetString();
    const void* nul = std::memchr(bytes, '\0', string.GetStringLength());
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : string.GetStringLength();
    return QString::fromUtf8(bytes, static_cast<int>(length));
}

Value string(const QString& text, Allocator& allocator) {
    const QByteArray utf8 = text.toUtf8();
    return Value(utf8.constData(), static_cast<rapidjson::SizeType>(utf8.size()), allocator);
}

QString memberText(const Value& object, const char* name) {
    if (!object.IsObject())
        return QString();
    const auto member = object.FindMember(name);
    return member == object.MemberEnd() ? QString() : text(member->value);
}

int kindOf(const Value& item) {
    if (!item.IsObject())
        return KindFile;
    const auto kind = item.FindMember(kType);
    return kind != item.MemberEnd() && kind->value.IsInt() ? kind->value.GetInt() : KindFile;
}

Value* elementAt(Value* array, int index) {
    if (!array || !array->IsArray() || index < 0 || static_cast<rapidjson::SizeType>(index) >= array->Size())
        return nullptr;
    return &(*array)[static_cast<rapidjson::SizeType>(index)];
}

Value* arrayMember(Value* object, const char* name) {
    if (!object || !object->IsObject())
        return nullptr;
    const auto member = object->FindMember(name);
    if (member == object->MemberEnd() || !member->value.IsArray())
        return nullptr;
    return &member->value;
}

Value* types(Document& doc) {
    return arrayMember(&doc, kType);
}

Value* typeAt(Document& doc, int typeRow) {
    return elementAt(types(doc), typeRow);
}

Value* groupsOf(Document& doc, int typeRow) {
    return arrayMember(typeAt(doc, typeRow), kGroup);
}

Value* groupAt(Document& doc, int typeRow, int groupRow) {
    return elementAt(groupsOf(doc, typeRow), groupRow);
}

Value* itemsOf(Document& doc, int typeRow, int groupRow) {
    return arrayMember(groupAt(doc, typeRow, groupRow), kItem);
}

Value* itemAt(Document& doc, int typeRow, int groupRow, int itemRow) {
    return elementAt(itemsOf(doc, typeRow, groupRow), itemRow);
}

// Navigation never changes what it walks: the reading forms share it.
const Value* types(const Document& doc) {
    return types(const_cast<Document&>(doc));
}

const Value* typeAt(const Document& doc, int typeRow) {
    return typeAt(const_cast<Document&>(doc), typeRow);
}

const Value* groupsOf(const Document& doc, int typeRow) {
    return groupsOf(const_cast<Document&>(doc), typeRow);
}

const Value* groupAt(const Document& doc, int typeRow, int groupRow) {
    return groupAt(const_cast<Document&>(doc), typeRow, groupRow);
}

const Value* itemsOf(const Document& doc, int typeRow, int groupRow) {
    return itemsOf(const_cast<Document&>(doc), typeRow, groupRow);
}

const Value* itemAt(const Document& doc, int typeRow, int groupRow, int itemRow) {
    return itemAt(const_cast<Document&>(doc), typeRow, groupRow, itemRow);
}

const Value* elementAt(const Value* array, int index) {
    return elementAt(const_cast<Value*>(array), index);
}

const Value* arrayMember(const Value* object, const char* name) {
    return arrayMember(const_cast<Value*>(object), name);
}

} // namespace catalog

void jsonEraseAt(rapidjson::Value& array, int index) {
    if (!catalog::elementAt(&array, index))
        return;
    array.Erase(array.Begin() + index);
}
