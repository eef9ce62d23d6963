// Building the Info/LAME tag frame; see info_tag_frame.h. The layout is the
// one LAME writes: frame header, zeroed side information, "Info", flags
// (frames, bytes, seek table, quality), the four fields, then the 36-byte LAME
// extension ending in the CRC of everything before it.
#include "export/info_tag_frame.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kXingBytes =
    4 + 4 + 4 + 4 + 100 + 4;  // "Info", flags, frames, bytes, TOC, quality
constexpr size_t kLameExtensionBytes = 36;
constexpr char kEncoderName[] = "LAME3.100";

// Layer III bitrates (kbit/s) by index for MPEG-1 and for MPEG-2/2.5.
constexpr uint32_t kMpeg1Kbps[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
constexpr uint32_t kMpeg2Kbps[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kRates[4][3] = {{11025, 12000, 8000},    // MPEG-2.5
                              {0, 0, 0},               // reserved
                              {22050, 24000, 16000},   // MPEG-2
                              {44100, 48000, 32000}};  // MPEG-1

size_t SideInfoBytes(bool mpeg1, bool mono) { return mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17); }

size_t NeededBytes(bool mpeg1, bool mono) {
  return 4 + SideInfoBytes(mpeg1, mono) + kXingBytes + kLameExtensionBytes;
}

size_t FrameBytes(bool mpeg1, uint32_t kbps, int rate) {
  return (mpeg1 ? 144000u : 72000u) * kbps / static_cast<uint32_t>(rate);
}

struct HeaderFields {
  bool mpeg1;
  bool mono;
  int rate;
};

bool ReadHeader(const uint8_t header[4], HeaderFields& fields) {
  const int version = (header[1] >> 3) & 3;
  const int rateIndex = (header[2] >> 2) & 3;
  if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0 || ((header[1] >> 1) & 3) != 1 ||
      version == 1 || rateIndex == 3) {
    return false;
  }
  fields = {version == 3, (header[3] >> 6) == 3, kRates[version][rateIndex]};
  return true;
}

// The smallest bitrate index whose frame holds the tag; 0 when none does.
int TagBitrateIndex(const HeaderFields& fields) {
  const uint32_t* table = fields.mpeg1 ? kMpeg1Kbps : kMpeg2Kbps;
  for (int index = 1; index < 15; ++index) {
    if (FrameBytes(fields.mpeg1, table[index], fields.rate) >=
        NeededBytes(fields.mpeg1, fields.mono)) {
      return index;
    }
  }
  return 0;
}

void Put32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

}  // namespace

bool LameTagFitsFrame(int sampleRate, int channels, uint32_t kbps) {
  const bool mpeg1 = sampleRate >= 32000;
  return sampleRate > 0 && FrameBytes(mpeg1, kbps, sampleRate) >= NeededBytes(mpeg1, channels == 1);
}

size_t InfoTagFrameBytes(const uint8_t header[4]) {
  HeaderFields fields;
  if (!ReadHeader(header, fields)) return 0;
  const int index = TagBitrateIndex(fields);
  if (index == 0) return 0;
  return FrameBytes(fields.mpeg1, (fields.mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[index], fields.rate);
}

std::vector<uint8_t> MakeInfoTagFrame(const uint8_t header[4], const InfoTagFacts& facts) {
  const size_t frameBytes = InfoTagFrameBytes(header);
  HeaderFields fields;
  if (frameBytes == 0 || !ReadHeader(header, fields)) return {};
  std::vector<uint8_t> frame(frameBytes, 0);
  // The audio frames' header with the tag's bitrate, no padding slot, no CRC
  // and no joint-stereo extension.
  frame[0] = 0xFF;
  frame[1] = static_cast<uint8_t>(header[1] | 1);
  frame[2] = static_cast<uint8_t>(TagBitrateIndex(fields) << 4 | (header[2] & 0x0D));
  frame[3] = static_cast<uint8_t>(header[3] & 0xCF);

  uint8_t* xing = frame.data() + 4 + SideInfoBytes(fields.mpeg1, fields.mono);
  std::memcpy(xing, "Info", 4);
  Put32(xing + 4, 0x0F);
  Put32(xing + 8, facts.audioFrames);
  Put32(xing + 12, facts.streamBytes);
  for (int i = 0; i < 100; ++i) xing[16 + i] = static_cast<uint8_t>(i * 256 / 100);
  Put32(xing + 116, static_cast<uint32_t>(std::clamp(facts.quality, 0, 100)));

  uint8_t* lame = xing + kXingBytes;
  std::memcpy(lame, kEncoderName, 9);
  lame[9] = 0x01;  // tag revision 0, constant bitrate
  lame[10] = static_cast<uint8_t>(std::clamp(facts.lowpassHz / 100, 0, 255));
  lame[20] = static_cast<uint8_t>(std::min<uint32_t>(facts.bitrateKbps, 255));
  const uint32_t delay = static_cast<uint32_t>(std::clamp(facts.encoderDelay, 0, 4095));
  const uint32_t padding = static_cast<uint32_t>(std::clamp(facts.padding, 0, 4095));
  lame[21] = static_cast<uint8_t>(delay >> 4);
  lame[22] = static_cast<uint8_t>((delay & 0x0F) << 4 | padding >> 8);
  lame[23] = static_cast<uint8_t>(padding);
  Put32(lame + 28, facts.streamBytes);
  lame[32] = static_cast<uint8_t>(facts.musicCrc >> 8);
  lame[33] = static_cast<uint8_t>(facts.musicCrc);
  const uint16_t tagCrc = LameTagCrc(frame.data(), static_cast<size_t>(lame + 34 - frame.data()));
  lame[34] = static_cast<uint8_t>(tagCrc >> 8);
  lame[35] = static_cast<uint8_t>(tagCrc);
  return frame;
}

uint16_t LameTagCrc(const uint8_t* bytes, size_t count, uint16_t crc) {
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}
