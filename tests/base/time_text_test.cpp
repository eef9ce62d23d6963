// Clock texts and the main window's label texts built from them.
#include "base/time_text.h"

#include <gtest/gtest.h>

#include "app/label_text.h"

TEST(TimeText, ClockFieldsArePaddedToTwoDigitsAndKeepTheirSign) {
  const std::pair<int32_t, const char*> rows[] = {
      {0, "00:00:00"},          {3723, "01:02:03"},      {86399, "23:59:59"},
      {360000, "100:00:00"},    {2147483, "596:31:23"},  {-5, "00:00:-5"},
      {-3723, "-1:-2:-3"},      {-36000, "-10:00:00"}};
  for (const auto& [seconds, text] : rows) EXPECT_EQ(SecondsToClock(seconds), text) << seconds;
  EXPECT_EQ(ZeroPad2("7"), "07");
  EXPECT_EQ(ZeroPad2("-5"), "-5");
  EXPECT_EQ(ZeroPad2(""), "");
}

TEST(LabelText, PositionsInMillisecondsOrTruncatedSeconds) {
  EXPECT_EQ(PositionText(kCurPosPrefix, 0, false), "Current Pos : 0 ms");
  EXPECT_EQ(PositionText(kBeginPosPrefix, -5, false), "Begin Pos : -5 ms");
  EXPECT_EQ(PositionText(kEndPosPrefix, 1234567, false), "End Pos : 1234567 ms");
  EXPECT_EQ(PositionText(kCurPosPrefix, 59999, true), "Current Pos : 00:00:59");
  EXPECT_EQ(PositionText(kCurPosPrefix, 3723456, true), "Current Pos : 01:02:03");
  EXPECT_EQ(PositionText(kBeginPosPrefix, -1999, true), "Begin Pos : 00:00:-1");
  // end - begin of two extreme marks does not fit 32 bits.
  EXPECT_EQ(PositionText(kLengthPrefix, 4294967295LL, false), "Length : 4294967295 ms");
  EXPECT_EQ(PositionText(kLengthPrefix, 4294967295LL, true), "Length : 1193:02:47");
  EXPECT_EQ(FileLengthText(183456, false), "Length : 183456 ms");
  EXPECT_EQ(FileLengthText(183456, true), "Length : 00:03:03");
  EXPECT_EQ(FileLengthText(-1, false), "Length : 4294967295 ms");
  EXPECT_EQ(FileNameText("/home/me/music/long name.wav"), "File Name : long name.wav");
  EXPECT_EQ(FileNameText("song.MP3"), "File Name : song.MP3");
}
