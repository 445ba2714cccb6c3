// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Documents that ship with Tarn, beside the executable or installed in the
// documents folder it was configured with; the About tab links to them.
namespace documents {
QString readmePath();
QString changelogPath();
} // namespace documents
