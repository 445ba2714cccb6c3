// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/usagestore.h"

#include "catalog/catalogstore.h"

#include <rapidjson/writer.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace search {

namespace {

// A launcher's history is small; anything far larger is not ours.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// Keys hold the three parts apart with a character no path or parameter
// text contains.
constexpr QChar kSep = QChar(0x1f);

} // namespace

QString UsageStore::keyOf(int kind, const QString& path, const QString& param) {
    // The same file written with either separator is the same target.
    QString p = path;
    if (kind != catalog::KindWeb)
        p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QString::number(kind) + kSep + p + kSep + param;
}

QString UsageStore::keyOf(const catalog::Value& item) {
    if (!item.IsObject())
        return QString();
    return keyOf(catalog::kindOf(item), catalog::memberText(item, catalog::kPath),
                 catalog::memberText(item, catalog::kParam));
}

std::uint64_t UsageStore::digest(const QString& key) {
    // FNV-1a over the UTF-16 units: stable across runs and platforms.
    std::uint64_t h = 1469598103934665603ULL;
    for (const QChar c : key) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    return h;
}

int UsageStore::insertSlot(const QString& key) {
    const quint64 dg = digest(key);
    auto it = bySlotDigest.constFind(dg);
    if (it != bySlotDigest.constEnd())
        return it.value();
    entries.push_back(Slot{key, Entry{}});
    const int slot = int(entries.size()) - 1;
    bySlotDigest.insert(dg, slot);
    ++rev;
    return slot;
}

void UsageStore::clear() {
    entries.clear();
    bySlotDigest.clear();
    ++rev;
    dirty = true;
}

void UsageStore::recordLaunch(const QString& key, qint64 when) {
    if (key.isEmpty())
        return;
    Slot& s = entries[size_t(insertSlot(key))];
    ++s.entry.count;
    s.entry.lastLaunch = when ? when : nowMs();
    dirty = true;
}

void UsageStore::recordLaunch(const catalog::Value& item, qint64 when) {
    recordLaunch(keyOf(item), when);
}

UsageStore::Entry UsageStore::entry(const QString& key) const {
    const int slot = slotOf(digest(key));
    return slot < 0 ? Entry{} : entries[size_t(slot)].entry;
}

int UsageStore::slotOf(std::uint64_t keyDigest) const {
    return bySlotDigest.value(keyDigest, -1);
}

double UsageStore::weight(int slot, qint64 now) const {
    if (slot < 0 || slot >= int(entries.size()))
        return 0;
    const Entry& e = entries[size_t(slot)].entry;
    if (e.count <= 0)
        return 0;
    // Launches count in full while recent and fade with age, so a habit
    // formed this week outranks one dropped months ago.
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
    return e.count * factor;
}

// The file: {"items":[{"kind":0,"path":"...","param":"...","count":3,"last":1700000000000},...]}
bool UsageStore::load(const QString& path) {
    entries.clear();
    bySlotDigest.clear();
    ++rev;
    dirty = false;

    // Only a plain file is opened: a FIFO or device would block or never end.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() > kMaxFileBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    file.close();
    if (bytes.isEmpty() || bytes.size() > kMaxFileBytes)
        return false;

    catalog::Document doc;
    if (!catalog::parse(doc, bytes.constData()) || !doc.IsObject())
        return false;
    const auto items = doc.FindMember("items");
    if (items == doc.MemberEnd() || !items->value.IsArray())
        return false;
    for (const catalog::Value& v : items->value.GetArray()) {
        if (!v.IsObject())
            continue;
        const auto kind = v.FindMember("kind");
        const auto count = v.FindMember("count");
        const auto last = v.FindMember("last");
        if (kind == v.MemberEnd() || !kind->value.IsInt() || count == v.MemberEnd() ||
            !count->value.IsInt() || count->value.GetInt() <= 0)
            continue;
        const QString key =
            keyOf(kind->value.GetInt(), catalog::memberText(v, "path"), catalog::memberText(v, "param"));
        Slot& s = entries[size_t(insertSlot(key))];
        s.entry.count = qMax(s.entry.count, count->value.GetInt());
        if (last != v.MemberEnd() && last->value.IsInt64())
            s.entry.lastLaunch = qMax(s.entry.lastLaunch, qint64(last->value.GetInt64()));
    }
    return true;
}

bool UsageStore::save(const QString& path, QString* error) const {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
    w.StartObject();
    w.Key("items");
    w.StartArray();
    for (const Slot& s : entries) {
        if (s.entry.count <= 0)
            continue;
        const QStringList parts = s.key.split(kSep);
        if (parts.size() != 3)
            continue;
        const QByteArray p = parts[1].toUtf8();
        const QByteArray a = parts[2].toUtf8();
        w.StartObject();
        w.Key("kind");
        w.Int(parts[0].toInt());
        w.Key("path");
        w.String(p.constData(), rapidjson::SizeType(p.size()));
        w.Key("param");
        w.String(a.constData(), rapidjson::SizeType(a.size()));
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
