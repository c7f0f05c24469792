// Where bitmaps get their memory; a program may link its own definition in
// place of the library's (tests use this to make allocations fail).
#pragma once

#include <cstddef>

// As calloc: count zeroed elements of size bytes, or null.
void* surfAllocZeroed(size_t count, size_t size);
