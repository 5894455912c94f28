// The allocation-tracking allocator of the board's utility library: buffers handed
// between modules are allocated and freed through it.
#pragma once

#include <cstddef>

// malloc with the caller's unit and line for tracking; null on failure or size 0.
void* __dv_malloc(std::size_t size, const char* unit, int line);
void __dv_free(void* p);
