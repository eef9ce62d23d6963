// SPDX-License-Identifier: GPL-3.0-or-later
// RiffReader over std::FILE with 64-bit offsets (fseeko/ftello). The reader
// tracks its own position so that chunk searches never need ftello, and every
// search moves strictly forward, so a damaged file cannot make it loop.
#include "audio/riff_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int64_t kChunkHeaderBytes = 8;
const uint32_t kRiffId = MakeFourCC("RIFF");
const uint32_t kRf64Id = MakeFourCC("RF64");
const uint32_t kBw64Id = MakeFourCC("BW64");

uint32_t LittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Where the chunk after `chunk` begins: data plus one pad byte for odd sizes.
int64_t NextChunkOffset(const RiffChunk& chunk) {
  return chunk.dataOffset + static_cast<int64_t>(chunk.sizeBytes) + (chunk.sizeBytes & 1);
}

}  // namespace

RiffReader::~RiffReader() { Close(); }

bool RiffReader::Open(const std::string& path) {
  Close();
  // Without O_NONBLOCK, opening a named pipe would wait for a writer forever;
  // on a regular file the flag changes nothing.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  // open also opens folders, pipes and devices; only a regular file is a
  // RIFF file.
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) {
    ::close(fd);
    return false;
  }
  const bool sized = fseeko(file_, 0, SEEK_END) == 0 && (fileSizeBytes_ = ftello(file_)) >= 0 &&
                     fseeko(file_, 0, SEEK_SET) == 0;
  if (!sized) {
    Close();
    return false;
  }
  positionBytes_ = 0;
  return true;
}

void RiffReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  fileSizeBytes_ = 0;
  positionBytes_ = 0;
}

bool RiffReader::ReadChunkHeader(RiffChunk& chunk) {
  uint8_t header[kChunkHeaderBytes];
  if (Read(header, kChunkHeaderBytes) != kChunkHeaderBytes) return false;
  chunk = RiffChunk{};
  chunk.id = LittleEndian32(header);
  chunk.sizeBytes = LittleEndian32(header + 4);
  chunk.dataOffset = positionBytes_;
  chunk.endOffset = chunk.dataOffset + static_cast<int64_t>(chunk.sizeBytes);
  return true;
}

bool RiffReader::DescendRiff(uint32_t formType, RiffChunk& riff) {
  if (!IsOpen()) return false;
  for (;;) {
    RiffChunk chunk;
    if (!ReadChunkHeader(chunk)) return false;
    const bool riffLike = chunk.id == kRiffId || chunk.id == kRf64Id || chunk.id == kBw64Id;
    // A writer that streams (to a pipe) cannot come back to fill in the size
    // and leaves 0 or 0xFFFFFFFF; a 64-bit form always says 0xFFFFFFFF. Such a
    // form runs to the end of the file.
    const bool unsized = chunk.sizeBytes == 0 || chunk.sizeBytes == kUnknownChunkBytes;
    if (riffLike && (chunk.sizeBytes >= 4 || unsized)) {
      uint8_t form[4];
      if (Read(form, 4) != 4) return false;
      if (LittleEndian32(form) == formType) {
        chunk.formType = formType;
        chunk.dataOffset += 4;
        if (unsized) chunk.endOffset = fileSizeBytes_;
        riff = chunk;
        return true;
      }
      if (unsized) return false;
    }
    if (!Seek(NextChunkOffset(chunk))) return false;
  }
}

bool RiffReader::DescendChunk(uint32_t id, const RiffChunk& parent, RiffChunk& chunk) {
  if (!IsOpen()) return false;
  const int64_t searchEnd = std::min(parent.endOffset, fileSizeBytes_);
  while (positionBytes_ + kChunkHeaderBytes <= searchEnd) {
    RiffChunk child;
    if (!ReadChunkHeader(child)) return false;
    if (child.id == id) {
      chunk = child;
      return true;
    }
    if (!Seek(NextChunkOffset(child))) return false;
  }
  return false;
}

int64_t RiffReader::Read(void* buffer, int64_t bytes) {
  if (!IsOpen() || bytes < 0) return -1;
  const size_t count = std::fread(buffer, 1, static_cast<size_t>(bytes), file_);
  positionBytes_ += static_cast<int64_t>(count);
  if (count < static_cast<size_t>(bytes) && std::ferror(file_)) return -1;
  return static_cast<int64_t>(count);
}

bool RiffReader::Seek(int64_t offsetBytes) {
  if (!IsOpen() || offsetBytes < 0 || offsetBytes > fileSizeBytes_) return false;
  if (fseeko(file_, static_cast<off_t>(offsetBytes), SEEK_SET) != 0) return false;
  positionBytes_ = offsetBytes;
  return true;
}
