// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QStringList>

// A message box with buttons of its own texts, the first one the default.
// Returns the index of the button pressed, -1 when it was closed without one.
// Qt 6 deprecates QMessageBox's overloads that take button texts.
int messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
               const QStringList& buttons);
