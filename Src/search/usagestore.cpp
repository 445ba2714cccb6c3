// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/usagestore.h"

#include "catalog/catalogstore.h"
#include "search/hashing.h"

#include <rapidjson/writer.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace search {

namespace {

// A launcher's history is small; anything far larger is not ours.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// A string member's bytes up to the first NUL, as the rest of the program
// reads text out of the Catalog.
QByteArray memberBytes(const catalog::Value& object, const char* name) {
    const auto it = object.FindMember(name);
    if (it == object.MemberEnd() || !it->value.IsString())
        return QByteArray();
    const char* s = it->value.GetString();
    return QByteArray(s, int(qstrnlen(s, it->value.GetStringLength())));
}

UsageStore::Key keyOfBytes(int kind, const char* path, std::size_t pathLength, const char* param,
                           std::size_t paramLength) {
    std::uint64_t h = hashBytes(&kind, sizeof kind, 0x7461726eULL);
    if (kind != catalog::KindWeb && std::memchr(path, '\\', pathLength)) {
        QByteArray p(path, int(pathLength));
        p.replace('\\', '/');
        h = hashBytes(p.constData(), std::size_t(p.size()), h);
    } else {
        h = hashBytes(path, pathLength, h);
    }
    return hashBytes(param, paramLength, h);
}

} // namespace

UsageStore::Key UsageStore::keyOf(int kind, const QByteArray& pathUtf8, const QByteArray& paramUtf8) {
    return keyOfBytes(kind, pathUtf8.constData(), std::size_t(pathUtf8.size()), paramUtf8.constData(),
                      std::size_t(paramUtf8.size()));
}

UsageStore::Key UsageStore::keyOf(const catalog::Value& item) {
    if (!item.IsObject())
        return 0;
    const auto stringOf = [&item](const char* name, std::size_t* length) -> const char* {
        const auto it = item.FindMember(name);
        if (it == item.MemberEnd() || !it->value.IsString()) {
            *length = 0;
            return "";
        }
        *length = qstrnlen(it->value.GetString(), it->value.GetStringLength());
        return it->value.GetString();
    };
    std::size_t pathLength = 0, paramLength = 0;
    const char* path = stringOf(catalog::kPath, &pathLength);
    const char* param = stringOf(catalog::kParam, &paramLength);
    return keyOfBytes(catalog::kindOf(item), path, pathLength, param, paramLength);
}

UsageStore::Slot& UsageStore::slotFor(int kind, const QByteArray& path, const QByteArray& param) {
    const Key key = keyOf(kind, path, param);
    const auto it = bySlotKey.constFind(key);
    if (it != bySlotKey.constEnd())
        return records[size_t(it.value())];
    records.push_back(Slot{kind, path, param, Entry{}});
    bySlotKey.insert(key, int(records.size()) - 1);
    ++rev;
    return records.back();
}

void UsageStore::clear() {
    records.clear();
    bySlotKey.clear();
    ++rev;
    dirty = true;
}

void UsageStore::recordLaunch(const catalog::Value& item, qint64 when) {
    if (!item.IsObject())
        return;
    Slot& s =
        slotFor(catalog::kindOf(item), memberBytes(item, catalog::kPath), memberBytes(item, catalog::kParam));
    ++s.entry.count;
    s.entry.lastLaunch = when ? when : nowMs();
    dirty = true;
}

UsageStore::Entry UsageStore::entryOf(const catalog::Value& item) const {
    const int slot = slotOf(keyOf(item));
    return slot < 0 ? Entry{} : records[size_t(slot)].entry;
}

double UsageStore::weight(int slot, qint64 now) const {
    if (slot < 0 || slot >= int(records.size()))
        return 0;
    const Entry& e = records[size_t(slot)].entry;
    if (e.count <= 0)
        return 0;
    // Launches count in full while recent and fade with age, so a habit
    // formed this week outranks one dropped months ago; the launch time
    // itself breaks the remaining ties.
    const qint64 age = now - e.lastLaunch;
    double factor = 0.1;
    if (age < 4 * kDayMs)
        factor = 1.0;
    else if (age < 14 * kDayMs)
        factor = 0.7;
    else if (age < 31 * kDayMs)
        factor = 0.5;
    else if (age < 90 * kDayMs)
        factor = 0.3;
    return e.count * factor + double(qBound<qint64>(0, e.lastLaunch, now)) / double(now + 1) * 0.01;
}

// The file: {"items":[{"kind":0,"path":"...","param":"...","count":3,"last":1700000000000},...]}
bool UsageStore::load(const QString& path) {
    records.clear();
    bySlotKey.clear();
    ++rev;
    dirty = false;
    copy.clear();

    // Only a plain file is opened: a FIFO or device would block or never end.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    // Too large to be Tarn's, and too large to read: copied as it is before
    // a save can replace it.
    if (info.size() > kMaxFileBytes) {
        copy = catalogstore::keepFileCopy(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    file.close();
    if (bytes.isEmpty() || bytes.size() > kMaxFileBytes)
        return false;

    // A file that is not ours to read is set aside, not overwritten.
    catalog::Document doc;
    const catalog::Value* items = nullptr;
    if (catalog::parse(doc, bytes.constData()) && doc.IsObject()) {
        const auto it = doc.FindMember("items");
        if (it != doc.MemberEnd() && it->value.IsArray())
            items = &it->value;
    }
    if (!items) {
        copy = catalogstore::keepCopy(path, bytes);
        return false;
    }
    bool skipped = false;
    for (const catalog::Value& v : items->GetArray()) {
        if (!v.IsObject()) {
            skipped = true;
            continue;
        }
        const auto kind = v.FindMember("kind");
        const auto count = v.FindMember("count");
        const auto last = v.FindMember("last");
        if (kind == v.MemberEnd() || !kind->value.IsInt() || count == v.MemberEnd() ||
            !count->value.IsInt() || count->value.GetInt() <= 0) {
            skipped = true;
            continue;
        }
        Slot& s = slotFor(kind->value.GetInt(), memberBytes(v, "path"), memberBytes(v, "param"));
        s.entry.count = qMax(s.entry.count, count->value.GetInt());
        if (last != v.MemberEnd() && last->value.IsInt64())
            s.entry.lastLaunch = qMax(s.entry.lastLaunch, qint64(last->value.GetInt64()));
    }
    // What was passed over would be gone with the next save.
    if (skipped)
        copy = catalogstore::keepCopy(path, bytes);
    return true;
}

bool UsageStore::save(const QString& path, QString* error) const {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
    w.StartObject();
    w.Key("items");
    w.StartArray();
    for (const Slot& s : records) {
        if (s.entry.count <= 0)
            continue;
        w.StartObject();
        w.Key("kind");
        w.Int(s.kind);
        w.Key("path");
        w.String(s.path.constData(), rapidjson::SizeType(s.path.size()));
        w.Key("param");
        w.String(s.param.constData(), rapidjson::SizeType(s.param.size()));
        w.Key("count");
        w.Int(s.entry.count);
        w.Key("last");
        w.Int64(s.entry.lastLaunch);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    if (!catalogstore::writeAtomically(path, QByteArray(buffer.GetString(), int(buffer.GetSize())), error))
        return false;
    dirty = false;
    return true;
}

} // namespace search
