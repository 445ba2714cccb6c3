// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "launch/applicationmenu.h"

#include <QObject>
#include <QVector>

#include <memory>

class QThread;

// Reads the installed applications on a thread of its own, so the window
// goes on painting meanwhile; `finished` brings them to the object's thread.
class ApplicationScan : public QObject {
    Q_OBJECT

public:
    explicit ApplicationScan(QObject* parent = nullptr);
    // Waits for a scan under way: it reads files only, and not for long.
    ~ApplicationScan() override;

    bool isRunning() const;
    // The menu in `applicationFolders`: freedesktop entries, or on Windows
    // the Start Menu's shortcuts.
    void start(const QStringList& applicationFolders, const QStringList& desktops,
               const QStringList& languages);

    // Where this platform's menu lives.
    static QStringList menuFolders();

signals:
    void finished(const QVector<applicationmenu::Application>& applications);

private:
    std::unique_ptr<QThread> thread;
    // Written by the thread only, read once it has ended.
    QVector<applicationmenu::Application> found;
};
