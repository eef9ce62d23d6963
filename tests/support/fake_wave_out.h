#pragma once
// FakeWaveOut: a scripted WaveOut for unit tests. It plays nothing by itself:
// the test finishes queued headers one at a time (FinishNext), which posts
// their completions like a real device, and delivers them (Deliver) through
// Qt's event queue to the completion target. It records what it was asked to
// do: the format, every write, the bytes of every finished header, resets and
// closes. It can refuse to open, and it can stall on Reset (a sound server
// that never hands its buffers back).
//
// Threads: UI thread only; needs a QCoreApplication.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wave_out.h"

class FakeWaveOut final : public WaveOut {
 public:
  // Script.
  bool refuseOpen = false;
  bool stallOnReset = false;

  // Record.
  int opens = 0;
  int closes = 0;
  int resets = 0;
  WaveFormat format;
  std::vector<uint32_t> writtenLengths;  // byte count of every Write, in order
  std::vector<uint8_t> playedBytes;      // bytes of the headers finished by FinishNext

  bool Open(const WaveFormat& openFormat, QObject* completionTarget) override;
  bool Write(WaveHeader& header) override;
  void Reset() override;
  void Close() override;

  bool IsOpen() const { return open_; }
  const WaveHeader* QueuedHeader(size_t index) const;

  // Finishes the head header as played and posts its completion; false when
  // nothing is queued.
  bool FinishNext();
  // Delivers the completions posted so far to the target.
  void Deliver();
  // FinishNext then Deliver; false when nothing was queued.
  bool PlayNext();
  // Plays until nothing is queued.
  void PlayAll() {
    while (PlayNext()) continue;
  }

 private:
  void Return(WaveHeader* header);
  WaveHeader* PopFront();

  bool open_ = false;
  QObject* target_ = nullptr;
  // A fixed ring, so that queueing allocates nothing (allocation tests).
  std::array<WaveHeader*, kMaxQueuedHeaders> queue_{};
  size_t queueHead_ = 0;
  size_t queuedCount_ = 0;
};
