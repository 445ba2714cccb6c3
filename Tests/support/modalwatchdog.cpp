// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/modalwatchdog.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest>

void installModalWatchdog() {
    static QTimer* timer = nullptr;
    if (timer)
        return;
    timer = new QTimer(qApp);
    static QPointer<QWidget> watched;
    static QElapsedTimer since;
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != watched) {
            watched = modal;
            since.start();
            return;
        }
        if (modal && since.elapsed() > 4000) {
            qWarning("unanswered modal box \"%s\"; rejecting it", qPrintable(modal->windowTitle()));
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    });
    timer->start(250);
}
