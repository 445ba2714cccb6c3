// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/freedmemory.h"

#include <cstdlib> // defines __GLIBC__ where it is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
