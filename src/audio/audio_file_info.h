// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// AudioFileInfo: what the probe learned about the opened file. A plain record
// copied by value wherever it travels (main window, stream reader, playback,
// export dialog), and the one mapping from milliseconds to the file's sample
// timeline that every export, playback and drawing uses.
#include <cstdint>

#include "base/sample_index.h"

struct AudioFileInfo {
  static constexpr int32_t kTypeNone = 0;
  static constexpr int32_t kTypeMp3 = 1;
  static constexpr int32_t kTypeWav = 2;

  int32_t FileType = kTypeNone;  // 1 = MP3, 2 = WAV, 0 when never probed
  int32_t SampleRate = 0;        // sample frames per second (Hz)
  int32_t Channels = 0;          // 1 or 2; a frame is Channels x 2 bytes
  int32_t Bitrate = 0;           // kbit/s (average for VBR MP3)
  int32_t LengthMs = 0;          // length of the whole file in milliseconds
  SampleIndex LengthFrames{};    // the exact length: the index just past the last frame

  bool operator==(const AudioFileInfo&) const = default;
};

// The sample a mark at `ms` stands for: round(ms x SampleRate / 1000), halves
// to even. A mark at or before 0 is the file's first frame; a mark at or past
// LengthMs (or one whose sample lies past the end) is the file's end, so its
// last frame is included in a piece that ends there.
SampleIndex SampleOfMs(const AudioFileInfo& info, int64_t ms);

// The millisecond a sample stands for: round(frame / SampleRate x 1000), the
// file's end being LengthMs. The way back for positions the user sees.
int32_t MsOfSample(const AudioFileInfo& info, SampleIndex sample);
