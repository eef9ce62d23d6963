// The track bar's mappings between milliseconds and pixels, with their
// rounding of halves to even.
#include "app/track_geometry.h"

#include <gtest/gtest.h>

namespace {
constexpr int kMin = kTrackBarLeft;
constexpr int kMax = kTrackBarLeft + kTrackBarWidth - kTrackButtonWidth;
}  // namespace

TEST(TrackGeometry, TheHandleRoundsHalfPixelsToEvenAndMapsBack) {
  // 1.5 px rounds up to 2, 2.5 px down to 2, 3.5 px up to 4.
  const std::tuple<int32_t, int32_t, int> kPlaces[] = {
      {1500, 340000, 18},    {2500, 340000, 18}, {3500, 340000, 20},         {0, 340000, 16},
      {340000, 340000, 356}, {1, 1, 356},        {INT32_MAX, INT32_MAX, 356}};
  for (const auto& [positionMs, lengthMs, left] : kPlaces) {
    EXPECT_EQ(HandleLeftForPosition(positionMs, lengthMs, kMin, kMax), left) << positionMs;
  }
  EXPECT_EQ(PositionForHandleLeft(66, 340000, kMin, kMax), 50000);
  EXPECT_EQ(PositionForHandleLeft(356, INT32_MAX, kMin, kMax), INT32_MAX);
  EXPECT_EQ(PositionForHandleLeft(17, 1000, kMin, kMax), 3);  // 2.94 ms
}

TEST(TrackGeometry, TheSelectionBarRunsBetweenHandleCentresRoundedSeparately) {
  // (The model's test draws whole bars.) Begin at 2.5 px rounds to 2, the 1.5 px width rounds to 2.
  const auto bar = SelectionBarFor(2500, 4000, 340000, kMin, kMax, kTrackButtonWidth);
  EXPECT_EQ(bar.left, 16 + 2 + 15);
  EXPECT_EQ(bar.width, 2);
}
