#include "app/value_entry.h"

#include <gtest/gtest.h>

struct ParseCase {
  const char* text;
  std::optional<int32_t> expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseEnteredNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseEnteredNumberTest, AcceptsOnlyWholeDecimalNumbersInThirtyTwoBits) {
  EXPECT_EQ(ParseEnteredNumber(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseEnteredNumberTest,
    ::testing::Values(ParseCase{"0", 0}, ParseCase{"12345", 12345}, ParseCase{"-5000", -5000},
                      ParseCase{"+7", 7}, ParseCase{"  42 ", 42}, ParseCase{"007", 7},
                      ParseCase{"2147483647", INT32_MAX}, ParseCase{"-2147483648", INT32_MIN},
                      ParseCase{"2147483648", std::nullopt}, ParseCase{"-2147483649", std::nullopt},
                      ParseCase{"99999999999999999999999", std::nullopt},
                      ParseCase{"", std::nullopt}, ParseCase{"   ", std::nullopt},
                      ParseCase{"12a", std::nullopt}, ParseCase{"1.5", std::nullopt},
                      ParseCase{"-", std::nullopt}, ParseCase{"--5", std::nullopt},
                      ParseCase{"+-5", std::nullopt}, ParseCase{"0x10", std::nullopt},
                      ParseCase{"1 2", std::nullopt}, ParseCase{"1,000", std::nullopt}));

TEST(ValueEntry, PromptsNameTheFieldAndTheUnit) {
  EXPECT_EQ(EntryPrompt(EntryField::CurrentPosition, true), "Current Position(seconds)");
  EXPECT_EQ(EntryPrompt(EntryField::CurrentPosition, false), "Current Position(milliseconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkBegin, true), "Mark Begin Position(seconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkBegin, false), "Mark Begin Position(milliseconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkEnd, true), "Mark End Position(seconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkEnd, false), "Mark End Position(milliseconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkLength, true), "Mark Length(seconds)");
  EXPECT_EQ(EntryPrompt(EntryField::MarkLength, false), "Mark Length(milliseconds)");
}

TEST(ValueEntry, DefaultTextIsAPlainNumberTruncatedToSecondsInSecondsMode) {
  EXPECT_EQ(EntryDefaultText(3723456, true), "3723");
  EXPECT_EQ(EntryDefaultText(3723456, false), "3723456");
  EXPECT_EQ(EntryDefaultText(-1999, true), "-1");
}

TEST(ValueEntry, SecondsAreMultipliedWithoutWrapping) {
  EXPECT_EQ(EnteredValueMs(INT32_MAX, true), 2147483647000LL);
  EXPECT_EQ(EnteredValueMs(INT32_MIN, true), -2147483648000LL);
  EXPECT_EQ(EnteredValueMs(90, false), 90);
  EXPECT_EQ(ClampToLength(2147483647000LL, 50000), 50000);
  EXPECT_EQ(ClampToLength(-1, 50000), 0);
  EXPECT_EQ(ClampToLength(25000, 50000), 25000);
}
