// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// VbriFrame: Fraunhofer's VBR header. It sits in the first MPEG layer III
// frame of a file, 32 bytes after the frame's 4-byte header, and that frame
// carries no audio: decoders that know the tag leave the frame out, so the
// first sample of the file is the first sample of the next frame.
//
// FindVbriFrame looks for it where it must be: at the first frame header
// after an ID3v2 tag at the start of the file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

struct VbriFrame {
  int64_t offsetBytes = 0;  // where the tag's frame starts in the file
  int64_t frameBytes = 0;   // its length, padding included
  int64_t audioFrames = 0;  // MPEG frames of audio the tag announces
  int samplesPerFrame = 0;  // 1152 for MPEG-1, 576 for MPEG-2 and 2.5
  int32_t sampleRate = 0;
};

// `readAt` reads `count` bytes at `offset` of the file; false when it cannot.
std::optional<VbriFrame> FindVbriFrame(
    const std::function<bool(int64_t offset, uint8_t* out, size_t count)>& readAt);
