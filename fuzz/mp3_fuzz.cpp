// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the MP3 branch of the probe, then the stream read from the
// start and from the middle of what the probe reports. Checks that blocks are
// whole sample frames within the block buffer and that reading ends.
#include <cstdlib>

#include "audio/mp3io.h"
#include "fuzz_file.h"

namespace {

// Reads the stream to its end; aborts on a block the reader must never give.
void ReadToEnd(const std::string& path, const AudioFileInfo& info, SampleIndex start) {
  const uint32_t frameBytes = 2u * static_cast<uint32_t>(info.Channels);
  OpenAudioStream(path, info, start);
  uint8_t* block = nullptr;
  uint32_t bytes = 0;
  // A decoder that keeps handing out blocks longer than any input of the
  // fuzzer could hold is a hang.
  for (int blocks = 0; ReadAudioBlock(info, block, bytes); ++blocks) {
    if (bytes > kAudioBlockBytes || bytes % frameBytes != 0) std::abort();
    if (blocks > 1 << 18) std::abort();
  }
  CloseAudioStream(info);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteFuzzFile(data, size, ".mp3");
  SilentDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo(path, info, dialogs)) return 0;
  if (info.Channels < 1 || info.Channels > 2 || info.SampleRate <= 0 || info.LengthMs < 0) {
    std::abort();
  }
  ReadToEnd(path, info, SampleIndex(0));
  ReadToEnd(path, info, SampleIndex(info.LengthFrames.Frame() / 2));
  return 0;
}
