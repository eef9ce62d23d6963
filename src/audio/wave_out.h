// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WaveOut: the wave output device the player queues its buffers on.
//
// The player opens the device with a PCM format and a completion target (a
// QObject living on the UI thread), prepares a header for each buffer and
// writes it. The device plays the written headers in order and, for every
// header whose bytes it has finished, posts one MM_WOM_DONE event
// (WomDoneEvent, carrying the device and the header) to the target. Reset stops
// at once and hands every queued header back, each with its own MM_WOM_DONE.
// Close releases the device; headers still queued then are dropped without a
// completion (the caller gives up on them).
//
// Threads: every member function is called on the UI thread. A backend may
// play on a thread of its own; that thread only reads the written headers'
// bytes, updates their flags and posts completions (see WomDoneEvent).
#include <atomic>
#include <cstdint>

class QObject;

// The PCM format the device is opened with (the classic WAVEFORMATEX fields).
struct WaveFormat {
  uint16_t formatTag = 1;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;  // channels x samplesPerSec x 2
  uint16_t blockAlign = 0;      // bytes per sample frame: channels x 2
  uint16_t bitsPerSample = 16;
  uint16_t extraSize = 0;
};

// 16-bit PCM at the given rate and channel count.
WaveFormat Pcm16Format(uint32_t samplesPerSec, uint16_t channels);

// One buffer handed to the device. The caller owns the header and the bytes;
// between Write and the completion of the header neither may change. `flags`
// is written by the device thread while the header is queued, hence atomic.
struct WaveHeader {
  static constexpr uint32_t kDone = 0x01;      // the device has handed it back
  static constexpr uint32_t kPrepared = 0x02;  // Prepare has run, Unprepare not yet
  static constexpr uint32_t kInQueue = 0x10;   // written and not yet handed back

  uint8_t* data = nullptr;
  uint32_t lengthBytes = 0;
  std::atomic<uint32_t> flags = 0;
  uintptr_t user = 0;  // free for the caller

  bool Has(uint32_t flag) const { return (flags.load(std::memory_order_acquire) & flag) != 0; }
};

class WaveOut {
 public:
  virtual ~WaveOut() = default;

  // Opens the device for `format`; completions go to `completionTarget`.
  // False when no output device can be opened.
  virtual bool Open(const WaveFormat& format, QObject* completionTarget) = 0;

  // Marks the header ready for Write. False while it is queued.
  bool Prepare(WaveHeader& header);

  // Queues a prepared header at the end of the play queue. False when the
  // device is closed, the header is not prepared or is queued already, or the
  // queue is full.
  virtual bool Write(WaveHeader& header) = 0;

  // Undoes Prepare. False while the header is queued.
  bool Unprepare(WaveHeader& header);

  // Stops playing and hands every queued header back, each with its own
  // completion event, before it returns.
  virtual void Reset() = 0;

  // Closes the device. Headers still queued are dropped without completion
  // and are no longer touched by the device.
  virtual void Close() = 0;

  // At most this many headers are queued at once.
  static constexpr int kMaxQueuedHeaders = 32;
};
