// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the tags of an export read from an arbitrary source file and
// written into a small valid output. The first byte picks the formats (bit 0:
// a WAV source, bit 1: a WAV output); the rest is the source. Writing into a
// valid output must always succeed, and the written tags must read again as
// a source.
#include <cstdlib>
#include <fstream>

#include "fuzz_file.h"
#include "tags/export_tags.h"

namespace {

// Four silent MPEG-1 layer III frames (128 kbit/s, 44100 Hz), or a WAV of
// 100 stereo sample frames.
std::string ValidOutput(bool wav) {
  if (!wav) {
    std::string frame(417, '\0');
    frame.replace(0, 4, "\xFF\xFB\x90\x00", 4);
    return frame + frame + frame + frame;
  }
  const auto le32 = [](uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                       static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
  };
  return "RIFF" + le32(36 + 400) + "WAVEfmt " + le32(16) + std::string("\x01\0\x02\0", 4) +
         le32(44100) + le32(44100 * 4) + std::string("\x04\0\x10\0", 4) + "data" + le32(400) +
         std::string(400, '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool wavSource = (data[0] & 1) != 0, wavOutput = (data[0] & 2) != 0;
  ExportTagsJob job;
  job.sourcePath = WriteFuzzFile(data + 1, size - 1, wavSource ? ".wav" : ".mp3");
  job.sourceFormat = wavSource ? TagFileFormat::Wav : TagFileFormat::Mp3;
  job.outputPath = job.sourcePath + ".out";
  job.outputFormat = wavOutput ? TagFileFormat::Wav : TagFileFormat::Mp3;
  job.pieces = {{500, 1500}, {4000, 9000}};
  job.edits.Values = {{"title", "T"}, {"genre", ""}};
  std::ofstream(job.outputPath, std::ios::binary | std::ios::trunc) << ValidOutput(wavOutput);
  if (!WriteExportTags(job)) std::abort();
  job.sourcePath = job.outputPath;
  job.sourceFormat = job.outputFormat;
  job.outputPath += "2";
  std::ofstream(job.outputPath, std::ios::binary | std::ios::trunc) << ValidOutput(wavOutput);
  if (!WriteExportTags(job)) std::abort();
  return 0;
}
