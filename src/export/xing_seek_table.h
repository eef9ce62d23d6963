// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// XingSeekTable: the 100-entry seek table of a Xing/Info frame, built while
// frames are written, in memory that does not grow with the stream.
//
// Entry i is the byte position of the frame i% of the way into the stream, as
// a fraction of the stream's bytes times 256. The number of frames is known
// only at the end, so the table keeps the positions of every stride-th frame,
// at most kSlots of them; when the slots are full every second one is dropped
// and the stride doubles. The final table interpolates between kept
// positions, which places each entry within a fraction of a frame's bytes.
#include <array>
#include <cstdint>

class XingSeekTable {
 public:
  // The next frame starts `offsetBytes` from the start of the stream.
  void AddFrame(uint64_t offsetBytes);

  // The table for a stream of `streamBytes` bytes.
  std::array<uint8_t, 100> Table(uint64_t streamBytes) const;

  uint64_t Frames() const { return frames_; }

 private:
  static constexpr int kSlots = 512;
  std::array<uint64_t, kSlots> offsets_{};  // offsets_[k]: frame k x stride_
  int kept_ = 0;
  uint64_t stride_ = 1;
  uint64_t frames_ = 0;
};
