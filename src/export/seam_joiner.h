// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Joining two layer III streams that encode the same samples on the same
// frame grid: frames before the seam frame j come from the first stream,
// frames from j on from the second.
//
// Frame j of the second stream starts its main data main_data_begin bytes
// back, at the end of the main-data areas of its own stream's frames before
// j. In the joined stream those frames are the first stream's, whose last
// main_data_begin(first, j) bytes held the first stream's frame j and are free
// once that frame is dropped. The seam is clean when
//   - the second stream's frame j reaches back no further than that, and
//   - the first stream's last granule before j and the second stream's first
//     granule of j both use the plain long block, so the two transforms
//     overlap as they do inside one stream.
// The join then puts the second stream's reservoir bytes at the end of the
// free bytes and zeroes the rest (the decoder reads them as ancillary data of
// the frames before).
#include <cstdint>
#include <deque>
#include <vector>

#include "audio/mp3_frame_header.h"
#include "export/mp3_side_info.h"

struct HeldFrame {
  Mp3FrameHeader header;
  std::vector<uint8_t> bytes;  // the whole frame
};

// The last frames of a stream, oldest first: the fewest whose main-data areas
// hold the furthest reach of main_data_begin (511 bytes for MPEG-1), so the
// frame that follows them can take its reservoir from them.
class FrameWindow {
 public:
  // Appends a frame; returns the oldest frames no longer needed, oldest first.
  std::vector<HeldFrame> Push(HeldFrame frame);
  std::deque<HeldFrame>& Frames() { return frames_; }
  std::vector<HeldFrame> TakeAll();

 private:
  std::deque<HeldFrame> frames_;
  int mainDataBytes_ = 0;  // of every held frame
};

// True when a join at j is clean: `firstBefore` and `firstAt` are the first
// stream's frames j - 1 and j, `secondAt` the second stream's frame j.
bool SeamQualifies(const Mp3SideFacts& firstBefore, const Mp3SideFacts& firstAt,
                   const Mp3SideFacts& secondAt);

// The last `bytes` main-data bytes of the frames, in stream order; false when
// the frames hold fewer.
bool CopyTailMainData(const std::deque<HeldFrame>& frames, int bytes, std::vector<uint8_t>& out);

// Zeroes the last `freeBytes` main-data bytes of the frames and writes
// `reservoir` over the end of them; false when the frames hold fewer than
// `freeBytes` or the reservoir is longer.
bool PlaceReservoir(std::deque<HeldFrame>& frames, int freeBytes,
                    const std::vector<uint8_t>& reservoir);
