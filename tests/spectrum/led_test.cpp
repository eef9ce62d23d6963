// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum analysis: bytes gathered into blocks, a block turned into 21 bar
// heights, bars falling, no allocation. The state is program-wide, so every
// test first brings it to a known start (SettleSpectrum).
#include "spectrum/led.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/allocation_counter.h"
#include "support/spectrum_blocks.h"

namespace {

class SpectrumAnalysis : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLedDisplay(nullptr);
    SettleSpectrum();
    SetLedDisplay(&display_);
  }
  void TearDown() override { SetLedDisplay(nullptr); }
  int Height(int band) const { return display_.shownHeights()[band]; }
  RecordingLedDisplay display_;
};

TEST_F(SpectrumAnalysis, FeedsAreGatheredIntoBlocksOf8192BytesAcrossCalls) {
  std::vector<uint8_t> stream(9000 + kSpectrumBlockBytes);  // distinct bytes
  for (size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<uint8_t>((11 + i * 7) % 251);
  SpectrumFeed(stream.data(), 3000);
  SpectrumFeed(nullptr, 0);
  SpectrumFeed(stream.data(), kSpectrumBlockBytes + 4);  // longer than a playback buffer: ignored
  SpectrumFeed(stream.data(), -4);
  SpectrumFeed(stream.data() + 3000, 3000);
  EXPECT_EQ(SpectrumFill, 6000);
  EXPECT_EQ(display_.pictures(), 0);
  SpectrumFeed(stream.data() + 6000, 3000);
  EXPECT_EQ(display_.pictures(), 1);
  EXPECT_EQ(SpectrumFill, 808);
  for (int i = 0; i < kSpectrumPairs; ++i) {  // the first 8192 bytes, read as pairs
    const uint8_t* b = &stream[4 * i];
    ASSERT_EQ(LeftRealIn[i], static_cast<int16_t>(b[0] | b[1] << 8)) << i;
    ASSERT_EQ(RightRealIn[i], static_cast<int16_t>(b[2] | b[3] << 8)) << i;
    ASSERT_EQ(LeftImagIn[i] + RightImagIn[i], 0.0);
  }
  EXPECT_TRUE(std::equal(stream.begin() + kSpectrumBlockBytes, stream.begin() + 9000,
                         SpectrumBuffer.begin()));
  // A feed that exactly fills the block analyses once and leaves nothing.
  SpectrumFeed(stream.data() + 9000, kSpectrumBlockBytes - 808);
  EXPECT_EQ(display_.pictures(), 2);
  EXPECT_EQ(SpectrumFill, 0);
}

TEST_F(SpectrumAnalysis, FeedingAndAnalysingAllocateNothing) {
  const std::vector<uint8_t> tone = ToneBlock(300, 20000);
  std::vector<int>* volatile probe = new std::vector<int>(10);  // the counter does count
  const uint64_t before = ProcessAllocations();
  delete probe;
  ASSERT_GE(before, 1u);
  for (int i = 0; i < 50; ++i) {
    SpectrumFeed(tone.data(), kSpectrumBlockBytes);
    SpectrumFeed(tone.data(), 3000);
    SpectrumFeed(tone.data() + 3000, 5192);
  }
  EXPECT_EQ(ProcessAllocations() - before, 0u);
  EXPECT_EQ(display_.pictures(), 100);
}

// Silence and a constant component give no bars. A full-scale sine that fits the block a whole
// number of times lands in one bin: its band is lit to the top and every other band stays dark.
TEST_F(SpectrumAnalysis, AToneLightsOnlyTheBandHoldingItsBin) {
  Feed(StereoBlock([](int) -> int16_t { return 32767; }, [](int) -> int16_t { return -32768; }));
  for (int band = 0; band < kSpectrumBands; ++band) EXPECT_EQ(Height(band), 0) << band;
  for (int bin : {1, 3, 8, 9, 512, 513, 1000}) {
    SettleSpectrum();
    Feed(ToneBlock(bin, 32767));
    int band = 0;
    for (int last = BandWidths[0]; last < bin; last += BandWidths[++band]) {
    }
    for (int b = 0; b < kSpectrumBands; ++b)
      EXPECT_EQ(Height(b), b == band ? 40 : 0) << bin << "/" << b;
  }
  EXPECT_TRUE(display_.orderKept());
}

// An impulse of height A has magnitude A in every bin, so band 20 (256 bins)
// sums to 256 * A, and its level is 256 * A / 262144, halves to even.
TEST_F(SpectrumAnalysis, BandSumsRoundHalvesToEven) {
  for (const auto& [impulse, level] :
       {std::pair{512, 0}, {513, 1}, {1536, 2}, {2560, 2}, {32767, 32}}) {
    SettleSpectrum();
    auto at0 = [&](int i) { return static_cast<int16_t>(i == 0 ? impulse : 0); };
    Feed(StereoBlock(at0, at0));
    EXPECT_EQ(Height(20), level) << impulse;
  }
}

TEST_F(SpectrumAnalysis, ABarFallsByThreePerBlockAndShowsTheHigherOfNewAndFalling) {
  Feed(ToneBlock(40, 32767));
  const std::vector<uint8_t> silence(kSpectrumBlockBytes);
  for (int expected = 40; expected > 0; expected -= 3, Feed(silence))
    EXPECT_EQ(Height(8), expected);
  EXPECT_EQ(Height(8), 0);
  // 1024 * 5120 = 20 * 262144: a bin-centred tone of peak 5120 gives level 20.
  const std::vector<uint8_t> medium = ToneBlock(40, 5120);
  Feed(medium);
  EXPECT_EQ(Height(8), 20);
  Feed(ToneBlock(40, 32767));
  Feed(medium);
  EXPECT_EQ(Height(8), 37);
}

}  // namespace
