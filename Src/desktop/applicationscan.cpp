// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/applicationscan.h"

#include <QThread>

ApplicationScan::ApplicationScan(QObject* parent) : QObject(parent) {}

ApplicationScan::~ApplicationScan() {
    if (thread)
        thread->wait();
}

bool ApplicationScan::isRunning() const {
    return thread && thread->isRunning();
}

void ApplicationScan::start(const QStringList& applicationFolders, const QStringList& desktops,
                            const QStringList& languages) {
    if (isRunning())
        return;
    if (thread)
        thread->wait();
    thread.reset(QThread::create([this, applicationFolders, desktops, languages] {
        found = applicationmenu::scan(applicationFolders, desktops, languages);
    }));
    connect(thread.get(), &QThread::finished, this, [this] { emit finished(std::exchange(found, {})); });
    thread->start();
}
