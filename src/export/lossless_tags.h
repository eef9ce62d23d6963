// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tags a lossless cut carries over from its source: the ID3v2 tags
// before the audio, as they are but for their length frame, and the tags
// after the last frame (APEv2, Lyrics3, ID3v1), as they are.
//
// An ID3v2 length frame (TLEN: the audio's length in milliseconds as text)
// would give the source's length for the piece. SetId3v2Length writes the
// piece's length over its digits, zero-padded to the digits it had; a frame
// with too few digits for that, or one the tag hides (ID3v2.2, a tag
// unsynchronised as a whole, a compressed or encrypted frame), is not
// rewritten: a frame of a tag of version 2.3 or 2.4 with too few digits is
// removed (the frames after it move up, zero padding fills the end, the tag
// keeps its size).
//
// The tags at the end are found from the file's end backwards, as taggers
// find them: an ID3v1 tag in the last 128 bytes, before it a Lyrics3 v2 tag
// ("LYRICS200" after its 6-digit size) and an APEv2 tag (its footer gives
// its size), in either order.
#include <cstdint>
#include <vector>

class Mp3FrameReader;

void SetId3v2Length(std::vector<uint8_t>& tags, int64_t lengthMs);

// Where the tags at the end of the file start; the file's size when there
// are none. Never before `audioEnd`, the end of the last frame.
uint64_t EndTagsOffset(Mp3FrameReader& reader, uint64_t audioEnd);
