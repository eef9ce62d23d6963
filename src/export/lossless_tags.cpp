// SPDX-License-Identifier: GPL-3.0-or-later
// The tags around a lossless cut; see lossless_tags.h.
#include "export/lossless_tags.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "export/mp3_frame_reader.h"

namespace {

constexpr size_t kId3v2HeaderBytes = 10;
constexpr uint64_t kId3v1Bytes = 128;
constexpr uint64_t kApeFooterBytes = 32;
constexpr uint64_t kLyricsTrailerBytes = 15;  // 6 digits of size, "LYRICS200"

uint32_t SyncSafe(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] & 0x7F) << 21 | static_cast<uint32_t>(p[1] & 0x7F) << 14 |
         static_cast<uint32_t>(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// Writes `digits` over the text of a TLEN frame's body, zero-padded to the
// digits it holds; false when it holds too few.
bool RewriteLengthText(uint8_t* body, size_t bytes, const std::string& digits) {
  if (bytes == 0 || body[0] > 3) return false;
  const int encoding = body[0];
  const size_t unit = encoding == 1 || encoding == 2 ? 2 : 1;
  const size_t textAt = encoding == 1 ? 3 : 1;  // UTF-16 starts with its byte order mark
  if (bytes < textAt) return false;
  const bool bigEndian = encoding == 2 || (encoding == 1 && body[1] == 0xFE);
  size_t chars = (bytes - textAt) / unit;
  const auto charAt = [&](size_t i) {
    const uint8_t* c = body + textAt + i * unit;
    return unit == 1   ? c[0]
           : bigEndian ? static_cast<uint8_t>(c[0] == 0 ? c[1] : 0xFF)
                       : static_cast<uint8_t>(c[1] == 0 ? c[0] : 0xFF);
  };
  while (chars > 0 && charAt(chars - 1) == 0) --chars;  // a terminator
  if (chars < digits.size()) return false;
  const std::string text = std::string(chars - digits.size(), '0') + digits;
  for (size_t i = 0; i < chars; ++i) {
    uint8_t* c = body + textAt + i * unit;
    if (unit == 1) {
      c[0] = static_cast<uint8_t>(text[i]);
    } else {
      c[bigEndian ? 0 : 1] = 0;
      c[bigEndian ? 1 : 0] = static_cast<uint8_t>(text[i]);
    }
  }
  return true;
}

// The length frames of one tag, tag[0..bytes).
void SetLengthInTag(uint8_t* tag, size_t bytes, const std::string& digits) {
  const int version = tag[3];
  const uint8_t flags = tag[5];
  if ((version != 3 && version != 4) || (flags & 0x80) != 0) return;
  size_t at = kId3v2HeaderBytes;
  if ((flags & 0x40) != 0 && bytes >= at + 4) {
    at += version == 3 ? 4 + BigEndian32(tag + at) : SyncSafe(tag + at);
  }
  const size_t end = bytes - (version == 4 && (flags & 0x10) != 0 ? kId3v2HeaderBytes : 0);
  // Frame flags that change how the body reads: compression, encryption,
  // grouping, and for 2.4 also unsynchronisation and a data length.
  const uint8_t hiddenFlags = version == 3 ? 0xE0 : 0x4F;
  while (at + kId3v2HeaderBytes <= end && tag[at] != 0) {
    const size_t frameBytes = version == 4 ? SyncSafe(tag + at + 4) : BigEndian32(tag + at + 4);
    if (frameBytes > end - at - kId3v2HeaderBytes) return;
    const size_t next = at + kId3v2HeaderBytes + frameBytes;
    if (std::memcmp(tag + at, "TLEN", 4) != 0 || (tag[at + 9] & hiddenFlags) != 0 ||
        RewriteLengthText(tag + at + kId3v2HeaderBytes, frameBytes, digits)) {
      at = next;
      continue;
    }
    std::memmove(tag + at, tag + next, end - next);
    std::memset(tag + end - (next - at), 0, next - at);
  }
}

}  // namespace

void SetId3v2Length(std::vector<uint8_t>& tags, int64_t lengthMs) {
  const std::string digits = std::to_string(std::max<int64_t>(lengthMs, 0));
  size_t at = 0;
  while (at + kId3v2HeaderBytes <= tags.size() && std::memcmp(tags.data() + at, "ID3", 3) == 0) {
    const size_t footer = (tags[at + 5] & 0x10) != 0 ? kId3v2HeaderBytes : 0;
    const size_t bytes = std::min<size_t>(
        kId3v2HeaderBytes + SyncSafe(tags.data() + at + 6) + footer, tags.size() - at);
    SetLengthInTag(tags.data() + at, bytes, digits);
    at += bytes;
  }
}

uint64_t EndTagsOffset(Mp3FrameReader& reader, uint64_t audioEnd) {
  uint64_t end = reader.FileBytes();
  uint8_t bytes[kApeFooterBytes];
  if (end >= audioEnd + kId3v1Bytes && reader.ReadAt(end - kId3v1Bytes, bytes, 3) &&
      std::memcmp(bytes, "TAG", 3) == 0) {
    end -= kId3v1Bytes;
  }
  for (bool found = true; found;) {
    found = false;
    if (end >= audioEnd + kLyricsTrailerBytes &&
        reader.ReadAt(end - kLyricsTrailerBytes, bytes, kLyricsTrailerBytes) &&
        std::memcmp(bytes + 6, "LYRICS200", 9) == 0 &&
        std::all_of(bytes, bytes + 6, [](uint8_t c) { return c >= '0' && c <= '9'; })) {
      const uint64_t size = std::stoull(std::string(bytes, bytes + 6));
      const uint64_t start = end - kLyricsTrailerBytes - std::min(size, end);
      uint8_t begin[11];
      if (start >= audioEnd && reader.ReadAt(start, begin, sizeof begin) &&
          std::memcmp(begin, "LYRICSBEGIN", 11) == 0) {
        end = start;
        found = true;
        continue;
      }
    }
    if (end >= audioEnd + kApeFooterBytes &&
        reader.ReadAt(end - kApeFooterBytes, bytes, kApeFooterBytes) &&
        std::memcmp(bytes, "APETAGEX", 8) == 0) {
      // The size counts the items and the footer; bit 31 of the flags says
      // a header comes first.
      const uint64_t size = LittleEndian32(bytes + 12) +
                            ((LittleEndian32(bytes + 20) & 0x80000000u) != 0 ? kApeFooterBytes : 0);
      if (size <= end - audioEnd) {
        end -= size;
        found = true;
      }
    }
  }
  return end;
}
