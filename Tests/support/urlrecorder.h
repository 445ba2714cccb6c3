// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Stands in for the desktop opener: QDesktopServices::setUrlHandler(scheme,
// &recorder, "open") and every URL handed over lands in `urls`.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};
