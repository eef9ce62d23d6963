// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the Xing/Info frame and its LAME tag; see lame_tag.h.
#include "export/lame_tag.h"

#include <algorithm>
#include <cstring>

#include "export/crc16.h"

namespace {

constexpr uint32_t kFramesFlag = 1;
constexpr uint32_t kBytesFlag = 2;
constexpr uint32_t kSeekTableFlag = 4;
constexpr uint32_t kQualityFlag = 8;
// The part of the LAME tag up to and including delay and padding; the
// decoder reads the tag only when that much is there.
constexpr size_t kLameTagHead = 24;
constexpr size_t kLameTagBytes = 36;

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void PutBigEndian32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

void PutBigEndian16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value >> 8);
  p[1] = static_cast<uint8_t>(value);
}

}  // namespace

namespace {

// Fraunhofer's VBRI header: "VBRI" 32 bytes after the frame header, then
// version, delay and quality (2 bytes each), the byte count and the frame
// count (4 each, big-endian), then its own seek table.
constexpr size_t kVbriOffset = 36;
constexpr size_t kVbriBytes = 26;

std::optional<InfoTag> ParseVbriTag(const uint8_t* frame, size_t frameBytes) {
  if (frameBytes < kVbriOffset + kVbriBytes || std::memcmp(frame + kVbriOffset, "VBRI", 4) != 0) {
    return std::nullopt;
  }
  InfoTag tag;
  tag.xing = true;
  tag.bytes = BigEndian32(frame + kVbriOffset + 10);
  tag.frames = BigEndian32(frame + kVbriOffset + 14);
  return tag;
}

}  // namespace

std::optional<InfoTag> ParseInfoTag(const Mp3FrameHeader& header, const uint8_t* frame,
                                    size_t frameBytes) {
  if (header.layer != 3 || frameBytes < 4) return std::nullopt;
  if (auto vbri = ParseVbriTag(frame, frameBytes)) return vbri;
  // Offsets count from the byte after the header, as the decoder counts: the
  // name sits right after the side information whether or not a CRC is there.
  const uint8_t* body = frame + 4;
  const size_t bodyBytes = frameBytes - 4;
  size_t at = static_cast<size_t>(header.SideInfoBytes());
  if (bodyBytes < at + 8) return std::nullopt;
  for (size_t i = 2; i < at; ++i) {
    if (body[i] != 0) return std::nullopt;
  }
  InfoTag tag;
  if (std::memcmp(body + at, "Xing", 4) == 0) {
    tag.xing = true;
  } else if (std::memcmp(body + at, "Info", 4) != 0) {
    return std::nullopt;
  }
  const uint32_t flags = BigEndian32(body + at + 4);
  at += 8;
  const auto left = [&](size_t bytes) { return bodyBytes >= at + bytes; };
  if (flags & kFramesFlag) {
    if (!left(4)) return tag;
    tag.frames = BigEndian32(body + at);
    at += 4;
  }
  if (flags & kBytesFlag) {
    if (!left(4)) return tag;
    tag.bytes = BigEndian32(body + at);
    at += 4;
  }
  if (flags & kSeekTableFlag) {
    if (!left(100)) return tag;
    tag.seekTable.emplace();
    std::copy_n(body + at, 100, tag.seekTable->begin());
    at += 100;
  }
  if (flags & kQualityFlag) {
    if (!left(4)) return tag;
    tag.quality = BigEndian32(body + at);
    at += 4;
  }
  if (!left(kLameTagHead) || body[at] == 0) return tag;
  const uint8_t* lame = body + at;
  LameTagFields fields;
  std::copy_n(lame, 9, fields.encoder.begin());
  fields.revisionAndMethod = lame[9];
  fields.lowpass = lame[10];
  fields.encodingFlags = lame[19];
  fields.abrKbps = lame[20];
  tag.encoderDelay = lame[21] << 4 | lame[22] >> 4;
  tag.encoderPadding = (lame[22] & 0x0F) << 8 | lame[23];
  if (left(kLameTagBytes)) {
    fields.misc = lame[24];
    fields.mp3Gain = lame[25];
    fields.preset = static_cast<uint16_t>(lame[26] << 8 | lame[27]);
    tag.musicBytes = BigEndian32(lame + 28);
    tag.musicCrc = static_cast<uint16_t>(lame[32] << 8 | lame[33]);
    tag.tagCrcOk = Crc16::Of(frame, static_cast<size_t>(lame + 34 - frame)) ==
                   static_cast<uint16_t>(lame[34] << 8 | lame[35]);
  }
  tag.lame = fields;
  return tag;
}

SourceTimeline TimelineOf(const std::optional<InfoTag>& tag, int samplesPerFrame) {
  SourceTimeline timeline;
  if (!tag || !tag->frames || *tag->frames == 0) return timeline;
  const int delay = tag->lame ? tag->encoderDelay : 0;
  const int padding = tag->lame ? tag->encoderPadding : 0;
  timeline.skipSamples = kDecoderDelaySamples + delay;
  timeline.endSample = int64_t{*tag->frames} * samplesPerFrame - padding + kDecoderDelaySamples;
  timeline.announcedFrames = *tag->frames;
  return timeline;
}

SourceTimeline WithFrameCount(SourceTimeline timeline, int64_t frames, int samplesPerFrame) {
  const int64_t framesEnd = frames * samplesPerFrame;
  if (timeline.announcedFrames >= 0 && frames > timeline.announcedFrames) {
    timeline.dropAt = timeline.endSample;
    timeline.dropSamples =
        std::max<int64_t>(0, timeline.announcedFrames * samplesPerFrame - timeline.endSample);
  }
  timeline.endSample = std::min(timeline.endSample, framesEnd);
  if (timeline.dropAt != INT64_MAX) timeline.endSample = framesEnd;
  return timeline;
}

std::optional<int> InfoFrameBitrateIndex(const Mp3FrameHeader& like) {
  return SmallestBitrateIndexFor(like, kInfoTagBytes);
}

LameTagFields DefaultLameTagFields(bool xing, int bitrateKbps) {
  LameTagFields fields;
  std::memcpy(fields.encoder.data(), "LAME3.100", 9);
  // VBR method 1 is constant bitrate; 0 says unknown, which decoders take
  // for variable.
  fields.revisionAndMethod = xing ? 0 : 1;
  fields.abrKbps = xing ? 0 : static_cast<uint8_t>(std::min(bitrateKbps, 255));
  return fields;
}

std::vector<uint8_t> MakeInfoFrame(const InfoFrameContent& content) {
  std::vector<uint8_t> frame(static_cast<size_t>(content.header.FrameBytes()), 0);
  content.header.Write(frame.data());
  uint8_t* p = frame.data() + content.header.SideInfoOffset() + content.header.SideInfoBytes();
  std::memcpy(p, content.xing ? "Xing" : "Info", 4);
  PutBigEndian32(p + 4, kFramesFlag | kBytesFlag | kSeekTableFlag | kQualityFlag);
  PutBigEndian32(p + 8, content.frames);
  PutBigEndian32(p + 12, content.streamBytes);
  std::copy(content.seekTable.begin(), content.seekTable.end(), p + 16);
  PutBigEndian32(p + 116, content.quality);

  uint8_t* lame = p + 120;
  const LameTagFields& fields = content.lame;
  // A decoder honours delay and padding only behind an encoder name it knows.
  const bool knownName = std::memcmp(fields.encoder.data(), "LAME", 4) == 0;
  std::memcpy(lame,
              knownName ? fields.encoder.data() : DefaultLameTagFields(false, 0).encoder.data(), 9);
  lame[9] = fields.revisionAndMethod;
  lame[10] = fields.lowpass;
  // Peak and ReplayGain (bytes 11 to 18) stay 0: they measured the whole
  // source, not the piece.
  lame[19] = fields.encodingFlags;
  lame[20] = fields.abrKbps;
  lame[21] = static_cast<uint8_t>(content.encoderDelay >> 4);
  lame[22] = static_cast<uint8_t>((content.encoderDelay & 0x0F) << 4 | content.encoderPadding >> 8);
  lame[23] = static_cast<uint8_t>(content.encoderPadding);
  lame[24] = fields.misc;
  lame[25] = fields.mp3Gain;
  PutBigEndian16(lame + 26, fields.preset);
  PutBigEndian32(lame + 28, content.streamBytes);
  PutBigEndian16(lame + 32, content.musicCrc);
  PutBigEndian16(lame + 34, Crc16::Of(frame.data(), static_cast<size_t>(lame + 34 - frame.data())));
  return frame;
}
