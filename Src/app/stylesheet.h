// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Installs the built-in application style sheet (":/qss/index.css") on the
// application object; a missing resource leaves the default look.
void loadStyleSheet();
