// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Documents that ship beside the executable; the About tab links to them.
namespace documents {
QString readmePath();
QString changelogPath();
} // namespace documents
