// The value entry's arithmetic: what a typed text parses to, the text offered,
// seconds to milliseconds without wrapping, and the clamp. (The model's test checks every prompt.)
#include "app/value_entry.h"

#include <gtest/gtest.h>

TEST(ValueEntry, OnlyWholeDecimalNumbersInThirtyTwoBitsAreAccepted) {
  // clang-format off
  const std::pair<const char*, std::optional<int32_t>> kTexts[] = {
      {"12345", 12345}, {"-5000", -5000}, {"+7", 7}, {"  42 ", 42}, {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN}, {"2147483648", {}}, {"99999999999999999999999", {}},
      {"   ", {}}, {"1.5", {}}, {"-", {}}, {"--5", {}}, {"0x10", {}}, {"1 2", {}}};
  // clang-format on
  for (const auto& [text, value] : kTexts) EXPECT_EQ(ParseEnteredNumber(text), value) << text;
}

TEST(ValueEntry, SecondsAreMultipliedWithoutWrappingAndClampedIntoTheFile) {
  EXPECT_EQ(EnteredValueMs(INT32_MAX, true), 2147483647000LL);
  EXPECT_EQ(EnteredValueMs(INT32_MIN, true), -2147483648000LL);
  EXPECT_EQ(EnteredValueMs(90, false), 90);
  EXPECT_EQ(EntryDefaultText(-1999, true), "-1");  // truncated, as the seconds labels
  EXPECT_EQ(ClampToLength(2147483647000LL, 50000), 50000);
  EXPECT_EQ(ClampToLength(-1, 50000), 0);
  EXPECT_EQ(ClampToLength(25000, 50000), 25000);
}
