// The elapsed/remaining text and when it is refreshed.
#include "export/export_time_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportTimeText, RoutesUseTheirOwnWords) {
  EXPECT_EQ(ExportTimeText(ExportRoute::Mp3, 3725000, 3735000),
            "Elapsed: 01:02:05, Remain: 00:00:10");
  EXPECT_EQ(ExportTimeText(ExportRoute::Wav, 3725000, 3735000), "Used 01:02:05, Left 00:00:10");
}

TEST(ExportClock, RefreshesAtMostOnceASecond) {
  ExportClock clock(ExportRoute::Mp3, 5000);
  EXPECT_FALSE(clock.Refresh(5999, 10, 100));
  const auto first = clock.Refresh(7000, 50, 100);  // 2 s for half: 4 s in all
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, "Elapsed: 00:00:02, Remain: 00:00:02");
  EXPECT_FALSE(clock.Refresh(7999, 60, 100));
  const auto second = clock.Refresh(8000, 75, 100);  // 3 s for 3/4: 4 s in all
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, "Elapsed: 00:00:03, Remain: 00:00:01");
  EXPECT_EQ(clock.EstimatedTotalMs(), 4000);
}

TEST(ExportClock, EstimateRoundsHalfToEven) {
  ExportClock clock(ExportRoute::Wav, 0);
  ASSERT_TRUE(clock.Refresh(1001, 2, 3));  // 1001 x 3 / 2 = 1501.5 -> 1502
  EXPECT_EQ(clock.EstimatedTotalMs(), 1502);
}

TEST(ExportClock, NothingIsShownBeforeAnyFrameIsDone) {
  ExportClock clock(ExportRoute::Mp3, 0);
  EXPECT_FALSE(clock.Refresh(5000, 0, 100));
  EXPECT_EQ(clock.LastShownMs(), 0);
  EXPECT_TRUE(clock.Refresh(6000, 1, 100));
}

TEST(ExportClock, SurvivesTheTickCounterWrapping) {
  ExportClock clock(ExportRoute::Mp3, 0xFFFFFC18u);  // 1000 ms before the wrap
  const auto text = clock.Refresh(1000, 1, 2);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "Elapsed: 00:00:02, Remain: 00:00:02");
}

}  // namespace
