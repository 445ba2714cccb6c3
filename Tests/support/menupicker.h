// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QMenu;

// Waits for the next popup menu, records its entries ("-" for a separator),
// and picks `entry` with the keyboard, or closes the menu when `entry` is
// empty.
class MenuPicker : public QObject {
    Q_OBJECT

public:
    explicit MenuPicker(const QString& entry = QString());

    QStringList shown;
    bool done = false;

    static QStringList entriesOf(const QMenu* menu);

private:
    void poll();

    QString wanted;
    QTimer timer;
};
