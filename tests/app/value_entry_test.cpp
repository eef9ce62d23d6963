// The value entry's arithmetic: what a typed text gives in milliseconds in
// either unit, without wrapping, the text offered, and the clamp. (The
// model's test checks every prompt.)
#include "app/value_entry.h"

#include <gtest/gtest.h>

TEST(ValueEntry, WholeNumbersInTheUnitOrTimesAsTheWindowShowsThem) {
  struct Row {
    const char* text;
    bool useSecond;
    std::optional<int64_t> ms;
  };
  // clang-format off
  const Row kRows[] = {
      {"12345", false, 12345}, {"-5000", false, -5000}, {"+7", false, 7}, {"  42 ", false, 42},
      {"2147483647", true, 2147483647000LL}, {"-2147483648", true, -2147483648000LL},
      {"2147483648", false, {}}, {"99999999999999999999999", true, {}}, {"   ", false, {}},
      {"14", true, 14000}, {"0:14", true, 14000}, {"14.567", true, 14567},
      {" 1:02:03.5", false, 3723500}, {"14.567", false, 14567}, {"14567ms", true, 14567},
      {"-", false, {}}, {"--5", false, {}}, {"0x10", false, {}}, {"1 2", false, {}},
      {"-1.5", true, {}}, {"1.5.2", true, {}}, {"12a", true, {}}};
  // clang-format on
  for (const Row& row : kRows) {
    EXPECT_EQ(ParseEnteredValueMs(row.text, row.useSecond), row.ms) << row.text;
  }
}

TEST(ValueEntry, OfferedTextIsTruncatedAndClampKeepsInsideTheFile) {
  EXPECT_EQ(EntryDefaultText(-1999, true), "-1");  // truncated, as the seconds labels
  EXPECT_EQ(ClampToLength(2147483647000LL, 50000), 50000);
  EXPECT_EQ(ClampToLength(-1, 50000), 0);
  EXPECT_EQ(ClampToLength(25000, 50000), 25000);
}
