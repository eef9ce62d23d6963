// SPDX-License-Identifier: GPL-3.0-or-later
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
  EXPECT_EQ(WindowTitleText("/m/a b.mp3"), "a b.mp3 \u2014 Snipola");
  EXPECT_EQ(WindowTitleText(""), "Snipola");
}

TEST(TimeText, TypedTimesAreSecondsClockFieldsOrMilliseconds) {
  const std::pair<const char*, std::optional<int64_t>> rows[] = {
      {"183456ms", 183456}, {"3:03.456", 183456}, {"1:00:00", 3600000},
      {"60", 60000},        {"0.05", 50},         {"", {}},
      {"1:2:3:4", {}},      {"1:60", {}},         {"1.2345", {}},
      {"-5", {}},           {"3.", {}},           {"1.5ms", {}}};
  for (const auto& [text, ms] : rows) EXPECT_EQ(ParseTimeTextMs(text), ms) << text;
}
