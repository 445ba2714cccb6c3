// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/menupicker.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QtTest>

MenuPicker::MenuPicker(const QString& entry) : wanted(entry) {
    connect(&timer, &QTimer::timeout, this, &MenuPicker::poll);
    timer.start(5);
}

QStringList MenuPicker::entriesOf(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

void MenuPicker::poll() {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || done)
        return;
    done = true;
    timer.stop();
    shown = entriesOf(menu);
    for (QAction* action : menu->actions()) {
        if (!wanted.isEmpty() && action->text() == wanted) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
}
