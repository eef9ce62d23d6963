// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a join of two layer III streams needs from a frame's side information:
// how far its main data reaches back into the frames before it
// (main_data_begin) and whether its first and its last granule use the plain
// long block in every channel.
//
// Side information after the header (and its CRC): MPEG-1 has 9 bits of
// main_data_begin, 5 (mono) or 3 private bits and 4 scfsi bits per channel,
// then two granules; MPEG-2 and 2.5 have 8 bits, 1 or 2 private bits and one
// granule. Each granule holds per channel part2_3_length (12 bits),
// big_values (9), global_gain (8), scalefac_compress (4, or 9 for MPEG-2),
// window_switching_flag (1) and 22 bits that depend on it, then preflag
// (MPEG-1 only), scalefac_scale and count1table_select. A granule with the
// window switching flag set uses a start, short or stop window: any of those
// next to a plain long window of another stream breaks the overlap of the
// two transforms.
#include <cstdint>

#include "audio/mp3_frame_header.h"

struct Mp3SideFacts {
  int mainDataBegin = 0;
  bool firstGranuleLong = false;
  bool lastGranuleLong = false;
};

// The facts of the frame at `frame` (its header already parsed; the side
// information must be present).
Mp3SideFacts ReadSideFacts(const Mp3FrameHeader& header, const uint8_t* frame);
