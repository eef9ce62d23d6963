// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the WAV branch of the probe and the PCM stream over whatever
// the probe accepts. Checks that an accepted file describes usable audio and
// that the stream yields whole sample frames and ends.
#include <cstdlib>

#include "audio/mp3io.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteFuzzFile(data, size, ".wav");
  SilentDialogs dialogs;
  AudioFileInfo info;
  const bool usable = GetAudioFileInfo(path, info, dialogs);
  // Every refusal says why; an accepted file says nothing.
  if (usable != (dialogs.messages == 0)) std::abort();
  if (!usable) return 0;
  if (info.Channels < 1 || info.Channels > 2 || info.SampleRate <= 0 || info.LengthMs < 0) {
    std::abort();
  }
  const uint32_t frameBytes = 2u * static_cast<uint32_t>(info.Channels);
  uint64_t totalBytes = 0;
  OpenAudioStream(path, info, SampleIndex(0));
  uint8_t* block = nullptr;
  uint32_t bytes = 0;
  for (int blocks = 0; ReadAudioBlock(info, block, bytes); ++blocks) {
    if (bytes > kAudioBlockBytes || bytes % frameBytes != 0) std::abort();
    totalBytes += bytes;
    if (totalBytes > size || blocks > 1 << 20) std::abort();  // more samples than bytes
  }
  CloseAudioStream(info);
  return 0;
}
