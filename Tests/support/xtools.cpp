// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/xtools.h"

bool xdotoolKey(const QString& keys) {
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}

namespace {
QStringList grabArguments(unsigned keysym, unsigned mods, const char* mode) {
    return {QString::number(keysym), QString::number(mods), QString::fromLatin1(mode)};
}
} // namespace

QString tryGrab(unsigned keysym, unsigned mods) {
    QProcess process;
    process.start(QStringLiteral(TARN_HOLDGRAB), grabArguments(keysym, mods, "try"));
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}

GrabHolder::GrabHolder(unsigned keysym, unsigned mods) {
    process.start(QStringLiteral(TARN_HOLDGRAB), grabArguments(keysym, mods, "hold"));
    process.waitForReadyRead(5000);
    answer = QString::fromLatin1(process.readLine()).trimmed();
}

GrabHolder::~GrabHolder() {
    process.closeWriteChannel();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}
