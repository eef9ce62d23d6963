// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WavWriter: the WAV route's output, a RIFF/WAVE file of 16-bit PCM with the
// source's rate and channel count. The format chunk holds the full 18-byte
// format record (with its trailing extra-size field of 0), so the header is 46
// bytes:
//
//   0 "RIFF" | 4 38 + D | 8 "WAVE" | 12 "fmt " | 16 18 | 20 tag 1 (PCM)
//   22 channels | 24 sample rate | 28 bytes per second | 32 block align
//   34 bits 16 | 36 extra 0 | 38 "data" | 42 D | 46 D bytes of PCM
//
// A file whose sizes may not fit the 32-bit fields (about 6.7 hours of 44.1
// kHz stereo) is written as RF64 instead: Create, told the planned data size,
// keeps a 36-byte "JUNK" chunk right after "WAVE" (the header is then 82
// bytes). When Finish finds the file past 4 GiB it becomes "RF64" with both
// 32-bit sizes 0xFFFFFFFF, and the JUNK chunk becomes "ds64" with the 64-bit
// RIFF size, data size and frame count; a smaller file stays plain RIFF, its
// JUNK chunk skipped by every reader.
//
// Create writes the header, Append adds PCM to the data chunk, Finish patches
// the sizes. The file is only complete after Finish; all calls report failure.
#include <cstdint>

#include "audio/audio_file_info.h"
#include "export/riff_writer.h"

inline constexpr uint32_t kWavHeaderBytes = 46;
inline constexpr uint32_t kDs64PayloadBytes = 28;  // RIFF size, data size, frames, table length

class WavWriter {
 public:
  explicit WavWriter(OutputFile& file) : file_(file), riff_(file) {}

  // `plannedDataBytes`: the PCM bytes the export will append; past what the
  // 32-bit sizes hold, room for the ds64 chunk is kept.
  bool Create(const AudioFileInfo& info, uint64_t plannedDataBytes = 0);
  bool Append(const uint8_t* data, uint32_t bytes) { return riff_.Write(data, bytes); }
  bool Finish();

 private:
  bool FinishRf64();

  OutputFile& file_;
  RiffWriter riff_;
  RiffChunk riffChunk_;
  RiffChunk junkChunk_;
  RiffChunk chunk_;
  bool junkReserved_ = false;
  uint32_t blockAlign_ = 4;
};
