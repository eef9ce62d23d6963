#include "app/track_geometry.h"

#include <gtest/gtest.h>

namespace {
constexpr int kMin = kTrackBarLeft;
constexpr int kMax = kTrackBarLeft + kTrackBarWidth - kTrackButtonWidth;
}  // namespace

TEST(TrackGeometry, HandleRangeSpansThreeHundredFortyPixels) {
  EXPECT_EQ(kMin, 16);
  EXPECT_EQ(kMax, 356);
}

struct HandleCase {
  int32_t positionMs;
  int32_t lengthMs;
  int left;
};

void PrintTo(const HandleCase& c, std::ostream* out) {
  *out << c.positionMs << " of " << c.lengthMs << " ms";
}

class HandleLeftTest : public ::testing::TestWithParam<HandleCase> {};

TEST_P(HandleLeftTest, RoundsHalvesToEven) {
  const auto& c = GetParam();
  EXPECT_EQ(HandleLeftForPosition(c.positionMs, c.lengthMs, kMin, kMax), c.left);
}

INSTANTIATE_TEST_SUITE_P(Positions, HandleLeftTest,
                         ::testing::Values(HandleCase{1500, 340000, 18},  // 1.5 px rounds up to 2
                                           HandleCase{2500, 340000, 18},  // 2.5 px rounds down to 2
                                           HandleCase{3500, 340000, 20},  // 3.5 px rounds up to 4
                                           HandleCase{0, 340000, 16},
                                           HandleCase{340000, 340000, 356},
                                           HandleCase{50300, 340000, 66}, HandleCase{1, 1, 356},
                                           HandleCase{INT32_MAX, INT32_MAX, 356}));

TEST(TrackGeometry, PositionFromHandleInvertsThePlacementOnWholePixels) {
  EXPECT_EQ(PositionForHandleLeft(16, 340000, kMin, kMax), 0);
  EXPECT_EQ(PositionForHandleLeft(66, 340000, kMin, kMax), 50000);
  EXPECT_EQ(PositionForHandleLeft(356, 340000, kMin, kMax), 340000);
  EXPECT_EQ(PositionForHandleLeft(356, INT32_MAX, kMin, kMax), INT32_MAX);
  // 1 px of a 1000 ms file is 2.94 ms: 2.94 rounds to 3.
  EXPECT_EQ(PositionForHandleLeft(17, 1000, kMin, kMax), 3);
}

TEST(TrackGeometry, SelectionBarRunsBetweenHandleCentres) {
  const auto bar = SelectionBarFor(10000, 20000, 340000, kMin, kMax, kTrackButtonWidth);
  EXPECT_EQ(bar.left, 41);
  EXPECT_EQ(bar.width, 10);
  const auto all = SelectionBarFor(0, 340000, 340000, kMin, kMax, kTrackButtonWidth);
  EXPECT_EQ(all.left, 31);
  EXPECT_EQ(all.width, 340);
}

TEST(TrackGeometry, SelectionBarRoundsLeftAndWidthSeparately) {
  // Begin at 2.5 px rounds to 2, the 1.5 px width rounds to 2.
  const auto bar = SelectionBarFor(2500, 4000, 340000, kMin, kMax, kTrackButtonWidth);
  EXPECT_EQ(bar.left, 16 + 2 + 15);
  EXPECT_EQ(bar.width, 2);
}
