// SPDX-License-Identifier: GPL-3.0-or-later
// snipola-demo-clip OUTPUT.wav: writes the demo clip (demo_clip_synth.h) as
// a 16-bit stereo PCM WAV. The build runs it to make the clip that
// scripts/run opens when no file is named. The file is written under a
// temporary name and renamed when complete, so a failed run never leaves a
// half-written clip that looks finished.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo_clip_synth.h"

namespace {

void PutLe(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  const uint32_t frameBytes = kDemoChannels * 2;
  out.write("RIFF", 4);
  PutLe(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, kDemoChannels, 2);
  PutLe(out, kDemoSampleRate, 4);
  PutLe(out, kDemoSampleRate * frameBytes, 4);
  PutLe(out, frameBytes, 2);
  PutLe(out, 16, 2);
  out.write("data", 4);
  PutLe(out, dataBytes, 4);
  for (int16_t sample : samples) PutLe(out, static_cast<uint16_t>(sample), 2);
  out.close();
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: snipola-demo-clip OUTPUT.wav\n");
    return 2;
  }
  const std::string target = argv[1];
  const std::string partial = target + ".part";
  std::error_code ignored;
  if (!WriteWav(partial, SynthesiseDemoClip())) {
    std::filesystem::remove(partial, ignored);
    std::fprintf(stderr, "snipola-demo-clip: cannot write %s\n", target.c_str());
    return 1;
  }
  std::filesystem::rename(partial, target, ignored);
  if (ignored) {
    std::filesystem::remove(partial, ignored);
    std::fprintf(stderr, "snipola-demo-clip: cannot write %s\n", target.c_str());
    return 1;
  }
  return 0;
}
