// SPDX-License-Identifier: GPL-3.0-or-later
// FindVbriFrame: the first frame's header decoded by the MPEG audio tables,
// then the tag's magic and frame count.
#include "audio/vbri_frame.h"

#include <array>
#include <cstring>

namespace {

uint32_t BigEndian(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// Layer III bitrates in kbit/s by index, for MPEG-1 and for MPEG-2/2.5.
constexpr std::array<int, 15> kMpeg1Kbps = {0,   32,  40,  48,  56,  64,  80, 96,
                                            112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kMpeg2Kbps = {0,  8,  16, 24,  32,  40,  48, 56,
                                            64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int32_t, 3> kMpeg1Rates = {44100, 48000, 32000};

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
  const uint32_t header = BigEndian(frame.data());
  const uint32_t version = header >> 19 & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  const uint32_t layer = header >> 17 & 3;    // 1: layer III
  const uint32_t bitrateIndex = header >> 12 & 15;
  const uint32_t rateIndex = header >> 10 & 3;
  if ((header & 0xffe00000u) != 0xffe00000u || version == 1 || layer != 1 || bitrateIndex == 0 ||
      bitrateIndex == 15 || rateIndex == 3 ||
      std::memcmp(frame.data() + kTagAt, "VBRI", 4) != 0) {
    return std::nullopt;
  }
  const bool mpeg1 = version == 3;
  VbriFrame vbri;
  vbri.offsetBytes = at;
  vbri.sampleRate = kMpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  vbri.samplesPerFrame = mpeg1 ? 1152 : 576;
  const int kbps = (mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[bitrateIndex];
  const int64_t padding = header >> 9 & 1;
  vbri.frameBytes = int64_t{vbri.samplesPerFrame} / 8 * kbps * 1000 / vbri.sampleRate + padding;
  vbri.audioFrames = BigEndian(frame.data() + kTagAt + 14);
  return vbri;
}
