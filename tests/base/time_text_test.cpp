// Clock texts and the main window's label texts built from them.
#include "base/time_text.h"

#include <gtest/gtest.h>

#include "app/label_text.h"

TEST(TimeText, ClockFieldsArePaddedToTwoDigitsAndKeepTheirSign) {
  const std::pair<int32_t, const char*> rows[] = {
      {3723, "01:02:03"}, {2147483, "596:31:23"}, {-5, "00:00:-5"}, {-3723, "-1:-2:-3"}};
  for (const auto& [seconds, text] : rows) EXPECT_EQ(SecondsToClock(seconds), text) << seconds;
  EXPECT_EQ(ZeroPad2("7") + ZeroPad2("-5") + ZeroPad2(""), "07-5");
}

TEST(LabelText, PositionsInMillisecondsOrTruncatedSeconds) {
  EXPECT_EQ(PositionText(kBeginPosPrefix, -1999, true), "Begin Pos : 00:00:-1");
  EXPECT_EQ(PositionText(kLengthPrefix, 4294967295LL, false), "Length : 4294967295 ms");
  EXPECT_EQ(PositionText(kLengthPrefix, 4294967295LL, true), "Length : 1193:02:47");
  EXPECT_EQ(FileLengthText(-1, false), "Length : 4294967295 ms");
}
