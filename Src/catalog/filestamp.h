// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace catalogstore {

// What a file was when Tarn last read or wrote it: enough to tell a later
// change by anyone else.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    QByteArray hash;

    // The file as it is now. The content is hashed only where size and time
    // alone cannot tell it from `previous`.
    static FileStamp of(const QString& path, const FileStamp* previous = nullptr);
    // The stamp of a file that now holds exactly `bytes`.
    static FileStamp written(const QString& path, const QByteArray& bytes);

    // Same content: equal size and time, or equal size and hash.
    bool sameAs(const FileStamp& other) const;
};

} // namespace catalogstore
