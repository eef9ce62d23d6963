// Mpg123Decoder over libmpg123, following the library's call order: handle,
// parameters and output formats, open, scan, format, seek, read, close.
#include "audio/mpg123_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/rounding.h"
#include "audio/buffered_file.h"

namespace {

// mpg123_init is a no-op in current libraries and was needed once per
// process in old ones; mpg123_exit does nothing, so it is never called.
void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

// Bytes of ID3v1 and APEv2 tags at the end of the file, which are no audio.
int64_t TrailingTagBytes(const std::string& path, int64_t fileBytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  const auto readAt = [&](int64_t offset, uint8_t* out, size_t count) {
    return offset >= 0 && fseeko(file, offset, SEEK_SET) == 0 &&
           std::fread(out, 1, count, file) == count;
  };
  int64_t tagBytes = 0;
  std::array<uint8_t, 32> bytes{};
  if (readAt(fileBytes - 128, bytes.data(), 3) && std::memcmp(bytes.data(), "TAG", 3) == 0) {
    tagBytes = 128;
  }
  if (readAt(fileBytes - tagBytes - 32, bytes.data(), 32) &&
      std::memcmp(bytes.data(), "APETAGEX", 8) == 0) {
    const auto field = [&](int at) {
      return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
             static_cast<uint32_t>(bytes[at + 2]) << 16 |
             static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    const uint32_t itemsAndFooter = field(12);
    const bool hasHeader = (field(20) & 0x80000000u) != 0;
    tagBytes += int64_t{itemsAndFooter} + (hasHeader ? 32 : 0);
  }
  std::fclose(file);
  return std::min(tagBytes, fileBytes);
}

mpg123_ssize_t ReadCallback(void* file, void* out, size_t bytes) {
  return static_cast<BufferedFile*>(file)->Read(out, bytes);
}

off_t SeekCallback(void* file, off_t offset, int whence) {
  return static_cast<BufferedFile*>(file)->Seek(offset, whence);
}

}  // namespace

Mpg123Decoder::Mpg123Decoder() = default;

Mpg123Decoder::~Mpg123Decoder() { Close(); }

void Mpg123Decoder::Close() {
  if (handle_ != nullptr) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
  }
  handle_ = nullptr;
  file_.reset();
  facts_ = {};
  atEnd_ = false;
}

bool Mpg123Decoder::Open(const std::string& path) {
  Close();
  InitLibraryOnce();
  struct stat status {};
  file_ = BufferedFile::Open(path, status);
  if (!file_) return false;
  const FileIdentity file{
      path, static_cast<int64_t>(status.st_size),
      static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
      static_cast<uint64_t>(status.st_ino)};

  int error = MPG123_OK;
  handle_ = mpg123_new(nullptr, &error);
  if (handle_ == nullptr) {
    Close();
    return false;
  }
  // Positions must be real samples: gapless on; never the flags that skip
  // the Info tag or guess positions.
  bool ready =
      mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0) == MPG123_OK &&
      mpg123_param(handle_, MPG123_REMOVE_FLAGS,
                   MPG123_IGNORE_INFOFRAME | MPG123_FUZZY | MPG123_IGNORE_STREAMLENGTH,
                   0) == MPG123_OK &&
      mpg123_format_none(handle_) == MPG123_OK;
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; ready && i < rateCount; ++i) {
    ready = mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) ==
            MPG123_OK;
  }
  // The library reads through our buffered file; we keep owning it (no
  // cleanup callback), so it is closed exactly once, in Close().
  ready =
      ready &&
      mpg123_replace_reader_handle(handle_, &ReadCallback, &SeekCallback, nullptr) == MPG123_OK &&
      mpg123_open_handle(handle_, file_.get()) == MPG123_OK && ReadFacts(file);
  if (!ready) {
    Close();
    return false;
  }
  return true;
}

bool Mpg123Decoder::ReadFacts(const FileIdentity& file) {
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
    return false;
  }
  if (lastScan_ && lastScan_->file == file) {
    // The file has not changed since its scan: hand its index back instead
    // of reading every frame header again.
    if (mpg123_set_index(handle_, lastScan_->indexOffsets.data(), lastScan_->indexStep,
                         lastScan_->indexOffsets.size()) != MPG123_OK) {
      return false;
    }
    facts_ = lastScan_->facts;
    return true;
  }
  lastScan_.reset();
  if (mpg123_scan(handle_) != MPG123_OK) return false;
  const off_t lengthFrames = mpg123_length(handle_);
  mpg123_frameinfo2 frame{};
  off_t* offsets = nullptr;
  off_t step = 0;
  size_t fill = 0;
  if (lengthFrames < 0 || mpg123_info(handle_, &frame) != MPG123_OK ||
      mpg123_index(handle_, &offsets, &step, &fill) != MPG123_OK) {
    return false;
  }
  facts_.sampleRate = static_cast<int32_t>(rate);
  facts_.channels = channels;
  facts_.lengthFrames = lengthFrames;
  facts_.lengthMs = static_cast<int32_t>(
      std::min<int64_t>(FramesToMs(static_cast<double>(lengthFrames), rate), INT32_MAX));
  facts_.bitrateKbps = frame.bitrate;
  if (frame.vbr != MPG123_CBR && lengthFrames > 0 && fill > 0) {
    // The bitrate of the current frame says little about a VBR file: report
    // its average, the audio bytes over the playing time.
    const int64_t audioBytes = file.sizeBytes - static_cast<int64_t>(offsets[0]) -
                               TrailingTagBytes(file.path, file.sizeBytes);
    const double seconds = static_cast<double>(lengthFrames) / static_cast<double>(rate);
    facts_.bitrateKbps = static_cast<int32_t>(RoundHalfEven(
        static_cast<double>(std::max<int64_t>(audioBytes, 0)) * 8.0 / seconds / 1000.0));
  }
  auto scan = std::make_unique<ScanResult>();
  scan->file = file;
  scan->indexOffsets.assign(offsets, offsets + fill);
  scan->indexStep = step;
  scan->facts = facts_;
  lastScan_ = std::move(scan);
  return true;
}

bool Mpg123Decoder::SeekToFrame(int64_t frame) {
  if (!IsOpen() || frame < 0) return false;
  if (frame >= facts_.lengthFrames) {
    atEnd_ = true;
    return true;
  }
  atEnd_ = false;
  return mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) == static_cast<off_t>(frame) &&
         mpg123_tell(handle_) == static_cast<off_t>(frame);
}

Mpg123Decoder::DecodeStatus Mpg123Decoder::Decode(uint8_t* buffer, size_t capacityBytes,
                                                  size_t& producedBytes) {
  producedBytes = 0;
  if (!IsOpen()) return DecodeStatus::Error;
  const size_t frameBytes = static_cast<size_t>(facts_.channels) * 2;
  const size_t wantBytes = capacityBytes / frameBytes * frameBytes;
  // A read may legitimately give nothing (a frame the gapless trimming
  // removed whole); a library that keeps giving nothing must not hang us.
  constexpr int kMaxEmptyReads = 1000;
  for (int emptyReads = 0; !atEnd_ && emptyReads < kMaxEmptyReads; ++emptyReads) {
    size_t done = 0;
    const int result = mpg123_read(handle_, buffer, wantBytes, &done);
    if (result == MPG123_NEW_FORMAT) {
      // A stream may announce its format again; a real change (a file glued
      // from parts of different formats) would break every consumer's
      // arithmetic, so the stream ends there.
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
          rate != facts_.sampleRate || channels != facts_.channels) {
        atEnd_ = true;
        return DecodeStatus::Error;
      }
    } else if (result != MPG123_OK) {
      // MPG123_DONE may come with the last bytes; an error ends the stream
      // after what was decoded before it.
      atEnd_ = true;
      if (result != MPG123_DONE && done == 0) return DecodeStatus::Error;
    }
    // The library delivers whole sample frames; a torn one would shift every
    // later sample between the channels, so it is never passed on.
    producedBytes = done / frameBytes * frameBytes;
    if (producedBytes > 0) return DecodeStatus::Block;
  }
  if (!atEnd_) {
    atEnd_ = true;
    return DecodeStatus::Error;
  }
  return DecodeStatus::End;
}
