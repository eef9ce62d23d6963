#pragma once
// Counts the program's calls of operator new, to prove that a stretch of code
// allocates nothing. Including this header replaces the global operator new
// and delete of the whole executable, so include it in exactly one source
// file per executable (a test or a benchmark), never in a library.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

inline std::atomic<long> allocationCount{0};

// The number of allocations made so far by the whole executable.
inline long AllocationCount() { return allocationCount.load(std::memory_order_relaxed); }

void* operator new(std::size_t bytes) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(bytes == 0 ? 1 : bytes)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) { return operator new(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept {
  return operator new(bytes, tag);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
