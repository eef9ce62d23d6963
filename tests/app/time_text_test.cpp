#include "app/time_text.h"

#include <gtest/gtest.h>

TEST(TimeText, ClockFieldsArePaddedToTwoDigits) {
  EXPECT_EQ(SecondsToClock(0), "00:00:00");
  EXPECT_EQ(SecondsToClock(3723), "01:02:03");
  EXPECT_EQ(SecondsToClock(86399), "23:59:59");
}

TEST(TimeText, HoursAboveNinetyNineAreWrittenInFull) {
  EXPECT_EQ(SecondsToClock(360000), "100:00:00");
}

TEST(TimeText, NegativeFieldsKeepTheirSignWithoutPadding) {
  EXPECT_EQ(SecondsToClock(-5), "00:00:-5");
  EXPECT_EQ(SecondsToClock(-3723), "-1:-2:-3");
  EXPECT_EQ(ZeroPad2("-5"), "-5");
  EXPECT_EQ(ZeroPad2("7"), "07");
}
