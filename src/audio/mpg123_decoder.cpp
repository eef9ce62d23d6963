// SPDX-License-Identifier: GPL-3.0-or-later
// Mpg123Decoder over libmpg123, following the library's call order: handle,
// parameters and output formats, open, scan, format, seek, read, close.
#include "audio/mpg123_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "audio/buffered_file.h"
#include "audio/mp3_part_scan.h"
#include "audio/vbri_frame.h"
#include "base/rounding.h"

namespace {

// mpg123_init is a no-op in current libraries and was needed once per
// process in old ones; mpg123_exit does nothing, so it is never called.
void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

// Decoded samples nobody asked for (counting, discarding) go here, in pieces
// of this size.
constexpr size_t kScratchBytes = 64 * 1024;

// Frames the library decodes and drops before the target of a seek. A
// layer III frame may take its data from up to 511 bytes before its header
// (the bit reservoir): at low bitrates that reaches back six frames, and one
// more is needed for the overlap of the transform.
constexpr long kSeekLeadFrames = 8;

// What a seek decodes from a little before a checkpoint to find it again:
// four frames of 1152 samples at up to six times their own rate.
constexpr int64_t kLandingWindowFrames = 4 * 1152 * 6;

// A scan reports its progress about this often, in bytes read.
constexpr off_t kProgressEveryBytes = 1 << 20;
// Share of a scan's progress the header pass stands for when the decode pass
// follows it; a header pass reads the file about twenty times faster.
constexpr double kHeaderPassShare = 0.05;

// Where the audio of a file ends: before ID3v1 and APEv2 tags at its end and
// before the zero bytes some tools leave after the last frame.
int64_t AudioEndBytes(const std::string& path, int64_t fileBytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return fileBytes;
  const auto readAt = [&](int64_t offset, uint8_t* out, size_t count) {
    return offset >= 0 && fseeko(file, offset, SEEK_SET) == 0 &&
           std::fread(out, 1, count, file) == count;
  };
  int64_t end = fileBytes;
  std::array<uint8_t, 4096> bytes{};
  if (readAt(end - 128, bytes.data(), 3) && std::memcmp(bytes.data(), "TAG", 3) == 0) end -= 128;
  if (readAt(end - 32, bytes.data(), 32) && std::memcmp(bytes.data(), "APETAGEX", 8) == 0) {
    const auto field = [&](int at) {
      return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
             static_cast<uint32_t>(bytes[at + 2]) << 16 |
             static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    const bool hasHeader = (field(20) & 0x80000000u) != 0;
    end -= int64_t{field(12)} + (hasHeader ? 32 : 0);
  }
  for (bool zeros = true; zeros && end > 0;) {
    const int64_t count = std::min<int64_t>(end, bytes.size());
    if (!readAt(end - count, bytes.data(), static_cast<size_t>(count))) break;
    for (int64_t i = count - 1; zeros && i >= 0; --i) {
      zeros = bytes[static_cast<size_t>(i)] == 0;
      end -= zeros ? 1 : 0;
    }
  }
  std::fclose(file);
  return std::max<int64_t>(end, 0);
}

// The frames' own bitrate when the frame index shows a constant-bitrate file
// (equally spaced frames, padding bytes aside), else 0. Free-format frames
// report 0 as their bitrate.
int32_t ConstantBitrateKbps(const off_t* offsets, size_t fill, off_t step, int samplesPerFrame,
                            long rate, int frameKbps) {
  if (frameKbps <= 0 || fill < 2 || step <= 0 || samplesPerFrame <= 0) return 0;
  const double seconds = static_cast<double>(fill - 1) * static_cast<double>(step) *
                         samplesPerFrame / static_cast<double>(rate);
  const double kbps = static_cast<double>(offsets[fill - 1] - offsets[0]) * 8.0 / seconds / 1000.0;
  return std::abs(kbps - frameKbps) <= frameKbps * 0.005 ? frameKbps : 0;
}

}  // namespace

Mpg123Decoder::Mpg123Decoder() = default;

Mpg123Decoder::~Mpg123Decoder() { Close(); }

off_t Mpg123Decoder::PhysicalOffset(off_t logical) const {
  return hiddenBytes_ > 0 && logical >= hiddenBegin_ ? logical + hiddenBytes_ : logical;
}

ssize_t Mpg123Decoder::ReadCallback(void* self, void* out, size_t bytes) {
  auto& decoder = *static_cast<Mpg123Decoder*>(self);
  if (decoder.Stopped()) return -1;
  if (decoder.hiddenBytes_ > 0 && decoder.logicalAt_ < decoder.hiddenBegin_) {
    bytes = std::min<size_t>(bytes, static_cast<size_t>(decoder.hiddenBegin_ - decoder.logicalAt_));
  }
  const ssize_t count = decoder.file_->Read(out, bytes);
  if (count <= 0) return count;
  const off_t before = decoder.logicalAt_;
  decoder.logicalAt_ += count;
  if (decoder.hiddenBytes_ > 0 && decoder.logicalAt_ == decoder.hiddenBegin_ &&
      decoder.file_->Seek(decoder.PhysicalOffset(decoder.logicalAt_), SEEK_SET) < 0) {
    return -1;
  }
  if (decoder.readProgress_ &&
      before / kProgressEveryBytes != decoder.logicalAt_ / kProgressEveryBytes) {
    decoder.readProgress_(decoder.logicalAt_);
  }
  return count;
}

off_t Mpg123Decoder::SeekCallback(void* self, off_t offset, int whence) {
  auto& decoder = *static_cast<Mpg123Decoder*>(self);
  const off_t base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? decoder.logicalAt_
                     : whence == SEEK_END ? decoder.logicalSize_
                                          : -1;
  const off_t target = base + offset;
  if (base < 0 || target < 0 || decoder.file_->Seek(decoder.PhysicalOffset(target), SEEK_SET) < 0) {
    return -1;
  }
  decoder.logicalAt_ = target;
  return target;
}

void Mpg123Decoder::CloseHandle() {
  if (handle_ != nullptr) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
  }
  handle_ = nullptr;
}

void Mpg123Decoder::Close() {
  CloseHandle();
  file_.reset();
  facts_ = {};
  atEnd_ = false;
  hiddenBytes_ = 0;
}

bool Mpg123Decoder::OpenHandle() {
  CloseHandle();
  atEnd_ = false;
  if (SeekCallback(this, 0, SEEK_SET) != 0) return false;
  int error = MPG123_OK;
  handle_ = mpg123_new(nullptr, &error);
  if (handle_ == nullptr) return false;
  // Positions must be real samples: gapless on; never the flags that skip
  // the Info tag or guess positions. Damage is searched past to the end of
  // the file (a resync limit below 0) instead of ending the stream.
  bool ready =
      mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0) == MPG123_OK &&
      mpg123_param(handle_, MPG123_REMOVE_FLAGS,
                   MPG123_IGNORE_INFOFRAME | MPG123_FUZZY | MPG123_IGNORE_STREAMLENGTH |
                       MPG123_NO_RESYNC | MPG123_NO_FRANKENSTEIN,
                   0) == MPG123_OK &&
      mpg123_param(handle_, MPG123_RESYNC_LIMIT, -1, 0) == MPG123_OK &&
      mpg123_param(handle_, MPG123_PREFRAMES, kSeekLeadFrames, 0) == MPG123_OK &&
      (rateShift_ == 0 || mpg123_param(handle_, MPG123_DOWN_SAMPLE, rateShift_, 0) == MPG123_OK) &&
      mpg123_format_none(handle_) == MPG123_OK;
  if (facts_.sampleRate > 0) {
    // The format is known: the whole file comes out in it.
    ready = ready && mpg123_format(handle_, facts_.sampleRate,
                                   facts_.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                                   MPG123_ENC_SIGNED_16) == MPG123_OK;
  } else {
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; ready && i < rateCount; ++i) {
      ready = mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) ==
              MPG123_OK;
    }
  }
  // The library reads through our reader; we keep owning the file (no
  // cleanup callback), so it is closed exactly once, in Close().
  return ready &&
         mpg123_replace_reader_handle(handle_, &Mpg123Decoder::ReadCallback,
                                      &Mpg123Decoder::SeekCallback, nullptr) == MPG123_OK &&
         mpg123_open_handle(handle_, this) == MPG123_OK;
}

bool Mpg123Decoder::Open(const std::string& path, int rateShift) {
  // A finished scan of this very file survives the close.
  const std::shared_ptr<Mp3ScanIndex> kept = std::move(index_);
  const FileIdentity keptFile = std::move(indexFile_);
  Close();
  index_.reset();
  indexFile_ = {};
  rateShift_ = rateShift;
  InitLibraryOnce();
  struct stat status {};
  file_ = BufferedFile::Open(path, status);
  if (!file_) return false;
  identity_ = FileIdentity{
      path, static_cast<int64_t>(status.st_size),
      static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
      static_cast<uint64_t>(status.st_ino), rateShift};
  logicalSize_ = static_cast<off_t>(status.st_size);
  const std::optional<VbriFrame> vbri = FindVbriFrame([&](int64_t offset, uint8_t* out, size_t count) {
    return file_->Seek(static_cast<off_t>(offset), SEEK_SET) == offset &&
           file_->Read(out, count) == static_cast<ssize_t>(count);
  });
  if (vbri && vbri->frameBytes > 0 && vbri->offsetBytes + vbri->frameBytes <= logicalSize_) {
    hiddenBegin_ = static_cast<off_t>(vbri->offsetBytes);
    hiddenBytes_ = static_cast<off_t>(vbri->frameBytes);
    logicalSize_ -= hiddenBytes_;
  }
  if (!OpenHandle() || !ReadFormat()) {
    Close();
    return false;
  }
  // The estimate: the Info tag's count, else the library's guess from the
  // file's size and the first frame's bitrate; a VBRI tag's own count where
  // the library knows none of it.
  off_t estimate = mpg123_length(handle_);
  if (vbri && rateShift == 0 && vbri->sampleRate == facts_.sampleRate && vbri->audioFrames > 0) {
    estimate = static_cast<off_t>(vbri->audioFrames * vbri->samplesPerFrame);
  }
  mpg123_frameinfo2 frame{};
  if (mpg123_info(handle_, &frame) == MPG123_OK) facts_.bitrateKbps = frame.bitrate;
  // Parts joined after a tagged first part lie beyond its tag's count: the
  // file's size at the first frame's bitrate tells, within the spread of a
  // VBR file's bitrates, so only a much larger size counts.
  if (facts_.bitrateKbps > 0) {
    const double sizeFrames = static_cast<double>(logicalSize_) * 8.0 /
                              (facts_.bitrateKbps * 1000.0) * facts_.sampleRate;
    if (sizeFrames > 1.5 * static_cast<double>(estimate)) estimate = static_cast<off_t>(sizeFrames);
  }
  facts_.lengthFrames = std::max<int64_t>(estimate, 0);
  facts_.lengthMs = static_cast<int32_t>(std::min<int64_t>(
      FramesToMs(static_cast<double>(facts_.lengthFrames), facts_.sampleRate), INT32_MAX));
  if (kept && keptFile == identity_) {
    UseScan(kept);
    indexFile_ = keptFile;
  }
  return true;
}

bool Mpg123Decoder::ReadFormat() {
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
    return false;
  }
  // From here on every frame, whatever its own format, is decoded into the
  // first frame's rate and channel count.
  if (mpg123_format_none(handle_) != MPG123_OK ||
      mpg123_format(handle_, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO,
                    MPG123_ENC_SIGNED_16) != MPG123_OK) {
    return false;
  }
  facts_.sampleRate = static_cast<int32_t>(rate);
  facts_.channels = channels;
  return true;
}

void Mpg123Decoder::UseScan(std::shared_ptr<Mp3ScanIndex> index) {
  index_ = std::move(index);
  indexFile_ = {};
  if (!index_ || !IsOpen()) return;
  if (const std::optional<Mp3StreamFacts> facts = index_->FinishedFacts();
      facts && facts->sampleRate == facts_.sampleRate && facts->channels == facts_.channels) {
    facts_ = *facts;
  }
}

int64_t Mpg123Decoder::KnownFrames() const {
  if (facts_.exact) return facts_.lengthFrames;
  return index_ ? std::min(index_->KnownFrames(), facts_.lengthFrames) : 0;
}

bool Mpg123Decoder::SetLibraryIndex() {
  std::vector<off_t> offsets;
  off_t step = 0;
  index_->FrameIndex(offsets, step);
  return mpg123_set_index(handle_, offsets.data(), step, offsets.size()) == MPG123_OK;
}

bool Mpg123Decoder::Scan(const ScanControl& control) {
  if (!IsOpen()) return false;
  if (facts_.exact) return true;
  stop_ = control.stop;
  const double fileBytes = std::max<double>(static_cast<double>(logicalSize_), 1.0);
  double passStart = 0.0;
  double passShare = kHeaderPassShare;
  if (control.progress) {
    readProgress_ = [&](off_t at) {
      control.progress(passStart + passShare * std::min(1.0, static_cast<double>(at) / fileBytes));
    };
  }
  const bool measured = [&] {
    index_ = control.into ? control.into : std::make_shared<Mp3ScanIndex>();
    // The length an Info tag announces, before the scan counts the frames.
    const off_t announcedFrames = mpg123_length(handle_);
    long encoderDelay = -1;
    mpg123_getstate(handle_, MPG123_ENC_DELAY, &encoderDelay, nullptr);
    if (mpg123_scan(handle_) != MPG123_OK || Stopped()) return false;
    const off_t lengthFrames = mpg123_length(handle_);
    long stitched = 0;
    mpg123_getstate(handle_, MPG123_FRANKENSTEIN, &stitched, nullptr);
    mpg123_frameinfo2 frame{};
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (lengthFrames < 0 || mpg123_info(handle_, &frame) != MPG123_OK ||
        mpg123_index(handle_, &offsets, &step, &fill) != MPG123_OK) {
      return false;
    }
    const long rate = facts_.sampleRate;
    facts_.bitrateKbps =
        ConstantBitrateKbps(offsets, fill, step, mpg123_spf(handle_), rate, frame.bitrate);
    const int64_t audioBytes =
        fill > 0 ? AudioEndBytes(identity_.path, identity_.sizeBytes) - hiddenBytes_ -
                       static_cast<int64_t>(offsets[0])
                 : 0;
    // A scan that finds other frames than a gapless Info tag announced turns
    // gapless trimming off for the rest of that handle only: the scan's
    // length and every later decode disagree.
    const bool trusted = stitched == 0 && (encoderDelay < 0 || announcedFrames == lengthFrames);
    index_->SetFrameIndex(std::vector<off_t>(offsets, offsets + fill), step, trusted);
    int64_t frames = lengthFrames;
    if (!trusted) {
      passStart = kHeaderPassShare;
      passShare = 1.0 - kHeaderPassShare;
      Mp3PartScan::Plan plan{identity_.path, rateShift_,
                             std::vector<off_t>(offsets, offsets + fill), step,
                             mpg123_framelength(handle_)};
      frames = Mp3PartScan(plan, control, *index_, [&](double fraction) {
                 if (control.progress) control.progress(passStart + passShare * fraction);
               }).Count();
      if (frames < 0) return false;
    }
    if (!OpenHandle()) return false;
    facts_.lengthFrames = frames;
    if (facts_.bitrateKbps == 0 && frames > 0) {
      // Any other file: its audio frames' bytes (no tags, no Info frame, no
      // zeros after the end) over the time they play.
      facts_.bitrateKbps = static_cast<int32_t>(RoundHalfEven(
          static_cast<double>(std::max<int64_t>(audioBytes, 0)) * 8.0 * rate / frames / 1000.0));
    }
    facts_.lengthMs = static_cast<int32_t>(
        std::min<int64_t>(FramesToMs(static_cast<double>(frames), rate), INT32_MAX));
    facts_.exact = true;
    index_->Finish(facts_);
    indexFile_ = identity_;
    return true;
  }();
  stop_ = nullptr;
  readProgress_ = nullptr;
  if (!measured) {
    // Half-measured: nothing of it may be used; the file is at its first
    // sample again, with the estimate, and may be scanned once more.
    index_.reset();
    if (!OpenHandle()) CloseHandle();
  } else if (control.progress) {
    control.progress(1.0);
  }
  return measured;
}

bool Mpg123Decoder::StartAtMpegFrame(const std::vector<off_t>& offsets, off_t step,
                                     off_t mpegFrame) {
  return IsOpen() &&
         mpg123_set_index(handle_, const_cast<off_t*>(offsets.data()), step, offsets.size()) ==
             MPG123_OK &&
         mpg123_seek_frame(handle_, mpegFrame, SEEK_SET) == mpegFrame;
}

Mpg123Decoder::DecodeStatus Mpg123Decoder::DecodeMpegFrame(DecodedFrame& frame) {
  if (!IsOpen() || atEnd_) return IsOpen() ? DecodeStatus::End : DecodeStatus::Error;
  const size_t frameBytes = static_cast<size_t>(facts_.channels) * 2;
  // As in Decode(): a failure concerns one frame, which the library skips.
  constexpr int kMaxFailures = 1000;
  for (int failures = 0; failures < kMaxFailures && !Stopped(); ++failures) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    const int result = mpg123_decode_frame(handle_, &number, &audio, &bytes);
    if (result == MPG123_DONE) {
      atEnd_ = true;
      return DecodeStatus::End;
    }
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
          rate != facts_.sampleRate || channels != facts_.channels) {
        atEnd_ = true;
        return DecodeStatus::Error;
      }
      continue;  // the frame follows
    }
    if (result != MPG123_OK) continue;
    long fresh = 0;
    mpg123_getstate(handle_, MPG123_FRESH_DECODER, &fresh, nullptr);
    mpg123_frameinfo2 info{};
    frame.mpegFrame = number;
    frame.data = audio;
    frame.bytes = bytes / frameBytes * frameBytes;
    frame.librarySample = mpg123_tell(handle_);
    frame.trimmed =
        static_cast<int64_t>(frame.bytes / frameBytes) < (mpg123_spf(handle_) >> rateShift_);
    frame.freshDecoder = fresh != 0;
    frame.resampled =
        mpg123_info(handle_, &info) != MPG123_OK || (info.rate >> rateShift_) != facts_.sampleRate;
    return DecodeStatus::Block;
  }
  atEnd_ = true;
  return DecodeStatus::Error;
}

bool Mpg123Decoder::LandAfterCheckpoint(const Mp3Checkpoint& point, int64_t& frame) {
  const size_t frameBytes = static_cast<size_t>(facts_.channels) * 2;
  // The samples after the checkpoint come from its frame or the next; the
  // library needs a frame or two before them to decode them as before.
  if (!SetLibraryIndex() ||
      mpg123_seek_frame(handle_, std::max<off_t>(point.mpegFrame - 2, 0), SEEK_SET) < 0) {
    return false;
  }
  scratch_.resize(static_cast<size_t>(kLandingWindowFrames) * frameBytes);
  size_t filledBytes = 0;
  while (filledBytes < scratch_.size()) {
    size_t producedBytes = 0;
    if (Decode(scratch_.data() + filledBytes, scratch_.size() - filledBytes, producedBytes) !=
        DecodeStatus::Block) {
      return false;
    }
    filledBytes += producedBytes;
  }
  int64_t foundAt = -1;
  for (size_t at = 0; at + kCheckpointBytes <= filledBytes; at += frameBytes) {
    if (std::memcmp(scratch_.data() + at, point.firstBytes.data(), kCheckpointBytes) != 0) continue;
    if (foundAt >= 0) return false;  // not a unique mark
    foundAt = static_cast<int64_t>(at / frameBytes);
  }
  if (foundAt < 0) return false;
  frame = point.frame - foundAt + kLandingWindowFrames;
  return true;
}

void Mpg123Decoder::DiscardFrames(int64_t frames) {
  scratch_.resize(kScratchBytes);
  const size_t frameBytes = static_cast<size_t>(facts_.channels) * 2;
  while (frames > 0) {
    // Never more than the frames still to drop, so the stream stops exactly
    // at the target.
    const size_t wantBytes =
        static_cast<size_t>(std::min<int64_t>(frames, scratch_.size() / frameBytes)) * frameBytes;
    size_t producedBytes = 0;
    if (Decode(scratch_.data(), wantBytes, producedBytes) != DecodeStatus::Block) return;
    frames -= static_cast<int64_t>(producedBytes / frameBytes);
  }
}

bool Mpg123Decoder::SeekToFrame(int64_t frame) {
  if (!IsOpen() || frame < 0) return false;
  if (facts_.exact && frame >= facts_.lengthFrames) {
    atEnd_ = true;
    return true;
  }
  if (frame == 0) return OpenHandle();
  if (frame > KnownFrames()) return false;
  atEnd_ = false;
  if (!index_->Trusted()) {
    // The decode from the first sample is the measure of positions here:
    // go on from the last checkpoint a whole landing window before the
    // target, or else from the first sample.
    const std::optional<Mp3Checkpoint> point =
        index_->CheckpointAtOrBefore(frame - kLandingWindowFrames);
    int64_t reached = 0;
    if (!OpenHandle()) return false;
    if (!point || !LandAfterCheckpoint(*point, reached)) {
      if (!OpenHandle()) return false;
      reached = 0;
    }
    DiscardFrames(frame - reached);
    return true;
  }
  return SetLibraryIndex() &&
         mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) == static_cast<off_t>(frame) &&
         mpg123_tell(handle_) == static_cast<off_t>(frame);
}

Mpg123Decoder::DecodeStatus Mpg123Decoder::Decode(uint8_t* buffer, size_t capacityBytes,
                                                  size_t& producedBytes) {
  producedBytes = 0;
  if (!IsOpen()) return DecodeStatus::Error;
  const size_t frameBytes = static_cast<size_t>(facts_.channels) * 2;
  const size_t wantBytes = capacityBytes / frameBytes * frameBytes;
  // A read may legitimately give nothing (a frame the gapless trimming
  // removed whole, a damaged frame skipped); a library that keeps giving
  // nothing must not hang us.
  constexpr int kMaxEmptyReads = 1000;
  for (int emptyReads = 0; !atEnd_ && emptyReads < kMaxEmptyReads; ++emptyReads) {
    size_t done = 0;
    const int result = mpg123_read(handle_, buffer, wantBytes, &done);
    if (result == MPG123_NEW_FORMAT) {
      // Output is forced to one format, so a stream may announce only that
      // one again; anything else would break every consumer's arithmetic.
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
          rate != facts_.sampleRate || channels != facts_.channels) {
        atEnd_ = true;
        return DecodeStatus::Error;
      }
    } else if (result == MPG123_DONE) {
      // The last bytes may come with the end.
      atEnd_ = true;
    }
    // Any other failure concerns one frame, which the library has skipped:
    // the next read goes on after it, and endless failures end in the bound
    // below.
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
