// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stylesheet.h"

#include <QApplication>
#include <QFile>

void loadStyleSheet() {
    QFile file(QStringLiteral(":/qss/index.css"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    // The sheet's one comment is not UTF-8; it decodes to replacement
    // characters inside the comment, which the style engine skips.
    qApp->setStyleSheet(QString::fromUtf8(bytes));
}
