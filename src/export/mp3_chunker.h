// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3Chunker: gathers the PCM blocks of an MP3 export into encoder chunks of a
// fixed byte size. Blocks rarely line up with chunks, so a block fills the
// free space of the current chunk; each chunk that becomes full is handed to
// the encoder at once and filling continues with the rest of the block. The
// partly filled chunk carries over to the next block and also from the first
// piece of an unmarked export to the second (both go into one encoder stream).
// What is left at the end is encoded as one final, shorter chunk.
#include <cstdint>
#include <cstring>
#include <vector>

class Mp3Chunker {
 public:
  explicit Mp3Chunker(uint32_t chunkBytes) : chunk_(chunkBytes) {}

  // Copies the block into chunks; calls encodeFull(const uint8_t* chunk) for
  // every chunk it completes. Stops and returns false as soon as encodeFull
  // returns false.
  template <typename EncodeFull>
  bool Feed(const uint8_t* data, uint32_t bytes, EncodeFull&& encodeFull) {
    const uint32_t chunkBytes = static_cast<uint32_t>(chunk_.size());
    while (bytes > 0) {
      const uint32_t space = chunkBytes - fillBytes_;
      if (space > bytes) {
        std::memcpy(chunk_.data() + fillBytes_, data, bytes);
        fillBytes_ += bytes;
        return true;
      }
      std::memcpy(chunk_.data() + fillBytes_, data, space);
      fillBytes_ = 0;
      if (!encodeFull(static_cast<const uint8_t*>(chunk_.data()))) return false;
      data += space;
      bytes -= space;
    }
    return true;
  }

  uint32_t FillBytes() const { return fillBytes_; }
  const uint8_t* Data() const { return chunk_.data(); }

 private:
  std::vector<uint8_t> chunk_;
  uint32_t fillBytes_ = 0;
};
