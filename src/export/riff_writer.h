// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RiffWriter: writes RIFF chunks into an OutputFile. A chunk is created with a
// placeholder size; ascending out of it writes the number of bytes written
// inside it into its size field and pads an odd chunk with one zero byte, so
// inner chunks are ascended before the chunk that holds them. Every call
// reports failure to its caller (a failed write, or a chunk that outgrows the
// 32-bit size field of the format).
#include <cstddef>
#include <cstdint>

#include "export/output_file.h"

// The four-character code of a chunk identifier or form type, as stored in the
// file (first character in the lowest byte).
constexpr uint32_t FourCC(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// Where a created chunk lives in the file.
struct RiffChunk {
  uint32_t id = 0;
  uint32_t formType = 0;         // "RIFF" chunks only
  uint64_t sizeFieldOffset = 0;  // byte offset of the 4-byte size field
  uint64_t dataOffset = 0;       // first byte counted by the size field
};

class RiffWriter {
 public:
  explicit RiffWriter(OutputFile& file) : file_(file) {}

  // Starts a "RIFF" chunk of the given form type (the form type is the first
  // four bytes inside it).
  bool CreateRiff(RiffChunk& chunk, uint32_t formType);

  // Starts a chunk with the given identifier and placeholder size.
  bool CreateChunk(RiffChunk& chunk, uint32_t id, uint32_t placeholderSizeBytes);

  // Appends bytes inside the innermost open chunk.
  bool Write(const void* data, size_t bytes) { return file_.Write(data, bytes); }

  // Ends the chunk: patches its size field and pads an odd chunk.
  bool Ascend(const RiffChunk& chunk);

 private:
  OutputFile& file_;
};
