// Walking the frames of an MP3 file; see mp3_frame_reader.h.
#include "export/mp3_frame_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "audio/buffered_file.h"

namespace {

constexpr uint64_t kMaxJunkBytes = 64 * 1024;
constexpr size_t kId3v2HeaderBytes = 10;

// The size of an ID3v2 tag from its 10-byte header (header, body and an
// optional footer), or 0 when the bytes are no such header.
uint64_t Id3v2TagBytes(const uint8_t* h) {
  if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF) return 0;
  uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (h[i] & 0x80) return 0;
    body = body << 7 | h[i];
  }
  const bool footer = (h[5] & 0x10) != 0;
  return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
}

}  // namespace

Mp3FrameReader::Mp3FrameReader() = default;
Mp3FrameReader::~Mp3FrameReader() = default;

bool Mp3FrameReader::ReadAt(uint64_t offset, uint8_t* out, size_t bytes) {
  if (!file_ || offset + bytes > fileBytes_) return false;
  if (file_->Seek(static_cast<off_t>(offset), SEEK_SET) < 0) return false;
  return file_->Read(out, bytes) == static_cast<ssize_t>(bytes);
}

bool Mp3FrameReader::PeekHeader(uint64_t offset, uint8_t out[4]) { return ReadAt(offset, out, 4); }

bool Mp3FrameReader::IsTrailingTag(uint64_t offset) {
  uint8_t bytes[11] = {};
  const size_t have = static_cast<size_t>(std::min<uint64_t>(sizeof bytes, fileBytes_ - offset));
  if (!ReadAt(offset, bytes, have)) return false;
  const auto starts = [&](const char* text) {
    const size_t length = std::strlen(text);
    return have >= length && std::memcmp(bytes, text, length) == 0;
  };
  return starts("TAG") || starts("APETAGEX") || starts("LYRICSBEGIN") || starts("ID3");
}

bool Mp3FrameReader::FollowerFits(const Mp3FrameHeader& header, uint64_t offset) {
  const uint64_t next = offset + static_cast<uint64_t>(header.FrameBytes());
  // A first frame that reaches the end of the file has no follower to check.
  if (next + 4 > fileBytes_) return true;
  uint8_t bytes[4];
  if (!PeekHeader(next, bytes)) return false;
  const auto follower = Mp3FrameHeader::Parse(bytes);
  return (follower && follower->CompatibleWith(header)) || IsTrailingTag(next);
}

Mp3FrameReader::Status Mp3FrameReader::Open(const std::string& path) {
  struct stat status {};
  file_ = BufferedFile::Open(path, status);
  if (!file_) return Status::ReadError;
  fileBytes_ = static_cast<uint64_t>(status.st_size);

  uint64_t at = 0;
  uint8_t head[kId3v2HeaderBytes];
  while (ReadAt(at, head, sizeof head)) {
    const uint64_t tagBytes = Id3v2TagBytes(head);
    if (tagBytes == 0 || at + tagBytes > fileBytes_) break;
    at += tagBytes;
  }
  id3v2Bytes_ = at;

  for (uint64_t offset = at; offset < at + kMaxJunkBytes && offset + 4 <= fileBytes_; ++offset) {
    uint8_t bytes[4];
    if (!PeekHeader(offset, bytes)) return Status::ReadError;
    const auto header = Mp3FrameHeader::Parse(bytes);
    if (!header) continue;
    if (header->FreeFormat()) return Status::FreeFormat;
    if (!FollowerFits(*header, offset)) continue;
    if (header->layer != 3) return Status::NotLayer3;
    first_ = *header;
    nextOffset_ = offset;
    return Status::Frame;
  }
  return Status::NotLayer3;
}

Mp3FrameReader::Status Mp3FrameReader::Next() {
  if (!file_) return Status::ReadError;
  if (nextOffset_ + 4 > fileBytes_) return Status::End;
  uint8_t bytes[4];
  if (!PeekHeader(nextOffset_, bytes)) return Status::ReadError;
  const auto header = Mp3FrameHeader::Parse(bytes);
  if (!Fits(header)) return NoFrameAt(nextOffset_);
  const uint64_t frameBytes = static_cast<uint64_t>(header->FrameBytes());
  // A frame cut short by the end of the file is not decoded.
  if (nextOffset_ + frameBytes > fileBytes_) return Status::End;
  std::memcpy(frame_.data(), bytes, 4);
  if (file_->Read(frame_.data() + 4, frameBytes - 4) != static_cast<ssize_t>(frameBytes - 4)) {
    return Status::ReadError;
  }
  header_ = *header;
  frameOffset_ = nextOffset_;
  nextOffset_ += frameBytes;
  return Status::Frame;
}

Mp3FrameReader::Status Mp3FrameReader::NextFrames(
    size_t maxBytes, int64_t maxFrames, std::vector<uint8_t>& block,
    const std::function<void(const Mp3FrameHeader&, size_t)>& onFrame, int64_t& frames) {
  frames = 0;
  block.resize(static_cast<size_t>(std::min<uint64_t>(maxBytes, fileBytes_ - nextOffset_)));
  if (block.size() < 4) return Status::End;
  if (!ReadAt(nextOffset_, block.data(), block.size())) return Status::ReadError;
  size_t at = 0;
  Status stop = Status::Frame;
  while (frames < maxFrames) {
    // A frame the block cuts short is read with the next block, unless the
    // file itself ends there.
    if (at + 4 > block.size()) {
      if (nextOffset_ + at + 4 > fileBytes_) stop = Status::End;
      break;
    }
    const auto header = Mp3FrameHeader::Parse(block.data() + at);
    if (!Fits(header)) {
      stop = NoFrameAt(nextOffset_ + at);
      break;
    }
    const size_t frameBytes = static_cast<size_t>(header->FrameBytes());
    if (at + frameBytes > block.size()) {
      if (nextOffset_ + at + frameBytes > fileBytes_) stop = Status::End;
      break;
    }
    onFrame(*header, at);
    header_ = *header;
    frameOffset_ = nextOffset_ + at;
    at += frameBytes;
    ++frames;
  }
  block.resize(at);
  nextOffset_ += at;
  return frames > 0 ? Status::Frame : stop;
}
