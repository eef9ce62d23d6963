// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RiffReader: reads chunks of a RIFF file (the container of WAV files).
//
// A RIFF file is a sequence of chunks: a four-character id, a 32-bit
// little-endian size and that many data bytes, padded to an even length. The
// top-level "RIFF" chunk carries a four-character form type ("WAVE") and holds
// child chunks ("fmt ", "data", "LIST", ...). The reader finds a RIFF form at
// the top level, finds a child chunk by id inside a parent, reads and seeks.
// Offsets are 64-bit, so chunks beyond 2 GB are reachable. Every operation
// reports failure to its caller; none throws. A chunk whose stored size runs
// past the end of the file is still found: callers clamp with FileSizeBytes().
#include <cstdint>
#include <cstdio>
#include <string>

// The size field of a chunk whose writer did not know its size (streamed
// output; every 64-bit RF64/BW64 form and its large chunks).
inline constexpr uint32_t kUnknownChunkBytes = 0xFFFFFFFF;

// A chunk found by RiffReader.
struct RiffChunk {
  uint32_t id = 0;         // four-character code, first character in the low byte
  uint32_t sizeBytes = 0;  // size field as stored in the file
  uint32_t formType = 0;   // form type of a RIFF chunk; 0 for other chunks
  int64_t dataOffset = 0;  // file offset of the first data byte (after the form type for RIFF)
  int64_t endOffset = 0;   // file offset just past the chunk's data as its size field claims
};

// The four-character code of a four-letter string, as stored in a file.
constexpr uint32_t MakeFourCC(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

class RiffReader {
 public:
  RiffReader() = default;
  ~RiffReader();
  RiffReader(const RiffReader&) = delete;
  RiffReader& operator=(const RiffReader&) = delete;

  // Opens a file for reading, closing any file opened before. False when the
  // file cannot be opened or its size cannot be learned.
  bool Open(const std::string& path);
  // Closes the file; harmless when none is open.
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  int64_t FileSizeBytes() const { return fileSizeBytes_; }

  // Finds a top-level "RIFF" chunk of the given form type, searching from the
  // current position; the 64-bit forms "RF64" and "BW64" count as RIFF. A
  // form whose size field is 0 or 0xFFFFFFFF (a streamed file) ends at the
  // end of the file. On success the position is the first child chunk.
  bool DescendRiff(uint32_t formType, RiffChunk& riff);
  // Finds the first child chunk `id` of `parent`, searching from the current
  // position (which must lie on a chunk header inside the parent, for
  // example where DescendRiff left it). On success the position is the first
  // data byte of the chunk. Ends at the parent's end or the file's end.
  bool DescendChunk(uint32_t id, const RiffChunk& parent, RiffChunk& chunk);

  // Reads up to `bytes` bytes. Returns the count read (0 at the end of the
  // file) or -1 on a read error.
  int64_t Read(void* buffer, int64_t bytes);
  // Moves to an absolute offset; false when the offset lies outside the file.
  bool Seek(int64_t offsetBytes);
  int64_t Tell() const { return positionBytes_; }

 private:
  // Reads a chunk header at the current position; false at the end of the file.
  bool ReadChunkHeader(RiffChunk& chunk);

  std::FILE* file_ = nullptr;
  int64_t fileSizeBytes_ = 0;
  int64_t positionBytes_ = 0;
};
