// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace search {

// Beside the catalog file, resolved against the working directory.
inline constexpr char usageFile[] = "../Data/Usage";

// How often and how recently each Item was launched. Kept apart from the
// Catalog, keyed by what the Item opens (kind, path, parameters) rather than
// by its place or its name, so moving or renaming an Item keeps its count.
class UsageStore {
public:
    struct Entry {
        int count = 0;
        qint64 lastLaunch = 0; // ms since the epoch, UTC
    };

    // The key of an Item: its kind, path and parameters.
    static QString keyOf(const catalog::Value& item);
    static QString keyOf(int kind, const QString& path, const QString& param);

    // Reads a Usage file. A missing, unreadable, oversized, non-regular or
    // malformed file leaves the store empty and returns false; nothing else
    // happens (the file is not touched).
    bool load(const QString& path);
    // Writes the store atomically. Returns false on failure.
    bool save(const QString& path, QString* error = nullptr) const;

    // Counts one launch of `item` at `when` (ms since the epoch; now when 0).
    void recordLaunch(const catalog::Value& item, qint64 when = 0);
    void recordLaunch(const QString& key, qint64 when = 0);

    Entry entry(const QString& key) const;
    Entry entryOf(const catalog::Value& item) const { return entry(keyOf(item)); }
    bool isEmpty() const { return entries.empty(); }
    int size() const { return int(entries.size()); }
    void clear();

    // True after a change not yet saved.
    bool isDirty() const { return dirty; }

    // For the index: a fixed-size digest of a key, the slot of the digest's
    // entry (-1 if none), the ranking weight of a slot and a counter that
    // changes whenever slots are added or renumbered.
    static std::uint64_t digest(const QString& key);
    int slotOf(std::uint64_t keyDigest) const;
    double weight(int slot, qint64 now) const;
    std::uint64_t revision() const { return rev; }

private:
    struct Slot {
        QString key;
        Entry entry;
    };
    std::vector<Slot> entries;
    QHash<quint64, int> bySlotDigest;
    std::uint64_t rev = 0;
    mutable bool dirty = false;

    int insertSlot(const QString& key);
};

} // namespace search
