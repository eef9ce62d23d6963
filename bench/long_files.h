// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Long benchmark inputs written chunk by chunk, so that no benchmark holds an
// hour of PCM in memory: a music-like stereo test signal and a writer of
// 16-bit stereo WAV files at 44100 Hz fed from any PCM source.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "support/mp3_maker.h"

constexpr int kBenchRate = 44100;

// Music-like stereo PCM without repeating blocks: two drifting tones and noise.
inline void MusicSignal(uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
  uint32_t noise = static_cast<uint32_t>(firstFrame * 2654435761u);
  for (uint32_t i = 0; i < frameCount; ++i) {
    const double t = static_cast<double>(firstFrame + i) / kBenchRate;
    const double tone = 0.3 * std::sin(2 * std::numbers::pi * (220 + 20 * std::sin(t * 0.5)) * t) +
                        0.2 * std::sin(2 * std::numbers::pi * 1375 * t);
    for (int c = 0; c < 2; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double n = 0.05 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
      out[2 * i + c] = static_cast<int16_t>(std::lround((tone + n) * 30000));
    }
  }
}

// A 16-bit stereo WAV at kBenchRate holding `frames` frames of `source`.
// False when the file cannot be written whole.
inline bool WriteLongWav(const std::string& path, uint64_t frames, const PcmSource& source) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto put = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
  out.write("RIFF", 4);
  put(36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  put(16, 4);
  put(1, 2);
  put(2, 2);
  put(kBenchRate, 4);
  put(kBenchRate * 4, 4);
  put(4, 2);
  put(16, 2);
  out.write("data", 4);
  put(dataBytes, 4);
  std::vector<int16_t> chunk(2 * 65536);
  for (uint64_t done = 0; done < frames;) {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(65536, frames - done));
    source(done, count, chunk.data());
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(count) * 4);
    done += count;
  }
  return static_cast<bool>(out.flush());
}
