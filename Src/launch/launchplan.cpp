// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/launchplan.h"

#include "catalog/catalogjson.h"
#include "launch/desktopentry.h"
#include "launch/terminal.h"

#include <QFile>
#include <QFileInfo>
#include <qplatformdefs.h>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace launch {

QStringList splitParam(const QString& param) {
    if (param.isEmpty())
        return {};
    return param.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

#ifndef Q_OS_WIN
namespace {

// Whether the file starts as a program does: an ELF image or a "#!" script.
// Opened without blocking and checked to be a regular file before a byte is
// read, so a FIFO or device put in its place cannot hang the launch.
bool startsAsProgram(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QT_STATBUF status;
    char head[4] = {};
    ssize_t got = 0;
    if (QT_FSTAT(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        do
            got = ::read(fd, head, sizeof head);
        while (got < 0 && errno == EINTR);
    }
    ::close(fd);
    static const char elf[4] = {'\x7f', 'E', 'L', 'F'};
    if (got >= 4 && std::memcmp(head, elf, sizeof elf) == 0)
        return true;
    return got >= 2 && head[0] == '#' && head[1] == '!';
}

} // namespace
#endif

namespace {

Plan startPlan(const desktopentry::Command& command) {
    Plan plan;
    plan.road = Road::StartProgram;
    plan.program = command.program;
    plan.arguments = command.arguments;
    plan.moreArguments = command.moreArguments;
    plan.workingDirectory = command.workingDirectory;
    if (!command.terminal)
        return plan;
    const auto emulator = terminal::find();
    if (!emulator) {
        plan.road = Road::NoTerminal;
        return plan;
    }
    // The terminal runs the program, with its arguments as they are.
    auto wrapped = [&](const QStringList& arguments) {
        return emulator->prefix + QStringList{command.program} + arguments;
    };
    plan.program = emulator->program;
    plan.arguments = wrapped(command.arguments);
    for (QStringList& more : plan.moreArguments)
        more = wrapped(more);
    return plan;
}

} // namespace

bool isProgram(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.suffix() == QLatin1String("exe"))
        return true;
#ifdef Q_OS_WIN
    return false;
#else
    // The exec bit alone says little: every file on a FAT or NTFS mount has
    // it, and so does a document someone chmod-ed.
    return info.isExecutable() && startsAsProgram(path);
#endif
}

QUrl urlFor(int kind, const QString& path) {
    if (kind == catalog::KindWeb)
        return QUrl::fromUserInput(path);
    return QUrl::fromLocalFile(path);
}

Plan planOpen(int kind, const QString& path, const QString& param) {
    Plan plan;
    // A menu entry starts the program it names; one that names nothing
    // startable is opened as a file.
    if (kind != catalog::KindWeb && desktopentry::isEntryFile(path) && QFileInfo::exists(path)) {
        const desktopentry::Command command = desktopentry::commandOf(path, splitParam(param));
        switch (command.status) {
        case desktopentry::Command::Missing:
            return plan;
        case desktopentry::Command::Activate:
            plan.road = Road::ActivateApplication;
            plan.busName = command.busName;
            plan.objectPath = command.objectPath;
            return plan;
        case desktopentry::Command::Ready:
            return startPlan(command);
        case desktopentry::Command::NotStartable:
            break;
        }
    }
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

bool takesParam(int kind, const QString& path) {
    if (kind == catalog::KindWeb || !desktopentry::isEntryFile(path) || !QFileInfo(path).isFile())
        return true;
    return desktopentry::takesFiles(path);
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
