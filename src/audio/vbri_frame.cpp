// SPDX-License-Identifier: GPL-3.0-or-later
// FindVbriFrame: the first frame's header, then the tag's magic and frame count.
#include "audio/vbri_frame.h"

#include <array>
#include <cstring>

#include "audio/mp3_frame_header.h"

namespace {

uint32_t BigEndian(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// The tag's magic stands this far after the frame's start: the 4-byte
// header and 32 bytes after it.
constexpr int64_t kTagAt = 36;
constexpr size_t kTagBytes = 18;  // magic, version, delay, quality, bytes, frames

}  // namespace

std::optional<VbriFrame> FindVbriFrame(
    const std::function<bool(int64_t offset, uint8_t* out, size_t count)>& readAt) {
  std::array<uint8_t, 10> id3{};
  int64_t at = 0;
  if (readAt(0, id3.data(), id3.size()) && std::memcmp(id3.data(), "ID3", 3) == 0) {
    const int64_t bodyBytes = int64_t{id3[6] & 0x7f} << 21 | int64_t{id3[7] & 0x7f} << 14 |
                              int64_t{id3[8] & 0x7f} << 7 | int64_t{id3[9] & 0x7f};
    const bool footer = (id3[5] & 0x10) != 0;
    at = 10 + bodyBytes + (footer ? 10 : 0);
  }
  std::array<uint8_t, kTagAt + kTagBytes> frame{};
  if (!readAt(at, frame.data(), frame.size())) return std::nullopt;
  const std::optional<Mp3FrameHeader> header = Mp3FrameHeader::Parse(frame.data());
  if (!header || header->layer != 3 || header->FreeFormat() ||
      std::memcmp(frame.data() + kTagAt, "VBRI", 4) != 0) {
    return std::nullopt;
  }
  VbriFrame vbri;
  vbri.offsetBytes = at;
  vbri.sampleRate = header->sampleRate;
  vbri.samplesPerFrame = header->SamplesPerFrame();
  vbri.frameBytes = header->FrameBytes();
  vbri.audioFrames = BigEndian(frame.data() + kTagAt + 14);
  return vbri;
}
