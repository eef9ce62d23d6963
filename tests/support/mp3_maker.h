// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MP3 files for the tests and benchmarks, made by encoding known PCM with libmp3lame. The first
// frame carries LAME's Info tag (encoder delay and padding), so a gapless decoder gives back
// exactly the frames encoded. Optional ID3v2, ID3v1 and APEv2 tags surround the audio as taggers
// write them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Mp3MakerOptions {
  int bitrateKbps = 128;  // constant bitrate; ignored for VBR
  bool vbr = false;
  int vbrQuality = 4;       // LAME's V setting, 0 (best) to 9
  int quality = 7;          // LAME's algorithm quality, 0 (slow) to 9 (fast)
  bool infoTag = true;      // write the LAME Info tag into the first frame
  bool freeFormat = false;  // free-format frames (bitrate index 0) at bitrateKbps
  size_t id3v2Bytes = 0;    // an ID3v2.3 tag of this total size before the audio (0: none)
  bool id3v1 = false;       // a 128-byte ID3v1 tag at the end
  bool apeTag = false;      // an APEv2 tag at the end (before an ID3v1 tag)
  size_t zeroBytes = 0;     // zeros after the last frame, before the tags at the end
};
// Encodes interleaved 16-bit `samples` (frames x channels) and writes the MP3 file. False when LAME
// refuses the settings or the file cannot be written.
bool WriteMp3File(const std::string& path, const std::vector<int16_t>& samples, int sampleRate,
                  int channels, const Mp3MakerOptions& options = {});
// Fills `out` with `frameCount` interleaved frames starting at `firstFrame`.
using PcmSource = std::function<void(uint64_t firstFrame, uint32_t frameCount, int16_t* out)>;
// Like WriteMp3File, but the PCM comes from `source` chunk by chunk, so that
// hour-long files need no hour of PCM in memory.
bool WriteLongMp3File(const std::string& path, uint64_t frames, int sampleRate, int channels,
                      const Mp3MakerOptions& options, const PcmSource& source);
// An MP3 of MakeTestSignal(frames, channels, sampleRate) with `options`, encoded once per test
// program and kept until the program ends, so that tests sharing a file do not encode it again.
struct EncodedMp3 {
  std::string path;
  std::vector<int16_t> pcm;
};
const EncodedMp3& CachedMp3(int sampleRate, int channels, uint32_t frames,
                            const Mp3MakerOptions& options = {});
// A whole MP3 file decoded gaplessly (interleaved) by the program's own libmpg123 decoder.
std::vector<int16_t> DecodeMp3File(const std::string& path);
