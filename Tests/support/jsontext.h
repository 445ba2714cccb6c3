// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// JSON written with single quotes, so test files need no raw strings (which
// moc does not read reliably): json("{'name':'a'}") is {"name":"a"}.
inline QByteArray json(const char* singleQuoted) {
    return QByteArray(singleQuoted).replace('\'', '"');
}
inline QByteArray json(const QString& singleQuoted) {
    return singleQuoted.toUtf8().replace('\'', '"');
}
