// The allocator stand-in: plain malloc. The board's version records unit and line for
// leak reports; the sanitizer builds do that job here.
#include "dvmem.h"

#include <cstdlib>

void* __dv_malloc(std::size_t size, const char* /*unit*/, int /*line*/) {
  if (size == 0) return nullptr;
  return std::malloc(size);
}

void __dv_free(void* p) {
  std::free(p);
}
