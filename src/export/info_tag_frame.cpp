// SPDX-License-Identifier: GPL-3.0-or-later
// Building the Info/LAME tag frame of an encoded stream; see info_tag_frame.h.
// The frame's layout, the smallest bitrate that holds it and its CRCs are the
// ones the lossless cut uses too (lame_tag.h, mp3_frame_header.h, crc16.h):
// this file only says what an encoded stream's tag states.
#include "export/info_tag_frame.h"

#include <algorithm>

#include "export/lame_tag.h"
#include "audio/mp3_frame_header.h"

namespace {

// The header of the tag frame for a stream whose audio frames start with
// `header`: the same version, rate and mode at the smallest bitrate that holds
// the tag; nothing for anything but a layer III header.
std::optional<Mp3FrameHeader> TagFrameHeader(const uint8_t header[4]) {
  const std::optional<Mp3FrameHeader> audio = Mp3FrameHeader::Parse(header);
  if (!audio || audio->layer != 3 || audio->FreeFormat()) return std::nullopt;
  const std::optional<int> index = InfoFrameBitrateIndex(*audio);
  if (!index) return std::nullopt;
  return audio->MadeWithBitrate(*index);
}

}  // namespace

bool LameTagFitsFrame(int sampleRate, int channels, uint32_t kbps) {
  if (sampleRate <= 0) return false;
  const bool mpeg1 = sampleRate >= 32000;
  const bool mono = channels == 1;
  const uint32_t frameBytes = (mpeg1 ? 144000u : 72000u) * kbps / static_cast<uint32_t>(sampleRate);
  const uint32_t sideInfoBytes = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  return frameBytes >= 4 + sideInfoBytes + kInfoTagBytes;
}

size_t InfoTagFrameBytes(const uint8_t header[4]) {
  const std::optional<Mp3FrameHeader> tagHeader = TagFrameHeader(header);
  return tagHeader ? static_cast<size_t>(tagHeader->FrameBytes()) : 0;
}

std::vector<uint8_t> MakeInfoTagFrame(const uint8_t header[4], const InfoTagFacts& facts) {
  const std::optional<Mp3FrameHeader> tagHeader = TagFrameHeader(header);
  if (!tagHeader) return {};
  InfoFrameContent content;
  content.header = *tagHeader;
  content.frames = facts.audioFrames;
  content.streamBytes = facts.streamBytes;
  for (size_t i = 0; i < content.seekTable.size(); ++i) {
    content.seekTable[i] = static_cast<uint8_t>(i * 256 / 100);  // constant bitrate: linear
  }
  content.quality = static_cast<uint32_t>(std::clamp(facts.quality, 0, 100));
  content.lame = DefaultLameTagFields(false, static_cast<int>(facts.bitrateKbps));
  content.lame.lowpass = static_cast<uint8_t>(std::clamp(facts.lowpassHz / 100, 0, 255));
  content.encoderDelay = std::clamp(facts.encoderDelay, 0, 4095);
  content.encoderPadding = std::clamp(facts.padding, 0, 4095);
  content.musicCrc = facts.musicCrc;
  return MakeInfoFrame(content);
}
