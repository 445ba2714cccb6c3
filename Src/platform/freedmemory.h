// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hands the pages of freed memory back to the system. The C library keeps
// them for reuse, and start-up frees a lot that a program resident for
// months never needs again: the catalog file's text, the parser's stacks,
// the font configuration's parse, decoded pictures. Costs a walk over the
// heaps, so it is for once after start-up, not for every edit.
void releaseFreedMemory();
