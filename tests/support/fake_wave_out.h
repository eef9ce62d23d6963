// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FakeWaveOut: a scripted WaveOut for unit tests (UI thread, needs a QCoreApplication). The
// test finishes queued headers one at a time (FinishNext), which posts their completions like a
// real device, and delivers them (Deliver) through Qt's event queue. It records the format,
// every write, the bytes played, resets and closes; it can refuse to open and stall on Reset (a
// sound server that never hands its buffers back).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wave_out.h"

class FakeWaveOut final : public WaveOut {
 public:
  bool refuseOpen = false, stallOnReset = false;  // the script
  int opens = 0, closes = 0, resets = 0;
  WaveFormat format;
  std::vector<uint32_t> writtenLengths;  // byte count of every Write, in order
  std::vector<uint8_t> playedBytes;      // bytes of the headers finished by FinishNext
  bool Open(const WaveFormat& openFormat, QObject* completionTarget) override;
  bool Write(WaveHeader& header) override;
  void Reset() override;
  void Close() override;
  bool IsOpen() const { return open_; }
  const WaveHeader* QueuedHeader(size_t index) const;
  // Finishes the head header as played and posts its completion; false when nothing is queued.
  bool FinishNext();
  void Deliver();  // delivers the completions posted so far
  bool PlayNext() { return FinishNext() ? (Deliver(), true) : false; }
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
  size_t queueHead_ = 0, queuedCount_ = 0;
};
