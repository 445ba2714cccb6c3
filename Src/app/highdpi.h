// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scales the window with the screen (1.5x, 2x, ...) and lets icons and
// pixmaps use the @2x artwork. Must run before the application object exists.
void enableHighDpi();
