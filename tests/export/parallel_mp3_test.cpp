// SPDX-License-Identifier: GPL-3.0-or-later
// A stream made by two encoders decodes to exactly the samples given, and no
// granule around its seam is worse than the file's own 99th-percentile
// granule; a join that leaves the reservoir bytes in place is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/output_file.h"
#include "export/parallel_export.h"
#include "export/parallel_mp3_encoder.h"
#include "export/seam_joiner.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

constexpr int kRate = 44100;
constexpr int kGranule = 576;
constexpr int kGaplessShift = 576 + 529;  // encoder delay and decoder delay

class MemoryPcm : public ExportPcmReader {
 public:
  explicit MemoryPcm(const std::vector<int16_t>& pcm) : pcm_(pcm) {}
  bool Seek(int64_t frame) override { return (next_ = frame) >= 0; }
  int64_t Read(int16_t* out, int64_t maxFrames) override {
    const int64_t frames = std::min<int64_t>(maxFrames, static_cast<int64_t>(pcm_.size()) / 2 - next_);
    std::memcpy(out, pcm_.data() + next_ * 2, static_cast<size_t>(frames) * 4);
    next_ += frames;
    return frames;
  }

 private:
  const std::vector<int16_t>& pcm_;
  int64_t next_ = 0;
};

// Tones, noise bursts and drum-like hits, one of them right at the middle.
std::vector<int16_t> Music(int frames) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
  uint32_t noise = 7;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double hit = std::fmod(t + 0.02, 0.5) + (i >= frames / 2 ? 0.0 : 1.0);
    noise = noise * 1664525u + 1013904223u;
    const double burst = (std::fmod(t, 1.3) < 0.3 ? 0.1 : 0.02) * (static_cast<int>(noise >> 16) - 32768);
    const double v = 6000 * std::sin(2 * M_PI * 220 * t) * (1 + 0.5 * std::sin(3 * t)) +
                     3000 * std::sin(2 * M_PI * 1318 * t) + burst +
                     (hit < 0.05 ? 12000 * std::exp(-hit * 80) * std::sin(2 * M_PI * 90 * t) : 0);
    pcm[2 * static_cast<size_t>(i)] = static_cast<int16_t>(std::clamp(v, -32000.0, 32000.0));
    pcm[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(std::clamp(0.7 * v, -32000.0, 32000.0));
  }
  return pcm;
}

// The worst granule error around the seam, as a share of the 99th percentile of all granules.
double SeamErrorRatio(SeamJoin join) {
  static const std::vector<int16_t> music = Music(7 * kRate);
  TempDir dir;
  OutputFile file;
  EXPECT_TRUE(file.Create(dir.File("p.mp3")));
  const ParallelMp3Job job{.sampleRate = kRate, .channels = 2, .bitrateKbps = 128,
                           .totalFrames = static_cast<int64_t>(music.size() / 2), .join = join};
  std::atomic<int64_t> done = 0;
  std::vector<int64_t> seams;
  EXPECT_EQ(EncodeParallelMp3(job, [&] { return std::make_unique<MemoryPcm>(music); }, file, done,
                              &seams),
            ParallelMp3Result::Done);
  if (join == SeamJoin::Clean) {
    EXPECT_EQ(done, job.totalFrames);  // the faulty joins stop early
  }
  EXPECT_TRUE(file.Close() && file.Commit());
  const std::vector<int16_t> decoded = DecodeMp3File(dir.File("p.mp3"));
  EXPECT_EQ(decoded.size(), music.size());
  std::vector<double> energy;
  for (size_t at = 2 * (2 * kGranule - kGaplessShift); at + 2 * kGranule <= decoded.size();
       at += 2 * kGranule) {
    double sum = 0;
    for (size_t i = at; i < at + 2 * kGranule; ++i) sum += std::pow(decoded[i] - music[i], 2);
    energy.push_back(sum);
  }
  std::vector<double> sorted = energy;
  std::sort(sorted.begin(), sorted.end());
  const double p99 = sorted[sorted.size() * 99 / 100];
  EXPECT_EQ(seams.size(), 1u);
  // Granule 2j - 1 of the stream is the first stream's last, 2j the second's first.
  const size_t seamGranule = static_cast<size_t>(2 * seams.at(0) - 2);
  return *std::max_element(energy.begin() + static_cast<long>(seamGranule) - 4,
                           energy.begin() + static_cast<long>(seamGranule) + 4) / p99;
}

TEST(ParallelMp3, SeamIsNoWorseThanTheFilesOwnGranules) {
  EXPECT_LE(SeamErrorRatio(SeamJoin::Clean), 1.0);
  EXPECT_GT(SeamErrorRatio(SeamJoin::Unsettled), 1.0);
  EXPECT_GT(SeamErrorRatio(SeamJoin::UnsettledReservoirNotMoved), 1.0);
}

TEST(ParallelMp3, SeamNeedsRoomForTheReservoirAndLongBlocksOnBothSides) {
  const Mp3SideFacts longAt100{100, true, true};
  EXPECT_TRUE(SeamQualifies(longAt100, longAt100, longAt100));
  EXPECT_FALSE(SeamQualifies(longAt100, longAt100, {101, true, true}));
  EXPECT_FALSE(SeamQualifies({100, true, false}, longAt100, longAt100));
  EXPECT_FALSE(SeamQualifies(longAt100, longAt100, {100, false, true}));
}

TEST(ParallelMp3, EncoderCountFollowsCoresAndLength) {
  EXPECT_EQ(ExportEncoderCount(20 * kRate - 1, kRate, 0, 4), 1);
  EXPECT_EQ(ExportEncoderCount(20 * kRate, kRate, 0, 4), 2);
  EXPECT_EQ(ExportEncoderCount(40 * kRate, kRate, 0, 4), 4);
  EXPECT_EQ(ExportEncoderCount(40 * kRate, kRate, 3, 4), 3);
  EXPECT_EQ(ExportEncoderCount(40 * kRate, kRate, 1, 4), 1);
}

}  // namespace
