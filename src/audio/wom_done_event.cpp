// SPDX-License-Identifier: GPL-3.0-or-later
// The pool behind WomDoneEvent: kPoolSize slots of raw storage and a 64-bit
// mask of the slots in use, claimed and released with atomic operations so
// that the audio thread can post completions without a lock or the heap.
#include "audio/wom_done_event.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <new>

namespace {

static_assert(WomDoneEvent::kPoolSize == 64, "the free-mask is one 64-bit word");

struct alignas(std::max_align_t) Slot {
  unsigned char bytes[64];
};

Slot gSlots[WomDoneEvent::kPoolSize];
std::atomic<uint64_t> gInUse{0};

// Claims a free slot; -1 when all are taken.
int ClaimSlot() {
  uint64_t used = gInUse.load(std::memory_order_relaxed);
  while (used != ~uint64_t{0}) {
    const int index = std::countr_one(used);
    const uint64_t bit = uint64_t{1} << index;
    if (gInUse.compare_exchange_weak(used, used | bit, std::memory_order_acquire,
                                     std::memory_order_relaxed)) {
      return index;
    }
  }
  return -1;
}

}  // namespace

WomDoneEvent* WomDoneEvent::CreateFromPool(WaveOut* device, WaveHeader* header) {
  static_assert(sizeof(WomDoneEvent) <= sizeof(Slot), "a slot holds one event");
  static_assert(alignof(WomDoneEvent) <= alignof(Slot));
  const int index = ClaimSlot();
  if (index < 0) return nullptr;
  return ::new (static_cast<void*>(gSlots[index].bytes)) WomDoneEvent(device, header);
}

WomDoneEvent* WomDoneEvent::Create(WaveOut* device, WaveHeader* header) {
  if (WomDoneEvent* event = CreateFromPool(device, header)) return event;
  void* memory = ::operator new(sizeof(WomDoneEvent));
  return ::new (memory) WomDoneEvent(device, header);
}

int WomDoneEvent::PooledInUse() { return std::popcount(gInUse.load(std::memory_order_acquire)); }

void WomDoneEvent::operator delete(void* event) noexcept {
  const auto first = reinterpret_cast<uintptr_t>(&gSlots[0]);
  const auto address = reinterpret_cast<uintptr_t>(event);
  if (address >= first && address < first + sizeof(gSlots)) {
    const uint64_t index = (address - first) / sizeof(Slot);
    gInUse.fetch_and(~(uint64_t{1} << index), std::memory_order_release);
    return;
  }
  ::operator delete(event);
}
