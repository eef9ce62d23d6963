// SPDX-License-Identifier: GPL-3.0-or-later
// The two overview readers: reduced-rate MP3 decoding and block reads of a
// WAV file's data chunk.
#include "audio/peak_source.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "audio/mpg123_decoder.h"
#include "audio/riff_reader.h"
#include "audio/wav_layout.h"

namespace {

// Quarter rate: 44.1 kHz becomes 11025 Hz, still four samples per
// millisecond, far more than a pixel of a whole file needs.
constexpr int kMp3RateShift = 2;

class Mp3PeakSource : public PeakSource {
 public:
  bool Open(const std::string& path, int maxShift, std::shared_ptr<Mp3ScanIndex> scan) {
    // At the full rate, a scan of the file (running or finished) gives the
    // positions without decoding the file first.
    if (maxShift == 0 && scan) {
      if (!decoder_.Open(path)) return false;
      decoder_.UseScan(std::move(scan));
      return true;
    }
    // Rates the library cannot divide that far (22.05 kHz cannot become
    // 5512 Hz) fail the open; try the next smaller reduction.
    // The worker measures the file with its own decoder: positions and the
    // length are those of a full decode.
    for (int shift = maxShift; shift >= 0; --shift) {
      if (decoder_.Open(path, shift)) return decoder_.Scan();
    }
    return false;
  }
  int64_t TotalFrames() const override { return decoder_.Facts().lengthFrames; }
  int Channels() const override { return decoder_.Facts().channels; }
  int32_t SampleRate() const override { return decoder_.Facts().sampleRate; }
  bool Seek(int64_t frame) override { return ok_ = decoder_.SeekToFrame(frame); }
  int64_t Read(int16_t* out, int64_t maxFrames) override {
    if (!ok_) return 0;
    const size_t frameBytes = static_cast<size_t>(Channels()) * 2;
    size_t produced = 0;
    if (decoder_.Decode(reinterpret_cast<uint8_t*>(out),
                        static_cast<size_t>(maxFrames) * frameBytes,
                        produced) != Mpg123Decoder::DecodeStatus::Block) {
      ok_ = false;
      return 0;
    }
    return static_cast<int64_t>(produced / frameBytes);
  }

 private:
  Mpg123Decoder decoder_;
  bool ok_ = true;
};

class WavPeakSource : public PeakSource {
 public:
  bool Open(const std::string& path, const AudioFileInfo& info) {
    if (OpenWavLayout(path, reader_, layout_) != WavOpenResult::Ok || layout_.channels == 0 ||
        layout_.channels != info.Channels || !layout_.HoldsPcm16()) {
      return false;
    }
    frameBytes_ = int64_t{layout_.channels} * 2;
    totalFrames_ = layout_.dataBytes / frameBytes_;
    return true;
  }
  int64_t TotalFrames() const override { return totalFrames_; }
  int Channels() const override { return layout_.channels; }
  int32_t SampleRate() const override { return static_cast<int32_t>(layout_.samplesPerSec); }
  bool Seek(int64_t frame) override {
    next_ = std::clamp<int64_t>(frame, 0, totalFrames_);
    return ok_ = reader_.Seek(layout_.dataOffsetBytes + next_ * frameBytes_);
  }
  int64_t Read(int16_t* out, int64_t maxFrames) override {
    const int64_t want = std::min(maxFrames, totalFrames_ - next_);
    if (!ok_ || want <= 0) return 0;
    const int64_t got = reader_.Read(out, want * frameBytes_);
    if (got <= 0) {
      ok_ = false;
      return 0;
    }
    const int64_t frames = got / frameBytes_;
    // A torn frame at a short read is read again from its start next time.
    if (frames * frameBytes_ != got) {
      Seek(next_ + frames);
    } else {
      next_ += frames;
    }
    return frames;
  }

 private:
  RiffReader reader_;
  WavLayout layout_;
  int64_t frameBytes_ = 4;
  int64_t totalFrames_ = 0;
  int64_t next_ = 0;
  bool ok_ = true;
};

}  // namespace

std::unique_ptr<PeakSource> OpenPeakSource(const std::string& path, const AudioFileInfo& info,
                                           PeakRate rate, std::shared_ptr<Mp3ScanIndex> scan) {
  if (info.FileType == AudioFileInfo::kTypeMp3) {
    auto source = std::make_unique<Mp3PeakSource>();
    if (source->Open(path, rate == PeakRate::Reduced ? kMp3RateShift : 0, std::move(scan))) {
      return source;
    }
  } else if (info.FileType == AudioFileInfo::kTypeWav) {
    auto source = std::make_unique<WavPeakSource>();
    if (source->Open(path, info)) return source;
  }
  return nullptr;
}
