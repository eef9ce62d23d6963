// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and making MPEG audio frame headers; see mp3_frame_header.h.
#include "audio/mp3_frame_header.h"

namespace {

// Layer III bitrates in kbit/s by bitrate index.
constexpr int kMpeg1Kbps[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2Kbps[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};

}  // namespace

std::optional<Mp3FrameHeader> Mp3FrameHeader::Parse(uint32_t word) {
  if ((word & 0xFFE00000u) != 0xFFE00000u) return std::nullopt;
  const uint32_t versionBits = (word >> 19) & 3;
  const uint32_t layerBits = (word >> 17) & 3;
  const uint32_t bitrateBits = (word >> 12) & 15;
  const uint32_t rateBits = (word >> 10) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateBits == 15 || rateBits == 3) return std::nullopt;
  Mp3FrameHeader header;
  header.word = word;
  header.version = versionBits == 3   ? Version::Mpeg1
                   : versionBits == 2 ? Version::Mpeg2
                                      : Version::Mpeg25;
  header.layer = 4 - static_cast<int>(layerBits);
  header.hasCrc = ((word >> 16) & 1) == 0;
  header.bitrateIndex = static_cast<int>(bitrateBits);
  const int divisor = header.version == Version::Mpeg1 ? 1 : header.version == Version::Mpeg2 ? 2 : 4;
  header.sampleRate = kMpeg1Rates[rateBits] / divisor;
  header.padding = ((word >> 9) & 1) != 0;
  header.mono = ((word >> 6) & 3) == 3;
  return header;
}

std::optional<Mp3FrameHeader> Mp3FrameHeader::Parse(const uint8_t* bytes) {
  return Parse(static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
               static_cast<uint32_t>(bytes[2]) << 8 | bytes[3]);
}

int Mp3FrameHeader::BitrateKbps() const {
  return version == Version::Mpeg1 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
}

int Mp3FrameHeader::SamplesPerFrame() const { return version == Version::Mpeg1 ? 1152 : 576; }

int Mp3FrameHeader::FrameBytes() const {
  if (FreeFormat()) return 0;
  // Samples per frame / 8 bits: 144 for MPEG-1, 72 for MPEG-2 and 2.5.
  const int slotFactor = SamplesPerFrame() / 8;
  return slotFactor * BitrateKbps() * 1000 / sampleRate + (padding ? 1 : 0);
}

int Mp3FrameHeader::SideInfoBytes() const {
  if (version == Version::Mpeg1) return mono ? 17 : 32;
  return mono ? 9 : 17;
}

bool Mp3FrameHeader::CompatibleWith(const Mp3FrameHeader& other) const {
  return version == other.version && layer == other.layer && sampleRate == other.sampleRate &&
         mono == other.mono;
}

Mp3FrameHeader Mp3FrameHeader::MadeWithBitrate(int index) const {
  // Keep sync, version, layer, sample rate, channel mode, copyright, original
  // and emphasis; set no-CRC, the bitrate; clear padding, private bit and
  // mode extension.
  const uint32_t kept = word & 0xFFFE0CCFu;
  const uint32_t made = kept | 0x00010000u | static_cast<uint32_t>(index) << 12;
  return *Parse(made);
}

void Mp3FrameHeader::Write(uint8_t* out) const {
  out[0] = static_cast<uint8_t>(word >> 24);
  out[1] = static_cast<uint8_t>(word >> 16);
  out[2] = static_cast<uint8_t>(word >> 8);
  out[3] = static_cast<uint8_t>(word);
}

int MainDataBegin(const Mp3FrameHeader& header, const uint8_t* frame) {
  const uint8_t* side = frame + header.SideInfoOffset();
  if (header.version == Mp3FrameHeader::Version::Mpeg1) return side[0] << 1 | side[1] >> 7;
  return side[0];
}

std::optional<int> SmallestBitrateIndexFor(const Mp3FrameHeader& like, int mainDataBytes) {
  for (int index = 1; index < 15; ++index) {
    if (like.MadeWithBitrate(index).MainDataBytes() >= mainDataBytes) return index;
  }
  return std::nullopt;
}
