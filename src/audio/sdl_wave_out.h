// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SdlWaveOut: the WaveOut device over SDL2 audio in callback mode.
//
// Written headers go into a single-producer single-consumer ring: the UI
// thread appends in Write, SDL's audio thread takes from the head in its
// callback. The callback copies bytes from the head header into SDL's buffer;
// when a header's bytes are all copied it marks the header done and posts one
// pooled WomDoneEvent to the completion target. When the queue runs dry the
// rest of SDL's buffer is silence. Reset and Close take SDL's device lock, so
// the callback is not running while they empty the queue.
//
// Threads: public members run on the UI thread. The callback runs on SDL's
// audio thread; it never waits for the UI thread and never allocates: events
// come from WomDoneEvent's pool (should the pool ever be empty the header
// waits at the head and the completion is retried on the next callback), and
// Qt's posting only takes the event queue's mutex, which the UI thread holds
// just long enough to take events off the queue. (Qt's queue itself grows,
// once, when more events wait in it than it has ever held; with at most one
// completion per queued header that happens early in a program's life, if at
// all.) Write takes no lock at all; Reset and Close hold SDL's device lock
// only while they empty the ring.
#include <array>
#include <atomic>
#include <cstdint>

#include "audio/wave_out.h"

class SdlWaveOut final : public WaveOut {
 public:
  SdlWaveOut() = default;
  ~SdlWaveOut() override;
  SdlWaveOut(const SdlWaveOut&) = delete;
  SdlWaveOut& operator=(const SdlWaveOut&) = delete;

  // Initialises SDL's audio subsystem on first use (audio only) and opens the
  // default output for 16-bit PCM at the format's rate and channels. SDL
  // converts to whatever the hardware takes (no allowed changes).
  bool Open(const WaveFormat& format, QObject* completionTarget) override;
  bool Write(WaveHeader& header) override;
  void Reset() override;
  void Close() override;

  bool IsOpen() const { return deviceId_ != 0; }

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Fill(uint8_t* out, uint32_t bytes);  // audio thread
  WaveHeader* PopHead();                    // audio thread, or UI thread under the device lock

  static constexpr uint32_t kRingSize = kMaxQueuedHeaders;

  bool audioInitialised_ = false;
  uint32_t deviceId_ = 0;  // SDL_AudioDeviceID, 0 when closed
  uint8_t silence_ = 0;
  QObject* target_ = nullptr;

  std::array<WaveHeader*, kRingSize> ring_{};
  std::atomic<uint32_t> head_ = 0;  // next to play; advanced by the consumer
  std::atomic<uint32_t> tail_ = 0;  // next free; advanced by Write
  uint32_t headOffsetBytes_ = 0;    // bytes of the head header already copied (consumer side)
};
