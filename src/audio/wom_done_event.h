// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WomDoneEvent: MM_WOM_DONE, the completion a WaveOut device posts to its
// target for every header it hands back. It carries the device and the header.
//
// Posting happens on the device's audio thread, which must never allocate. Qt
// takes ownership of a posted event and deletes it after delivery, so the
// events come from a fixed pool of kPoolSize slots with a lock-free free-mask:
// CreateFromPool never touches the heap and returns nullptr when every slot is
// in use; the class's operator delete puts a pool slot back (and frees any
// event that was made on the heap). A device posts at most one completion per
// queued header and a header is queued again only after its completion has
// been handled, so 64 slots are plenty for the 32 headers a device queues.
//
// Threads: CreateFromPool may run on any thread; Create and delivery run on the
// UI thread.
#include <QEvent>
#include <atomic>
#include <cstddef>

class WaveOut;
struct WaveHeader;

// The completion event type. The numeric value matches the window message it
// stands for (0x3BD), offset into Qt's user event range.
inline constexpr QEvent::Type MM_WOM_DONE = static_cast<QEvent::Type>(QEvent::User + 0x3BD);

class WomDoneEvent final : public QEvent {
 public:
  static constexpr int kPoolSize = 64;

  // A pooled event, or nullptr when the pool is exhausted. Never allocates.
  static WomDoneEvent* CreateFromPool(WaveOut* device, WaveHeader* header);

  // A pooled event, or a heap one when the pool is exhausted. UI thread only.
  static WomDoneEvent* Create(WaveOut* device, WaveHeader* header);

  // Events in use right now (pooled ones only); for tests and diagnostics.
  static int PooledInUse();

  static void operator delete(void* event) noexcept;

  WaveOut* device() const { return device_.load(std::memory_order_acquire); }
  WaveHeader* header() const { return header_.load(std::memory_order_acquire); }

 private:
  // The audio thread fills the event and the UI thread reads it. Qt's event
  // queue orders the two through its own lock, but that lock lives inside Qt,
  // where a thread sanitizer does not see it; publishing the two pointers
  // with release and reading them with acquire states the order in our code.
  WomDoneEvent(WaveOut* device, WaveHeader* header) : QEvent(MM_WOM_DONE) {
    device_.store(device, std::memory_order_release);
    header_.store(header, std::memory_order_release);
  }

  std::atomic<WaveOut*> device_{nullptr};
  std::atomic<WaveHeader*> header_{nullptr};
};
