// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace search {

// How often and how recently each Item was launched. Kept apart from the
// Catalog, keyed by what the Item opens (kind, path, parameters) rather than
// by its place or its name, so moving or renaming an Item keeps its count.
class UsageStore {
public:
    struct Entry {
        int count = 0;
        qint64 lastLaunch = 0; // ms since the epoch, UTC
    };
    using Key = std::uint64_t;

    // The key of an Item: a digest of its kind, path and parameters (the two
    // path separators count as one).
    static Key keyOf(const catalog::Value& item);
    static Key keyOf(int kind, const QByteArray& pathUtf8, const QByteArray& paramUtf8);

    // Reads a Usage file. A missing, unreadable, oversized, non-regular or
    // malformed file leaves the store empty and returns false; the file is
    // never changed, and one that is not read whole (oversized, does not
    // parse, entries passed over) is copied to "Usage.bak" before a save can
    // replace it.
    bool load(const QString& path);
    // Where load() copied a file it could not read whole; empty otherwise.
    QString keptCopy() const { return copy; }
    // Writes the store atomically; clears isDirty() on success.
    bool save(const QString& path, QString* error = nullptr) const;

    // Counts one launch of `item` at `when` (ms since the epoch; now when 0).
    void recordLaunch(const catalog::Value& item, qint64 when = 0);

    Entry entryOf(const catalog::Value& item) const;
    bool isEmpty() const { return records.empty(); }
    int size() const { return int(records.size()); }
    void clear();

    // True after a change not yet saved.
    bool isDirty() const { return dirty; }

    // For the index: the slot of a key (-1 if none), the ranking weight of a
    // slot at `now`, and a counter that changes whenever records are added or
    // renumbered.
    int slotOf(Key key) const { return bySlotKey.value(key, -1); }
    double weight(int slot, qint64 now) const;
    std::uint64_t revision() const { return rev; }

private:
    struct Slot {
        int kind = 0;
        QByteArray path;
        QByteArray param;
        Entry entry;
    };
    std::vector<Slot> records;
    QHash<Key, int> bySlotKey;
    std::uint64_t rev = 0;
    mutable bool dirty = false;
    QString copy;

    Slot& slotFor(int kind, const QByteArray& path, const QByteArray& param);
};

} // namespace search
