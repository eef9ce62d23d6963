// Fade gains, order and rounding on blocks of frames.
#include "export/fades.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int16_t> Faded(std::vector<int16_t> samples, int channels, uint64_t pieceFrames,
                           uint64_t doneInPiece, FadeFrames fades) {
  ApplyFades(samples.data(), static_cast<uint32_t>(samples.size() / channels), channels,
             pieceFrames, doneInPiece, fades);
  return samples;
}

TEST(Fades, FadeInStartsSilentAndRisesByFrame) {
  EXPECT_EQ(Faded({1000, 1000, 1000, 1000, 1000, 1000}, 1, 6, 0, {4, 0}),
            (std::vector<int16_t>{0, 250, 500, 750, 1000, 1000}));
}

TEST(Fades, FadeOutEndsAtOneOverItsLengthAndSparesTheFrameBeforeIt) {
  // Piece of 8 frames, fade-out of 4: the frame at 8 - 4 keeps its value.
  EXPECT_EQ(Faded({800, 800, 800, 800, 800, 800, 800, 800}, 1, 8, 0, {0, 4}),
            (std::vector<int16_t>{800, 800, 800, 800, 800, 600, 400, 200}));
}

TEST(Fades, ScaledSamplesRoundHalfToEven) {
  // Gain 1/4 on the second frame: 10 -> 2.5 -> 2, 14 -> 3.5 -> 4, -10 -> -2.
  EXPECT_EQ(Faded({0, 10}, 1, 100, 0, {4, 0})[1], 2);
  EXPECT_EQ(Faded({0, 14}, 1, 100, 0, {4, 0})[1], 4);
  EXPECT_EQ(Faded({0, -10}, 1, 100, 0, {4, 0})[1], -2);
  EXPECT_EQ(Faded({0, -14}, 1, 100, 0, {4, 0})[1], -4);
}

TEST(Fades, BothFadesMultiplyWhereTheyOverlap) {
  // Gains p/4 x (4 - p)/4: 0, 3/16, 4/16, 3/16.
  EXPECT_EQ(Faded({1600, 1600, 1600, 1600}, 1, 4, 0, {4, 4}),
            (std::vector<int16_t>{0, 300, 400, 300}));
}

TEST(Fades, ScaledAcrossBlocksEqualsOneBlock) {
  const std::vector<int16_t> whole = Faded(std::vector<int16_t>(10, 3000), 1, 10, 0, {6, 5});
  std::vector<int16_t> first(whole.size() / 2, 3000);
  std::vector<int16_t> second(whole.size() / 2, 3000);
  first = Faded(first, 1, 10, 0, {6, 5});
  second = Faded(second, 1, 10, 5, {6, 5});
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_EQ(first, whole);
}

TEST(Fades, FadeInLongerThanThePieceNeverReachesFullGain) {
  EXPECT_EQ(Faded({800, 800, 800, 800}, 1, 4, 0, {8, 0}), (std::vector<int16_t>{0, 100, 200, 300}));
}

TEST(Fades, FadeOutLongerThanThePieceFadesTheWholePiece) {
  EXPECT_EQ(Faded({800, 800, 800, 800}, 1, 4, 0, {0, 8}),
            (std::vector<int16_t>{400, 300, 200, 100}));
}

TEST(Fades, StereoFramesGetOneGainForBothChannels) {
  EXPECT_EQ(Faded({400, -800, 400, -800, 400, -800}, 2, 3, 0, {2, 0}),
            (std::vector<int16_t>{0, 0, 200, -400, 400, -800}));
}

TEST(Fades, NoFadeLeavesTheBlockAlone) {
  const std::vector<int16_t> block{1, -2, 3, 32767, -32768};
  EXPECT_EQ(Faded(block, 1, 5, 0, MakeFadeFrames(true, 0, true, 0, 44100)), block);
  EXPECT_EQ(Faded(block, 1, 5, 0, MakeFadeFrames(false, 3, false, 3, 44100)), block);
}

TEST(Fades, FadeLengthsAreComputedInSixtyFourBits) {
  const FadeFrames fades = MakeFadeFrames(true, 100000, true, 2147483647, 48000);
  EXPECT_EQ(fades.fadeInFrames, 4800000000ull);
  EXPECT_EQ(fades.fadeOutFrames, 2147483647ull * 48000ull);
  // 65536 s at 65536 Hz is exactly 2^32 frames: in 32 bits it would wrap to
  // 0, which means no fade at all, and the first frame would stay loud.
  const FadeFrames wrapping = MakeFadeFrames(true, 65536, false, 0, 65536);
  EXPECT_EQ(wrapping.fadeInFrames, 4294967296ull);
  EXPECT_EQ(Faded({32767, 32767}, 1, 2, 0, wrapping), (std::vector<int16_t>{0, 0}));
}

}  // namespace
