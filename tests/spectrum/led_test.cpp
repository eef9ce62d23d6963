// The spectrum analysis: how played bytes are gathered into blocks, how a
// block becomes 21 bar heights, and how the bars fall between blocks. The
// analysis state is program-wide and never reset, so every test first brings
// it to a known start by feeding silence (SettleSpectrum).
#include "spectrum/led.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <vector>

#include "support/spectrum_blocks.h"

namespace {

// The band that holds FFT bin `bin` (1..1024), from the band table.
int BandOfBin(int bin) {
  int last = 0;
  for (int band = 0; band < kSpectrumBands; ++band) {
    last += BandWidths[band];
    if (bin <= last) return band;
  }
  return -1;
}

int16_t SampleOf(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// A stream of distinct bytes, so that any misplaced byte shows.
std::vector<uint8_t> CountingBytes(size_t count, int start) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((start + i * 7) % 251);
  return bytes;
}

class SpectrumAnalysis : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLedDisplay(nullptr);
    SettleSpectrum();
    SetLedDisplay(&display_);
  }
  void TearDown() override {
    SetLedDisplay(nullptr);
    SetShowAnalyzerFlag(true);
  }

  // Checks that the analysed block was exactly `block` (8192 bytes), read as pairs.
  void ExpectAnalysedBlock(const std::vector<uint8_t>& block) {
    ASSERT_EQ(block.size(), static_cast<size_t>(kSpectrumBlockBytes));
    for (int i = 0; i < kSpectrumPairs; ++i) {
      ASSERT_EQ(LeftRealIn[i], SampleOf(block, 4 * i)) << "pair " << i;
      ASSERT_EQ(RightRealIn[i], SampleOf(block, 4 * i + 2)) << "pair " << i;
      ASSERT_EQ(LeftImagIn[i], 0.0);
      ASSERT_EQ(RightImagIn[i], 0.0);
    }
  }

  RecordingLedDisplay display_;
};

// --- Collecting blocks ---

TEST_F(SpectrumAnalysis, FullBuffersAreEachAnalysedOnTheirOwn) {
  for (int call = 0; call < 3; ++call) {
    const std::vector<uint8_t> block = CountingBytes(kSpectrumBlockBytes, call * 13);
    Feed(block);
    EXPECT_EQ(display_.pictures(), call + 1);
    EXPECT_EQ(SpectrumFill, 0);
    ExpectAnalysedBlock(block);
  }
}

TEST_F(SpectrumAnalysis, AFeedThatFillsTheBlockExactlyAnalysesOnceAndLeavesNothing) {
  const std::vector<uint8_t> stream = CountingBytes(kSpectrumBlockBytes, 5);
  SpectrumFeed(stream.data(), 5000);
  EXPECT_EQ(display_.pictures(), 0);
  EXPECT_EQ(SpectrumFill, 5000);
  SpectrumFeed(stream.data() + 5000, kSpectrumBlockBytes - 5000);
  EXPECT_EQ(display_.pictures(), 1);
  EXPECT_EQ(SpectrumFill, 0);
  ExpectAnalysedBlock(stream);
}

TEST_F(SpectrumAnalysis, BlocksSpanFeedsAndKeepTheRemainder) {
  const std::vector<uint8_t> stream = CountingBytes(9000, 11);
  SpectrumFeed(stream.data(), 3000);
  EXPECT_EQ(SpectrumFill, 3000);
  SpectrumFeed(stream.data() + 3000, 3000);
  EXPECT_EQ(SpectrumFill, 6000);
  EXPECT_EQ(display_.pictures(), 0);

  SpectrumFeed(stream.data() + 6000, 3000);
  EXPECT_EQ(display_.pictures(), 1);
  EXPECT_EQ(SpectrumFill, 808);
  ExpectAnalysedBlock(std::vector<uint8_t>(stream.begin(), stream.begin() + kSpectrumBlockBytes));
  EXPECT_TRUE(
      std::equal(stream.begin() + kSpectrumBlockBytes, stream.end(), SpectrumBuffer.begin()));
}

TEST_F(SpectrumAnalysis, AnEmptyFeedChangesNothing) {
  const std::vector<uint8_t> stream = CountingBytes(100, 1);
  Feed(stream);
  SpectrumFeed(stream.data(), 0);
  SpectrumFeed(nullptr, 0);
  EXPECT_EQ(SpectrumFill, 100);
  EXPECT_EQ(display_.pictures(), 0);
}

TEST_F(SpectrumAnalysis, AFeedLongerThanAPlaybackBufferIsIgnored) {
  const std::vector<uint8_t> tooLong = CountingBytes(kSpectrumBlockBytes + 4, 1);
  Feed(tooLong);
  SpectrumFeed(tooLong.data(), -4);
  EXPECT_EQ(SpectrumFill, 0);
  EXPECT_EQ(display_.pictures(), 0);
}

TEST_F(SpectrumAnalysis, WithTheFlagOffNothingIsCollectedAndHeldBytesWait) {
  const std::vector<uint8_t> stream = CountingBytes(kSpectrumBlockBytes, 3);
  SpectrumFeed(stream.data(), 3000);
  const auto heldBuffer = SpectrumBuffer;
  const auto heldLevels = BarLevel;

  SetShowAnalyzerFlag(false);
  EXPECT_FALSE(ShowAnalyzerFlag());
  const std::vector<uint8_t> loud = ToneBlock(40, 32767);
  Feed(loud);
  Feed(loud);
  SpectrumFeed(loud.data(), 5192);
  EXPECT_EQ(SpectrumFill, 3000);
  EXPECT_EQ(SpectrumBuffer, heldBuffer);
  EXPECT_EQ(BarLevel, heldLevels);
  EXPECT_EQ(display_.pictures(), 0);

  SetShowAnalyzerFlag(true);
  SpectrumFeed(stream.data() + 3000, kSpectrumBlockBytes - 3000);
  EXPECT_EQ(display_.pictures(), 1);
  ExpectAnalysedBlock(stream);
}

TEST_F(SpectrumAnalysis, SamplesAreSignedLittleEndianPairsLeftThenRight) {
  const std::vector<uint8_t> block =
      StereoBlock([](int i) { return static_cast<int16_t>(i % 2 == 0 ? -32768 : i); },
                  [](int i) { return static_cast<int16_t>(i % 2 == 0 ? 32767 : -i); });
  Feed(block);
  EXPECT_EQ(LeftRealIn[0], -32768.0);
  EXPECT_EQ(RightRealIn[0], 32767.0);
  EXPECT_EQ(LeftRealIn[2047], 2047.0);
  EXPECT_EQ(RightRealIn[2047], -2047.0);
  EXPECT_EQ(LeftRealIn[258], -32768.0);
  EXPECT_EQ(LeftRealIn[259], 259.0);
}

// --- Band levels ---

TEST_F(SpectrumAnalysis, SilenceGivesNoBars) {
  Feed(SilentBlock());
  ASSERT_EQ(display_.pictures(), 1);
  for (int band = 0; band < kSpectrumBands; ++band) {
    EXPECT_EQ(display_.shownHeights()[band], 0) << "band " << band;
    EXPECT_EQ(BarLevel[band], 0);
  }
  EXPECT_TRUE(display_.orderKept());
}

TEST_F(SpectrumAnalysis, ConstantComponentNeverShows) {
  Feed(StereoBlock([](int) -> int16_t { return 32767; }, [](int) -> int16_t { return -32768; }));
  for (int band = 0; band < kSpectrumBands; ++band) {
    EXPECT_EQ(display_.shownHeights()[band], 0) << "band " << band;
  }
}

class ToneInBin : public SpectrumAnalysis, public ::testing::WithParamInterface<int> {};

// A full-scale sine that fits the block a whole number of times lands in one
// bin; its band is lit to the top and every other band stays dark.
TEST_P(ToneInBin, LightsOnlyTheBandHoldingItsBin) {
  const int bin = GetParam();
  Feed(ToneBlock(bin, 32767));
  const int band = BandOfBin(bin);
  for (int b = 0; b < kSpectrumBands; ++b) {
    EXPECT_EQ(display_.shownHeights()[b], b == band ? 40 : 0) << "bin " << bin << " band " << b;
  }
  EXPECT_TRUE(display_.orderKept());
}

INSTANTIATE_TEST_SUITE_P(BandEdges, ToneInBin,
                         ::testing::Values(1, 2, 3, 8, 9, 40, 64, 65, 300, 512, 513, 769, 1000));

TEST_F(SpectrumAnalysis, FullScaleToneLightsTheBandOfItsFrequency) {
  // 1 kHz at 44100 Hz is bin 1000 * 2048 / 44100 = 46.4, inside band 8 (bins 33..48).
  constexpr double kRate = 44100.0;
  auto tone = [](int i) {
    return static_cast<int16_t>(
        std::lround(32767.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate)));
  };
  Feed(StereoBlock(tone, tone));
  const auto& heights = display_.shownHeights();
  EXPECT_EQ(heights[8], 40);
  EXPECT_EQ(*std::max_element(heights.begin(), heights.end()), 40);
  EXPECT_LT(heights[0], 40);
  EXPECT_LT(heights[20], 40);
}

TEST_F(SpectrumAnalysis, OneChannelAudioIsReadAsPairsOfConsecutiveSamples) {
  // 40 periods over 4096 mono samples: read as pairs, each half sees 40
  // periods over 2048 samples, bin 40 (band 8). Read as 2048 mono samples it
  // would be 20 periods, bin 20 (band 6).
  std::vector<int16_t> mono(2 * kSpectrumPairs);
  for (size_t n = 0; n < mono.size(); ++n) {
    mono[n] = static_cast<int16_t>(
        std::lround(32767.0 * std::sin(2.0 * std::numbers::pi * 40.0 * n / mono.size())));
  }
  Feed(PcmBytes(mono));
  EXPECT_EQ(display_.shownHeights()[8], 40);
  EXPECT_EQ(display_.shownHeights()[6], 0);
  EXPECT_EQ(LeftRealIn[1], mono[2]);
  EXPECT_EQ(RightRealIn[1], mono[3]);
}

struct RoundingCase {
  int impulse;  // height of a one-sample impulse on both channels
  int level;    // expected height of band 20
  friend void PrintTo(const RoundingCase& c, std::ostream* out) {
    *out << "impulse " << c.impulse << " -> level " << c.level;
  }
};

class BandSumRounding : public SpectrumAnalysis,
                        public ::testing::WithParamInterface<RoundingCase> {};

// An impulse of height A has magnitude exactly A in every bin, so band 20
// (256 bins) sums to exactly 256 * A, and its level is 256 * A / 262144.
TEST_P(BandSumRounding, HalvesGoToTheEvenNeighbour) {
  const RoundingCase c = GetParam();
  auto impulse = [&](int i) { return static_cast<int16_t>(i == 0 ? c.impulse : 0); };
  Feed(StereoBlock(impulse, impulse));
  EXPECT_EQ(display_.shownHeights()[20], c.level) << "band sum " << 256 * c.impulse;
}

INSTANTIATE_TEST_SUITE_P(Sums, BandSumRounding,
                         ::testing::Values(RoundingCase{511, 0},    // 130816: 0.499
                                           RoundingCase{512, 0},    // 131072: 0.5
                                           RoundingCase{513, 1},    // 131328: 0.501
                                           RoundingCase{1536, 2},   // 393216: 1.5
                                           RoundingCase{2560, 2},   // 655360: 2.5
                                           RoundingCase{3584, 4},   // 917504: 3.5
                                           RoundingCase{32767, 32}  // 8388352: 31.999
                                           ));

// --- Falling bars ---

TEST_F(SpectrumAnalysis, ABarFallsByThreePerBlockUntilItIsGone) {
  Feed(ToneBlock(40, 32767));
  std::vector<int> drawn{display_.shownHeights()[8]};
  for (int i = 0; i < 15; ++i) {
    Feed(SilentBlock());
    drawn.push_back(display_.shownHeights()[8]);
  }
  EXPECT_EQ(drawn, (std::vector<int>{40, 37, 34, 31, 28, 25, 22, 19, 16, 13, 10, 7, 4, 1, 0, 0}));
  EXPECT_EQ(BarLevel[8], 0);
}

TEST_F(SpectrumAnalysis, ABarShowsTheHigherOfItsNewAndItsFallingHeight) {
  // 1024 * 5120 = 20 * 262144: a bin-centred tone of peak 5120 gives level 20.
  const std::vector<uint8_t> medium = ToneBlock(40, 5120);
  Feed(medium);
  EXPECT_EQ(display_.shownHeights()[8], 20);

  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(display_.shownHeights()[8], 40);
  Feed(medium);
  EXPECT_EQ(display_.shownHeights()[8], 37);
  for (int i = 0; i < 5; ++i) Feed(SilentBlock());  // 34, 31, 28, 25, 22
  EXPECT_EQ(display_.shownHeights()[8], 22);
  Feed(medium);  // 19 falling, 20 new
  EXPECT_EQ(display_.shownHeights()[8], 20);
  EXPECT_EQ(BarLevel[8], 17);
}

TEST_F(SpectrumAnalysis, NoDisplayMeansTheAnalysisStillRuns) {
  SetLedDisplay(nullptr);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(BarLevel[8], 37);
  EXPECT_EQ(display_.pictures(), 0);
}

}  // namespace
