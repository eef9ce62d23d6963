// SPDX-License-Identifier: GPL-3.0-or-later
// The counting allocator behind allocation_counter.h. Normal builds replace
// malloc, calloc, realloc and free (glibc allows a program to do so and
// exports its own allocator as __libc_*); sanitizer builds replace the
// operator new family instead and forward to malloc and free.
#include "support/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

constinit thread_local uint64_t tThreadCount = 0;
constinit std::atomic<uint64_t> gProcessCount{0};

inline void Count() {
  ++tThreadCount;
  gProcessCount.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

uint64_t ThreadAllocations() { return tThreadCount; }
uint64_t ProcessAllocations() { return gProcessCount.load(std::memory_order_relaxed); }

// ThreadSanitizer owns malloc as AddressSanitizer does.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)

bool CountsMalloc() { return false; }

namespace {
void* CountedNew(std::size_t bytes) {
  Count();
  if (void* memory = std::malloc(bytes == 0 ? 1 : bytes)) return memory;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t bytes) { return CountedNew(bytes); }
void* operator new[](std::size_t bytes) { return CountedNew(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return Count(), std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return Count(), std::malloc(bytes == 0 ? 1 : bytes);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

#else

bool CountsMalloc() { return true; }

extern "C" {
void* __libc_malloc(std::size_t bytes);
void* __libc_calloc(std::size_t count, std::size_t bytes);
void* __libc_realloc(void* memory, std::size_t bytes);
void __libc_free(void* memory);

void* malloc(std::size_t bytes) { return Count(), __libc_malloc(bytes); }
void* calloc(std::size_t count, std::size_t bytes) { return Count(), __libc_calloc(count, bytes); }
void* realloc(void* memory, std::size_t bytes) { return Count(), __libc_realloc(memory, bytes); }
void free(void* memory) { __libc_free(memory); }
}

#endif
