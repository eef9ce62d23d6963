// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the header of a WAV file into a WavLayout (see wav_layout.h).
#include "audio/wav_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

// WAVEFORMATEX without its extra-size field: the part every WAV format
// chunk carries.
constexpr int64_t kMinFormatBytes = 16;
constexpr int64_t kMaxFormatBytesRead = 18;

uint16_t LittleEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t LittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadFormat(RiffReader& reader, const RiffChunk& riff, WavLayout& layout) {
  RiffChunk format;
  if (!reader.Seek(riff.dataOffset) || !reader.DescendChunk(MakeFourCC("fmt "), riff, format)) {
    return false;
  }
  const int64_t wantBytes =
      std::min<int64_t>(std::min<int64_t>(format.sizeBytes, kMaxFormatBytesRead),
                        reader.FileSizeBytes() - format.dataOffset);
  if (wantBytes < kMinFormatBytes) return false;
  uint8_t bytes[kMaxFormatBytesRead] = {};
  if (reader.Read(bytes, wantBytes) != wantBytes) return false;
  layout.formatTag = LittleEndian16(bytes);
  layout.channels = LittleEndian16(bytes + 2);
  layout.samplesPerSec = LittleEndian32(bytes + 4);
  layout.bitsPerSample = LittleEndian16(bytes + 14);
  return layout.channels >= 1 && layout.channels <= 2 && layout.samplesPerSec > 0 &&
         layout.samplesPerSec <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
}

uint64_t LittleEndian64(const uint8_t* bytes) {
  return LittleEndian32(bytes) | static_cast<uint64_t>(LittleEndian32(bytes + 4)) << 32;
}

// The data size a 64-bit form keeps in its "ds64" chunk, which comes first:
// RIFF size (8 bytes), data size (8 bytes), sample count, table. Nothing when
// the form has no such chunk.
std::optional<uint64_t> Ds64DataBytes(RiffReader& reader, const RiffChunk& riff) {
  RiffChunk ds64;
  uint8_t bytes[16];
  if (riff.id == MakeFourCC("RIFF") || !reader.Seek(riff.dataOffset) ||
      !reader.DescendChunk(MakeFourCC("ds64"), riff, ds64) || ds64.sizeBytes < sizeof bytes ||
      reader.Read(bytes, sizeof bytes) != sizeof bytes) {
    return std::nullopt;
  }
  return LittleEndian64(bytes + 8);
}

// What a 32-bit size field wraps at.
constexpr int64_t kWrapBytes = int64_t{1} << 32;

bool FindData(RiffReader& reader, const RiffChunk& riff, WavLayout& layout) {
  const std::optional<uint64_t> ds64Bytes = Ds64DataBytes(reader, riff);
  RiffChunk data;
  if (!reader.Seek(riff.dataOffset) || !reader.DescendChunk(MakeFourCC("data"), riff, data)) {
    return false;
  }
  const int64_t presentBytes = reader.FileSizeBytes() - data.dataOffset;
  int64_t claimedBytes = data.sizeBytes;
  if (data.sizeBytes == kUnknownChunkBytes && ds64Bytes) {
    claimedBytes = static_cast<int64_t>(std::min<uint64_t>(*ds64Bytes, INT64_MAX));
  } else if (data.sizeBytes == 0 && (riff.sizeBytes == 0 || riff.sizeBytes == kUnknownChunkBytes)) {
    // A streamed file whose writer left both sizes at 0: its samples run to
    // the end of the file.
    claimedBytes = presentBytes;
  } else if (data.sizeBytes == kUnknownChunkBytes ||
             (presentBytes > claimedBytes && (presentBytes - claimedBytes) % kWrapBytes == 0)) {
    // Over 4 GiB of samples in a 32-bit form: a writer that could not say
    // the size left it unknown, or wrote what was left of it modulo 2^32.
    // Either way the samples run to the end of the file.
    claimedBytes = presentBytes;
  }
  layout.dataOffsetBytes = data.dataOffset;
  layout.dataBytes = std::min<int64_t>(claimedBytes, presentBytes);
  return true;
}

}  // namespace

WavOpenResult OpenWavLayout(const std::string& path, RiffReader& reader, WavLayout& layout) {
  layout = WavLayout{};
  if (!reader.Open(path)) return WavOpenResult::CannotOpen;
  RiffChunk riff;
  if (!reader.DescendRiff(MakeFourCC("WAVE"), riff)) {
    layout.problem = WavProblem::NotWave;
  } else if (!ReadFormat(reader, riff, layout)) {
    layout.problem = layout.samplesPerSec == 0 && layout.channels == 0 ? WavProblem::NoFormat
                                                                       : WavProblem::BadFormat;
  } else if (!FindData(reader, riff, layout)) {
    layout.problem = WavProblem::NoData;
  }
  if (layout.problem != WavProblem::None) {
    reader.Close();
    return WavOpenResult::Malformed;
  }
  return WavOpenResult::Ok;
}
