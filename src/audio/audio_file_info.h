#pragma once
// AudioFileInfo: what the probe learned about the opened file. A plain record
// of 32-bit integers, copied by value wherever it travels (main window, stream
// reader, playback, export dialog).
#include <cstdint>

struct AudioFileInfo {
  static constexpr int32_t kTypeNone = 0;
  static constexpr int32_t kTypeMp3 = 1;
  static constexpr int32_t kTypeWav = 2;

  int32_t FileType = kTypeNone;  // 1 = MP3, 2 = WAV, 0 when never probed
  int32_t SampleRate = 0;        // sample frames per second (Hz)
  int32_t Channels = 0;          // 1 or 2; a frame is Channels x 2 bytes
  int32_t Bitrate = 0;           // kbit/s (average for VBR MP3)
  int32_t LengthMs = 0;          // length of the whole file in milliseconds

  bool operator==(const AudioFileInfo&) const = default;
};
