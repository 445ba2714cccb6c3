// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/launchplan.h"

#include "catalog/catalogjson.h"

#include <QFileInfo>

namespace launch {

QStringList splitParam(const QString& param) {
    if (param.isEmpty())
        return {};
    return param.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

bool isProgram(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.suffix() == QLatin1String("exe"))
        return true;
#ifdef Q_OS_WIN
    return false;
#else
    return info.isExecutable();
#endif
}

QUrl urlFor(int kind, const QString& path) {
    if (kind == catalog::KindWeb)
        return QUrl::fromUserInput(path);
    return QUrl::fromLocalFile(path);
}

Plan planOpen(int kind, const QString& path, const QString& param) {
    Plan plan;
    if (isProgram(path)) {
        plan.road = Road::StartProgram;
        plan.program = path;
        plan.arguments = splitParam(param);
        plan.workingDirectory = QFileInfo(path).path();
    } else if (kind == catalog::KindWeb || QFileInfo::exists(path)) {
        plan.road = Road::OpenUrl;
        plan.url = urlFor(kind, path);
    }
    return plan;
}

Plan planOpenDir(int kind, const QString& path) {
    Plan plan;
    if (kind == catalog::KindWeb) {
        plan.road = Road::OpenUrl;
        plan.url = QUrl::fromUserInput(path).adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery |
                                                      QUrl::RemoveFragment);
    } else if (QFileInfo::exists(path)) {
        plan.road = Road::OpenUrl;
        plan.url = QUrl::fromLocalFile(QFileInfo(path).path());
    }
    return plan;
}

} // namespace launch
