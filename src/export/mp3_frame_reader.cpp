// SPDX-License-Identifier: GPL-3.0-or-later
// Walking the frames of an MP3 file; see mp3_frame_reader.h.
#include "export/mp3_frame_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "audio/buffered_file.h"

namespace {

constexpr uint64_t kMaxJunkBytes = 64 * 1024;
constexpr size_t kId3v2HeaderBytes = 10;
constexpr uint64_t kId3v1Bytes = 128;
constexpr uint64_t kMaxLyricsBytes = 1024 * 1024;

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

uint64_t Mp3FrameReader::TagBytesAt(uint64_t offset) {
  uint8_t head[32] = {};
  if (offset >= fileBytes_) return 0;
  const size_t have = static_cast<size_t>(std::min<uint64_t>(sizeof head, fileBytes_ - offset));
  if (!ReadAt(offset, head, have)) return 0;
  const auto starts = [&](const char* text) {
    const size_t length = std::strlen(text);
    return have >= length && std::memcmp(head, text, length) == 0;
  };
  if (starts("TAG")) return std::min<uint64_t>(kId3v1Bytes, fileBytes_ - offset);
  if (have >= kId3v2HeaderBytes && Id3v2TagBytes(head) > 0) {
    return std::min(Id3v2TagBytes(head), fileBytes_ - offset);
  }
  if (starts("APETAGEX") && have == sizeof head) {
    // Size (items and footer) at 12, flags at 20, little-endian; bit 29 of
    // the flags marks the header. A footer met first stands alone.
    const auto field = [&](int at) {
      return static_cast<uint32_t>(head[at]) | static_cast<uint32_t>(head[at + 1]) << 8 |
             static_cast<uint32_t>(head[at + 2]) << 16 | static_cast<uint32_t>(head[at + 3]) << 24;
    };
    const uint64_t bytes = (field(20) & 0x20000000u) != 0 ? 32 + uint64_t{field(12)} : 32;
    return std::min(bytes, fileBytes_ - offset);
  }
  if (starts("LYRICSBEGIN")) {
    // Lyrics3 ends with "LYRICSEND" (version 1) or "LYRICS200" (version 2).
    std::vector<uint8_t> text(
        static_cast<size_t>(std::min<uint64_t>(kMaxLyricsBytes, fileBytes_ - offset)));
    if (!ReadAt(offset, text.data(), text.size())) return 0;
    for (const char* end : {"LYRICS200", "LYRICSEND"}) {
      const auto found = std::search(text.begin(), text.end(), end, end + 9);
      if (found != text.end()) return static_cast<uint64_t>(found - text.begin()) + 9;
    }
  }
  return 0;
}

uint64_t Mp3FrameReader::ZerosEnd(uint64_t offset) {
  std::array<uint8_t, 4096> bytes{};
  // A short first look: most junk is not zeros.
  size_t look = 16;
  while (offset < fileBytes_) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(look, fileBytes_ - offset));
    if (!ReadAt(offset, bytes.data(), count)) return offset;
    const auto nonZero =
        std::find_if(bytes.begin(), bytes.begin() + count, [](uint8_t b) { return b != 0; });
    offset += static_cast<uint64_t>(nonZero - bytes.begin());
    if (nonZero != bytes.begin() + count) return offset;
    look = bytes.size();
  }
  return fileBytes_;
}

bool Mp3FrameReader::FollowerFits(const Mp3FrameHeader& header, uint64_t offset) {
  const uint64_t next = offset + static_cast<uint64_t>(header.FrameBytes());
  // A first frame that reaches the end of the file has no follower to check.
  if (next + 4 > fileBytes_) return true;
  uint8_t bytes[4];
  if (!PeekHeader(next, bytes)) return false;
  const auto follower = Mp3FrameHeader::Parse(bytes);
  return (follower && follower->CompatibleWith(header)) || TagBytesAt(next) > 0;
}

std::optional<Mp3FrameHeader> Mp3FrameReader::FrameAt(uint64_t offset, bool confirmed) {
  uint8_t bytes[4];
  if (!PeekHeader(offset, bytes)) return std::nullopt;
  const auto header = Mp3FrameHeader::Parse(bytes);
  if (!header || header->FreeFormat() || header->layer != 3) return std::nullopt;
  if ((Fits(header) && !confirmed) || FollowerFits(*header, offset)) return header;
  return std::nullopt;
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
  afterDamage_ = false;
  std::optional<Mp3FrameHeader> header;
  while (!(header = FrameAt(nextOffset_, afterDamage_))) {
    if (nextOffset_ + 4 > fileBytes_) return Status::End;
    if (const uint64_t tagBytes = TagBytesAt(nextOffset_); tagBytes > 0) {
      nextOffset_ += tagBytes;
      continue;
    }
    // Damage: the next frame is found as the first one was; zeros to the
    // end of the file are no damage but the end.
    const uint64_t zerosEnd = ZerosEnd(nextOffset_);
    if (zerosEnd >= fileBytes_) return Status::End;
    afterDamage_ = true;
    nextOffset_ = std::max(zerosEnd, nextOffset_ + 1);
  }
  const uint64_t frameBytes = static_cast<uint64_t>(header->FrameBytes());
  // A frame cut short by the end of the file is not decoded.
  if (nextOffset_ + frameBytes > fileBytes_) return Status::End;
  if (!ReadAt(nextOffset_, frame_.data(), frameBytes)) return Status::ReadError;
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
      stop = Status::Irregular;
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
