// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/applicationscan.h"

#include "launch/desktopentry.h"

#include <QThread>

ApplicationScan::ApplicationScan(QObject* parent) : QObject(parent) {}

ApplicationScan::~ApplicationScan() {
    if (thread)
        thread->wait();
}

bool ApplicationScan::isRunning() const {
    return thread && thread->isRunning();
}

QStringList ApplicationScan::menuFolders() {
#ifdef Q_OS_WIN
    return applicationmenu::startMenuFolders();
#else
    return desktopentry::applicationFolders();
#endif
}

void ApplicationScan::start(const QStringList& applicationFolders, const QStringList& desktops,
                            const QStringList& languages) {
    if (isRunning())
        return;
    if (thread)
        thread->wait();
    thread.reset(QThread::create([this, applicationFolders, desktops, languages] {
#ifdef Q_OS_WIN
        Q_UNUSED(desktops)
        found = applicationmenu::scanStartMenu(applicationFolders, languages);
#else
        found = applicationmenu::scan(applicationFolders, desktops, languages);
#endif
    }));
    connect(thread.get(), &QThread::finished, this, [this] { emit finished(std::exchange(found, {})); });
    thread->start();
}
