#include "tests/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; declared here because GCC does not install its interface headers.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace {

std::atomic<long> gAllocations{0};

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer owns operator new; it reports every allocation to these hooks instead.
void CountAllocation(const volatile void*, std::size_t) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
}
void IgnoreFree(const volatile void*) {}
const int gHooksInstalled = __sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreFree);
#endif

}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
// Counting replacement of the global allocation function; delete frees what malloc gave.
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
#endif

namespace zarvo::testing {

long AllocationCount() {
  return gAllocations.load(std::memory_order_relaxed);
}

}  // namespace zarvo::testing
