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
// Create writes everything up to offset 46, Append adds PCM to the data chunk,
// Finish ascends out of the data chunk and then the RIFF chunk so both sizes
// are right. The file is only complete after Finish; all calls report failure.
#include <cstdint>

#include "audio/audio_file_info.h"
#include "export/riff_writer.h"

inline constexpr uint32_t kWavHeaderBytes = 46;

class WavWriter {
 public:
  explicit WavWriter(OutputFile& file) : riff_(file) {}

  bool Create(const AudioFileInfo& info);
  bool Append(const uint8_t* data, uint32_t bytes) { return riff_.Write(data, bytes); }
  bool Finish();

 private:
  RiffWriter riff_;
  RiffChunk riffChunk_;
  RiffChunk chunk_;
};
