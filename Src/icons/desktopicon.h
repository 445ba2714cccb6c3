// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileInfo>
#include <QIcon>

// Icons that come from desktop entries: a ".desktop" file shows the icon it
// names, and a program that an installed entry starts shows that entry's
// icon. Null when there is none, so the usual rule applies.
namespace desktopicon {

QIcon forFile(const QFileInfo& file);

// An entry's Icon value: a theme icon name, or an absolute picture file.
QIcon fromIconValue(const QString& value);

} // namespace desktopicon
