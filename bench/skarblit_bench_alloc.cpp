// Counts the system allocations of this program: operator new is replaced here, and the
// malloc family is wrapped at link time (-Wl,--wrap=malloc,...), which catches every call
// from our own libraries.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "bench/skarblit_bench.h"

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size) {
  if (skarbench::allocCounting) ++skarbench::allocCount;
  return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
  if (skarbench::allocCounting) ++skarbench::allocCount;
  return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size) {
  if (skarbench::allocCounting) ++skarbench::allocCount;
  return __real_realloc(block, size);
}
}

namespace skarbench {
bool allocCounting = false;
long long allocCount = 0;
}  // namespace skarbench

void* operator new(std::size_t size) {
  if (skarbench::allocCounting) ++skarbench::allocCount;
  void* block = __real_malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
