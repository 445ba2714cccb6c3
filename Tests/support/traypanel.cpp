// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/traypanel.h"

#include <QSystemTrayIcon>
#include <QtTest>

TrayPanel::TrayPanel() {
    process.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"),
                                             QStringLiteral("--align"), QStringLiteral("right")});
    if (!process.waitForStarted(5000))
        return;
    ready = QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
}

TrayPanel::~TrayPanel() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
    // The tray's selection goes with its owner; the next test must not
    // see it still held.
    const bool gone = QTest::qWaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000);
    if (!gone)
        qWarning("the tray outlived trayer");
}
