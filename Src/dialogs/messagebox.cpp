// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/messagebox.h"

#include <QPushButton>
#include <QVector>

int messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
               const QStringList& buttons) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    QVector<QAbstractButton*> added;
    for (const QString& button : buttons)
        added.append(box.addButton(button, QMessageBox::ActionRole));
    if (!added.isEmpty())
        box.setDefaultButton(static_cast<QPushButton*>(added.first()));
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}
