// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RIFF and WAV files built byte by byte, with any chunk order, sizes that lie
// and format chunks of any length, for the tests of the WAV probe and reader.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The fields of a WAV format chunk. `formatBytes` is the chunk's size: 16 and
// 18 are the usual ones; a shorter chunk holds only the first bytes of the
// layout, a longer one is padded with zeros after the extra-size field.
struct WavFormatFields {
  uint16_t formatTag = 1;
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint16_t bitsPerSample = 16;
  uint32_t formatBytes = 16;
};

// One chunk: id, size and body, plus a pad byte after an odd body. The size
// field holds the body's size unless `claimedBytes` says otherwise.
Bytes RiffChunkBytes(const std::string& id, const Bytes& body,
                     std::optional<uint32_t> claimedBytes = std::nullopt);
Bytes FormatChunkBytes(const WavFormatFields& format);
// "RIFF", the size of everything after it, "WAVE", then the chunks.
Bytes RiffWaveBytes(const std::vector<Bytes>& chunks);
// A body of `count` bytes counting up from `first` (mod 256).
Bytes CountingBytes(size_t count, uint8_t first = 0);

void WriteBytesToFile(const std::string& path, const Bytes& bytes);
